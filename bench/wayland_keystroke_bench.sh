#!/usr/bin/env bash
# Keystroke output speed on Wayland, run by hand: characters per second that the headless engine
# types through the compositor's virtual keyboard into a foot terminal at KeystrokeDelay 0 (records
# from a pseudo-terminal), beside `wtype` of the same text into another foot in the same run, on a
# private headless sway. Both must arrive complete and exact; the figures count every character
# including the line ends. wtype runs while the engine's keyboard is still on the seat: a seat
# without a keyboard loses the first keys of each new one (the engine waits for that; wtype does not).
# Needs sway, foot, wtype and setpriv (sway refuses root: it runs as nobody).
# Usage: bench/wayland_keystroke_bench.sh [BUILD_DIR] [LINES] [WTYPE_LINES]
#        (defaults: build/release 2000 200; wtype is timed on its own smaller share)
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
lines=${2:-2000}
wtype_lines=${3:-200}
quorvane=$build/src/app/quorvane
config=$(cd "$(dirname "$0")" && pwd)/data/keystroke.QV3
work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT
[ -x "$quorvane" ] || { echo "build first: $quorvane"; exit 1; }
for p in sway foot wtype setpriv; do command -v $p >/dev/null || { echo "$p is not installed"; exit 1; }; done

# Lines of 60 characters: both letter cases (Shift for half of them), digits, blanks; no comma
# (the field delimiter of the configuration).
python3 - "$work" "$lines" "$wtype_lines" <<'PY'
import sys
work, n, w = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 "
line = lambda i: "".join(alphabet[(i * 7 + j * 13) % len(alphabet)] for j in range(60)) + "\n"
text = "".join(line(i) for i in range(n))
open(f"{work}/text.txt", "w").write(text)
open(f"{work}/stream.txt", "wb").write(text.replace("\n", "\r\n").encode())
open(f"{work}/wtype.txt", "w").write("".join(line(i) for i in range(w)))
PY
chars=$(stat -c %s "$work/text.txt")
wtype_chars=$(stat -c %s "$work/wtype.txt")

mkdir -m 700 "$work/runtime"
printf 'xwayland disable\noutput HEADLESS-1 resolution 1024x768\n' >"$work/runtime/config"
chown -R nobody:nogroup "$work/runtime"
env -i PATH="$PATH" HOME="$work/runtime" XDG_RUNTIME_DIR="$work/runtime" WLR_BACKENDS=headless \
  WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  setpriv --reuid=nobody --regid=nogroup --clear-groups sway -c "$work/runtime/config" >/dev/null 2>"$work/sway.log" &
pids+=($!)
until ls "$work/runtime" | grep -q '^wayland-[0-9]*$'; do sleep 0.01; done
export XDG_RUNTIME_DIR=$work/runtime
WAYLAND_DISPLAY=$(ls "$work/runtime" | grep '^wayland-[0-9]*$' | head -n1)
export WAYLAND_DISPLAY
unset DISPLAY

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
  foot -T "$1" sh -c "stty -echo; cat > '$2'" >/dev/null 2>"$2.foot.log" &
  pids+=($!)
  until [ -f "$2" ]; do sleep 0.01; done
  sleep 0.2 # the new window takes the focus once it is mapped
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
wait_for_size "$work/ours.txt" "$first" 60 || { echo "nothing typed!"; cat "$work/err"; }
start=$(now)
wait_for_size "$work/ours.txt" "$chars" ${OURS_LIMIT:-300} || echo "our output incomplete!"
ours_s=$(echo "$(now) - $start" | bc -l)
if cmp -s "$work/text.txt" "$work/ours.txt"; then ours_same="identical"; else ours_same="DIFFERENT"; fi

# wtype, its share of the text into a fresh foot, while the engine's keyboard is still there.
start_terminal "Wtype Target" "$work/wtyped.txt"
start=$(now)
# One call for the whole share (its line ends type Return), the last line end after it.
wtype "$(<"$work/wtype.txt")"
wtype -k Return
wait_for_size "$work/wtyped.txt" "$wtype_chars" 600 || echo "wtype output incomplete!"
wtype_s=$(echo "$(now) - $start" | bc -l)
if cmp -s "$work/wtype.txt" "$work/wtyped.txt"; then wtype_same="identical"; else wtype_same="DIFFERENT"; fi

printf 'characters: %d in %d lines (wtype: %d in %d lines)\n' "$chars" "$lines" "$wtype_chars" "$wtype_lines"
printf 'quorvane (virtual keyboard, delay 0): %8.0f chars/s  (%.2f s, %s)\n' "$(echo "($chars - $first) / $ours_s" | bc -l)" "$ours_s" "$ours_same"
printf 'wtype, one call:                       %8.0f chars/s  (%.2f s, %s)\n' "$(echo "$wtype_chars / $wtype_s" | bc -l)" "$wtype_s" "$wtype_same"
printf 'ratio: %.1f\n' "$(echo "($chars - $first) / $ours_s / ($wtype_chars / $wtype_s)" | bc -l)"
