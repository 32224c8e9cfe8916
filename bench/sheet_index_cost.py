#!/usr/bin/env python3
"""What listing a set and writing its index cost, measured side by side in one run.

    bench/sheet_index_cost.py [--exe PATH] [--runs N] [--work DIR]

1. `--list all --series 200` (8 820 sheets printed, nothing written): median wall time;
2. the 36 sheets of N-37 at 1:200 000 as one set run, without and with --index, taking
   turns run by run (which goes first alternating) so that whatever else the machine does
   falls on both alike, each into a fresh folder: the medians and their ratio;
3. the index alone: `--list --index` less `--list` of the same set, in the same turns.
Wall time is taken around fork/exec/wait, CPU time (user + system) from the kernel's rusage. --work chooses the file system (default: the
system's temporary folder); every run's folder is removed only at the end."""

import argparse
import os
import statistics
import tempfile

from process_timing import medians, run_measured

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def timed(args):
    """Wall time and CPU time (user + system) of one run."""
    elapsed, usage, _ = run_measured(args)
    return elapsed, usage.ru_utime + usage.ru_stime


def medians_ms(runs):
    return tuple(seconds * 1000 for seconds in medians(runs))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", default=os.path.join(ROOT, "build-bench/src/app/sheetbasis"))
    parser.add_argument("--runs", type=int, default=41)
    parser.add_argument("--work", default=None, help="folder for the results")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(dir=args.work) as work:
        listing = [timed([args.exe, "--sheets", "all", "--series", "200", "--out",
                          os.path.join(work, "listed"), "--list"]) for _ in range(args.runs)]
        plain, indexed, listed, listed_indexed = [], [], [], []
        base = [args.exe, "--sheets", "N-37", "--series", "200", "--quiet", "--out"]
        for i in range(args.runs):
            # Which goes first alternates: a run pays for the disk's writing of the one before.
            runs = [(plain, [os.path.join(work, f"plain{i}")]),
                    (indexed, [os.path.join(work, f"indexed{i}"), "--index"]),
                    (listed, [os.path.join(work, f"listed{i}"), "--list"]),
                    (listed_indexed, [os.path.join(work, f"index{i}"), "--list", "--index"])]
            for times, extra in runs[::1 if i % 2 == 0 else -1]:
                times.append(timed(base + extra))
    print(f"--list all --series 200:      wall {medians_ms(listing)[0]:7.2f} ms, "
          f"CPU {medians_ms(listing)[1]:7.2f} ms (medians of {args.runs})")
    (wall, cpu), (wall_index, cpu_index) = medians_ms(plain), medians_ms(indexed)
    print(f"N-37, 36 sheets, set run:     wall {wall:7.2f} ms, CPU {cpu:7.2f} ms")
    print(f"the same with --index:        wall {wall_index:7.2f} ms, CPU {cpu_index:7.2f} ms")
    print(f"with / without --index:       wall {wall_index / wall:.3f}, CPU {cpu_index / cpu:.3f} "
          f"(medians of {args.runs} runs each)")
    added = statistics.median(i[0] - p[0] for i, p in zip(indexed, plain)) * 1000
    print(f"--index adds, turn by turn:   wall {added:7.2f} ms (median of the differences), "
          f"{added / wall * 100:.1f} %")
    (wall_list, cpu_list), (wall_only, cpu_only) = medians_ms(listed), medians_ms(listed_indexed)
    print(f"the index alone (--list --index less --list): wall {wall_only - wall_list:5.2f} ms, "
          f"CPU {cpu_only - cpu_list:5.2f} ms")

if __name__ == "__main__":
    main()
