#!/usr/bin/env python3
"""What a job run costs next to its floor, side by side in one run (bench/job-cost.sh
builds the programs and calls this):

    job_cost.py --exe NEW --baseline OLD --tools DIR [--runs N] [--series-rounds N]

Per round, in turn: the job run of N-37-XXXVI (all six layers) by the program, the same by
the baseline program (the earlier design: interface linked in, direct record-by-record
writes), `cp -r` of the same files and a tiny program writing the same bytes. Each run
goes into a folder of its own and is measured by spawn_measure (wall, CPU user + system, peak
resident set). The machine is shared: wall times follow its load, CPU times much less.
Then the system calls of one run (strace -c -f), and 36 job runs N-37-I ...
N-37-XXXVI one after another (wall and CPU of the whole series)."""

import argparse
import os
import resource
import shutil
import statistics
import subprocess
import tempfile
import time

ROMAN = ["I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X", "XI", "XII", "XIII",
         "XIV", "XV", "XVI", "XVII", "XVIII", "XIX", "XX", "XXI", "XXII", "XXIII", "XXIV",
         "XXV", "XXVI", "XXVII", "XXVIII", "XXIX", "XXX", "XXXI", "XXXII", "XXXIII", "XXXIV",
         "XXXV", "XXXVI"]


def job_file(work, name, nom, out):
    path = os.path.join(work, name + ".job")
    with open(path, "wb") as f:
        f.write(f"Nom={nom};\r\nPath={out};\r\nCS=CK-42;\r\nMapScale=200;\r\n".encode())
    return path


def measure(tools, argv):
    line = subprocess.run([os.path.join(tools, "spawn_measure"), *argv], capture_output=True,
                          check=True, text=True).stdout.split()
    wall_us, cpu_us, rss_kib, code = map(int, line)
    if code != 0:
        raise SystemExit(f"{argv}: exit code {code}")
    return wall_us / 1000.0, cpu_us / 1000.0, rss_kib / 1024.0


def write_floor_source(reference, target):
    """floor_files.inc: the bytes of every file below reference as C++ arrays."""
    files = sorted(os.path.relpath(os.path.join(root, n), reference)
                   for root, _dirs, names in os.walk(reference) for n in names)
    with open(target, "w") as out:
        for k, name in enumerate(files):
            with open(os.path.join(reference, name), "rb") as f:
                data = f.read()
            out.write(f"const unsigned char FILE_{k}[] = {{{','.join(map(str, data))}}};\n")
        out.write("const FloorFile FLOOR_FILES[] = {\n")
        for k, name in enumerate(files):
            size = os.path.getsize(os.path.join(reference, name))
            out.write(f'    {{"{name}", FILE_{k}, {size}}},\n')
        out.write("};\n")
    return len(files)


def system_calls(exe, job, out, fresh):
    """strace's count of one run, into a fresh folder or over an earlier run's layers."""
    shutil.rmtree(out, ignore_errors=True)
    if not fresh:
        subprocess.run([exe, job], check=True)
    with tempfile.NamedTemporaryFile("r") as report:
        subprocess.run(["strace", "-c", "-f", "-qq", "-o", report.name, exe, job], check=True)
        total = [l.split() for l in report.read().splitlines() if l.endswith(" total")][0]
    return int(total[3])


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def series(commands):
    """Wall and CPU time of the commands run one after another (spawned from here, without a
    shell)."""
    cpu = children_cpu()
    start = time.perf_counter()
    for argv in commands:
        _, status = os.waitpid(os.posix_spawn(argv[0], argv, os.environ), 0)
        if os.waitstatus_to_exitcode(status) != 0:
            raise SystemExit(f"{argv} failed")
    return time.perf_counter() - start, children_cpu() - cpu


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--baseline", required=True)
    parser.add_argument("--tools", required=True, help="folder of spawn_measure, for floor_writer")
    parser.add_argument("--runs", type=int, default=101)
    parser.add_argument("--series-rounds", type=int, default=11)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="sheetbasis-bench-") as work:
        reference = os.path.join(work, "reference")
        subprocess.run([args.exe, job_file(work, "ref", "N-37-XXXVI", reference)], check=True)
        count = write_floor_source(reference, os.path.join(args.tools, "floor_files.inc"))
        floor = os.path.join(args.tools, "floor_writer")
        subprocess.run(["c++", "-O2", "-static", "-std=c++20", "-I", args.tools, "-o", floor,
                        os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                     "floor_writer.cpp")], check=True)
        # Every run writes into a folder of its own, so that no removal of an earlier run's
        # files is pending while it runs.
        variants = {
            "job run": lambda out: [args.exe, job_file(work, "a", "N-37-XXXVI", out)],
            "job run, baseline design":
                lambda out: [args.baseline, job_file(work, "b", "N-37-XXXVI", out)],
            f"cp -r ({count} files)": lambda out: [shutil.which("cp"), "-r", reference, out],
            "tiny writer, same bytes": lambda out: [floor, out],
        }
        results = {name: [] for name in variants}
        for k in range(args.runs):
            for v, (name, command) in enumerate(variants.items()):
                argv = command(os.path.join(work, f"run-{k}-{v}"))
                results[name].append(measure(args.tools, argv))

        print(f"N-37-XXXVI, all six layers, median of {args.runs} runs side by side")
        print(f"{'':28s} {'wall ms':>8s} {'CPU ms':>8s} {'peak RSS MiB':>13s}")
        medians = {}
        for name, runs in results.items():
            wall, cpu, rss = (statistics.median(r[i] for r in runs) for i in range(3))
            peak = max(r[2] for r in runs)
            medians[name] = (wall, cpu)
            print(f"{name:28s} {wall:8.2f} {cpu:8.2f} {rss:6.1f} (max {peak:4.1f})")
        new_wall, new_cpu = medians["job run"]
        for name, (wall, cpu) in medians.items():
            if name != "job run":
                print(f"job run / {name:28s} wall {new_wall / wall:5.2f}x  CPU {new_cpu / cpu:5.2f}x")

        out = os.path.join(work, "out")
        job = job_file(work, "strace", "N-37-XXXVI", out)
        for name, exe in (("job run", args.exe), ("job run, baseline design", args.baseline)):
            print(f"system calls, {name}: {system_calls(exe, job, out, True)} into a fresh "
                  f"folder, {system_calls(exe, job, out, False)} replacing an earlier run")

        # Every series writes below a folder of its own, so that no removal of an earlier
        # series' files is pending while it runs.
        walls = {name: [] for name in ("job run", "job run, baseline design", "cp -r",
                                       "tiny writer")}
        for k in range(args.series_rounds):
            for v, (name, exe) in enumerate(zip(walls, (args.exe, args.baseline, None, None))):
                base = os.path.join(work, f"series-{k}-{v}")
                os.mkdir(base)
                outs = [os.path.join(base, r) for r in ROMAN]
                if exe:
                    commands = [[exe, job_file(base, r, f"N-37-{r}", out)]
                                for r, out in zip(ROMAN, outs)]
                elif name == "cp -r":
                    commands = [[shutil.which("cp"), "-r", reference, out] for out in outs]
                else:
                    commands = [[floor, out] for out in outs]
                walls[name].append(series(commands))
        print(f"36 runs one after another (N-37-I ... N-37-XXXVI for the programs, the same "
              f"{count} files for the floor), median of {args.series_rounds} rounds:")
        for name, w in walls.items():
            print(f"  {name:28s} wall {statistics.median(t for t, _ in w):.3f} s, "
                  f"CPU {statistics.median(c for _, c in w):.3f} s")


if __name__ == "__main__":
    main()
