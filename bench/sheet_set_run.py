#!/usr/bin/env python3
"""Sheet sets against separate job runs, measured side by side in one run.

    bench/sheet_set_run.py [--exe PATH] [--runs N] [--series-runs N] [--jobs N]

1. the 36 sheets of N-37 at 1:200 000 as one set run (median of N runs);
2. the same 36 sheets as 36 separate job runs, one after another (median per job run);
3. the whole 1:200 000 series, `--sheets all` (median of the series runs, peak memory).
Every run writes into a folder of its own, all removed only at the end: creating files
right after deleting many is far slower on ext4, which skips recently freed inodes. Wall
time is taken around fork/exec/wait and peak resident set size from the kernel's rusage.
--work chooses the file system (default: the system's temporary folder)."""

import argparse
import os
import statistics
import tempfile

from process_timing import run_measured


def timed(args):
    elapsed, usage, err = run_measured(args)
    return elapsed, usage.ru_maxrss / 1024, err


def set_run(exe, out, sheets, jobs):
    args = [exe, "--sheets", sheets, "--series", "200", "--out", out]
    if jobs:
        args += ["--jobs", str(jobs)]
    return timed(args)


def job_runs(exe, work, out):
    """Each sheet of N-37 as its own job run; the wall time of every run."""
    times = []
    for n in range(1, 37):
        job = os.path.join(work, f"{n}.job")
        with open(job, "w") as f:
            f.write(f"Nom=N37{n:02d};\nPath={out}/{n};\n")
        times.append(timed([exe, job])[0])
    return times


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", default=os.path.join(root, "build-bench/src/app/sheetbasis"))
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--series-runs", type=int, default=3)
    parser.add_argument("--jobs", type=int, default=0, help="--jobs of the set runs (0: default)")
    parser.add_argument("--work", default=None, help="folder for the results")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(dir=args.work) as work:
        sets, singles = [], []
        for i in range(args.runs):  # interleaved, so that both see the same machine load
            sets.append(set_run(args.exe, os.path.join(work, f"set{i}"), "N-37", args.jobs))
            singles.extend(job_runs(args.exe, work, os.path.join(work, f"jobs{i}")))
        series = [set_run(args.exe, os.path.join(work, f"all{i}"), "all", args.jobs)
                  for i in range(args.series_runs)]

    set_wall = statistics.median(t for t, _, _ in sets)
    job_wall = statistics.median(singles)
    print(f"N-37, 36 sheets, one set run:   median {set_wall * 1000:7.1f} ms, "
          f"{set_wall / 36 * 1000:.2f} ms per sheet, peak RSS {max(m for _, m, _ in sets):.1f} MiB "
          f"({args.runs} runs)")
    print(f"N-37, 36 separate job runs:      median {job_wall * 1000:7.2f} ms per run "
          f"({len(singles)} runs)")
    print(f"per sheet, set run / job run:    {set_wall / 36 / job_wall:.3f}")
    series_wall = statistics.median(t for t, _, _ in series)
    print(f"whole series (--sheets all):     median {series_wall:7.2f} s, peak RSS "
          f"{max(m for _, m, _ in series):.1f} MiB, {series[-1][2].splitlines()[0]} "
          f"({args.series_runs} runs)")


if __name__ == "__main__":
    main()
