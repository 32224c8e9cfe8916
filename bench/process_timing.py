"""One run of a program measured from outside: wall time around fork/exec/wait, and the
kernel's resource usage of the child (CPU time, peak resident set)."""

import os
import statistics
import subprocess
import time


def run_measured(args):
    """Runs args; returns (wall seconds, resource usage, standard error as text). A run that
    fails ends the benchmark: its times would measure something else."""
    start = time.perf_counter()
    proc = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    err = proc.stderr.read()
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise SystemExit(f"{args}: exit code {os.waitstatus_to_exitcode(status)}: {err!r}")
    return elapsed, usage, err.decode()


def paired_order(names, runs):
    """(run, name) for every side in every run, the order turned round each run: paired runs,
    so that the machine's drift falls on every side alike."""
    for run in range(runs):
        for name in (list(names) if run % 2 == 0 else list(reversed(names))):
            yield run, name


def medians(runs):
    """The medians of the wall and CPU seconds of (wall, CPU) pairs."""
    return (statistics.median(w for w, _ in runs), statistics.median(c for _, c in runs))
