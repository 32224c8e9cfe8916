#!/usr/bin/env python3
"""The instruction profile of a 36-sheet set, in one command.

    bench/set_profile.py --exe PATH [--sheets N-37] [--top N] [--keep FILE]

Runs the set (1:200 000, one thread) under callgrind, whose instruction counts do not
depend on the machine's load, into a folder on tmpfs, and prints the instructions in all
and per sheet, then the functions with the most instructions including their callees
(callgrind_annotate). --keep saves the profile for a closer look."""

import argparse
import os
import re
import shutil
import subprocess
import tempfile

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--sheets", default="N-37")
    parser.add_argument("--top", type=int, default=25)
    parser.add_argument("--keep")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="set-profile-", dir="/dev/shm")
    try:
        profile = args.keep or f"{work}/callgrind.out"
        run = subprocess.run(
            ["valgrind", "--tool=callgrind", f"--callgrind-out-file={profile}", args.exe,
             "--sheets", args.sheets, "--series", "200", "--jobs", "1", "--out", f"{work}/out",
             "--quiet"], capture_output=True, text=True, check=True)
        total = int(re.search(r"Collected : (\d+)", run.stderr).group(1))
        sheets = len(os.listdir(f"{work}/out"))  # a folder per sheet
        print(f"{args.sheets}: {sheets} sheets, {total:,} instructions, "
              f"{total / sheets:,.0f} per sheet (process start included)")
        annotated = subprocess.run(["callgrind_annotate", "--inclusive=yes", profile],
                                   capture_output=True, text=True, check=True).stdout
        rows = [line for line in annotated.splitlines() if re.match(r"\s*[\d,]+ \(", line)]
        print("\n".join(rows[:args.top]))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
