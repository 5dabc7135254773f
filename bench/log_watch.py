"""Notes when a file grows, in a process of its own, for the benches that time a program's writes.

Usage: python3 log_watch.py FILE
Blocks on inotify for the file's folder, so it wakes when the program writes, not on a polling
interval, and shares no interpreter lock with the process that feeds the program. Each time FILE is
seen larger it records CLOCK_MONOTONIC (time.monotonic(), the same clock in every process) and the
size. It prints "watching" once the watch is set, and when its standard input closes it prints "SECONDS SIZE" lines, in order, and exits.
"""
import ctypes
import os
import select
import sys
import time

IN_MODIFY = 0x002
IN_CLOSE_WRITE = 0x008
IN_CREATE = 0x100


def main():
    path = os.path.abspath(sys.argv[1])
    libc = ctypes.CDLL(None, use_errno=True)
    watch = libc.inotify_init1(os.O_CLOEXEC | os.O_NONBLOCK)
    if watch < 0 or libc.inotify_add_watch(watch, os.path.dirname(path).encode(),
                                           IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE) < 0:
        sys.exit(f"inotify: {os.strerror(ctypes.get_errno())}")
    print("watching", flush=True)
    seen = []
    size = 0
    stdin = sys.stdin.fileno()
    poller = select.poll()
    poller.register(watch, select.POLLIN)
    poller.register(stdin, select.POLLIN | select.POLLHUP)
    done = False
    while not done:
        for fd, _ in poller.poll():
            if fd == stdin:
                done = not os.read(stdin, 4096)
                continue
            try:
                while os.read(watch, 65536):
                    pass
            except BlockingIOError:
                pass
            try:
                now = os.stat(path).st_size
            except FileNotFoundError:
                continue
            if now > size:
                size = now
                seen.append((time.monotonic(), size))
    sys.stdout.write("".join(f"{at:.6f} {grown}\n" for at, grown in seen))


if __name__ == "__main__":
    main()
