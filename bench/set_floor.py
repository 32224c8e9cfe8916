#!/usr/bin/env python3
"""A sheet set against the floor of writing its files: the same tree extracted by tar -x;
or one job run against its folder copied by cp -r.

    bench/set_floor.py --exe PATH [--baseline PATH] [--sheets SET | --job SHEET] [--runs N]
                       [--jobs N] [--work DIR]

The set (or the job's folder) is generated once and archived; then, run by run, the program
writes it into a fresh folder and tar extracts the archive (cp -r copies the folder) into
another, in alternating order (paired runs, so that the machine's drift falls on both
sides). A job is the sheet at 1:200 000 in CK-42, read from a job file. With --baseline an earlier build
writes the set too, in the same pairs, and is checked to write the same bytes. CPU is user
plus system time of the child from the kernel's rusage; the folders are removed outside
the measured time. Prints the medians and the median of the per-pair ratios. --work
chooses the file system (default /dev/shm, tmpfs)."""

import argparse
import filecmp
import os
import shutil
import statistics
import subprocess
import tempfile

from process_timing import paired_order, run_measured


def cpu_seconds(args):
    _, usage, _ = run_measured(args)
    return usage.ru_utime + usage.ru_stime


def generate(exe, out, sheets, jobs):
    return cpu_seconds([exe, "--sheets", sheets, "--series", "200", "--jobs", str(jobs),
                        "--out", out, "--quiet"])


def run_job(exe, out, sheet):
    job = out + ".job"
    with open(job, "w", encoding="utf-8") as f:
        f.write(f"Nom={sheet};\r\nPath={out}/;\r\nCS=CK-42;\r\nMapScale=200;\r\n")
    try:
        return cpu_seconds([exe, job])
    finally:
        os.remove(job)


def copy(reference, out):
    return cpu_seconds(["cp", "-r", reference, out])


def extract(archive, out):
    os.mkdir(out)
    return cpu_seconds(["tar", "-x", "-f", archive, "-C", out])


def same_trees(a, b):
    compare = filecmp.dircmp(a, b)
    if compare.left_only or compare.right_only or compare.funny_files:
        return False
    _, mismatch, errors = filecmp.cmpfiles(a, b, compare.common_files, shallow=False)
    return not mismatch and not errors and all(
        same_trees(os.path.join(a, d), os.path.join(b, d)) for d in compare.common_dirs)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--baseline")
    parser.add_argument("--sheets", default="N..P:37..48")
    parser.add_argument("--job", help="a job run of this sheet instead of a set")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--jobs", type=int, default=1)
    parser.add_argument("--work", default="/dev/shm")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="set-floor-", dir=args.work)
    try:
        reference = os.path.join(work, "reference")
        if args.job:
            write = lambda exe, out: run_job(exe, out, args.job)
            floor_name, floor = "cp -r", lambda out: copy(reference, out)
        else:
            write = lambda exe, out: generate(exe, out, args.sheets, args.jobs)
            archive = os.path.join(work, "tree.tar")
            floor_name, floor = "tar -x", lambda out: extract(archive, out)
        write(args.exe, reference)
        if not args.job:
            subprocess.run(["tar", "-c", "-f", archive, "-C", reference, "."], check=True)
        sides = {"program": lambda out: write(args.exe, out), floor_name: floor}
        if args.baseline:
            sides["baseline"] = lambda out: write(args.baseline, out)
        times = {name: [] for name in sides}
        for run, name in paired_order(sides, args.runs):
            out = os.path.join(work, f"run-{run}-{name.replace(' ', '')}")
            times[name].append(sides[name](out))
            if name == "baseline" and not same_trees(reference, out):
                raise SystemExit("the baseline writes other bytes than the program")
            shutil.rmtree(out)
        floor_times = times[floor_name]
        what = f"job {args.job}" if args.job else f"{args.sheets}, --jobs {args.jobs}"
        print(f"{what}, {args.runs} paired runs in {args.work}")
        for name, cpu in times.items():
            ratio = statistics.median(c / f for c, f in zip(cpu, floor_times))
            print(f"  {name:9} CPU median {statistics.median(cpu) * 1000:8.1f} ms"
                  f"  per pair / {floor_name}: {ratio:.2f}")
        if args.baseline:
            ratio = statistics.median(p / b for p, b in zip(times["program"], times["baseline"]))
            print(f"  program / baseline per pair: {ratio:.2f}")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
