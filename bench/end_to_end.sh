#!/usr/bin/env bash
# End-to-end figures of the headless engine in log mode, run by hand on a release build; every
# figure of one run is printed side by side at the end:
#   (b) records/s and MB/s from a pseudo-terminal into a file: `cat`, the engine, and two pyserial
#       scripts (log opened per record; log kept open, each record written unbuffered). The engine
#       runs without a session bus, whatever the desktop has, and once more on a private bus of its
#       own (quorvane_bus: every changed item is then an ItemChanged signal, four per record);
#       and one_write_floor, the kept-open script in C++ with nothing else: about the most a
#       program that writes each record with its own write() reaches on this machine;
#   (l) latency from the write of a record's end byte into the terminal to the record's bytes in
#       the log (p50, p99, max), records sent at 20 per second;
#   (c) CPU and wakeups of one idle engine (schedstat and context switches over the interval);
#   (m) total CPU of 100 idle engines on 100 terminals at once;
#   (d) peak memory (VmHWM) of the engine after the throughput runs.
# Run it on an otherwise idle machine. pyserial (Debian python3-serial) is installed if missing.
# Usage: bench/end_to_end.sh [BUILD_DIR] [RECORDS] [LATENCY_RECORDS] [IDLE_SECONDS] [ENGINES]
#        (defaults: build/release 1000000 10000 60 100)
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
records=${2:-1000000}
latency_records=${3:-10000}
idle_seconds=${4:-60}
engines=${5:-100}
quorvane=$build/src/app/quorvane
sim=$build/tools/sim/quorvane-sim
floor=$build/bench/one_write_floor
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
[ -x "$quorvane" ] && [ -x "$sim" ] && [ -x "$floor" ] || { echo "build the release preset first: $quorvane, $sim, $floor"; exit 1; }
# The engines below find no session bus unless one is given to them.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
bus=""
if command -v dbus-daemon >/dev/null; then
  dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$work/bus.address" 4>"$work/bus.pid"
  bus=$(head -n 1 "$work/bus.address")
  buspid=$(head -n 1 "$work/bus.pid")
  trap 'kill $(jobs -p) $buspid 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
fi
py=/usr/bin/python3 # the system's, where Debian puts pyserial
if ! "$py" -c 'import serial' 2>/dev/null; then
  apt-get install -y python3-serial >/dev/null 2>&1 || sudo apt-get install -y python3-serial >/dev/null
fi

# A configuration whose log holds exactly the bytes the device sent: 3 comma-delimited fields,
# CR end, LF ignored, the delimiters and the LF put back by the postambles. 20 bytes a record.
"$py" - "$work" "$records" <<'PY'
import sys
work, n = sys.argv[1], int(sys.argv[2])
with open(f"{work}/stream.txt", "wb") as f:
    for i in range(n):
        f.write(b"ST,%05d,  %7.3f\r\n" % (i % 100000, (i % 9973) / 7.0))
PY
# The log file name in it is relative: the engine runs in a work folder.
config=$(cd "$(dirname "$0")" && pwd)/data/e2e.QV3
bytes=$(stat -c %s "$work/stream.txt")

# The two scripts a user might write instead: frame on CR, drop LF, log each record at once.
cat >"$work/pyserial_reopen.py" <<'PY'
import sys, serial
port, log = sys.argv[1], sys.argv[2]
s = serial.Serial(port, 9600, timeout=0.05)
pending = b""
while True:
    pending += s.read(max(1, s.in_waiting)).replace(b"\n", b"")
    *done, pending = pending.split(b"\r")
    for record in done:
        with open(log, "ab") as f:
            f.write(record + b"\r\n")
PY
cat >"$work/pyserial_kept.py" <<'PY'
import sys, serial
port, log = sys.argv[1], sys.argv[2]
s = serial.Serial(port, 9600, timeout=0.05)
f = open(log, "ab", buffering=0)
pending = b""
while True:
    pending += s.read(max(1, s.in_waiting)).replace(b"\n", b"")
    *done, pending = pending.split(b"\r")
    for record in done:
        f.write(record + b"\r\n")
PY

wait_for_size() { # file size stall-seconds: gives up once the file has not grown for that long
  local last=-1 size since=$SECONDS
  while [ $((SECONDS - since)) -lt "$3" ]; do
    size=$(stat -c %s "$1" 2>/dev/null || echo 0)
    [ "$size" -ge "$2" ] && return 0
    [ "$size" -ne "$last" ] && { last=$size; since=$SECONDS; }
    sleep 0.002
  done
  return 1
}
now() { date +%s.%N; }

declare -A seconds same hwm
throughput() { # name output-file command...
  local name=$1 out=$2
  shift 2
  rm -f "$work/port"
  "$sim" --replay "$work/stream.txt" --fast --link "$work/port" 2>/dev/null &
  local simpid=$!
  while [ ! -e "$work/port" ]; do sleep 0.01; done
  local start
  start=$(now)
  (cd "$work" && exec "$@" >/dev/null 2>"$work/err.$name") &
  local pid=$!
  if ! wait_for_size "$out" "$bytes" 10; then
    echo "$name: output incomplete (no growth for 10 s); its standard error ends:"
    tail -n 5 "$work/err.$name" | sed 's/^/    /'
  fi
  seconds[$name]=$(echo "$(now) - $start" | bc -l)
  case $name in quorvane*) hwm[$name]=$(grep VmHWM /proc/$pid/status | awk '{print $2, $3}') ;; esac
  kill -TERM $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
  kill -INT $simpid 2>/dev/null || true
  wait $simpid 2>/dev/null || true
  if cmp -s "$work/stream.txt" "$out"; then same[$name]=identical; else same[$name]=DIFFERENT; fi
}
throughput cat "$work/cat.out" sh -c "stty -F '$work/port' raw -echo; exec cat '$work/port' > '$work/cat.out'"
throughput quorvane "$work/e2e.log" "$quorvane" --headless "$config" --device "$work/port"
rm -f "$work/e2e.log"
names="cat quorvane"
if [ -n "$bus" ]; then
  throughput quorvane_bus "$work/e2e.log" env DBUS_SESSION_BUS_ADDRESS="$bus" "$quorvane" --headless "$config" \
    --device "$work/port"
  rm -f "$work/e2e.log"
  names="$names quorvane_bus"
fi
throughput pyserial_reopen "$work/reopen.log" "$py" "$work/pyserial_reopen.py" "$work/port" "$work/reopen.log"
throughput pyserial_kept "$work/kept.log" "$py" "$work/pyserial_kept.py" "$work/port" "$work/kept.log"
throughput one_write_floor "$work/floor.log" "$floor" "$work/port" "$work/floor.log"

# (l) latency: the driver owns the terminal, writes each record with its end byte at a known time
# and watches the log grow by the record.
rm -f "$work/e2e.log"
latency=$("$py" - "$work" "$quorvane" "$config" "$latency_records" <<'PY'
import os, pty, subprocess, sys, termios, time
work, quorvane, config, n = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
master, slave = pty.openpty()
os.symlink(os.ttyname(slave), f"{work}/lport")
os.close(slave)
engine = subprocess.Popen([quorvane, "--headless", config, "--device", f"{work}/lport"], cwd=work,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
while termios.tcgetattr(master)[3] & termios.ICANON:
    time.sleep(0.005)
time.sleep(0.2)
log = f"{work}/e2e.log"
delays = []
size = 0
next_send = time.monotonic()
for i in range(n):
    record = b"ST,%05d,  %7.3f" % (i % 100000, (i % 9973) / 7.0)
    os.write(master, record)
    time.sleep(0.002)
    while time.monotonic() < next_send:
        time.sleep(0.0005)
    start = time.monotonic()
    os.write(master, b"\r")
    size += len(record) + 2
    while True:
        try:
            if os.stat(log).st_size >= size:
                break
        except FileNotFoundError:
            pass
        if time.monotonic() - start > 2:
            break
        time.sleep(0.00005)
    delays.append(time.monotonic() - start)
    os.write(master, b"\n")
    next_send += 0.05
engine.terminate()
engine.wait()
delays.sort()
ms = lambda q: delays[min(len(delays) - 1, int(q * len(delays)))] * 1000
print(f"{ms(0.5):.2f} {ms(0.99):.2f} {delays[-1] * 1000:.2f}")
PY
)

# An idle terminal: a process that holds it open and never writes.
hold_ptys() { # count prefix
  "$py" - "$1" "$2" <<'PY' &
import os, pty, sys, time
n, prefix = int(sys.argv[1]), sys.argv[2]
keep = []
for i in range(n):
    master, slave = pty.openpty()
    os.symlink(os.ttyname(slave), f"{prefix}{i}")
    os.close(slave)
    keep.append(master)
time.sleep(100000)
PY
}
cpu_ns() { awk '{print $1}' /proc/$1/schedstat; }
switches() { awk '/^(non)?voluntary_ctxt_switches/ {s += $2} END {print s}' /proc/$1/status; }

# (c) one idle engine
mkdir "$work/idle"
hold_ptys 1 "$work/idle/port"
while [ ! -e "$work/idle/port0" ]; do sleep 0.01; done
(cd "$work/idle" && exec "$quorvane" --headless "$config" --device "$work/idle/port0" >/dev/null 2>&1) &
qpid=$!
sleep 2
t0=$(cpu_ns $qpid); w0=$(switches $qpid)
sleep "$idle_seconds"
t1=$(cpu_ns $qpid); w1=$(switches $qpid)
kill -TERM $qpid; wait $qpid || true
idle_cpu=$(echo "($t1 - $t0) / ($idle_seconds * 1000000000) * 100" | bc -l)
idle_wakeups=$(echo "($w1 - $w0) / $idle_seconds" | bc -l)

# (m) many idle engines at once
mkdir "$work/many"
hold_ptys "$engines" "$work/many/port"
while [ ! -e "$work/many/port$((engines - 1))" ]; do sleep 0.01; done
pids=()
for ((i = 0; i < engines; i++)); do
  mkdir "$work/many/$i"
  (cd "$work/many/$i" && exec "$quorvane" --headless "$config" --device "$work/many/port$i" >/dev/null 2>&1) &
  pids+=($!)
done
sleep 5
total() { local s=0 p; for p in "${pids[@]}"; do s=$((s + $(cpu_ns $p))); done; echo $s; }
t0=$(total)
sleep "$idle_seconds"
t1=$(total)
kill -TERM "${pids[@]}"; wait "${pids[@]}" 2>/dev/null || true
many_cpu=$(echo "($t1 - $t0) / ($idle_seconds * 1000000000) * 100" | bc -l)

printf '(b) %d records of about 20 bytes (%d bytes), pseudo-terminal to file:\n' "$records" "$bytes"
for name in $names pyserial_reopen pyserial_kept one_write_floor; do
  printf '    %-16s %8.3f s %11.0f records/s %8.2f MB/s  %s\n' "$name" "${seconds[$name]}" \
    "$(echo "$records / ${seconds[$name]}" | bc -l)" "$(echo "$bytes / ${seconds[$name]} / 1000000" | bc -l)" \
    "${same[$name]}"
done
printf '    quorvane / pyserial_kept: %.2f x; quorvane / cat: %.2f; quorvane / one_write_floor: %.2f\n' \
  "$(echo "${seconds[pyserial_kept]} / ${seconds[quorvane]}" | bc -l)" \
  "$(echo "${seconds[cat]} / ${seconds[quorvane]}" | bc -l)" \
  "$(echo "${seconds[one_write_floor]} / ${seconds[quorvane]}" | bc -l)"
printf '    one_write_floor / pyserial_kept: %.2f x (about the most a one-write-a-record log path reaches here)\n' \
  "$(echo "${seconds[pyserial_kept]} / ${seconds[one_write_floor]}" | bc -l)"
read -r p50 p99 pmax <<<"$latency"
printf '(l) latency end byte -> log over %d records at 20/s: p50 %s ms, p99 %s ms, max %s ms\n' \
  "$latency_records" "$p50" "$p99" "$pmax"
printf '(c) one idle engine over %d s: %.4f%% of one core, %.2f wakeups/s\n' "$idle_seconds" "$idle_cpu" "$idle_wakeups"
printf '(m) %d idle engines over %d s: %.3f%% of one core together\n' "$engines" "$idle_seconds" "$many_cpu"
printf '(d) peak memory (VmHWM) after the throughput run: %s' "${hwm[quorvane]}"
[ -n "$bus" ] && printf '; on the bus %s' "${hwm[quorvane_bus]}"
echo
