#!/usr/bin/env bash
# Benchmark (not a test): mibq against net-snmp's snmpget -v1 / snmpwalk -v1
# on the same agents, run alternately, medians and our/net-snmp ratios.
#
#   tools/bench-snmp.sh [ROUNDS]
#
# Agents, started here on a port of their own and stopped again: the
# simulated laser printer plus a device with a 5000-row table (snmpsimd),
# and net-snmp's snmpd. mibq comes from build/release (optimised, no
# sanitizers); net-snmp runs without loading MIB files (-m "") and prints
# numeric identifiers (-On), its fastest form.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-7}
port=${LUMET_BENCH_PORT:-16199}
state=$root/build/bench
release=$root/build/release

if [ ! -f "$release/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMET_SANITIZE=OFF >/dev/null
fi
cmake --build "$release" --target mibq >/dev/null
mibq=$release/tools/mibq

# Devices: the laser printer, and a host with 5000 processes (hrSWRunName).
mkdir -p "$state/devices"
ln -sf "$root/tests/data/printers/laser.snmprec" "$state/devices/laser.snmprec"
if [ ! -s "$state/devices/bigtable.snmprec" ]; then
  {
    echo "1.3.6.1.2.1.1.1.0|4|bench host with a large table"
    for i in $(seq 1 5000); do echo "1.3.6.1.2.1.25.4.2.1.2.$i|4|process-$i"; done
  } >"$state/devices/bigtable.snmprec"
fi
printf '11 laser.snmprec\n20 bigtable.snmprec\n' >"$state/devices/bench.list"

cleanup() { "$root/tests/support/agents.sh" stop "$state/agents" >/dev/null 2>&1 || true
            "$root/tools/printer-sim.sh" stop --state "$state/sim" >/dev/null 2>&1 || true; }
trap cleanup EXIT
"$root/tools/printer-sim.sh" start --state "$state/sim" --port "$port" --list "$state/devices/bench.list" >/dev/null
# snmpd from the test fixture; its own simulated printers are not needed,
# so it runs on the next port.
"$root/tests/support/agents.sh" start "$state/agents" $((port + 1)) >/dev/null

get_ids=(1.3.6.1.2.1.1.1.0 1.3.6.1.2.1.1.3.0 1.3.6.1.2.1.1.5.0 1.3.6.1.2.1.25.3.2.1.3.1 1.3.6.1.2.1.25.3.2.1.4.1
         1.3.6.1.2.1.43.5.1.1.4.1 1.3.6.1.2.1.43.5.1.1.8.1 1.3.6.1.2.1.43.10.2.1.2.1.1 1.3.6.1.4.1.32473.1.1.3.1.1.5.0
         1.3.6.1.4.1.32473.1.1.3.1.1.22.0)
snmpd_ids=(1.3.6.1.2.1.1.1.0 1.3.6.1.2.1.1.2.0 1.3.6.1.2.1.1.3.0 1.3.6.1.2.1.1.4.0 1.3.6.1.2.1.1.5.0
           1.3.6.1.2.1.1.6.0 1.3.6.1.2.1.1.7.0 1.3.6.1.2.1.11.1.0 1.3.6.1.2.1.11.2.0 1.3.6.1.2.1.2.1.0)

now_ns() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

# bench NAME ROUNDS -- OUR_COMMAND... -- THEIR_COMMAND...
bench() {
  local name=$1 n=$2; shift 3
  local ours=() theirs=()
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done
  shift
  theirs=("$@")
  # Both must work, and give the same number of values.
  local nOurs nTheirs
  nOurs=$("${ours[@]}" | sed '$d' | wc -l)
  nTheirs=$("${theirs[@]}" | grep -c "^\.")
  local to=() tt=()
  # Alternating, and which one goes first alternates too.
  local i t0 t1 t2
  for i in $(seq "$n"); do
    if [ $((i % 2)) -eq 1 ]; then
      t0=$(now_ns); "${ours[@]}" >/dev/null; t1=$(now_ns); "${theirs[@]}" >/dev/null; t2=$(now_ns)
      to+=($(( (t1 - t0) / 1000 ))); tt+=($(( (t2 - t1) / 1000 )))
    else
      t0=$(now_ns); "${theirs[@]}" >/dev/null; t1=$(now_ns); "${ours[@]}" >/dev/null; t2=$(now_ns)
      tt+=($(( (t1 - t0) / 1000 ))); to+=($(( (t2 - t1) / 1000 )))
    fi
  done
  local mo mt
  mo=$(printf '%s\n' "${to[@]}" | median)
  mt=$(printf '%s\n' "${tt[@]}" | median)
  awk -v name="$name" -v values="$nOurs/$nTheirs" -v mo="$mo" -v mt="$mt" \
    'BEGIN { printf "%-38s %11s %9.1f %9.1f %6.2f\n", name, values, mo / 1000, mt / 1000, mo / mt }'
}

export LUMET_SNMP_PORT=$port
echo "rounds: $rounds (walks: $(( (rounds + 1) / 2 ))), medians in ms"
printf '%-38s %11s %9s %9s %6s\n' "benchmark" "values" "mibq" "net-snmp" "ratio"
bench "get 10 ids, snmpsimd" "$rounds" -- "$mibq" -c vestry 127.0.0.11 get "${get_ids[@]}" -- \
  snmpget -v1 -c vestry -m "" -On "127.0.0.11:$port" "${get_ids[@]}"
bench "walk 5000-row table, snmpsimd" $(( (rounds + 1) / 2 )) -- "$mibq" -c vestry 127.0.0.20 walk 1.3.6.1.2.1.25.4.2.1.2 -- \
  snmpwalk -v1 -c vestry -m "" -On "127.0.0.20:$port" 1.3.6.1.2.1.25.4.2.1.2
export LUMET_SNMP_PORT=$((port + 1))
bench "get 10 ids, snmpd" "$rounds" -- "$mibq" -c vestry 127.0.0.30 get "${snmpd_ids[@]}" -- \
  snmpget -v1 -c vestry -m "" -On "127.0.0.30:$((port + 1))" "${snmpd_ids[@]}"
bench "walk mib-2 (thousands of rows), snmpd" "$rounds" -- "$mibq" -c vestry 127.0.0.30 walk 1.3.6.1.2.1 -- \
  snmpwalk -v1 -c vestry -m "" -On "127.0.0.30:$((port + 1))" 1.3.6.1.2.1
