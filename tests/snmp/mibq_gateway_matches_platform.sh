#!/usr/bin/env bash
# Walks one subtree with mibq in platform mode and in gateway mode, by IP
# address and by an IPX address that a route table of its own sends to the
# same printer, and compares the values; prints the lists' summaries and
# exits non-zero when they differ.
#   mibq_gateway_matches_platform.sh MIBQ ADDRESS PORT ROOT [COMMUNITY]
set -euo pipefail
mibq=$1 address=$2 port=$3 root=$4 community=${5:-vestry}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ipx=1A:00A0C9123456
printf '# mibq test\n%s = %s\n' "$ipx" "$address" >"$work/routes"
export LUMET_SNMP_PORT=$port LUMET_KESTREL_ROUTES=$work/routes

run() {  # name, mode, address
  "$mibq" -c "$community" -m "$2" "$3" walk "$root" >"$work/$1" || { echo "mibq -m $2 $3 failed:" >&2; cat "$work/$1" >&2; exit 1; }
  tail -1 "$work/$1"
  sed -i '$d' "$work/$1"
}
run platform platform "$address"
run gateway gateway "$address"
run ipx gateway "$ipx"
[ -s "$work/platform" ] || { echo "the walk found nothing" >&2; exit 1; }
diff -u "$work/platform" "$work/gateway"
diff -u "$work/platform" "$work/ipx"
echo "gateway by IP and by IPX: $(wc -l <"$work/platform") values, the same as the platform library's"
