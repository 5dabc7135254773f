#!/usr/bin/env bash
# The record history and plot windows under load, run by hand on a release build, on a private Xvfb
# with a window manager and a private session bus. RATE records/s of 4 numeric fields for SECONDS,
# written into a pseudo-terminal in 10 ms batches, once with both windows open (opened from the
# runtime window's View menu) and once with them closed:
#   - lost records: the log against the bytes sent, and the runtime window's record number (read
#     over the bus) against the records sent;
#   - the engine's latency: from the write of a batch's last end byte to the log holding it (p50,
#     p99, max over the batches);
#   - the program's CPU over the stream, in % of one core: the whole process (every thread, from
#     /proc/PID/stat) and its main thread, where the engine runs (/proc/PID/schedstat);
#   - the plot's paint time per frame (p50, p99, max; wall time, and the CPU time of the painting
#     thread, which a busy machine does not inflate) and frames per second, windows open only;
#   - a summary of both runs beside the targets.
# Usage: bench/record_windows.sh [BUILD_DIR] [SECONDS] [RATE]   (defaults: build/release 60 5000)
# WINDOWS=h or WINDOWS=p opens only the history or only the plot in the first run.
set -euo pipefail
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] || [ -z "${QUORVANE_BENCH_BUS:-}" ]; then
  QUORVANE_BENCH_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
build=$(cd "${1:-build/release}" && pwd)
seconds=${2:-60}
rate=${3:-5000}
quorvane=$build/src/app/quorvane
dde=$build/tools/dde/quorvane-dde
[ -x "$quorvane" ] && [ -x "$dde" ] || { echo "build the release preset first: $quorvane, $dde"; exit 1; }
command -v xdotool >/dev/null || { echo "xdotool is needed to open the windows from the menu"; exit 1; }
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config

exec 5<> <(:)
Xvfb -displayfd 5 -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
read -r -t 15 number <&5 || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=:$number
matchbox-window-manager -use_titlebar no >/dev/null 2>&1 &
sleep 0.5
bench=$(cd "$(dirname "$0")" && pwd)
config=$bench/data/windows.QV3

run() { # name, windows (1 open, 0 closed)
  mkdir -p "$work/$1"
  python3 - "$work/$1" "$quorvane" "$dde" "$config" "$seconds" "$rate" "$2" "$bench" <<'PY'
import os, pty, subprocess, sys, termios, time
work, quorvane, dde, config, seconds, rate, windows, bench = sys.argv[1:9]
seconds, rate, windows = int(seconds), int(rate), windows == "1"
master, slave = pty.openpty()
os.symlink(os.ttyname(slave), f"{work}/port")
os.close(slave)
env = dict(os.environ, QUORVANE_PAINT_LOG=f"{work}/paint.txt")
program = subprocess.Popen([quorvane, config, "--device", f"{work}/port"], cwd=work, env=env,
                           stdout=subprocess.DEVNULL, stderr=open(f"{work}/err", "w"))
def wait(condition, limit, what):
    end = time.monotonic() + limit
    while not condition():
        if time.monotonic() > end or program.poll() is not None:
            sys.exit(f"{what} did not happen; see {work}/err")
        time.sleep(0.02)
def window(title):
    found = subprocess.run(["xdotool", "search", "--name", f"^{title}$"], capture_output=True, text=True)
    return found.stdout.split()[0] if found.returncode == 0 and found.stdout.split() else None
while termios.tcgetattr(master)[3] & termios.ICANON:
    time.sleep(0.005)
wait(lambda: window("Quorvane - COM1"), 30, "the runtime window")
if windows:
    for key, title in (("h", "Quorvane - COM1 History"), ("p", "Quorvane - COM1 Plot")):
        if key not in os.environ.get("WINDOWS", "hp"):
            continue
        subprocess.run(["xdotool", "windowactivate", "--sync", window("Quorvane - COM1"), "key", "--delay", "150",
                        "alt+v", key], check=True)
        wait(lambda: window(title), 15, title)
time.sleep(1)

log = f"{work}/windows.log"
batch = max(rate // 100, 1)
batches = seconds * rate // batch
sent = []        # (log size after the batch, time its last byte was written)
# The log is watched by a process of its own that inotify wakes at each write: a polling thread
# here would share the interpreter lock with the writer and add its interval to every figure.
watcher = subprocess.Popen([sys.executable, f"{bench}/log_watch.py", log], stdin=subprocess.PIPE,
                           stdout=subprocess.PIPE, text=True)
if watcher.stdout.readline().strip() != "watching":
    sys.exit("the log watcher did not start")
cpu = lambda: int(open(f"/proc/{program.pid}/schedstat").read().split()[0])
tick = os.sysconf("SC_CLK_TCK")
# utime + stime of the thread group, threads that ended included
process_cpu = lambda: sum(map(int, open(f"/proc/{program.pid}/stat").read().rsplit(")", 1)[1].split()[11:13])) / tick
stream = bytearray()
size = 0
cpu0, process0 = cpu(), process_cpu()
start = time.monotonic()
for b in range(batches):
    chunk = b"".join(b"%d,%d.%03d,%d,%.2f\r\n" % (b * batch + i, (b * batch + i) % 977, i * 7 % 1000,
                                                 (b + i) % 50 - 25, ((b * batch + i) % 6283) / 1000.0)
                     for i in range(batch))
    due = start + b * batch / rate
    wait = due - time.monotonic()
    if wait > 0:
        time.sleep(wait)
    os.write(master, chunk)
    size += len(chunk)
    stream += chunk
    sent.append((size, time.monotonic()))
elapsed = time.monotonic() - start
cpu1, process1 = cpu(), process_cpu()
time.sleep(0.5)
grown = [tuple(map(float, line.split())) for line in watcher.communicate(timeout=30)[0].splitlines()]
reached = []
at = 0
for size, written in sent:  # the first time the log was seen to hold each batch
    while at < len(grown) and grown[at][1] < size:
        at += 1
    if at < len(grown):
        reached.append(grown[at][0] - written)
records = batches * batch
number = subprocess.run([dde, "request", "Quorvane", "COM1", "RecordNumber"], capture_output=True, text=True).stdout.strip()
subprocess.run([dde, "exec", "Quorvane", "COM1", "{APPEXIT}"], capture_output=True)
try:
    program.wait(timeout=20)
except subprocess.TimeoutExpired:
    program.kill()
logged = open(log, "rb").read() if os.path.exists(log) else b""
same = logged == bytes(stream)
lost_log = records - logged.count(b"\r\n")
lost_window = records - int(number) if number.isdigit() else records
reached.sort()
ms = lambda q: reached[min(len(reached) - 1, int(q * len(reached)))] * 1000 if reached else float("nan")
print(f"  {records} records in {elapsed:.1f} s ({records / elapsed:.0f}/s); log {'identical' if same else 'DIFFERENT'}; "
      f"record number {number} ({'agrees' if number == str(records) else 'DIFFERS'})")
print(f"  latency to the log over {len(reached)} batches of {batch}: p50 {ms(0.5):.2f} ms, p99 {ms(0.99):.2f} ms, "
      f"max {reached[-1] * 1000 if reached else float('nan'):.2f} ms")
print(f"  CPU of the program: {(process1 - process0) * 100 / elapsed:.1f}% of one core, "
      f"of which its main thread {(cpu1 - cpu0) / 1e7 / elapsed:.1f}%")
result = {"lost_log": lost_log, "lost_window": lost_window, "p50": ms(0.5), "p99": ms(0.99),
          "cpu": (process1 - process0) * 100 / elapsed, "main": (cpu1 - cpu0) / 1e7 / elapsed}
if windows and os.path.exists(f"{work}/paint.txt"):
    lines = [line.split() for line in open(f"{work}/paint.txt") if line.strip()]
    if lines:
        # wall and CPU time of the drawing, then (where logged) the CPU time the engine's thread spent
        for column, what in ((0, "wall"), (1, "CPU"), (2, "engine thread")):
            if any(len(fields) <= column for fields in lines):
                continue
            values = sorted(int(fields[column]) for fields in lines)
            p = lambda q: values[min(len(values) - 1, int(q * len(values)))] / 1000
            print(f"  plot frames: {len(values)} ({len(values) / elapsed:.1f}/s), paint {what} time p50 {p(0.5):.2f} ms, "
                  f"p99 {p(0.99):.2f} ms, max {values[-1] / 1000:.2f} ms")
            result[f"paint_{what}"] = p(0.99)
with open(f"{work}/result", "w") as out:
    out.write(repr(result))
PY
}
echo "(o) both windows open, $rate records/s for $seconds s:"
run open 1
echo "(c) windows closed, the same stream:"
run closed 0
python3 - "$work/open/result" "$work/closed/result" <<'PY'
import ast, sys
o, c = (ast.literal_eval(open(path).read()) for path in sys.argv[1:3])
print("summary (targets: nothing lost, paint p99 < 8 ms, latency p99 < 5 ms and the same open and closed):")
print(f"  records lost, log / runtime window: open {o['lost_log']} / {o['lost_window']}, "
      f"closed {c['lost_log']} / {c['lost_window']}")
print(f"  engine latency p50 / p99: open {o['p50']:.2f} / {o['p99']:.2f} ms, closed {c['p50']:.2f} / {c['p99']:.2f} ms")
print(f"  CPU of the program: open {o['cpu']:.1f}%, closed {c['cpu']:.1f}% of one core; "
      f"its main thread open {o['main']:.1f}%, closed {c['main']:.1f}%")
if "paint_wall" in o:
    print(f"  plot paint p99: {o['paint_wall']:.2f} ms wall, {o['paint_CPU']:.2f} ms CPU"
          + (f"; the engine's thread {o['paint_engine thread']:.2f} ms CPU" if "paint_engine thread" in o else ""))
PY
