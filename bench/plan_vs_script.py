#!/usr/bin/env python3
"""Prints what an unattended plan run costs next to the same dialogues piped
in as a script, against the simulated board:

  time per step   N version-test steps as a plan (with both reports written)
                  and the same N dialogues as one script; median of several
                  runs, and the plan's time as a share of the script's
  peak memory     plan runs of several sizes: the reports are streamed, so
                  the peak should not grow with the number of steps

Usage: bench/plan_vs_script.py [build-dir] [runs] [launcher words...]

A plan run writes the dialogue into a scratch file (in TMPDIR) and its
reports into files, where a script's output may go to a pipe: both forms of
the script are timed. TMPDIR=/dev/shm keeps the scratch files in memory.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

GNU_TIME = "/usr/bin/time"


def run_once(command, stdin_path, expected_code, stdout_path=None):
    """The output goes through a pipe, or into a file when stdout_path is
    given (a plan run writes the dialogue into a file of its own)."""
    with open(stdin_path, "rb") as stdin, open(stdout_path or os.devnull, "wb") as sink:
        start = time.perf_counter()
        result = subprocess.run(command, stdin=stdin, stdout=sink if stdout_path else subprocess.PIPE,
                                stderr=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
    if result.returncode != expected_code:
        sys.exit(f"{command}: exit code {result.returncode}, expected {expected_code}")
    return elapsed


def peak_resident_kib(command, stdin_path):
    """GNU time starts the program, so that Python's own memory is not counted."""
    if not os.access(GNU_TIME, os.X_OK):
        return float("nan")
    with open(stdin_path, "rb") as stdin:
        result = subprocess.run([GNU_TIME, "-f", "%M", *command], stdin=stdin,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return float(result.stderr.strip().splitlines()[-1])


def write(directory, name, text):
    path = os.path.join(directory, name)
    with open(path, "w") as handle:
        handle.write(text)
    return path


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    launcher = sys.argv[3:]
    program = launcher + [os.path.join(build, "qzhaltest")]
    steps = 1000
    with tempfile.TemporaryDirectory() as work:
        empty = write(work, "empty", "")
        plan = write(work, "versions.plan", "".join(f"[version {i}]\ntest = version.library\n" for i in range(steps)))
        script = write(work, "versions.txt", "7\n1\n0\n" * steps + "0\n")
        reports = ["--junit", os.path.join(work, "r.xml"), "--json", os.path.join(work, "r.jsonl")]
        plan_command = program + ["--plan", plan] + reports
        transcript = os.path.join(work, "transcript.txt")
        figures = [
            ("plan with JUnit and JSON reports", lambda: run_once(plan_command, empty, 0)),
            ("plan without reports", lambda: run_once(program + ["--plan", plan], empty, 0)),
            ("script piped in, output to a pipe", lambda: run_once(program, script, 1)),
            ("script piped in, output to a file", lambda: run_once(program, script, 1, transcript)),
        ]
        print(f"{steps} version tests, median of {runs} runs (scratch files in {tempfile.gettempdir()}):")
        seconds = {}
        for name, measure in figures:
            seconds[name] = statistics.median(measure() for _ in range(runs))
            print(f"  {name:36s} {seconds[name] * 1e6 / steps:8.1f} us per step")
        plan_seconds = seconds[figures[0][0]]
        for name, _ in figures[2:]:
            print(f"  plan with reports / {name[17:]:16s} {plan_seconds / seconds[name]:8.2f}")
        print("peak resident memory of plan runs:")
        for count in (100, 1000, 10000):
            sized = write(work, f"versions{count}.plan",
                          "".join(f"[version {i}]\ntest = version.library\n" for i in range(count)))
            peak = peak_resident_kib(program + ["--plan", sized] + reports, empty)
            print(f"  {count:6d} steps  {peak:8.0f} KiB")
        peak = peak_resident_kib(program, script)
        print(f"  script of {steps} dialogues  {peak:8.0f} KiB")


if __name__ == "__main__":
    main()
