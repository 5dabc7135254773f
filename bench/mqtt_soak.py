#!/usr/bin/python3
"""Soak of broker crashes, run by hand: headless quorvane instances capture RATE records/s each from
pseudo-terminals and publish to a local mosquitto, which is killed (kill -9) CYCLES times under that
load, stays away DOWN seconds and is started again. The broker saves its state every second and
the subscriber has a persistent QoS 1 session, so what waits for the subscriber outlives a crash;
only a message the broker took in the last instant before the kill and had not yet passed on can
be lost by the broker itself.

After every cycle: Quorvane's VmRSS, the disk queue (file size, and the part still waiting) at the
end of the outage and once drained, and how long draining took. At the end every sequence number
1..N of each instance must have arrived; repeats (delivery is at least once) are counted.

Usage: /usr/bin/python3 bench/mqtt_soak.py [--build build/release] [--cycles 10] [--instances 2]
                                           [--rate 100] [--up 15] [--down 5] [--keep]
"""
import argparse
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time
from collections import defaultdict

from mqtt_bench_support import (Broker, Feed, Subscriber, check_sequences, cpu_seconds, drive, new_pty, rss_kib,
                                start_quorvane, stop, wait_for)


class Feeder(threading.Thread):
    """Writes records to the ptys at `rate` each until stopped."""

    def __init__(self, feeds, rate):
        super().__init__(daemon=True)
        self.feeds, self.rate = feeds, rate
        self.halt = threading.Event()

    def run(self):
        step = max(1, round(self.rate / 10))
        while not self.halt.is_set():
            drive(self.feeds, [f.sent + step for f in self.feeds], self.rate)

    def stop(self):
        self.halt.set()
        self.join()


def queue_bytes(state, instrument):
    """The queue file's size and the bytes in it still waiting for the broker (as of the last time the
    instance wrote down where they start, at most a quarter of a second ago while the broker takes
    records)."""
    path = os.path.join(state, "quorvane", "mqtt", f"{instrument}.queue")
    try:
        size = os.path.getsize(path)
    except OSError:
        return 0, 0
    try:
        with open(path + ".head") as f:
            head = int(f.read().split()[0])
    except (OSError, ValueError, IndexError):
        head = 0
    return size, max(0, size - head)


def subscribe(work, broker, round):
    return Subscriber(work, broker, ["quorvane/+/+/record"], client_id="soak-sub", persistent=True,
                      name=f"soak-sub-{round}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build/release")
    ap.add_argument("--cycles", type=int, default=10)
    ap.add_argument("--instances", type=int, default=2)
    ap.add_argument("--rate", type=float, default=100, help="records/s of each instance")
    ap.add_argument("--up", type=float, default=15, help="seconds between a restart and the next kill")
    ap.add_argument("--down", type=float, default=5, help="seconds the broker stays away")
    ap.add_argument("--keep", action="store_true")
    args = ap.parse_args()
    binary = os.path.join(os.path.abspath(args.build), "src/app/quorvane")
    work = tempfile.mkdtemp(prefix="quorvane-mqtt-soak-")
    state = os.path.join(work, "state")
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "cfg"), XDG_STATE_HOME=state)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    broker = Broker(work, persist=True)
    procs, subs = [], []
    try:
        soak(args, binary, work, env, state, broker, procs, subs)
    finally:
        stop(procs)
        for sub in subs:
            sub.stop()
        broker.stop()
        if args.keep:
            print(f"work folder: {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)


def soak(args, binary, work, env, state, broker, procs, subs):
    broker.start()
    subs.append(subscribe(work, broker, len(subs)))
    names = [f"s{k}" for k in range(args.instances)]
    feeds = []
    for k, name in enumerate(names):
        master, device = new_pty()
        feeds.append(Feed(master))
        procs.append(start_quorvane(binary, device, broker, name, env, os.path.join(work, name)))
    wait_for(lambda: all(os.path.exists(os.path.join(state, "quorvane", "mqtt", f"{n}.queue")) for n in names), 30,
             "the instances")
    sub = subs[-1]

    def arrived_all(counts):
        sub.poll()
        return all(sub.highest.get(n, 0) >= c for n, c in zip(names, counts))

    feeder = Feeder(feeds, args.rate)
    feeder.start()
    print(f"{args.instances} instances x {args.rate:g} records/s; broker killed {args.cycles} times, "
          f"{args.up:g} s up, {args.down:g} s down")
    # Sent: by the restart; arrived (each once) and repeats: once that much had arrived.
    print("cycle     sent  arrived  repeats  VmRSS KiB  queue KiB at restart  queue KiB drained  drain s")
    rss = []
    started = time.monotonic()
    for cycle in range(1, args.cycles + 1):
        time.sleep(args.up)
        broker.stop(signal.SIGKILL)
        # One client id, one connection: the next cycle's subscriber takes the persistent session over.
        subs[-1].stop()
        time.sleep(args.down)
        at_restart = [queue_bytes(state, n) for n in names]
        sent = [f.sent for f in feeds]
        broker.start()
        subs.append(subscribe(work, broker, len(subs)))
        sub = subs[-1]
        restarted = time.monotonic()
        try:
            wait_for(lambda: arrived_all(sent), 120, "the records of the outage")
        except TimeoutError as e:
            print(f"  ({e})")
        drain = time.monotonic() - restarted
        drained = [queue_bytes(state, n) for n in names]
        seen, repeats = summary(subs, names)
        rss.append(max(rss_kib(p.pid) for p in procs))
        print(f"{cycle:>5} {sum(sent):>8} {seen:>8} {repeats:>8} {rss[-1]:>10} "
              f"{sum(w for _, w in at_restart) / 1024:>12,.0f} waiting "
              f"{sum(s for s, _ in drained) / 1024:>10,.0f} file "
              f"{drain:>8.2f}")
    feeder.stop()
    total = [f.sent for f in feeds]
    try:
        wait_for(lambda: arrived_all(total), 120, "the last records")
    except TimeoutError as e:
        print(f"  ({e})")
    time.sleep(1)
    cpu = sum(cpu_seconds(p.pid) for p in procs)
    lost = repeated = backwards = 0
    by_source = messages(subs)
    for name, count in zip(names, total):
        m, r, b = check_sequences(by_source[name], 1, count)
        lost, repeated, backwards = lost + m, repeated + r, backwards + b
    minutes = (time.monotonic() - started) / 60
    print(f"{sum(total)} records in {minutes:.1f} min: missing {lost}, repeated {repeated}, out of order "
          f"{backwards}; VmRSS after the first cycle {rss[0]} KiB, largest {max(rss)}, after the last {rss[-1]}; "
          f"quorvane CPU {1000 * cpu / max(1, sum(total)) * 1000:.1f} ms per 1,000 records")


def messages(subs):
    """The sequence numbers of each instance, in the order they arrived over all subscriber runs."""
    by_source = defaultdict(list)
    for sub in subs:
        for arrival in sub.poll().arrivals:
            if arrival:
                by_source[arrival[0]].append(arrival[1])
    return by_source


def summary(subs, names):
    by_source = messages(subs)
    seen = sum(len(set(by_source[n])) for n in names)
    return seen, sum(len(by_source[n]) for n in names) - seen


if __name__ == "__main__":
    main()
