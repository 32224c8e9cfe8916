#!/usr/bin/env python3
"""Median wall time and peak memory of whole job-file runs, as a user starts the program.

    bench/job_run.py [--exe PATH] [--spawn-measure PATH] [--runs N]

Each example job of examples/ is run N times into a temporary folder, started by
spawn_measure (built by bench/job-cost.sh): the wall time of every run is taken around
fork/exec/wait, and the peak resident set size comes from the kernel's rusage of each
finished child. A child forked from this interpreter would count its pages until the
exec, hence the small starter."""

import argparse
import glob
import os
import statistics
import subprocess
import tempfile


def run_once(spawn_measure, exe, job):
    line = subprocess.run([spawn_measure, exe, job], capture_output=True, check=True,
                          text=True).stdout.split()
    wall_us, _cpu_us, rss_kib, code = map(int, line)
    if code != 0:
        raise SystemExit(f"{job}: exit code {code}")
    return wall_us / 1e6, rss_kib  # seconds, KiB


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", default=os.path.join(root, "build-bench/src/app/sheetbasis"))
    parser.add_argument("--spawn-measure",
                        default=os.path.join(root, "build-bench/bench-tools/spawn_measure"))
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
            results = [run_once(args.spawn_measure, args.exe, job) for _ in range(args.runs)]
            times = [t for t, _ in results]
            peak = max(m for _, m in results)
            print(f"{name:28s} median {statistics.median(times) * 1000:6.2f} ms  "
                  f"peak RSS {peak / 1024:5.1f} MiB  ({args.runs} runs)")


if __name__ == "__main__":
    main()
