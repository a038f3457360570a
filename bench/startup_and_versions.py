#!/usr/bin/env python3
"""Times the built program against the simulated board and prints figures.

  start-up to exit   input "0": median wall time and peak resident memory
  version sessions   N version tests in one scripted session, for several N,
                     to show how the cost grows with the number of tests

Usage: bench/startup_and_versions.py [build-dir] [runs] [launcher words...]

A build for another architecture or system runs through its launcher, e.g.
  bench/startup_and_versions.py build-linux-armhf 21 qemu-arm -L /usr/arm-linux-gnueabihf
  bench/startup_and_versions.py build-windows-x86 21 cmake/wine-run
The peak memory is then the launcher's (emulator and program together).
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time


GNU_TIME = "/usr/bin/time"


def wall_seconds(program, script_path):
    """The output is read through a pipe, as a script or a console takes it
    (Wine writes to /dev/null far more slowly than to a pipe)."""
    with open(script_path, "rb") as script:
        start = time.perf_counter()
        result = subprocess.run(program, stdin=script, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
        code = result.returncode
    if code != 1:
        sys.exit(f"unexpected exit code {code}")
    return elapsed


def peak_resident_kib(program, script_path):
    """Peak resident memory of one run. A child of this Python process would
    inherit Python's own high-water mark, so GNU time (a small C program)
    starts it and reports it."""
    if not os.access(GNU_TIME, os.X_OK):
        return float("nan")
    with open(script_path, "rb") as script:
        result = subprocess.run([GNU_TIME, "-f", "%M", *program], stdin=script,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return float(result.stderr.strip().splitlines()[-1])


def measure(program, script, runs):
    with tempfile.NamedTemporaryFile("w", delete=False) as handle:
        handle.write(script)
        path = handle.name
    try:
        seconds = statistics.median(wall_seconds(program, path) for _ in range(runs))
        peak = peak_resident_kib(program, path)
    finally:
        os.unlink(path)
    return seconds, peak


def version_session(tests):
    return "7\n" + "1\n" * tests + "0\n0\n"


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 21
    launcher = sys.argv[3:]
    program = os.path.join(build, "qzhaltest")
    if os.access(program + ".exe", os.F_OK):
        program += ".exe"
    if not os.access(GNU_TIME, os.X_OK):
        print("(peak memory needs GNU time: apt-get install time)")
    if not os.access(program, os.F_OK):
        sys.exit(f"{program} not found: build the project first")
    program = [*launcher, program]

    startup, peak = measure(program, "0\n", runs)
    seconds = startup
    print(f"start-up to exit (input 0): median {seconds * 1000:.2f} ms, "
          f"peak RSS {peak / 1024:.2f} MiB  (goal < 5 ms, < 8 MiB)")

    print("version tests in one session:")
    per_test = []
    for tests in (1000, 2500, 5000, 10000):
        seconds, peak = measure(program, version_session(tests), max(3, runs // 4))
        marginal = (seconds - startup) / tests
        per_test.append(marginal)
        print(f"  {tests:6d} tests: median {seconds * 1000:8.1f} ms, "
              f"{marginal * 1e6:6.2f} us/test beyond start-up, peak RSS {peak / 1024:.2f} MiB")
    spread = max(per_test) / min(per_test)
    print(f"  cost per test beyond start-up varies by a factor of {spread:.2f} from 1000 to "
          f"10000 tests (1.0 = linear; goal: 10000 tests < 1 s)")


if __name__ == "__main__":
    main()
