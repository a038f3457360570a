#!/usr/bin/env python3
"""CAN async read/write test at full speed against the simulated bus.

Runs main-menu item 10, test 7 at 1000000 bit/s with 8-byte frames and a write
loop delay of 0, lets it run for a few seconds, then presses Space. Prints the
frames written and read per second against what the bus can carry, checks
that no worker line is missing, and shows the processor time of the console
thread while it waits for Space.

Usage: bench/can_async_bench.py [build-dir] [seconds]   (default ./build, 3)
"""

import os
import re
import subprocess
import sys
import threading
import time

BIT_RATE = 1000000
# An 8-byte standard data frame without bit stuffing: 47 bits of frame and
# interframe space around 64 data bits.
FRAME_BITS = 47 + 64
BUS_FRAMES_PER_SECOND = BIT_RATE / FRAME_BITS
WARM_UP_SECONDS = 0.5

WORKER_LINE = re.compile(r"CAN (Read|Write) (?:Count: (\d+) \|.*|Error: (-?\d+))$")


class WorkerLines:
    """Counts the worker lines the program prints, as they arrive."""

    def __init__(self):
        self.lock = threading.Lock()
        self.started = threading.Event()
        self.good = {"Read": 0, "Write": 0}
        self.errors = {"Read": 0, "Write": 0}
        self.last_count = {"Read": -1, "Write": -1}
        self.gaps = {"Read": 0, "Write": 0}

    def take(self, line):
        # The first worker line follows the last prompt on its console line.
        match = WORKER_LINE.search(line)
        if not match:
            return
        kind, count, _ = match.groups()
        with self.lock:
            if count is None:
                self.errors[kind] += 1
                # A failed attempt still counts, so the next good line skips.
                self.last_count[kind] += 1
            else:
                count = int(count)
                if count != self.last_count[kind] + 1:
                    self.gaps[kind] += 1
                self.last_count[kind] = count
                self.good[kind] += 1
        self.started.set()

    def snapshot(self):
        with self.lock:
            return dict(self.good), dict(self.errors)


def thread_cpu_seconds(pid, tid):
    """CPU time of one thread: schedstat in ns where available, else stat."""
    try:
        with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
            return int(f.read().split()[0]) / 1e9
    except OSError:
        with open(f"/proc/{pid}/task/{tid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def process_cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def read_output(stream, lines):
    for raw in stream:
        lines.take(raw.decode(errors="replace").rstrip("\n"))


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "./build"
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 3.0
    program = os.path.join(build, "qzhaltest")
    env = {k: v for k, v in os.environ.items() if not k.startswith("QZHAL_")}
    process = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env)
    lines = WorkerLines()
    reader = threading.Thread(target=read_output, args=(process.stdout, lines), daemon=True)
    reader.start()

    # Mode 0, 1000000 bit/s, ID 0x25, eight data bytes, read length 8,
    # timeout 1000 ms, write loop delay 0.
    process.stdin.write(b"10\n7\n0\n1000000\n25\n1122334455667788\n8\n1000\n0\n")
    process.stdin.flush()
    if not lines.started.wait(10):
        process.kill()
        sys.exit("the async test printed no worker line")
    time.sleep(WARM_UP_SECONDS)

    pid = process.pid
    start = time.monotonic()
    good0, errors0 = lines.snapshot()
    console0 = thread_cpu_seconds(pid, pid)
    process0 = process_cpu_seconds(pid)
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    good1, errors1 = lines.snapshot()
    console1 = thread_cpu_seconds(pid, pid)
    process1 = process_cpu_seconds(pid)

    process.stdin.write(b" \n0\n0\n")
    process.stdin.flush()
    process.stdin.close()
    process.wait(30)
    reader.join(10)

    writes = (good1["Write"] - good0["Write"]) / elapsed
    reads = (good1["Read"] - good0["Read"]) / elapsed
    bus = writes + reads
    print(f"measured over {elapsed:.2f} s at {BIT_RATE} bit/s, 8-byte frames, write loop delay 0")
    print(f"bus limit:          {BUS_FRAMES_PER_SECOND:8.0f} frames/s ({FRAME_BITS} bits a frame)")
    print(f"frames written:     {writes:8.0f} /s")
    print(f"frames read:        {reads:8.0f} /s (the peer's echoes of ours, and its own frames)")
    print(f"frames on the bus:  {bus:8.0f} /s = {100 * bus / BUS_FRAMES_PER_SECOND:5.1f} % of the limit"
          " (goal: at least 90 %)")
    print(f"errors during the measurement: write {errors1['Write'] - errors0['Write']},"
          f" read {errors1['Read'] - errors0['Read']}")
    print(f"worker lines missing (count gaps): write {lines.gaps['Write']}, read {lines.gaps['Read']}")
    print(f"console thread while waiting for Space: {100 * (console1 - console0) / elapsed:.2f} % of a core"
          " (goal: under 2 %)")
    print(f"whole process (workers, simulated bus): {100 * (process1 - process0) / elapsed:.1f} % of a core")
    print(f"exit code: {process.returncode}")


if __name__ == "__main__":
    main()
