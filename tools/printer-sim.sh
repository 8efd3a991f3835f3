#!/usr/bin/env bash
# Simulated printers: one snmpsimd serving every device of a list, each on
# its own loopback address, for the tests and the demo.
#
#   printer-sim.sh start [options]   start and wait until every device answers
#   printer-sim.sh stop [options]    stop the simulator of that state folder
#   printer-sim.sh status [options]  list the devices and whether they answer
#
# Options:
#   --port N          UDP port of every device (default 16161; never 161 in tests)
#   --state DIR       folder for the simulator's files (default build/printer-sim)
#   --list FILE       device list (default tests/data/printers/printers.list);
#                     data files are found beside it
#   --net A.B.C       the first three parts of the addresses (default 127.0.0);
#                     a device's host number completes its address
#   --communities "C..."  communities every device answers (default "vestry public")
#   --log             let snmpsimd log every request to STATE/snmpsimd.log
#
# snmpsimd picks a device's data by the community and by the endpoint the
# request arrived at: a community's data files live in a folder named after
# the community's MD5 hash, one file per endpoint ("1.3.6.1.6.1.1.N", N the
# endpoint's position). A plain "<community>.snmprec" registers the
# community itself and answers nowhere else. Writable objects keep what is
# set until the simulator stops.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

cmd=${1:-}
[ -n "$cmd" ] && shift || true
port=16161
state=$root/build/printer-sim
list=$root/tests/data/printers/printers.list
net=127.0.0
communities="vestry public"
log=0
while [ $# -gt 0 ]; do
  case $1 in
    --port) port=$2; shift 2 ;;
    --state) state=$2; shift 2 ;;
    --list) list=$2; shift 2 ;;
    --net) net=$2; shift 2 ;;
    --communities) communities=$2; shift 2 ;;
    --log) log=1; shift ;;
    *) echo "printer-sim: unknown option $1" >&2; exit 2 ;;
  esac
done
case $cmd in start|stop|status) ;; *)
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2 ;;
esac

mkdir -p "$state"
state=$(cd "$state" && pwd)
list=$(cd "$(dirname "$list")" && pwd)/$(basename "$list")
pidfile=$state/snmpsimd.pid

# host number and data file of every device, in list order
devices() { grep -v '^[[:space:]]*\(#\|$\)' "$list" | awk '{print $1, $2}'; }

answers() {  # address
  snmpget -v1 -c "${communities%% *}" -t 0.5 -r 0 -Oqv "$1:$port" 1.3.6.1.2.1.1.1.0 >/dev/null 2>&1
}

# shellcheck source=lib-process.sh
. "$root/tools/lib-process.sh"
stop() {
  stop_pidfile "$pidfile"
  if [ -r "$state/runtime" ]; then
    case $(cat "$state/runtime") in
      /tmp/lumet-printer-sim.*) rm -rf "$(cat "$state/runtime")" ;;
    esac
    rm -f "$state/runtime"
  fi
}

case $cmd in
stop)
  stop
  exit 0 ;;
status)
  while read -r host file; do
    if answers "$net.$host"; then s=answers; else s="no answer"; fi
    printf '%-16s %-22s %s\n' "$net.$host:$port" "$file" "$s"
  done < <(devices)
  exit 0 ;;
esac

command -v snmpsimd >/dev/null || { echo "printer-sim: snmpsimd not found (Debian package snmpsim)" >&2; exit 1; }
command -v snmpget >/dev/null || { echo "printer-sim: snmpget not found (Debian package snmp)" >&2; exit 1; }
stop   # an earlier run of this state folder

# snmpsimd refuses to run as root. Run as root, it drops to nobody, who may
# not be able to reach a state folder or data files below a private home
# (a clone under /root, say): then its files go to a folder of their own
# under /tmp, open to nobody, which stop removes again.
runtime=$state
if [ "$(id -u)" -eq 0 ]; then
  runtime=$(mktemp -d /tmp/lumet-printer-sim.XXXXXX) || exit 1
  chmod 755 "$runtime"
  echo "$runtime" >"$state/runtime"
fi
data=$runtime/data
cache=$runtime/cache
rm -rf "$data" "$cache"
mkdir -p "$data" "$cache"
endpoints=()
n=0
while read -r host file; do
  src=$(dirname "$list")/$file
  [ -r "$src" ] || { echo "printer-sim: no data file $src" >&2; exit 1; }
  for c in $communities; do
    hash=$(printf '%s' "$c" | md5sum | cut -c1-32)
    mkdir -p "$data/$hash"
    cp "$src" "$data/$hash/1.3.6.1.6.1.1.$n.snmprec"
  done
  endpoints+=("--agent-udpv4-endpoint=$net.$host:$port")
  n=$((n + 1))
done < <(devices)
[ $n -gt 0 ] || { echo "printer-sim: no devices in $list" >&2; exit 1; }
for c in $communities; do
  printf '1.3.6.1.2.1.1.1.0|4|no simulated device at this address\n' >"$data/$c.snmprec"
done

args=(--data-dir="$data" --cache-dir="$cache" "${endpoints[@]}")
if [ "$(id -u)" -eq 0 ]; then
  args+=(--process-user=nobody --process-group=nogroup)
  chmod 777 "$cache"
  chmod -R a+rX "$data"
fi
if [ "$log" -eq 1 ]; then args+=(--logging-method=stderr); else args+=(--logging-method=null); fi

# Own session, no inherited descriptors: a caller such as ctest waits for
# its output pipes to close.
setsid snmpsimd "${args[@]}" </dev/null >"$state/snmpsimd.log" 2>&1 &
echo $! >"$pidfile"

deadline=$((SECONDS + 60))
while read -r host file; do
  until answers "$net.$host"; do
    if ! kill -0 "$(cat "$pidfile")" 2>/dev/null; then
      echo "printer-sim: snmpsimd ended; its log:" >&2
      tail -20 "$state/snmpsimd.log" >&2
      rm -f "$pidfile"
      exit 1
    fi
    if [ $SECONDS -ge $deadline ]; then
      echo "printer-sim: $net.$host:$port ($file) does not answer" >&2
      stop
      exit 1
    fi
    sleep 0.2
  done
done < <(devices)
echo "printer-sim: $n devices on $net.x:$port (state $state)"
