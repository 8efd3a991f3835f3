#!/usr/bin/env bash
# Walks one subtree with mibq and with net-snmp's snmpwalk -v1 and compares
# them value for value; prints both lists and exits non-zero when they
# differ.
#   mibq_matches_snmpwalk.sh MIBQ ADDRESS PORT ROOT [COMMUNITY]
set -euo pipefail
mibq=$1 address=$2 port=$3 root=$4 community=${5:-vestry}
ours=$(mktemp) theirs=$(mktemp)
trap 'rm -f "$ours" "$theirs"' EXIT

# mibq: "OID TYPE VALUE" lines, then "count=N error=E mode=M".
LUMET_SNMP_PORT=$port "$mibq" -c "$community" "$address" walk "$root" >"$ours.raw"
tail -1 "$ours.raw"
grep -q '^count=[1-9][0-9]* error=0 ' <(tail -1 "$ours.raw") || { echo "mibq walk failed" >&2; exit 1; }
# In net-snmp's numeric quick form: strings quoted, numbers bare.
sed '$d' "$ours.raw" | while IFS=' ' read -r oid type value; do
  case $type in
    typeOctetString) printf '.%s "%s"\n' "$oid" "$value" ;;
    *) printf '.%s %s\n' "$oid" "$value" ;;
  esac
done >"$ours"
rm -f "$ours.raw"
MIBS="" snmpwalk -v1 -c "$community" -Oqnte "$address:$port" "$root" >"$theirs"

echo "mibq: $(wc -l <"$ours") values, snmpwalk: $(wc -l <"$theirs") values"
diff -u "$theirs" "$ours"
