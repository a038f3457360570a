#!/usr/bin/env python3
"""Processor time the program uses while the GPIO tests wait, against the
simulated board, as a share of one core.

  Space prompt       button interrupt test, type 2: waiting for Space
  polling test       button polling test: a pass every 200 ms until Space
  interrupt box      button interrupt test: the Yes/No question is open and
                     the library's interrupt thread watches the button

Each case runs the program up to the wait, lets it wait for some seconds, ends
it and divides the processor time of the whole run (user + system, all
threads, start-up included) by the time it waited. Goal: under 2 % of one core.

Usage: bench/gpio_waits_idle.py [build-dir] [seconds]
"""
import os
import select
import subprocess
import sys
import time


CASES = [
    ("Space prompt", "3\n5\n7\n2\n", "continious interrupt test!", " \n0\n0\n"),
    ("polling test", "3\n6\n", "Press Space for Break Test", " \n0\n0\n"),
    ("interrupt box", "3\n5\n2\n3\n", "Continue? [Yes/No]: ", "n\n0\n0\n"),
]


def read_until(stream, marker, timeout):
    seen = b""
    deadline = time.monotonic() + timeout
    while marker.encode() not in seen:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([stream], [], [], left)[0]:
            sys.exit(f"the program did not reach {marker!r}")
        chunk = os.read(stream.fileno(), 65536)
        if not chunk:
            sys.exit(f"the program ended before {marker!r}")
        seen += chunk


def drain(stream):
    while os.read(stream.fileno(), 65536):
        pass


def measure(program, start, marker, finish, seconds):
    child = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL)
    child.stdin.write(start.encode())
    child.stdin.flush()
    read_until(child.stdout, marker, 10)
    began = time.monotonic()
    # The polling test prints a line per pass: keep its pipe empty.
    deadline = began + seconds
    while time.monotonic() < deadline:
        if select.select([child.stdout], [], [], deadline - time.monotonic())[0]:
            os.read(child.stdout.fileno(), 65536)
    waited = time.monotonic() - began
    child.stdin.write(finish.encode())
    child.stdin.close()
    drain(child.stdout)
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 1:
        sys.exit(f"unexpected exit code {child.returncode}")
    return (usage.ru_utime + usage.ru_stime) / waited


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 3.0
    program = os.path.join(build, "qzhaltest")
    if not os.access(program, os.X_OK):
        sys.exit(f"{program} not found: build the project first")
    for name, start, marker, finish in CASES:
        share = measure(program, start, marker, finish, seconds)
        print(f"{name:14s} {share * 100:6.2f} % of one core over {seconds:.1f} s  (goal < 2 %)")


if __name__ == "__main__":
    main()
