#!/usr/bin/python3
"""MQTT fleet bench, run by hand: INSTANCES headless quorvane instances on as many pseudo-terminals
publish to one local mosquitto; a mosquitto_sub stamps every message on arrival into a file that is
read after the run. Beside them, in the same run and each on a pty of its own fed like one instance:
a paho-mqtt Python script (bench/mqtt_fleet_python.py) and mosquitto_pub in a shell loop.

Two phases on the same processes: PACED_RATE records/s in total for PACED_SECONDS, then RECORDS more
per instance as fast as the ptys take them. Each record is "r<i>,<ns>" CR LF, the time it was written
to the pty inside, so latency is from the end byte written to the arrival at the subscriber.
Reported per phase: records/s, every sequence number 1..N of each instance present (repeats counted),
latency p50/p99, CPU per 1,000 records (user + system of the processes; the shell loop with its
mosquitto_pub children).

Usage: /usr/bin/python3 bench/mqtt_fleet.py [--build build/release] [--instances 50] [--records 4000]
                                          [--paced-rate 1000] [--paced-seconds 10] [--shell-records 300] [--keep]
"""
import argparse
import os
import subprocess
import sys
import time
from collections import defaultdict

from mqtt_bench_support import (Broker, Feed, Subscriber, check_sequences, context_switches, cpu_seconds,
                                drive, finish, headless_work, io_calls, new_pty, parse_arrivals, percentile,
                                start_quorvane, wait_for, HERE)

PYTHON = "contender/python"
SHELL = "contender/shell"
PROBE = "contender/probe"


def start_shell(device, broker):
    # Raw, so the CR stays in the line; stdin is the pty itself.
    loop = ("stty raw -echo && echo ready && while IFS=, read -r r t; do "
            f"mosquitto_pub -h 127.0.0.1 -p {broker.port} -q 1 -t {SHELL} -m \"shell ${{r#r}} ${{t%$'\\r'}}\"; "
            "done")
    tty = open(device, "rb+", buffering=0)
    process = subprocess.Popen(["bash", "-c", loop], stdin=tty, stdout=subprocess.PIPE)
    tty.close()
    return process


def start_python(device, broker):
    # The Debian interpreter, whose python3-paho-mqtt the script uses.
    return subprocess.Popen(["/usr/bin/python3", os.path.join(HERE, "mqtt_fleet_python.py"), device, str(broker.port)],
                            stdout=subprocess.PIPE)


class Group:
    """Processes whose records are counted together, and their CPU at the start of a phase."""

    def __init__(self, name, pids, children=False):
        self.name, self.pids, self.children = name, pids, children
        self.mark()

    def cpu(self):
        return sum(cpu_seconds(p, self.children) for p in self.pids)

    def counts(self):
        """Voluntary and involuntary context switches and read/write calls of the processes themselves."""
        switches = [context_switches(p) for p in self.pids]
        return (sum(s[0] for s in switches), sum(s[1] for s in switches), sum(io_calls(p) for p in self.pids))

    def mark(self):
        self.cpu0 = self.cpu()
        self.counts0 = self.counts()

    def used(self):
        return self.cpu() - self.cpu0

    def calls_used(self):
        return tuple(now - then for now, then in zip(self.counts(), self.counts0))


def report(name, arrivals, sources, first, last, started_ns, cpu):
    """One line of figures for `sources`' messages with sequence numbers first..last; the records/s."""
    lat, seqs, end = [], defaultdict(list), started_ns
    for source, seq, sent, arrived in arrivals:
        if source in sources and first <= seq <= last:
            seqs[source].append(seq)
            lat.append((arrived - sent) / 1e6)
            end = max(end, arrived)
    missing = repeated = backwards = 0
    for source in sources:
        m, r, b = check_sequences(seqs[source], first, last)
        missing, repeated, backwards = missing + m, repeated + r, backwards + b
    expected = len(sources) * (last - first + 1)
    got = expected - missing
    rate = got / ((end - started_ns) / 1e9) if end > started_ns else float("nan")
    print(f"  {name:<26} {got:>8,}/{expected:<8,} missing {missing}, repeated {repeated}, out of order "
          f"{backwards}; {rate:>9,.0f} records/s; latency p50 {percentile(lat, .5):8.2f} ms p99 "
          f"{percentile(lat, .99):8.2f} ms; CPU {1000 * cpu / max(got, 1) * 1000:7.1f} ms per 1,000 records")
    return rate, percentile(lat, .99), cpu / max(got, 1), missing


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build/release")
    ap.add_argument("--instances", type=int, default=50)
    ap.add_argument("--records", type=int, default=4000, help="per instance, at full speed")
    ap.add_argument("--paced-rate", type=float, default=1000, help="records/s of all instances together")
    ap.add_argument("--paced-seconds", type=float, default=10)
    ap.add_argument("--shell-records", type=int, default=300, help="at full speed; one process each")
    ap.add_argument("--keep", action="store_true", help="keep the work folder (broker log, arrivals)")
    args = ap.parse_args()
    binary, work, env = headless_work(args.build, "quorvane-mqtt-fleet-")

    started = []
    try:
        run(args, binary, work, env, started)
    finally:
        finish(started, work, args.keep)


def run(args, binary, work, env, started):
    n = args.instances
    broker = Broker(work)
    broker.start()
    started.append(broker.process)
    sub = Subscriber(work, broker, ["quorvane/+/+/record", "quorvane/+/+/status", "contender/#"])
    started.append(sub.process)
    probe = ["mosquitto_pub", "-p", str(broker.port), "-t", PROBE, "-m", "probe 0 0"]
    wait_for(lambda: subprocess.run(probe).returncode == 0 and PROBE in sub.poll().topics, 20, "the subscriber")

    masters, procs = [], []
    for k in range(n):
        master, device = new_pty()
        masters.append(master)
        procs.append(start_quorvane(binary, device, broker, f"i{k}", env, os.path.join(work, f"i{k}")))
        started.append(procs[-1])
    py_master, py_device = new_pty()
    python = start_python(py_device, broker)
    sh_master, sh_device = new_pty()
    shell = start_shell(sh_device, broker)
    started += [python, shell]
    for process in (python, shell):
        if process.stdout.readline().strip() != b"ready":
            sys.exit("mqtt_fleet: a contender did not start")
    wait_for(lambda: sum(t.endswith("/status") for t in sub.poll().topics) >= n, 60, "every instance online")

    feeds = [Feed(m) for m in masters] + [Feed(py_master), Feed(sh_master)]
    quorvane = Group("quorvane", [p.pid for p in procs])
    contenders = [Group("python", [python.pid]), Group("shell", [shell.pid], children=True)]
    others = Group("broker + subscriber", [broker.process.pid, sub.process.pid])
    sources = [f"i{k}" for k in range(n)]

    per_feed = args.paced_rate / n
    paced = max(1, round(per_feed * args.paced_seconds))
    phases = [(f"{args.paced_rate:,.0f} records/s in total ({per_feed:g}/s each)", per_feed,
               [paced] * (n + 2)),
              ("full speed", 0, [paced + args.records] * (n + 1) + [paced + args.shell_records])]
    print(f"{n} instances, one broker, one subscriber; {os.cpu_count()} CPUs; {binary}")
    results = []
    first = 1
    for title, rate, targets in phases:
        for group in [quorvane, others] + contenders:
            group.mark()
        phase_start = time.time_ns()
        drive(feeds, targets, rate)
        last, last_shell = targets[0], targets[-1]

        try:
            wait_for(lambda: all(sub.poll().highest.get(s, 0) >= last for s in sources + [PYTHON]), 300,
                     "the records")
            wait_for(lambda: sub.poll().highest.get(SHELL, 0) >= last_shell, 120, "the shell loop's records")
        except TimeoutError as e:
            print(f"  ({e})")
        time.sleep(0.5)  # repeats after the last, if any
        arrivals = [a for a in sub.poll().arrivals if a]
        print(f"{title}:")
        q = report(f"quorvane x{n}", arrivals, sources, first, last, phase_start, quorvane.used())
        voluntary, involuntary, calls = quorvane.calls_used()
        records = n * (last - first + 1)
        print(f"  {'':<26} per record: {voluntary / records:.3f} wake-ups, {involuntary / records:.3f} preemptions, "
              f"{calls / records:.2f} read/write calls")
        p = report("python paho script", arrivals, [PYTHON], first, last, phase_start, contenders[0].used())
        s = report("shell + mosquitto_pub", arrivals, [SHELL], first, last_shell, phase_start, contenders[1].used())
        print(f"  {'broker + subscriber':<26} CPU {others.used():.2f} s")
        results.append((q, p, s))
        first = last + 1

    (q1, _, _), (q2, p2, _) = results
    print("targets:")
    print(f"  >= 50,000 records/s in total at full speed: {q2[0]:,.0f} {'yes' if q2[0] >= 50000 else 'NO'}")
    print(f"  p99 < 10 ms at {args.paced_rate:,.0f} records/s: {q1[1]:.2f} ms {'yes' if q1[1] < 10 else 'NO'}")
    print(f"  nothing lost: {'yes' if q1[3] == 0 and q2[3] == 0 else 'NO'}")
    # One writer feeds every pty alike, so in one run a process's records/s is the writer's pace, not
    # what it could do: CPU per record is what tells them apart.
    print(f"  >= 10x the Python script: all instances {q2[0] / p2[0]:.1f}x its records/s; CPU per record "
          f"{1e6 * p2[2]:.1f} us against {1e6 * q2[2]:.1f} us, {p2[2] / q2[2]:.2f}x")



if __name__ == "__main__":
    main()
