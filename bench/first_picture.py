#!/usr/bin/env python3
"""Time from a program's start to its first complete picture, seen from outside.

    first_picture.py [--runs N] [--quiet-ms Q] -- PROGRAM [ARGUMENTS...]

The explorer computes its first picture and then waits for input, so the picture is
complete when the process stops using the processor: the figure is the moment of its
last processor use before a quiet stretch of Q milliseconds (default 400), read from the
scheduler's per-thread run times (/proc/PID/task/*/schedstat, nanoseconds) polled about
every half millisecond. The peak resident memory (VmHWM) is read at the same moment.
The program is then ended. Prints the median and every run.
"""
import os
import statistics
import subprocess
import sys
import time


def run_time_ns(pid):
    total = 0
    try:
        for task in os.listdir(f"/proc/{pid}/task"):
            try:
                with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                    total += int(f.read().split()[0])
            except (OSError, ValueError, IndexError):
                pass
    except OSError:
        return None
    return total


def peak_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def one_run(command, quiet_ms):
    start = time.perf_counter()
    proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    last_busy, last_total = start, -1
    while True:
        total = run_time_ns(proc.pid)
        now = time.perf_counter()
        if total is None or proc.poll() is not None:
            raise SystemExit(f"{command[0]} ended before it went quiet")
        if total != last_total:
            last_total, last_busy = total, now
        elif now - last_busy >= quiet_ms / 1000:
            break
        time.sleep(0.0005)
    peak = peak_kib(proc.pid)
    proc.kill()
    proc.wait()
    return (last_busy - start) * 1000, peak


def main():
    args = sys.argv[1:]
    runs, quiet_ms = 10, 400
    while args and args[0] != "--":
        if args[0] == "--runs":
            runs = int(args[1])
        elif args[0] == "--quiet-ms":
            quiet_ms = int(args[1])
        else:
            raise SystemExit(__doc__)
        args = args[2:]
    command = args[1:]
    if not command:
        raise SystemExit(__doc__)
    results = [one_run(command, quiet_ms) for _ in range(runs)]
    times = [t for t, _ in results]
    print(f"{command[0]}: first picture after {statistics.median(times):.1f} ms (median of {runs}), "
          f"peak resident {max(p for _, p in results) / 1024:.1f} MiB")
    print("  runs (ms): " + " ".join(f"{t:.1f}" for t in times))


if __name__ == "__main__":
    main()
