#!/usr/bin/env bash
# The test command: installs what is missing, builds both configurations
# (native with sanitizers, Windows with mingw-w64) and runs both test suites,
# the Windows one under Wine. Incremental: a second run rebuilds nothing that
# did not change. Exit status is non-zero when anything fails; the last lines
# are ctest's summary of the Windows suite.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMET_BUILD_DIR:-$root/build}
jobs=${LUMET_JOBS:-$(nproc)}

"$root/tools/install-deps.sh" || exit 1

configure() {  # dir, extra args...
  local dir=$1; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DLUMET_WERROR=ON "$@" || return 1
  fi
}

configure "$build/native" || exit 1
configure "$build/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" || exit 1
cmake --build "$build/native" -j "$jobs" || exit 1
cmake --build "$build/windows" -j "$jobs" || exit 1

status=0
# Fuzzing of the decoders that read the network (clang-14 libFuzzer with
# ASan/UBSan); LUMET_FUZZ_SECONDS=0 skips it.
fuzz_seconds=${LUMET_FUZZ_SECONDS:-20}
if [ "$fuzz_seconds" -gt 0 ]; then
  echo "== fuzzing (${fuzz_seconds}s per target)"
  "$root/tests/fuzz/run.sh" "$fuzz_seconds" "$build/fuzz" || status=1
fi
echo "== native tests"
ctest --test-dir "$build/native" --output-on-failure -j "$jobs" || status=1
echo "== Windows tests (Wine)"
ctest --test-dir "$build/windows" --output-on-failure -j "$jobs" || status=1
exit $status
