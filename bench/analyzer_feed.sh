#!/usr/bin/env bash
# The port analyzer window under a steady stream, run by hand on a release build, offscreen:
# 100 KB/s from a pseudo-terminal (quorvane-sim replaying a file at 1,000,000 baud, 10 bits a byte)
# into the window for SECONDS; prints the event loop latency of the window's process (max and p99
# over a 10 ms probe timer; the aim is under 50 ms throughout), its CPU use, and whether every byte
# reached the window. Exits non-zero when a probe was over 50 ms or a byte was missing.
# Usage: bench/analyzer_feed.sh [BUILD_DIR] [SECONDS]   (defaults: build/release 60)
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
seconds=${2:-60}
feed=$build/bench/analyzer_feed
sim=$build/tools/sim/quorvane-sim
[ -x "$feed" ] && [ -x "$sim" ] || { echo "build the release preset first: $feed, $sim"; exit 1; }
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen

# Records of a balance with a running number, for 1 s of warm-up, the measured time and 2 s more.
python3 - "$work/stream.txt" $(((seconds + 3) * 100000)) <<'PY'
import sys
path, size = sys.argv[1], int(sys.argv[2])
out, i = bytearray(), 0
while len(out) < size:
    out += b"%08d,ST,+%07.2f g\r\n" % (i, (i % 9973) / 7.0)
    i += 1
open(path, "wb").write(out[:size])
PY

"$sim" --replay "$work/stream.txt" --baud 1000000 --link "$work/port" 2>/dev/null &
while [ ! -e "$work/port" ]; do sleep 0.01; done
echo "analyzer window, 100 KB/s for $seconds s ($(nproc) cores; $(cut -d' ' -f1-3 /proc/loadavg) load):"
"$feed" "$work/port" "$work/stream.txt" "$seconds"
