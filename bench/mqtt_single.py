#!/usr/bin/python3
"""One publisher alone at full speed, run by hand: a headless quorvane instance, or the paho-mqtt
Python script of the fleet bench, reads RECORDS records from one pseudo-terminal as fast as it takes
them and publishes each to a local mosquitto, where a mosquitto_sub stamps them. Reported: records/s,
every sequence number present, CPU per record of the publisher (user + system, all its threads) and
of the broker and subscriber, and the publisher's context switches and read/write calls per record.

Usage: /usr/bin/python3 bench/mqtt_single.py [--build build/release] [--who quorvane|python]
                                            [--records 50000] [--keep]
"""
import argparse
import os
import subprocess
import sys
import time

from mqtt_bench_support import (Broker, Feed, Subscriber, check_sequences, context_switches, cpu_seconds,
                                drive, finish, headless_work, io_calls, new_pty, start_quorvane, wait_for, HERE)

PYTHON = "contender/python"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build/release")
    ap.add_argument("--who", choices=["quorvane", "python"], default="quorvane")
    ap.add_argument("--records", type=int, default=50000)
    ap.add_argument("--keep", action="store_true", help="keep the work folder (broker log, arrivals)")
    args = ap.parse_args()
    binary, work, env = headless_work(args.build, "quorvane-mqtt-single-")
    started = []
    try:
        broker = Broker(work)
        broker.start()
        started.append(broker.process)
        source = "i0" if args.who == "quorvane" else PYTHON
        sub = Subscriber(work, broker, ["quorvane/+/+/record", "quorvane/+/+/status", "contender/#"])
        started.append(sub.process)
        master, device = new_pty()
        if args.who == "quorvane":
            process = start_quorvane(binary, device, broker, source, env, os.path.join(work, source))
            started.append(process)
            wait_for(lambda: any(t.endswith("/status") for t in sub.poll().topics), 30, "the instance online")
        else:
            process = subprocess.Popen(
                ["/usr/bin/python3", os.path.join(HERE, "mqtt_fleet_python.py"), device, str(broker.port)],
                stdout=subprocess.PIPE)
            started.append(process)
            if process.stdout.readline().strip() != b"ready":
                sys.exit("mqtt_single: the script did not start")
        time.sleep(0.5)
        cpu0, others0 = cpu_seconds(process.pid), cpu_seconds(broker.process.pid) + cpu_seconds(sub.process.pid)
        switches0, calls0 = context_switches(process.pid), io_calls(process.pid)
        start = time.monotonic()
        drive([Feed(master)], [args.records], 0)
        wait_for(lambda: sub.poll().highest.get(source, 0) >= args.records, 300, "the records")
        seconds = time.monotonic() - start
        cpu = cpu_seconds(process.pid) - cpu0
        others = cpu_seconds(broker.process.pid) + cpu_seconds(sub.process.pid) - others0
        switches = sum(context_switches(process.pid)) - sum(switches0)
        calls = io_calls(process.pid) - calls0
        time.sleep(0.3)
        seqs = [a[1] for a in sub.poll().arrivals if a and a[0] == source]
        missing, repeated, backwards = check_sequences(seqs, 1, args.records)
        n = args.records
        print(f"{args.who} alone, {n:,} records at full speed: {n / seconds:,.0f} records/s; missing {missing}, "
              f"repeated {repeated}, out of order {backwards}; CPU {1e6 * cpu / n:.1f} us per record "
              f"(broker + subscriber {1e6 * others / n:.1f} us); per record {switches / n:.3f} context switches, "
              f"{calls / n:.2f} read/write calls")
    finally:
        finish(started, work, args.keep)


if __name__ == "__main__":
    main()
