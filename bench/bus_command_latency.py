#!/usr/bin/python3
"""Bus command round trips, run by hand on a release build: the headless engine in DDE server mode
on a private session bus captures records from a pseudo-terminal (RATE records/s all along) while a
client sends ROUNDS long {SENDDATE(...)} commands (LENGTH characters in all) and ROUNDS short ones
through Execute, one at a time, each timed from the call to its answer. Prints p50, p99 and max of
each kind, what the engine answered, and whether every record sent was counted while the commands
came (the engine kept reading).

Needs the system's python3-dbus (Debian), hence /usr/bin/python3.

Usage: bench/bus_command_latency.py [--build DIR] [--rounds 50] [--length 160000] [--rate 1000]
"""
import argparse
import os
import pty
import shutil
import subprocess
import sys
import tempfile
import threading
import time

import dbus

from bench_support import wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
BUS_NAME = "org.quorvane.dde.quorvane.com1"


def dde_configuration(quorvane, work):
    """bench/data/e2e.QV3 with its output mode set to DDE server (the file's 11th line)."""
    lines = open(os.path.join(HERE, "data/e2e.QV3"), "rb").read().split(b"\r\n")
    lines[10] = b" 1 "
    path = os.path.join(work, "bus.QV3")
    with open(path, "wb") as f:
        f.write(b"\r\n".join(lines))
    dump = subprocess.run([quorvane, "--dump", path], capture_output=True, text=True).stdout
    if "OutputMode=1\n" not in dump:
        sys.exit("bus bench: could not make a DDE server configuration from bench/data/e2e.QV3")
    return path


class Feeder(threading.Thread):
    """Writes RATE records/s into the terminal and drains what the engine sends back."""

    def __init__(self, master, rate):
        super().__init__(daemon=True)
        self.master, self.rate, self.sent, self.stopped = master, rate, 0, threading.Event()

    def run(self):
        os.set_blocking(self.master, False)
        start = time.monotonic()
        batch = max(1, self.rate // 100)
        while not self.stopped.is_set():
            data = b"".join(b"ST,%08d,  %7.3f\r\n" % (self.sent + i, i / 7.0) for i in range(batch))
            view = memoryview(data)
            while view:
                try:
                    view = view[os.write(self.master, view):]
                except BlockingIOError:
                    time.sleep(0.001)
            self.sent += batch
            try:
                while os.read(self.master, 65536):
                    pass
            except (BlockingIOError, OSError):
                pass
            time.sleep(max(0.0, start + self.sent / self.rate - time.monotonic()))


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100 * (len(ordered) - 1))))]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build/release")
    ap.add_argument("--rounds", type=int, default=50)
    ap.add_argument("--length", type=int, default=160000)
    ap.add_argument("--rate", type=int, default=1000)
    args = ap.parse_args()
    quorvane = os.path.join(os.path.abspath(args.build), "src/app/quorvane")
    work = tempfile.mkdtemp()
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                              stdout=subprocess.PIPE, text=True)
    address = daemon.stdout.readline().strip()
    env = dict(os.environ, XDG_CONFIG_HOME=work, DBUS_SESSION_BUS_ADDRESS=address)
    env.pop("DISPLAY", None)
    master, slave = pty.openpty()
    path = os.ttyname(slave)
    os.close(slave)
    err = open(os.path.join(work, "stderr.txt"), "w")
    engine = subprocess.Popen([quorvane, "--headless", "--quiet", dde_configuration(quorvane, work), "--device", path],
                              cwd=work, env=env, stdout=subprocess.DEVNULL, stderr=err)
    feeder = None
    try:
        bus = dbus.bus.BusConnection(address)
        wait_for(lambda: bus.name_has_owner(BUS_NAME), 20, "the engine on the bus")
        server = dbus.Interface(bus.get_object(BUS_NAME, "/org/quorvane/dde"), "org.quorvane.dde.Server")
        feeder = Feeder(master, args.rate)
        feeder.start()
        time.sleep(1)

        picture = "yyyy-mm-dd hh:nn:ss "
        prefix, suffix = "{SENDDATE(", ")}"
        body = args.length - len(prefix) - len(suffix)
        long_command = prefix + (picture * (body // len(picture) + 1))[:body] + suffix
        short_command = "{SENDDATE(hh:nn:ss)}"
        results = {}
        for name, command in (("long", long_command), ("short", short_command)):
            times, answers = [], set()
            for _ in range(args.rounds):
                begin = time.perf_counter()
                answers.add(bool(server.Execute(command)))
                times.append((time.perf_counter() - begin) * 1000)
            results[name] = (len(command), times, answers)

        feeder.stopped.set()
        feeder.join()
        sent = feeder.sent
        counted = lambda: int(server.Request("RecordNumber") or 0)
        end = time.monotonic() + 10
        while counted() < sent and time.monotonic() < end:
            time.sleep(0.05)
        for name, (length, times, answers) in results.items():
            said = "/".join("accepted" if a else "refused" for a in sorted(answers))
            print(f"{name} command ({length} characters, {said}): p50 {percentile(times, 50):.2f} ms, "
                  f"p99 {percentile(times, 99):.2f} ms, max {max(times):.2f} ms over {len(times)} round trips")
        print(f"records sent {sent}, counted by the engine {counted()}")
        ok = counted() == sent
    finally:
        if feeder:
            feeder.stopped.set()
        engine.terminate()
        engine.wait(10)
        daemon.terminate()
        daemon.wait(10)
    if ok:
        shutil.rmtree(work)
    else:
        print(f"kept {work} for inspection")
    return 0 if ok else 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except TimeoutError as e:
        sys.exit(f"bus bench: {e}")
