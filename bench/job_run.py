#!/usr/bin/env python3
"""Median wall time and peak memory of whole job-file runs, as a user starts the program.

    bench/job_run.py [--exe PATH] [--runs N]

Each example job of examples/ is run N times into a temporary folder; the wall time of
every run is taken around fork/exec/wait, and the peak resident set size comes from the
kernel's rusage of each finished child."""

import argparse
import glob
import os
import statistics
import subprocess
import tempfile
import time


def run_once(exe, job):
    start = time.perf_counter()
    proc = subprocess.Popen([exe, job], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        raise SystemExit(f"{job}: exit code {proc.returncode}")
    return elapsed, usage.ru_maxrss  # seconds, KiB


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", default=os.path.join(root, "build-bench/src/app/sheetbasis"))
    parser.add_argument("--runs", type=int, default=101)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        for example in sorted(glob.glob(os.path.join(root, "examples", "*.job"))):
            name = os.path.splitext(os.path.basename(example))[0]
            with open(example, "rb") as f:
                lines = [l for l in f.read().splitlines() if not l.startswith(b"Path=")]
            job = os.path.join(work, name + ".job")
            with open(job, "wb") as f:
                f.write(b"\r\n".join(lines + [f"Path={work}/{name};".encode()]) + b"\r\n")
            results = [run_once(args.exe, job) for _ in range(args.runs)]
            times = [t for t, _ in results]
            peak = max(m for _, m in results)
            print(f"{name:28s} median {statistics.median(times) * 1000:6.2f} ms  "
                  f"peak RSS {peak / 1024:5.1f} MiB  ({args.runs} runs)")


if __name__ == "__main__":
    main()
