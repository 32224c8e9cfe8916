"""A job run killed at any instant leaves every layer file whole or absent: runs into the
same folder are killed (SIGKILL) after random delays spread over a whole run, and after
each one every layer present opens with GDAL; the next complete run leaves no temporary
file behind. A set killed while writing new sheets leaves each sheet's folder whole or
absent, and the next set removes the folders it left half-built."""

import os
import random
import shutil
import re
import signal
import statistics
import subprocess
import time
import unittest

from osgeo import ogr

from sheetbasis_testing import EXE, FRAME_LAYERS, HYPS_LAYERS, WorkFolderTest, write_job

# Runs are killed until this many were killed while running (a run that ended before its
# kill tests nothing), or the bounds below are reached. The delays follow the duration of
# the first runs; when the machine's load later changes, more or fewer kills land in time.
WANTED_MID_RUN_KILLS = 30
MAX_KILLS = 240
# Bound on the whole test on a busy machine; the kills stop there even if fewer were made.
TIME_LIMIT_S = 40.0
# Delays are drawn up to this multiple of a complete run, so that some kills come late.
DELAY_SPAN = 1.3
SEED = 12
SET_KILLS = 8
# The names the program's file writer gives its files until they are complete.
TEMPORARY = re.compile(r"^\..+\.sheetbasis-[0-9a-f]{16}$")

JOB = "Nom=N-37-XXXVI;\r\nPath={};\r\nCS=CK-42;\r\nMapScale=200;\r\n"
PRJ_END = b"\r\n"


def features(path):
    """Reads every feature; GDAL raises on any error (exceptions are on)."""
    ds = ogr.Open(path)
    if ds is None:
        raise AssertionError(f"GDAL cannot open {path}")
    return [feature for feature in ds.GetLayer(0)]


class KilledRunsTest(WorkFolderTest):
    def start(self, job):
        return subprocess.Popen([EXE, job], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def check_layers(self, result):
        """Every layer file present is whole; returns the names of temporary files."""
        partial = [n for n in os.listdir(result) if TEMPORARY.search(n)]
        for sub, layers in (("HYPS", HYPS_LAYERS), ("FRAME", FRAME_LAYERS)):
            folder = os.path.join(result, sub)
            names = os.listdir(folder) if os.path.isdir(folder) else []
            partial += [n for n in names if TEMPORARY.search(n)]
            for layer in layers:
                base = os.path.join(folder, layer)
                has = {ext: os.path.isfile(base + ext)
                       for ext in (".shp", ".shx", ".dbf", ".PRJ")}
                with self.subTest(layer=base, present=has):
                    if has[".shp"]:
                        self.assertTrue(has[".shx"] and has[".dbf"])
                        features(base + ".shp")
                    elif has[".dbf"]:
                        features(base + ".dbf")
                    else:
                        self.assertFalse(has[".shx"])
                    if has[".PRJ"]:
                        with open(base + ".PRJ", "rb") as f:
                            self.assertTrue(f.read().endswith(PRJ_END))
        return partial

    def test_killed_runs_leave_whole_layers(self):
        result = self.folder("result")
        job = write_job(self.tmp, JOB.format(result))
        durations = []
        for _ in range(3):
            begin = time.perf_counter()
            self.assertEqual(self.start(job).wait(), 0)
            durations.append(time.perf_counter() - begin)
        span = DELAY_SPAN * statistics.median(durations)

        rng = random.Random(SEED)
        killed_mid_run = 0
        left_temporary = 0
        deadline = time.monotonic() + TIME_LIMIT_S
        for _ in range(MAX_KILLS):
            if killed_mid_run >= WANTED_MID_RUN_KILLS or time.monotonic() > deadline:
                break
            proc = self.start(job)
            time.sleep(rng.uniform(0.0, span))
            proc.send_signal(signal.SIGKILL)
            killed_mid_run += proc.wait() == -signal.SIGKILL
            left_temporary += bool(self.check_layers(result))

        # The kills must have come during runs, or nothing was tested.
        self.assertGreater(killed_mid_run, WANTED_MID_RUN_KILLS // 2)
        self.assertEqual(self.start(job).wait(), 0)
        self.assertEqual(self.check_layers(result), [])
        print(f"{killed_mid_run} runs killed, {left_temporary} left temporary files",
              flush=True)

    def test_killed_sets_leave_whole_sheet_folders(self):
        out = self.folder("set")
        command = [EXE, "--sheets", "N-37", "--series", "200", "--out", out, "--quiet"]
        begin = time.perf_counter()
        self.assertEqual(subprocess.run(command).returncode, 0)
        span = time.perf_counter() - begin
        rng = random.Random(SEED)
        for _ in range(SET_KILLS):
            shutil.rmtree(out, ignore_errors=True)
            proc = subprocess.Popen(command)
            time.sleep(rng.uniform(0.0, span))
            proc.send_signal(signal.SIGKILL)
            proc.wait()
            for sheet in os.listdir(out) if os.path.isdir(out) else []:
                if not TEMPORARY.search(sheet):
                    result = os.path.join(out, sheet)
                    self.assertTrue(os.path.isfile(os.path.join(result, sheet + ".qgs")), sheet)
                    self.assertEqual(self.check_layers(result), [])
        self.assertEqual(subprocess.run(command).returncode, 0)
        self.assertEqual(len(os.listdir(out)), 36)


if __name__ == "__main__":
    unittest.main()
