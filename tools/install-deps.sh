#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, and
# only those that are missing (a second run does nothing).
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev googletest
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils imagemagick
  snmp snmpd snmptrapd snmpsim
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}" >&2
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
# snmpd starts a system agent on port 161 when installed; our tests use their
# own agents on their own ports, so the system one is neither needed nor harmful.
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
