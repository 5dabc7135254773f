#!/usr/bin/python3
"""MQTT fleet bench, run by hand: N headless quorvane instances on N pseudo-terminals publish to one
local mosquitto; one subscriber counts the records, checks that none is lost or out of order, and
measures the latency from the record's end byte written to the pty to its arrival. Beside them, in
the same run, the same stream read from a pty by a paho-mqtt Python script and by a shell loop
around mosquitto_pub. Also reports CPU seconds per 1,000 records of the quorvane processes.

  /usr/bin/python3 bench/mqtt_fleet.py build/release/src/app/quorvane [instances] [records] [rate per instance or 0]
"""
import os, pty, socket, subprocess, sys, tempfile, threading, time, json, signal

import paho.mqtt.client as mqtt

QUORVANE = os.path.abspath(sys.argv[1])
N = int(sys.argv[2]) if len(sys.argv) > 2 else 50
M = int(sys.argv[3]) if len(sys.argv) > 3 else 2000
RATE = float(sys.argv[4]) if len(sys.argv) > 4 else 0.0
HERE = os.path.dirname(os.path.abspath(__file__))


def free_port():
    s = socket.socket(); s.bind(("127.0.0.1", 0)); p = s.getsockname()[1]; s.close(); return p


def config(tmp):
    # The example balance: comma-separated fields, one record a line; "r<i>,<ns written>" fits it.
    return os.path.join(HERE, "..", "examples", "balance.QV3")


class Counter:
    def __init__(self):
        self.lock = threading.Lock()
        self.seen = {}      # instrument -> last seq
        self.count = {}
        self.bad = 0
        self.lat = []
        self.first = None
        self.last = None

    def on_message(self, client, userdata, msg):
        now = time.time_ns()
        try:
            if msg.topic.endswith("/record"):
                j = json.loads(msg.payload)
                key, seq, sent = j["instrument"], j["seq"], int(j["fields"][1])
            else:  # contenders: "<name> <i> <ns>"
                name, i, sent = msg.payload.decode().split()
                key, seq, sent = msg.topic, int(i), int(sent)
        except Exception:
            self.bad += 1
            return
        with self.lock:
            last = self.seen.get(key, 0)
            if seq == last + 1:
                self.seen[key] = seq
                self.count[key] = self.count.get(key, 0) + 1
            elif seq > last + 1:
                self.bad += 1
                self.seen[key] = seq
            self.lat.append((key, (now - sent) / 1e6))
            self.first = self.first or now
            self.last = now


def writer(master, count, rate, prefix=b""):
    gap = 1.0 / rate if rate else 0
    start = time.time()
    for i in range(1, count + 1):
        line = b"r%d,%d\r\n" % (i, time.time_ns())
        view = memoryview(line)
        while view:
            try:
                view = view[os.write(master, view):]
            except BlockingIOError:
                time.sleep(0.0005)
        if gap:
            delay = start + i * gap - time.time()
            if delay > 0:
                time.sleep(delay)


def pct(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(len(values) * p))] if values else float("nan")


def main():
    tmp = tempfile.mkdtemp(prefix="quorvane-mqtt-bench-")
    port = free_port()
    conf = os.path.join(tmp, "m.conf")
    with open(conf, "w") as f:
        f.write(f"user {os.environ.get('USER') or 'root'}\nlistener {port} 127.0.0.1\nallow_anonymous true\n"
                "max_inflight_messages 1000\nmax_queued_messages 1000000\n")
    broker = subprocess.Popen(["/usr/sbin/mosquitto", "-c", conf], stderr=subprocess.DEVNULL)
    time.sleep(0.3)
    counter = Counter()
    sub = mqtt.Client(client_id="bench-counter")
    sub.on_message = counter.on_message
    sub.connect("127.0.0.1", port)
    sub.subscribe([("quorvane/+/+/record", 1), ("contender/#", 1)])
    sub.loop_start()
    cfg = config(tmp)
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(tmp, "cfg"), XDG_STATE_HOME=os.path.join(tmp, "state"))
    procs, masters = [], []
    for k in range(N):
        m, s = pty.openpty(); name = os.ttyname(s); os.close(s)
        os.set_blocking(m, False)
        masters.append(m)
        procs.append(subprocess.Popen([QUORVANE, "--headless", "--quiet", cfg, "--device", name, "--mqtt",
                                       f"mqtt://127.0.0.1:{port}", "--instrument", f"i{k}"], env=env,
                                      stderr=subprocess.DEVNULL))
    # Contenders on two more ptys: a paho-mqtt script and mosquitto_pub in a shell loop.
    pm, ps_ = pty.openpty(); pname = os.ttyname(ps_); os.close(ps_); os.set_blocking(pm, False)
    py = subprocess.Popen([sys.executable, os.path.join(HERE, "mqtt_fleet_python.py"), pname, str(port)])
    sm, ss = pty.openpty(); sname = os.ttyname(ss); os.close(ss); os.set_blocking(sm, False)
    shell = subprocess.Popen(["sh", "-c", f"stty raw -echo < {sname}; tr '\\r' '\\n' < {sname} | while IFS=, read r t; do "
                              f"[ -n \"$t\" ] && mosquitto_pub -h 127.0.0.1 -p {port} -q 1 -t contender/shell -m \"shell ${{r#r}} $t\"; done"])
    time.sleep(1.5)
    cpu0 = sum(cpu_of(p.pid) for p in procs)
    t0 = time.time()
    threads = [threading.Thread(target=writer, args=(m, M, RATE)) for m in masters]
    threads += [threading.Thread(target=writer, args=(pm, M, RATE)), threading.Thread(target=writer, args=(sm, min(M, 300), 0))]
    for t in threads: t.start()
    for t in threads: t.join()
    deadline = time.time() + 60
    while time.time() < deadline and sum(counter.count.get(f"i{k}", 0) for k in range(N)) < N * M:
        time.sleep(0.05)
    got = sum(counter.count.get(f"i{k}", 0) for k in range(N))
    elapsed = (counter.last - t0 * 1e9) / 1e9 if counter.last else float("nan")
    cpu = sum(cpu_of(p.pid) for p in procs) - cpu0
    time.sleep(3)
    ql = [l for k, l in counter.lat if k.startswith("i")]
    pyc = counter.count.get("contender/python", 0); shc = counter.count.get("contender/shell", 0)
    pyl = [l for k, l in counter.lat if k == "contender/python"]
    print(f"quorvane x{N}: {got}/{N*M} records in order, {counter.bad} gaps or bad, {got/elapsed:,.0f} records/s total,"
          f" latency p50 {pct(ql,.5):.2f} ms p99 {pct(ql,.99):.2f} ms, CPU {1000*cpu/max(got,1):.3f} s per 1,000 records")
    print(f"python paho script: {pyc}/{M} records, p50 {pct(pyl,.5):.2f} ms p99 {pct(pyl,.99):.2f} ms")
    print(f"shell + mosquitto_pub: {shc} records in the run")
    for p in procs + [py, shell]:
        p.send_signal(signal.SIGTERM)
    for p in procs + [py]:
        p.wait(timeout=20)
    shell.kill()
    sub.loop_stop(); broker.terminate(); broker.wait()


def cpu_of(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


if __name__ == "__main__":
    main()
