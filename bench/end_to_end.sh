#!/usr/bin/env bash
# End-to-end figures of the headless engine, run by hand on a release build:
#   (b) records/s from a pseudo-terminal through the engine into the log file (opened, written and
#       closed for every record), beside `cat` of the same stream into a file in the same run;
#   (c) CPU used by an idle headless engine over 60 s (run it on an otherwise idle machine);
#   (d) peak memory (VmHWM) of the engine after the throughput run.
# Usage: bench/end_to_end.sh [BUILD_DIR] [RECORDS]   (defaults: build/release 200000)
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
records=${2:-200000}
quorvane=$build/src/app/quorvane
sim=$build/tools/sim/quorvane-sim
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

# A configuration whose log holds exactly the bytes the device sent: 3 comma-delimited fields,
# CR end, LF ignored, the delimiters and the LF put back by the postambles.
python3 - "$work" "$records" <<'PY'
import sys
work, n = sys.argv[1], int(sys.argv[2])
with open(f"{work}/stream.txt", "wb") as f:
    for i in range(n):
        f.write(b"ST,%05d,  %7.3f\r\n" % (i % 100000, (i % 9973) / 7.0))
PY
[ -x "$quorvane" ] && [ -x "$sim" ] || { echo "build the release preset first: $quorvane, $sim"; exit 1; }
# The log file name in it is relative: the engine runs in the work folder.
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

# (b) the engine
"$sim" --replay "$work/stream.txt" --fast --link "$work/port" 2>/dev/null &
simpid=$!
while [ ! -e "$work/port" ]; do sleep 0.01; done
start=$(date +%s.%N)
(cd "$work" && exec "$quorvane" --headless "$config" --device "$work/port" >/dev/null 2>"$work/err") &
qpid=$!
wait_for_size "$work/e2e.log" "$bytes" 300 || echo "log incomplete!"
end=$(date +%s.%N)
hwm=$(grep VmHWM /proc/$qpid/status | awk '{print $2, $3}')
kill -TERM $qpid; wait $qpid || true
kill -INT $simpid 2>/dev/null || true; wait $simpid 2>/dev/null || true
if cmp -s "$work/stream.txt" "$work/e2e.log"; then same="identical"; else same="DIFFERENT"; fi
engine_s=$(echo "$end - $start" | bc -l)

# (b) cat of the same stream, same pacing source
"$sim" --replay "$work/stream.txt" --fast --link "$work/port2" 2>/dev/null &
simpid=$!
while [ ! -e "$work/port2" ]; do sleep 0.01; done
start=$(date +%s.%N)
( stty -F "$work/port2" raw -echo; exec cat "$work/port2" >"$work/cat.out" ) &
catpid=$!
wait_for_size "$work/cat.out" "$bytes" 300 || echo "cat incomplete!"
end=$(date +%s.%N)
kill $catpid 2>/dev/null || true
kill -INT $simpid 2>/dev/null || true; wait $simpid 2>/dev/null || true
cat_s=$(echo "$end - $start" | bc -l)

printf '(b) %d records, %d bytes: engine %.3f s = %.0f records/s (log %s); cat %.3f s = %.0f records/s\n' \
  "$records" "$bytes" "$engine_s" "$(echo "$records / $engine_s" | bc -l)" "$same" "$cat_s" \
  "$(echo "$records / $cat_s" | bc -l)"
printf '(d) peak memory (VmHWM) after the run: %s\n' "$hwm"

# (c) idle: a port on which nothing arrives
"$sim" --profile balance --rate 0.0001 --link "$work/port3" 2>/dev/null &
simpid=$!
while [ ! -e "$work/port3" ]; do sleep 0.01; done
(cd "$work" && exec "$quorvane" --headless "$config" --device "$work/port3" >/dev/null 2>&1) &
qpid=$!
sleep 2
# schedstat's first field is the CPU time in nanoseconds; clock ticks are too coarse for this.
cpu_ns() { awk '{print $1}' /proc/$qpid/schedstat; }
t0=$(cpu_ns); sleep 60; t1=$(cpu_ns)
kill -TERM $qpid; wait $qpid || true
printf '(c) idle CPU over 60 s: %.1f ms = %.3f%% of one core\n' "$(echo "($t1 - $t0) / 1000000" | bc -l)" \
  "$(echo "($t1 - $t0) / 60000000000 * 100" | bc -l)"
