"""What the MQTT benches share: a private mosquitto on a free loopback port, pseudo-terminals fed with
time-stamped records, headless quorvane instances, and a mosquitto_sub that stamps each message on
arrival into a file read after the run."""
import math
import os
import pty
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import time

from bench_support import rss_kib, wait_for  # noqa: F401 (used by the MQTT benches)

HERE = os.path.dirname(os.path.abspath(__file__))
# Comma-separated fields, one record a line: "r<i>,<ns written>" CR LF fits it.
CONFIG = os.path.join(HERE, "..", "examples", "balance.QV3")


def headless_work(build, prefix):
    """The quorvane binary of `build`, a fresh work folder, and an environment that keeps the instances'
    settings and queues in that folder and away from any display."""
    binary = os.path.join(os.path.abspath(build), "src/app/quorvane")
    work = tempfile.mkdtemp(prefix=prefix)
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "cfg"), XDG_STATE_HOME=os.path.join(work, "state"))
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    return binary, work, env


def finish(started, work, keep):
    """Leaves no process of the run behind (waiting instances would take the ptys of a later run that
    get the same numbers): the instances first, so that they can still say offline, then the
    subscriber and the broker (the first two started); then the work folder unless kept."""
    stop(started[2:])
    stop(started[:2])
    if keep:
        print(f"work folder: {work}")
    else:
        shutil.rmtree(work, ignore_errors=True)


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def port_accepts(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


def cpu_seconds(pid, children=False):
    """User and system time of a process and all its threads; with `children`, also of the children it
    has waited for."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])
    if children:
        ticks += int(fields[13]) + int(fields[14])
    return ticks / os.sysconf("SC_CLK_TCK")


def context_switches(pid):
    """Context switches of all the process's threads: voluntary (it waited: its wake-ups) and
    involuntary (it was put aside for another process)."""
    voluntary = involuntary = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{tid}/status") as f:
            for line in f:
                if line.startswith("voluntary_ctxt_switches"):
                    voluntary += int(line.split()[1])
                elif line.startswith("nonvoluntary_ctxt_switches"):
                    involuntary += int(line.split()[1])
    return voluntary, involuntary


def io_calls(pid):
    """The process's read and write calls on files, pipes, terminals and sockets (read, write, writev...;
    recv and send are not counted by the kernel here)."""
    calls = 0
    with open(f"/proc/{pid}/io") as f:
        for line in f:
            if line.startswith(("syscr:", "syscw:")):
                calls += int(line.split()[1])
    return calls


def stop(processes):
    """Ends every process still running with SIGTERM, and kills one that does not end within 30 s."""
    for process in processes:
        if process.poll() is None:
            process.send_signal(signal.SIGTERM)
    for process in processes:
        try:
            process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Broker:
    """mosquitto on 127.0.0.1; with `persist`, its sessions and the messages queued for them are written
    to `work` every second, so a persistent session outlives a kill -9. (Saving after every change
    makes the broker write its whole store per message: under load it falls behind and the store
    grows without end.)"""

    def __init__(self, work, persist=False):
        self.port = free_port()
        self.conf = os.path.join(work, "mosquitto.conf")
        self.log = open(os.path.join(work, "mosquitto.log"), "a")
        with open(self.conf, "w") as f:
            # Run as root, mosquitto would drop to its own user, which cannot write the folder.
            f.write(f"user {os.environ.get('USER') or 'root'}\nlistener {self.port} 127.0.0.1\n"
                    "allow_anonymous true\n"
                    # The defaults (20 unacknowledged, 1,000 queued) pace or drop a fast subscriber's
                    # QoS 1 messages.
                    "max_inflight_messages 1000\nmax_queued_messages 10000000\n")
            if persist:
                f.write(f"persistence true\npersistence_location {work}/\n"
                        "autosave_interval 1\n")
        self.process = None

    def start(self):
        self.process = subprocess.Popen(["/usr/sbin/mosquitto", "-c", self.conf], stdout=self.log,
                                        stderr=subprocess.STDOUT)
        wait_for(lambda: port_accepts(self.port), 10, "the broker")

    def stop(self, number=signal.SIGTERM):
        if self.process:
            self.process.send_signal(number)
            self.process.wait()
            self.process = None

    def url(self):
        return f"mqtt://127.0.0.1:{self.port}"


class Subscriber:
    """mosquitto_sub writing "<arrival unix time> <topic> <payload>" lines to a file."""

    def __init__(self, work, broker, topics, client_id="bench-counter", persistent=False, name=None):
        self.path = os.path.join(work, f"{name or client_id}.txt")
        args = ["mosquitto_sub", "-h", "127.0.0.1", "-p", str(broker.port), "-q", "1", "-i", client_id,
                "-F", "%U %t %p"]
        if persistent:
            args.append("-c")
        for topic in topics:
            args += ["-t", topic]
        self.out = open(self.path, "ab")
        self.read_to = 0
        self.arrivals = []
        self.highest = {}
        self.topics = set()
        self.process = subprocess.Popen(args, stdout=self.out, stderr=subprocess.DEVNULL)

    def lines(self):
        with open(self.path, "rb") as f:
            return f.read().decode("utf-8", "replace").splitlines()

    def poll(self):
        """Reads the messages that came since the last call into `arrivals` and `highest` (the highest
        sequence number per source)."""
        with open(self.path, "rb") as f:
            f.seek(self.read_to)
            chunk = f.read()
        whole = chunk[:chunk.rfind(b"\n") + 1]
        self.read_to += len(whole)
        for line in whole.decode("utf-8", "replace").splitlines():
            if " " not in line:
                continue
            self.topics.add(line.split(" ", 2)[1])
            for arrival in parse_arrivals([line]):
                self.arrivals.append(arrival)
                if arrival:
                    self.highest[arrival[0]] = max(self.highest.get(arrival[0], 0), arrival[1])
        return self

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        self.process.wait()
        self.out.close()


RECORD = re.compile(r'"seq":(\d+),.*"instrument":"([^"]*)".*"fields":\["r(\d+)","(\d+)')


def parse_arrivals(lines):
    """Each message as (source, seq, sent ns, arrival ns). The source is the instrument of a quorvane
    record, or the topic of a contender's "<name> <i> <ns>"; malformed lines count as None."""
    for line in lines:
        try:
            stamp, topic, payload = line.split(" ", 2)
            seconds, fraction = stamp.split(".")
            arrived = int(seconds) * 1_000_000_000 + int(fraction.ljust(9, "0")[:9])
            if topic.endswith("/record"):
                m = RECORD.search(payload)
                yield m.group(2), int(m.group(1)), int(m.group(4)), arrived
            elif topic.startswith("contender/"):
                _, i, sent = payload.split()
                yield topic, int(i), int(sent), arrived
        except (ValueError, AttributeError):
            yield None


def new_pty():
    """A pseudo-terminal: the master (non-blocking) and the device path of its slave."""
    master, slave = pty.openpty()
    name = os.ttyname(slave)
    os.close(slave)
    os.set_blocking(master, False)
    return master, name


def start_quorvane(binary, device, broker, instrument, env, folder):
    """An instance started in `folder` (where the example's log file goes), its messages in stderr.txt
    there."""
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "stderr.txt"), "w") as err:
        return subprocess.Popen([binary, "--headless", "--quiet", os.path.abspath(CONFIG), "--device", device,
                                 "--mqtt", broker.url(), "--instrument", instrument], env=env, cwd=folder,
                                stdout=subprocess.DEVNULL, stderr=err)


class Feed:
    """The records written to one pty: "r<i>,<ns just before the write>" CR LF. A write the pty takes
    in part leaves the rest for the next call."""

    def __init__(self, master):
        self.master = master
        self.sent = 0
        self.pending = b""

    def push(self, count):
        """Writes what waits, then up to `count` new records if all of that went; the records taken."""
        if self.pending and not self.flush():
            return 0
        if count <= 0:
            return 0
        now = time.time_ns()
        first = self.sent + 1
        self.pending = b"".join(b"r%d,%d\r\n" % (i, now) for i in range(first, first + count))
        self.sent += count
        self.flush()
        return count

    def flush(self):
        try:
            taken = os.write(self.master, self.pending)
        except BlockingIOError:
            return False
        self.pending = self.pending[taken:]
        return not self.pending


def drive(feeds, targets, rate, chunk=64):
    """Writes until every feed reached its target: from now on at `rate` records/s per feed, spread
    evenly over the feeds (each a fraction of a gap after the one before), or as fast as the ptys take
    them (rate 0)."""
    start = time.monotonic()
    count = len(feeds)
    base = [f.sent for f in feeds]
    while any(f.sent < t or f.pending for f, t in zip(feeds, targets)):
        now = time.monotonic()
        progress = False
        for k, (feed, target) in enumerate(zip(feeds, targets)):
            if rate:
                due = min(target, base[k] + max(0, math.floor((now - start) * rate - k / count) + 1))
            else:
                due = target
            progress |= feed.push(min(due - feed.sent, chunk)) > 0
        if rate:
            time.sleep(max(0.0, min(0.001, 1.0 / (rate * count))))
        elif not progress:
            time.sleep(0.0002)
    return time.monotonic() - start


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(len(values) * p))] if values else float("nan")


def check_sequences(seqs, first, last):
    """How the sequence numbers of one source cover first..last: (missing, repeated, out of order)."""
    seen = set()
    repeated = backwards = 0
    previous = 0
    for s in seqs:
        if s < first or s > last:
            continue
        if s in seen:
            repeated += 1
        elif s < previous:
            backwards += 1
        seen.add(s)
        previous = max(previous, s)
    return (last - first + 1) - len(seen), repeated, backwards
