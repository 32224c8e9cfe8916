"""What a job run asks of the system: no library of the window system is loaded, and the
layers are written with few system calls (the count is deterministic, so it is checked
here; the times are in bench/)."""

import os
import shutil
import subprocess
import tempfile
import unittest

from sheetbasis_testing import EXE, WorkFolderTest, write_job

# N-37-XXXVI into a fresh folder takes 163 calls: start-up (with the file-size signal
# ignored and the handler that contains the table library's faults at low memory
# installed), the job file, the lock on the result folder and its one listing (which also
# tells the projects of earlier runs), the two folders made and opened (every file is
# made relative to them) and, for each of the 31 files (24 layer files, 6 styles, the
# project), create, write, close and rename.
MAX_SYSTEM_CALLS = 165

JOB = "Nom=N-37-XXXVI;\r\nPath={};\r\nCS=CK-42;\r\nMapScale=200;\r\n"


def traced(args, strace_options, env=None):
    """Runs the program under strace; returns (exit code, strace's report)."""
    # LeakSanitizer (sanitizer builds) cannot run under a tracer and would fail the run.
    env = dict(os.environ if env is None else env, ASAN_OPTIONS="detect_leaks=0")
    with tempfile.NamedTemporaryFile("r", suffix=".strace") as report:
        proc = subprocess.run(["strace", "-f", "-qq", "-o", report.name, *strace_options, EXE,
                               *args], capture_output=True, timeout=120, env=env)
        return proc.returncode, report.read()


class JobProcessTest(WorkFolderTest):
    def job(self):
        return write_job(self.tmp, JOB.format(self.folder("result")))

    def test_job_run_loads_no_window_system_library(self):
        code, trace = traced([self.job()], ["-e", "trace=execve,open,openat"])
        self.assertEqual(code, 0)
        self.assertNotIn("libQt6", trace)
        self.assertNotIn("libxcb", trace)
        self.assertTrue(os.path.isfile(self.folder("result", "FRAME", "FrameDig.shp")))

        # The same watch does see them in the interactive mode, here started without a display.
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        code, trace = traced([], ["-e", "trace=execve,open,openat"], env)
        self.assertEqual(code, 8)
        self.assertIn("libQt6Widgets", trace)

    def test_interactive_mode_without_its_program_beside_ends_with_8(self):
        lone = shutil.copy(EXE, self.folder("sheetbasis"))
        proc = subprocess.run([lone], capture_output=True, timeout=60)
        self.assertEqual(proc.returncode, 8)
        self.assertIn(self.folder("sheetbasis-ui"), proc.stderr.decode("utf-8"))

    # A sanitizer build links dynamically, and its runtime makes calls of its own.
    @unittest.skipIf(os.environ.get("SHEETBASIS_STATIC_PROGRAM") == "OFF", "dynamic build")
    def test_job_run_makes_few_system_calls(self):
        code, report = traced([self.job()], ["-c"])
        self.assertEqual(code, 0)
        total = [line.split() for line in report.splitlines() if line.endswith(" total")]
        self.assertEqual(len(total), 1, report)
        self.assertLessEqual(int(total[0][3]), MAX_SYSTEM_CALLS, report)
        # Six layers of four files, their six styles and the project.
        self.assertEqual(sum(len(files) for _, _, files in os.walk(self.folder("result"))), 31)


if __name__ == "__main__":
    unittest.main()
