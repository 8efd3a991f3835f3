#!/usr/bin/env bash
# Test fixture: the real agents the SNMP tests talk to, on one port of their
# own (never 161): the simulated printers of tools/printer-sim.sh, and
# net-snmp's snmpd at 127.0.0.30 with the communities "vestry" (read) and
# "public" (read-write; sysName, sysContact and sysLocation are writable).
#
#   agents.sh start STATE PORT
#   agents.sh stop STATE
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cmd=${1:?usage: agents.sh start|stop STATE [PORT]}
state=${2:?usage: agents.sh start|stop STATE [PORT]}
mkdir -p "$state"
state=$(cd "$state" && pwd)
snmpd_addr=127.0.0.30

# shellcheck source=../../tools/lib-process.sh
. "$root/tools/lib-process.sh"
stop_snmpd() { stop_pidfile "$state/snmpd.pid"; }

case $cmd in
stop)
  # Both take a second or two to end: stop them side by side.
  stop_snmpd &
  "$root/tools/printer-sim.sh" stop --state "$state/printers"
  wait
  ;;
start)
  port=${3:?usage: agents.sh start STATE PORT}
  stop_snmpd
  "$root/tools/printer-sim.sh" start --state "$state/printers" --port "$port"
  mkdir -p "$state/snmpd"
  cat >"$state/snmpd/snmpd.conf" <<CONF
agentaddress udp:$snmpd_addr:$port
rocommunity vestry 127.0.0.0/8
rwcommunity public 127.0.0.0/8
sysServices 72
CONF
  # -C: no configuration but ours; the persistent folder keeps snmpd away
  # from the system's. snmpd stays in the foreground of its own session.
  SNMP_PERSISTENT_DIR="$state/snmpd" MIBS="" setsid /usr/sbin/snmpd -f -C -c "$state/snmpd/snmpd.conf" \
    -Lf "$state/snmpd/snmpd.log" </dev/null >/dev/null 2>&1 &
  echo $! >"$state/snmpd.pid"
  deadline=$((SECONDS + 20))
  until MIBS="" snmpget -v1 -c vestry -t 0.3 -r 0 "$snmpd_addr:$port" 1.3.6.1.2.1.1.1.0 >/dev/null 2>&1; do
    if ! kill -0 "$(cat "$state/snmpd.pid")" 2>/dev/null || [ $SECONDS -ge $deadline ]; then
      echo "agents: snmpd does not answer at $snmpd_addr:$port; its log:" >&2
      tail -20 "$state/snmpd/snmpd.log" >&2 || true
      stop_snmpd
      "$root/tools/printer-sim.sh" stop --state "$state/printers"
      exit 1
    fi
    sleep 0.2
  done
  echo "agents: snmpd at $snmpd_addr:$port"
  ;;
*)
  echo "usage: agents.sh start|stop STATE [PORT]" >&2
  exit 2 ;;
esac
