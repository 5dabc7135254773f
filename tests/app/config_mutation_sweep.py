#!/usr/bin/env python3
"""Damaged configuration files against the real program.

Makes COUNT mutants of a configuration file (seeded, so every run makes the same ones: byte flips,
truncations, duplicated and deleted lines, a byte order mark, blanks after the header, converted
line ends) and runs each under --dump, --convert and a short --headless run on a pseudo-terminal.
Every run must end by itself within 5 s without a crash, and every refusal (exit status 1) must say
why on standard error, on a line of its own that names the file.

usage: config_mutation_sweep.py QUORVANE CONFIG [COUNT] [SEED]
./test runs a lean share of the mutants; run it by hand with COUNT 600 for the whole sweep.
"""

import os
import pty
import random
import signal
import subprocess
import sys
import tempfile
import time

TIMEOUT = 5.0
HEADLESS_RUN = 0.3


def lines_of(data):
    return data.splitlines(keepends=True)


def mutate(data, rng):
    kind = rng.randrange(9)
    if kind == 0:  # byte flips
        b = bytearray(data)
        for _ in range(rng.randint(1, 8)):
            b[rng.randrange(len(b))] ^= 1 << rng.randrange(8)
        return "flip", bytes(b)
    if kind == 1:  # any byte replaced by any byte
        b = bytearray(data)
        for _ in range(rng.randint(1, 4)):
            b[rng.randrange(len(b))] = rng.randrange(256)
        return "byte", bytes(b)
    if kind == 2:
        return "truncate", data[: rng.randrange(len(data))]
    if kind == 3:
        lines = lines_of(data)
        i = rng.randrange(len(lines))
        return "duplicate line", b"".join(lines[: i + 1] + lines[i:])
    if kind == 4:
        lines = lines_of(data)
        i = rng.randrange(len(lines))
        return "delete line", b"".join(lines[:i] + lines[i + 1 :])
    if kind == 5:
        return "bom", b"\xef\xbb\xbf" + data
    if kind == 6:
        end = data.index(b"\r\n")
        return "header blanks", data[:end] + b" " * rng.randint(1, 3) + data[end:]
    if kind == 7:
        return "to lf", data.replace(b"\r\n", b"\n")
    return "to cr", data.replace(b"\r\n", b"\r")


def says_why(stderr, path):
    """A refusal names the file and gives a reason after it."""
    for line in stderr.decode("utf-8", "replace").splitlines():
        at = line.find(path + ": ")
        if line.startswith("quorvane: ") and at >= 0 and line[at + len(path) + 2 :].strip():
            return True
    return False


def run(args, stdin=None):
    start = time.monotonic()
    try:
        p = subprocess.run(args, stdin=stdin, capture_output=True, timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return None, b"", time.monotonic() - start
    return p.returncode, p.stderr, time.monotonic() - start


def run_headless(quorvane, path, device, env):
    p = subprocess.Popen([quorvane, "--headless", "--quiet", "--device", device, path],
                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    try:
        _, err = p.communicate(timeout=HEADLESS_RUN)
    except subprocess.TimeoutExpired:
        p.send_signal(signal.SIGTERM)
        try:
            _, err = p.communicate(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            p.kill()
            p.communicate()
            return None, b""
    return p.returncode, err


def main():
    quorvane, config = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 600
    seed = int(sys.argv[4]) if len(sys.argv) > 4 else 25
    original = open(config, "rb").read()
    rng = random.Random(seed)
    failures = []
    refused = {"dump": 0, "convert": 0, "headless": 0}
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, XDG_CONFIG_HOME=tmp, DBUS_SESSION_BUS_ADDRESS="disabled:")
        env.pop("DISPLAY", None)
        master, slave = pty.openpty()
        device = os.ttyname(slave)
        os.close(slave)  # the program must find the device free
        os.set_blocking(master, False)
        for n in range(count):
            kind, data = mutate(original, rng)
            path = os.path.join(tmp, "m%03d.QV3" % n)
            with open(path, "wb") as f:
                f.write(data)
            label = "mutant %d (%s)" % (n, kind)
            for mode, args in (("dump", [quorvane, "--dump", path]),
                               ("convert", [quorvane, "--convert", path, path + ".out"])):
                status, err, _ = run(args, stdin=subprocess.DEVNULL)
                if status is None:
                    failures.append("%s: --%s still running after %.0f s" % (label, mode, TIMEOUT))
                elif status < 0 or status > 2:
                    failures.append("%s: --%s ended with status %d: %s" % (label, mode, status, err[-300:]))
                elif status == 1:
                    refused[mode] += 1
                    if not says_why(err, path):
                        failures.append("%s: --%s refused without a reason: %r" % (label, mode, err[-300:]))
            if mode_headless_wanted(n, count):
                status, err = run_headless(quorvane, path, device, env)
                if status is None:
                    failures.append("%s: --headless did not end %.0f s after SIGTERM" % (label, TIMEOUT))
                elif status < 0 or status > 2:
                    failures.append("%s: --headless ended with status %d: %s" % (label, status, err[-300:]))
                elif status == 1:
                    refused["headless"] += 1
                    if not says_why(err, path) and b"quorvane: " not in err:
                        failures.append("%s: --headless refused without a reason: %r" % (label, err[-300:]))
            while True:  # keep the pseudo-terminal's queue empty
                try:
                    if not os.read(master, 65536):
                        break
                except OSError:
                    break
        os.close(master)
    print("%d mutants; refused: %s" % (count, refused))
    for f in failures:
        print("FAILED:", f)
    return 1 if failures else 0


def mode_headless_wanted(n, count):
    # Headless runs cost a short run each; a third of the mutants go through them.
    return n % 3 == 0


if __name__ == "__main__":
    sys.exit(main())
