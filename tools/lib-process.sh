# Sourced by the scripts that start background services for tests and the
# demo. Processes are only ever stopped by the pid their starter recorded,
# never by name, so that nothing else on the machine is touched.

# stop_pidfile FILE: stops the process whose pid FILE holds (TERM, then KILL
# after 5 s) and removes FILE. Nothing when FILE is missing.
stop_pidfile() {
  [ -r "$1" ] || return 0
  local pid
  pid=$(cat "$1")
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  fi
  rm -f "$1"
}
