#!/usr/bin/env bash
# End-to-end figures of the runtime window, run by hand on a release build, on a private Xvfb with
# a window manager and a private session bus:
#   (w) records/s from a pseudo-terminal through the engine into the log file with the window's
#       field boxes and record number updated, beside the headless engine on the same stream in the
#       same run; "identical" means no record was lost;
#   (i) CPU used by the idle window over IDLE seconds.
# Usage: bench/window_end_to_end.sh [BUILD_DIR] [RECORDS] [IDLE]   (defaults: build/release 200000 60)
set -euo pipefail
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] || [ -z "${QUORVANE_BENCH_BUS:-}" ]; then
  QUORVANE_BENCH_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
build=$(cd "${1:-build/release}" && pwd)
records=${2:-200000}
idle=${3:-60}
quorvane=$build/src/app/quorvane
sim=$build/tools/sim/quorvane-sim
[ -x "$quorvane" ] && [ -x "$sim" ] || { echo "build the release preset first: $quorvane, $sim"; exit 1; }
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config

exec 5<> <(:)
Xvfb -displayfd 5 -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
read -r -t 15 number <&5 || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=:$number
matchbox-window-manager -use_titlebar no >/dev/null 2>&1 &
sleep 0.5

# The stream of the headless figures (bench/end_to_end.sh): 3 comma-delimited fields, the log holds
# exactly the bytes sent.
python3 - "$work" "$records" <<'PY'
import sys
work, n = sys.argv[1], int(sys.argv[2])
with open(f"{work}/stream.txt", "wb") as f:
    for i in range(n):
        f.write(b"ST,%05d,  %7.3f\r\n" % (i % 100000, (i % 9973) / 7.0))
PY
config=$(cd "$(dirname "$0")" && pwd)/data/e2e.QV3
bytes=$(stat -c %s "$work/stream.txt")

wait_for_size() { # file size deadline-seconds
  local end=$((SECONDS + $3))
  while [ $SECONDS -lt $end ]; do
    [ -f "$1" ] && [ "$(stat -c %s "$1")" -ge "$2" ] && return 0
    sleep 0.002
  done
  return 1
}

run() { # name, then the quorvane arguments before the configuration
  local name=$1
  shift
  mkdir -p "$work/$name"
  "$sim" --replay "$work/stream.txt" --fast --link "$work/$name/port" 2>/dev/null &
  local simpid=$!
  while [ ! -e "$work/$name/port" ]; do sleep 0.01; done
  local start end
  start=$(date +%s.%N)
  (cd "$work/$name" && exec "$quorvane" "$@" "$config" --device "$work/$name/port" >/dev/null 2>"$work/$name/err") &
  local qpid=$!
  wait_for_size "$work/$name/e2e.log" "$bytes" 300 || echo "$name: log incomplete!"
  end=$(date +%s.%N)
  kill -TERM $qpid; wait $qpid 2>/dev/null || true
  kill -INT $simpid 2>/dev/null || true; wait $simpid 2>/dev/null || true
  local same=DIFFERENT
  cmp -s "$work/stream.txt" "$work/$name/e2e.log" && same=identical
  local seconds
  seconds=$(echo "$end - $start" | bc -l)
  printf '(w) %-8s %d records: %.3f s = %.0f records/s (log %s)\n' "$name" "$records" "$seconds" \
    "$(echo "$records / $seconds" | bc -l)" "$same"
}
run window
run headless --headless

# (i) the idle window: a port on which nothing arrives
"$sim" --profile balance --rate 0.0001 --link "$work/idle-port" 2>/dev/null &
(cd "$work" && exec "$quorvane" "$config" --device "$work/idle-port" >/dev/null 2>&1) &
qpid=$!
sleep 3
# schedstat's first field is the CPU time in nanoseconds; clock ticks are too coarse for this.
cpu_ns() { awk '{print $1}' /proc/$qpid/schedstat; }
t0=$(cpu_ns); sleep "$idle"; t1=$(cpu_ns)
kill -TERM $qpid; wait $qpid 2>/dev/null || true
printf '(i) idle window CPU over %d s: %.1f ms = %.3f%% of one core\n' "$idle" \
  "$(echo "($t1 - $t0) / 1000000" | bc -l)" "$(echo "($t1 - $t0) / ($idle * 10000000)" | bc -l)"
