"""Sheet-set runs end to end: every sheet of a set is written exactly as its own job run
writes it, failures stay with their sheet, and the command line keeps its conventions."""

import filecmp
import os
import subprocess
import unittest

from sheetbasis_testing import EXE, WorkFolderTest, run_program, write_job

SET_CS = "ГCK-2011 / СК-42"
OUTSIDE = b"outside the rows K..U and columns 33..60, 01, 02 that the program covers"


def layer_files(folder):
    return sorted(os.path.join(sub, name) for sub in ("HYPS", "FRAME")
                  for name in os.listdir(os.path.join(folder, sub)))


class SheetSetTest(WorkFolderTest):
    def assert_same_as_job_runs(self, out, entries):
        for name in sorted(os.listdir(out)):
            result = self.folder("jobs", name)
            # The folder's name is the sheet's own name, which a job file's Nom takes back.
            job = write_job(self.tmp, f"Nom={name};\r\n{entries}Path={result};\r\n")
            self.assertEqual(run_program([job]).returncode, 0, name)
            files = layer_files(result)
            self.assertIn(os.path.join("HYPS", "HypsA.shp"), files, name)
            self.assertEqual(layer_files(os.path.join(out, name)), files, name)
            _, mismatch, errors = filecmp.cmpfiles(result, os.path.join(out, name), files,
                                                   shallow=False)
            self.assertEqual(mismatch + errors, [], name)

    def test_each_sheet_is_byte_identical_to_its_job_run(self):
        out = self.folder("set")
        proc = run_program(["--sheets", "N-37,T-38,Q-40-I(2)", "--series", "200", "--out", out,
                            "--cs", "gsk2011-from-sk42", "--scale", "500", "--x-minute", "2", "--jobs", "2"])
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.assertEqual(proc.stderr, b"sheetbasis: 49 written, 0 failed\n")
        self.assertIn("T-38-IV,V,VI", os.listdir(out))
        self.assert_same_as_job_runs(out, f"CS={SET_CS};\r\nMapScale=500;\r\nxMinute=2;\r\n")

    def test_million_series_block_is_byte_identical_to_its_job_runs(self):
        out = self.folder("set")
        proc = run_program(["--sheets=T..U:57..02", "--series=1000", f"--out={out}"])
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.assertEqual(sorted(os.listdir(out)),
                         ["T-01,02", "T-57,58,59,60", "U-01,02", "U-57,58,59,60"])
        self.assert_same_as_job_runs(out, "")

    def test_written_names_are_taken_back_and_frameless_scales_are_told(self):
        out = self.folder("set")
        names = ["N-37-XXXVI", "Q-60-VI,01-I", "T-37-I,II,III"]
        proc = run_program(["--sheets", ",".join(names), "--series", "200", "--scale", "1000",
                            "--cs", "СК-95", "--out", out])
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.assertEqual(proc.stderr.decode().splitlines(), [
            "sheetbasis: note: 3 sheets are drawn at a map scale without frame layers "
            "(1:1 000 000 in the 1:200 000 series, 1:5 000 000): their FRAME folders stay empty",
            "sheetbasis: 3 written, 0 failed"])
        self.assertEqual(sorted(os.listdir(out)), names)
        self.assertEqual(os.listdir(os.path.join(out, names[1], "FRAME")), [])
        self.assert_same_as_job_runs(out, "CS=CK-95;\r\nMapScale=1000;\r\n")
        # A job run says nothing, whatever it writes.
        job = write_job(self.tmp, f"Nom=N-37-I;\r\nMapScale=1000;\r\nPath={self.folder('j')};\r\n")
        proc = run_program([job])
        self.assertEqual((proc.returncode, proc.stdout, proc.stderr), (0, b"", b""))

    def test_a_failing_sheet_leaves_the_others_and_sets_the_exit_code(self):
        out = self.folder("set")
        os.makedirs(out)
        with open(os.path.join(out, "N-37-XII"), "w") as f:
            f.write("a file where the sheet's folder should be")
        proc = run_program(["--sheets", "N-37", "--series", "200", "--out", out])
        self.assertEqual(proc.returncode, 8)
        self.assertEqual(proc.stderr.decode().splitlines(), [
            "sheetbasis: 35 written, 1 failed",
            f"  N-37-XII: {out}/N-37-XII/: Not a directory (exit code 8)"])
        self.assertTrue(os.path.isfile(os.path.join(out, "N-37-XIII", "FRAME", "Frame.shp")))

    def test_quiet_prints_nothing_and_a_terminal_gets_a_progress_bar(self):
        args = ["--sheets", "N-37", "--series", "200", "--out", self.folder("set")]
        quiet = run_program(args + ["--quiet"])
        self.assertEqual((quiet.returncode, quiet.stdout, quiet.stderr), (0, b"", b""))
        # One thread generates in the program's own, which then shows the bar between sheets.
        for threads in ([], ["--jobs", "1"]):
            with self.subTest(threads=threads):
                master, slave = os.openpty()
                proc = subprocess.Popen([EXE, *args, *threads], stdout=subprocess.DEVNULL,
                                        stderr=slave)
                os.close(slave)
                shown = b""
                while True:
                    try:
                        chunk = os.read(master, 4096)
                    except OSError:  # the terminal's other end closed
                        break
                    if not chunk:
                        break
                    shown += chunk
                os.close(master)
                self.assertEqual(proc.wait(timeout=60), 0)
                self.assertIn(b"]  36/36", shown)
                self.assertTrue(shown.startswith(b"\r["), shown[:40])
                self.assertIn(b"sheetbasis: 36 written, 0 failed", shown)

    def test_job_list_runs_each_job_as_its_own_run(self):
        jobs = [write_job(self.tmp, f"Nom=N-37-{n};\r\nPath={self.folder(n)};\r\n", name=f"{n}.job")
                for n in ("I", "II")]
        listing = write_job(self.tmp, "\n".join(["# two jobs and one missing", *jobs,
                                                 self.folder("none.job")]) + "\n", name="list")
        proc = run_program(["--jobs-from", listing])
        self.assertEqual(proc.returncode, 8)
        self.assertIn(b"2 written, 1 failed", proc.stderr)
        for n in ("I", "II"):
            self.assertTrue(os.path.isfile(self.folder(n, "HYPS", "HypsA.shp")))


    def test_quiet_keeps_the_reason_of_a_failure(self):
        out = self.folder("set")
        proc = run_program(["--sheets", "N-37-XXXVI,N-37-XXXV", "--series", "200", "--out", out,
                            "--x-from", "41°30'", "-q"])
        self.assertEqual(proc.returncode, 8)
        # 41°30' lies east of N-37-XXXV's east edge, 41°.
        self.assertEqual(proc.stderr.decode().splitlines(), [
            "  N-37-XXXV: --x-from 41°30': the west edge of N-37-XXXV must lie strictly between "
            "39°00' and 41°00' (exit code 8)"])
        self.assertEqual(os.listdir(out), ["N-37-XXXVI"])

    def test_a_listing_needs_no_folder_and_writes_nothing(self):
        proc = run_program(["--sheets", "н-37-ххxvi,P-37-vi,38-i", "--series", "200", "--list"],
                           cwd=self.tmp)
        self.assertEqual((proc.returncode, proc.stderr), (0, b""))
        rows = [line.split("\t") for line in proc.stdout.decode().splitlines()[1:]]
        self.assertEqual([(row[0], row[-1]) for row in rows],
                         [("N-37-XXXVI", "N-37-XXXVI"), ("P-37-VI,38-I", "P-37-VI,38-I")])
        self.assertEqual(os.listdir(self.tmp), [])
        # Run from the current folder, the sheets go where the listing said.
        proc = run_program(["--sheets", "N-37-XXXVI", "--series", "200", "--out", "."],
                           cwd=self.tmp)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.assertTrue(os.path.isfile(os.path.join(self.tmp, rows[0][-1], "HYPS", "HypsA.shp")))


class CommandLineConventionsTest(WorkFolderTest):
    def test_help_and_version_go_to_stdout_with_exit_0(self):
        for args, expected in ((["--help"], b"--sheets SET"), (["-h"], b"--jobs-from"),
                               (["--version"], b"sheetbasis 3.1\n")):
            proc = run_program(args)
            self.assertEqual((proc.returncode, proc.stderr), (0, b""), args)
            self.assertIn(expected, proc.stdout)

    def test_unknown_options_and_bad_sets_give_2_with_a_message(self):
        for args in (["--frobnicate"], ["-x"], ["--sheets", "X-99", "--series", "200", "--out", "o"],
                     ["--sheets", "N-37", "--series", "200"],
                     ["--sheets", "N-37", "--series", "1000", "--out", "o", "--scale", "200"]):
            proc = run_program(args, cwd=self.tmp)
            self.assertEqual(proc.returncode, 2, args)
            self.assertEqual(proc.stdout, b"")
            self.assertIn(b"sheetbasis: ", proc.stderr)
        self.assertEqual(os.listdir(self.tmp), [])
        told = {"N-31": OUTSIDE, "A-37-XII": OUTSIDE, "T-37-I,II,IV": b"not a sheet name"}
        for sheets, message in told.items():
            proc = run_program(["--sheets", sheets, "--series", "200", "--out", "o"], cwd=self.tmp)
            self.assertEqual(proc.returncode, 2, sheets)
            self.assertIn(f'"{sheets}": '.encode() + message, proc.stderr)
        proc = run_program(["--sheets", "N-37", "--series", "200", "--out", "o", "--cs", "wgs84"],
                           cwd=self.tmp)
        self.assertEqual(proc.returncode, 2)
        self.assertIn("sk42, sk95, gsk2011, gsk2011-from-sk42".encode(), proc.stderr)

    def test_a_job_file_named_like_an_option_runs_after_double_dash(self):
        write_job(self.tmp, f"Nom=N-37-XXXVI;\r\nPath={self.folder('r')};\r\n", name="-job")
        self.assertEqual(run_program(["-job"], cwd=self.tmp).returncode, 2)
        proc = run_program(["--", "-job"], cwd=self.tmp)
        self.assertEqual((proc.returncode, proc.stdout, proc.stderr), (0, b"", b""))
        self.assertTrue(os.path.isfile(self.folder("r", "FRAME", "FrameAdj.shp")))


if __name__ == "__main__":
    unittest.main()
