"""What every bench script needs of the processes it watches: waiting with a deadline, and a process's
memory and CPU as the kernel counts them."""
import time


def wait_for(predicate, seconds, what):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return
        time.sleep(0.01)
    raise TimeoutError(f"timed out waiting for {what}")


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def cpu_ns(pid):
    """Time on a CPU of all the process's threads, in nanoseconds."""
    with open(f"/proc/{pid}/schedstat") as f:
        return int(f.read().split()[0])
