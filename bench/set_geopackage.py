#!/usr/bin/env python3
"""A sheet set into one GeoPackage against the same set written as shapefiles, and both
against the floor of extracting the shapefile tree with tar -x.

    bench/set_geopackage.py --exe PATH [--sheets SET] [--runs N] [--jobs N] [--work DIR]

Run by run, in alternating order (paired runs, so that the machine's drift falls on all
sides), the program writes the set as shapefiles (--out) into a fresh folder, then into a
fresh GeoPackage (--gpkg, spatial index and styles included), and tar extracts the archive
of the shapefile tree. CPU is user plus system time of the child from the kernel's rusage,
the peak resident set its maxrss; outputs are removed outside the measured time. Prints
the medians and the medians of the per-pair ratios. --work chooses the file system
(default /dev/shm, tmpfs)."""

import argparse
import os
import shutil
import statistics
import subprocess
import tempfile

from process_timing import paired_order, run_measured


def measured(args):
    wall, usage, _ = run_measured(args)
    return usage.ru_utime + usage.ru_stime, wall, usage.ru_maxrss


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--sheets", default="N..P:37..48")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--jobs", type=int, default=1)
    parser.add_argument("--work", default="/dev/shm")
    args = parser.parse_args()

    base = [args.exe, "--sheets", args.sheets, "--series", "200", "--jobs", str(args.jobs),
            "--quiet"]
    work = tempfile.mkdtemp(prefix="set-gpkg-", dir=args.work)
    try:
        reference = os.path.join(work, "reference")
        archive = os.path.join(work, "tree.tar")
        subprocess.run(base + ["--out", reference], check=True)
        subprocess.run(["tar", "-c", "-f", archive, "-C", reference, "."], check=True)
        shutil.rmtree(reference)

        def tar(out):
            os.mkdir(out)
            return measured(["tar", "-x", "-f", archive, "-C", out])

        sides = {
            "shapefiles": lambda out: measured(base + ["--out", out]),
            "geopackage": lambda out: measured(base + ["--gpkg", out + ".gpkg"]),
            "tar -x": tar,
        }
        results = {name: [] for name in sides}
        for run, name in paired_order(sides, args.runs):
            out = os.path.join(work, f"run-{run}-{name.replace(' ', '')}")
            results[name].append(sides[name](out))
            shutil.rmtree(out, ignore_errors=True)
            if os.path.exists(out + ".gpkg"):
                os.remove(out + ".gpkg")
        print(f"{args.sheets}, --jobs {args.jobs}, {args.runs} paired runs in {args.work}")
        cpu = {name: [r[0] for r in rs] for name, rs in results.items()}
        for name, rs in results.items():
            print(f"  {name:10} CPU median {statistics.median(cpu[name]) * 1000:8.1f} ms"
                  f"  wall median {statistics.median(r[1] for r in rs) * 1000:8.1f} ms"
                  f"  peak RSS {max(r[2] for r in rs) / 1024:6.1f} MiB")
        for over, under in (("geopackage", "shapefiles"), ("geopackage", "tar -x"),
                            ("shapefiles", "tar -x")):
            ratio = statistics.median(a / b for a, b in zip(cpu[over], cpu[under]))
            print(f"  {over} / {under} CPU per pair: {ratio:.2f}")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
