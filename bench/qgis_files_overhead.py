#!/usr/bin/env python3
"""What the style files and the QGIS project cost a whole job-file run.

    bench/qgis_files_overhead.py --old BASE_EXE [--new EXE] [--runs N] [--job FILE]

BASE_EXE is the same program without the call that writes those files, built the same way
in a folder of its own; bench/qgis-files-cost.sh builds both and runs this script.

Both programs run the same job (examples/N-37-XXXVI.job by default) N times each, taking
turns run by run so that whatever else the machine does falls on both alike, each into a
fresh result folder; the medians of the wall times and their ratio are printed."""

import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def job_into(source, folder, name):
    with open(source, "rb") as f:
        lines = [l for l in f.read().splitlines() if not l.startswith(b"Path=")]
    job = os.path.join(folder, name + ".job")
    with open(job, "wb") as f:
        f.write(b"\r\n".join(lines + [f"Path={folder}/{name}/;".encode()]) + b"\r\n")
    return job


def timed_run(exe, job, result):
    shutil.rmtree(result, ignore_errors=True)
    start = time.perf_counter()
    code = subprocess.run([exe, job], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode
    elapsed = time.perf_counter() - start
    if code != 0:
        raise SystemExit(f"{exe}: exit code {code}")
    return elapsed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--old", required=True)
    parser.add_argument("--new", default=os.path.join(ROOT, "build-bench/src/app/sheetbasis"))
    parser.add_argument("--runs", type=int, default=101)
    parser.add_argument("--job", default=os.path.join(ROOT, "examples", "N-37-XXXVI.job"))
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        programs = {"without QGIS files": args.old, "with QGIS files": args.new}
        jobs = {label: job_into(args.job, work, f"run{k}") for k, label in enumerate(programs)}
        times = {label: [] for label in programs}
        for _ in range(args.runs):
            for label, exe in programs.items():
                result = os.path.join(work, os.path.basename(jobs[label])[:-4])
                times[label].append(timed_run(exe, jobs[label], result))
        for label in programs:
            print(f"{label:20s} median {statistics.median(times[label]) * 1000:6.2f} ms "
                  f"({args.runs} runs)")
        ratio = statistics.median(times["with QGIS files"]) / statistics.median(
            times["without QGIS files"])
        print(f"ratio {ratio:.3f}")


if __name__ == "__main__":
    main()
