#!/usr/bin/env python3
"""Soak of device loss, run by hand: the headless engine captures from a pseudo-terminal reached
through a link (as /dev/serial/by-id/... leads to a USB adapter) at RATE records/s, and CYCLES times
the device side hangs up and a new pseudo-terminal appears behind the link. At the end every record
sent while the device was there must be in the log exactly once and in order, and the engine's
memory must not have grown. Prints the memory and the CPU used while the device was away.

The link exists only while the device does, as udev keeps /dev/serial/by-id/: a link left pointing
at the old /dev/pts/N would lead the engine to whatever pseudo-terminal another program opens next
under that number, and records written meanwhile to our new one would wait there unread, mangled by
its line discipline (CR turned into LF) until the engine set it raw.

--churn has other pseudo-terminals opened and closed all along, as tests do on a busy machine.

Usage: bench/device_loss_soak.py [--build DIR] [--minutes 60] [--cycles 20] [--rate 1000] [--churn]
"""
import argparse
import os
import pty
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

from bench_support import cpu_ns, rss_kib, wait_for

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build/release")
    ap.add_argument("--minutes", type=float, default=60)
    ap.add_argument("--cycles", type=int, default=20)
    ap.add_argument("--rate", type=int, default=1000)
    ap.add_argument("--churn", action="store_true")
    args = ap.parse_args()
    if args.churn:
        threading.Thread(target=churn_ptys, daemon=True).start()
    quorvane = os.path.join(os.path.abspath(args.build), "src/app/quorvane")
    work = tempfile.mkdtemp()
    link = os.path.join(work, "usb-Soak_0001-if00-port0")
    log = os.path.join(work, "e2e.log")
    err = open(os.path.join(work, "stderr.txt"), "w+")
    env = dict(os.environ, XDG_CONFIG_HOME=work)
    env.pop("DISPLAY", None)

    master, path = new_device()
    os.symlink(path, link)
    engine = subprocess.Popen([quorvane, "--headless", os.path.join(HERE, "data/e2e.QV3"), "--device", link],
                              cwd=work, env=env, stdout=subprocess.DEVNULL, stderr=err)
    said = lambda: open(err.name).read()
    wait_for(lambda: "Quorvane - COM1" in said(), 20, "the port to open")
    check_holds(engine.pid, path)

    segment = args.minutes * 60 / args.cycles
    sent = []
    number = 0
    rss = [rss_kib(engine.pid)]
    away_cpu = []
    try:
        for cycle in range(args.cycles):
            start = time.monotonic()
            start_count = len(sent)
            batch = max(1, args.rate // 10)
            while time.monotonic() - start < segment:
                data = b"".join(b"ST,%08d,  %7.3f\r\n" % (number + i, (number + i) % 9973 / 7.0)
                                for i in range(batch))
                number += batch
                view = memoryview(data)
                while view:
                    view = view[os.write(master, view):]
                sent.append(data)
                # Paced against the segment's start, so the rate holds whatever the writes cost.
                time.sleep(max(0.0, start + len(sent_in_segment(sent, start_count)) * batch / args.rate
                               - time.monotonic()))
            total = sum(len(s) for s in sent)
            wait_for(lambda: os.path.exists(log) and os.path.getsize(log) >= total, 60, "the log")
            os.write(master, b"ST,cut")  # a record the hang-up cuts off
            time.sleep(0.1)
            os.close(master)
            os.remove(link)
            wait_for(lambda: said().count("Disconnected.") == cycle + 1, 20, "the loss to be reported")
            before = cpu_ns(engine.pid)
            time.sleep(2)
            away_cpu.append((cpu_ns(engine.pid) - before) / 2e9 * 100)
            master, path = new_device()
            os.symlink(path, link)
            wait_for(lambda: said().count("Reconnected.") == cycle + 1, 20, "the reconnect")
            check_holds(engine.pid, path)
            rss.append(rss_kib(engine.pid))
            print(f"cycle {cycle + 1}/{args.cycles}: {number} records sent, VmRSS {rss[-1]} KiB, "
                  f"CPU while away {away_cpu[-1]:.2f}%", flush=True)
    finally:
        engine.send_signal(signal.SIGTERM)
        status = engine.wait(30)
    expected = b"".join(sent)
    logged = open(log, "rb").read()
    ok = logged == expected and status == 0
    print(f"records sent {number}, log {'matches' if logged == expected else 'DIFFERS'} "
          f"({len(logged)} of {len(expected)} bytes), exit status {status}")
    print(f"VmRSS KiB first {rss[0]}, after the first cycle {rss[1] if len(rss) > 1 else '-'}, last {rss[-1]}, "
          f"max {max(rss)}; CPU while away max {max(away_cpu) if away_cpu else 0:.2f}%")
    if ok:
        shutil.rmtree(work)
    else:
        print(f"kept {work} for inspection")
    return 0 if ok else 1


def sent_in_segment(sent, start_count):
    return sent[start_count:]


def check_holds(pid, path):
    """Stops the soak when the engine is not reading the pseudo-terminal the records go to."""
    fds = f"/proc/{pid}/fd"
    held = set()
    for fd in os.listdir(fds):
        try:
            held.add(os.readlink(os.path.join(fds, fd)))
        except OSError:
            pass
    if path not in held:
        sys.exit(f"soak: the engine does not hold {path}; it holds {sorted(h for h in held if h.startswith('/dev/'))}")


def churn_ptys():
    """Pseudo-terminals of other programs, each with its slave closed, each kept for a second."""
    held = []
    while True:
        master, slave = pty.openpty()
        os.close(slave)
        held.append((time.monotonic(), master))
        while time.monotonic() - held[0][0] > 1.0:
            os.close(held.pop(0)[1])
        time.sleep(0.05)


def new_device():
    """A pseudo-terminal: its master, and the slave's path for the engine to open."""
    master, slave = pty.openpty()
    path = os.ttyname(slave)
    os.close(slave)
    return master, path


if __name__ == "__main__":
    try:
        sys.exit(main())
    except TimeoutError as e:
        sys.exit(f"soak: {e}")
