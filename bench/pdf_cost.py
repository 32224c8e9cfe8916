#!/usr/bin/env python3
"""What --pdf costs, measured side by side in one run.

    bench/pdf_cost.py [--exe PATH] [--runs N] [--work DIR]

One sheet (N-37-XXXVI) and the 36 sheets of N-37 at 1:200 000, each as a set run without
and with --pdf, taking turns run by run (which goes first alternating) so that whatever
else the machine does falls on both alike, each into a fresh folder. Prints the medians of
wall time and CPU time (user + system, the printing program's included: it is a child the
program waits for), their differences and the difference per sheet. The printing program
must be beside the program (a build with QGIS's libraries)."""

import argparse
import os
import tempfile

from process_timing import medians, run_measured

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SETS = (("N-37-XXXVI", 1), ("N-37", 36))


def timed(args):
    elapsed, usage, _ = run_measured(args)
    return elapsed, usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", default=os.path.join(ROOT, "build/src/app/sheetbasis"))
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--work", default=None, help="folder for the results")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(dir=args.work) as work:
        for sheets, count in SETS:
            plain, printed = [], []
            base = [args.exe, "--sheets", sheets, "--series", "200", "--quiet", "--out"]
            for i in range(args.runs):
                runs = [(plain, [os.path.join(work, f"{sheets}-plain{i}")]),
                        (printed, [os.path.join(work, f"{sheets}-pdf{i}"), "--pdf"])]
                for times, extra in runs[::1 if i % 2 == 0 else -1]:
                    times.append(timed(base + extra))
            (wall, cpu), (wall_pdf, cpu_pdf) = medians(plain), medians(printed)
            print(f"{sheets:11} {count:2} sheets: without --pdf wall {wall:6.2f} s, "
                  f"CPU {cpu:6.2f} s; with --pdf wall {wall_pdf:6.2f} s, CPU {cpu_pdf:6.2f} s; "
                  f"--pdf adds {(wall_pdf - wall) / count:5.2f} s wall, "
                  f"{(cpu_pdf - cpu) / count:5.2f} s CPU a sheet (medians of {args.runs})")


if __name__ == "__main__":
    main()
