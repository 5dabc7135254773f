#!/usr/bin/env bash
# Keystroke output speed, run by hand: characters per second that the headless engine types into an
# xterm at KeystrokeDelay 0 (records from a pseudo-terminal, XTest through our injector), beside
# `xdotool type --delay 0` of the same text into the same kind of xterm in the same run. Both must
# arrive complete; the figures count every character including the line ends.
# Needs Xvfb, matchbox-window-manager, xterm and xdotool.
# Usage: bench/keystroke_bench.sh [BUILD_DIR] [LINES]   (defaults: build/release 200)
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
lines=${2:-200}
quorvane=$build/src/app/quorvane
config=$(cd "$(dirname "$0")" && pwd)/data/keystroke.QV3
work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT
for p in "$quorvane"; do [ -x "$p" ] || { echo "build first: $p"; exit 1; }; done
for p in Xvfb matchbox-window-manager xterm xdotool; do command -v $p >/dev/null || { echo "$p is not installed"; exit 1; }; done

# Lines of 60 characters: both letter cases (Shift for half of them), digits, blanks; no comma
# (the field delimiter of the configuration).
python3 - "$work" "$lines" <<'PY'
import sys
work, n = sys.argv[1], int(sys.argv[2])
alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 "
text = "".join("".join(alphabet[(i * 7 + j * 13) % len(alphabet)] for j in range(60)) + "\n" for i in range(n))
open(f"{work}/text.txt", "w").write(text)
open(f"{work}/stream.txt", "wb").write(text.replace("\n", "\r\n").encode())
PY
chars=$(stat -c %s "$work/text.txt")

exec 3< <(Xvfb -displayfd 1 -nolisten tcp -screen 0 1024x768x24 2>/dev/null)
pids+=($!)
read -r number <&3
export DISPLAY=:$number
matchbox-window-manager -use_titlebar no 2>/dev/null &
pids+=($!)
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window; do sleep 0.01; done

wait_for_size() { # file size deadline-seconds
  local end=$((SECONDS + $3))
  while [ $SECONDS -lt $end ]; do
    [ -f "$1" ] && [ "$(stat -c %s "$1")" -ge "$2" ] && return 0
    sleep 0.002
  done
  return 1
}
start_terminal() { # title file
  # No echo: the terminal's drawing would otherwise set the pace for both.
  xterm -fn fixed -T "$1" -e sh -c "stty -echo; cat > '$2'" &
  pids+=($!)
  until [ -f "$2" ] && xdotool search --name "^$1\$" >/dev/null 2>&1; do sleep 0.01; done
  xdotool windowactivate --sync "$(xdotool search --name "^$1\$" | head -n1)"
}
now() { date +%s.%N; }

# Our injector: the engine types each record as it is framed.
start_terminal "Bench Target" "$work/ours.txt"
# The device: a pseudo-terminal that gets the whole stream at once, once the engine has made it raw
# (bytes written before would pass the terminal's line editing).
python3 - "$work" <<'PY' &
import os, pty, sys, termios, time
work = sys.argv[1]
master, slave = pty.openpty()
os.symlink(os.ttyname(slave), f"{work}/port")
os.close(slave)
while termios.tcgetattr(master)[3] & termios.ICANON:
    time.sleep(0.005)
data = open(f"{work}/stream.txt", "rb").read()
while data:
    data = data[os.write(master, data):]
time.sleep(600)
PY
pids+=($!)
while [ ! -e "$work/port" ]; do sleep 0.01; done
"$quorvane" --headless "$config" --device "$work/port" >/dev/null 2>"$work/err" &
pids+=($!)
# Timed from the first line typed, so the program's start-up is not counted; nor is that line.
first=$(head -n1 "$work/text.txt" | wc -c)
wait_for_size "$work/ours.txt" "$first" 60 || echo "nothing typed!"
start=$(now)
wait_for_size "$work/ours.txt" "$chars" ${OURS_LIMIT:-300} || echo "our output incomplete!"
ours_s=$(echo "$(now) - $start" | bc -l)
if cmp -s "$work/text.txt" "$work/ours.txt"; then ours_same="identical"; else ours_same="DIFFERENT"; fi

# xdotool, the same text into a fresh xterm.
start_terminal "Xdotool Target" "$work/xdotool.txt"
start=$(now)
xdotool type --delay 0 --file "$work/text.txt"
wait_for_size "$work/xdotool.txt" "$chars" 600 || echo "xdotool output incomplete!"
xdo_s=$(echo "$(now) - $start" | bc -l)
if cmp -s "$work/text.txt" "$work/xdotool.txt"; then xdo_same="identical"; else xdo_same="DIFFERENT"; fi

printf 'characters: %d in %d lines\n' "$chars" "$lines"
printf 'quorvane (XTest, delay 0): %8.0f chars/s  (%.2f s, %s)\n' "$(echo "($chars - $first) / $ours_s" | bc -l)" "$ours_s" "$ours_same"
printf 'xdotool type --delay 0:    %8.0f chars/s  (%.2f s, %s)\n' "$(echo "$chars / $xdo_s" | bc -l)" "$xdo_s" "$xdo_same"
printf 'ratio: %.1f\n' "$(echo "($chars - $first) / $ours_s / ($chars / $xdo_s)" | bc -l)"
