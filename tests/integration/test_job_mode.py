"""Job-file mode end to end: the exit code is the only report (0 done, 8 the job could not
be used or the folders prepared, 16 the generation failed), nothing is printed, and nothing
is written outside the result folder."""

import os
import unittest

from sheetbasis_testing import HYPS_LAYERS, WorkFolderTest, read_layer, run_job, run_program


def snapshot(folder):
    """Every file below folder with its size and modification time."""
    found = {}
    for root, _dirs, files in os.walk(folder):
        for name in files:
            path = os.path.join(root, name)
            st = os.stat(path)
            found[os.path.relpath(path, folder)] = (st.st_size, st.st_mtime_ns)
    return found


def file_bytes(folder):
    """Every file below folder with its contents."""
    found = {}
    for root, _dirs, files in os.walk(folder):
        for name in files:
            with open(os.path.join(root, name), "rb") as f:
                found[os.path.relpath(os.path.join(root, name), folder)] = f.read()
    return found


class JobModeTest(WorkFolderTest):
    def job(self, entries, result="result"):
        return f"Nom=N-37-XXXVI;\r\nPath={self.folder(result)};\r\n{entries}"

    def assert_exit(self, text, code, **kw):
        proc = run_job(self.tmp, text, **kw)
        self.assertEqual(proc.returncode, code, (text, proc.stderr))
        self.assertEqual(proc.stdout, b"")
        self.assertEqual(proc.stderr, b"")
        return proc

    def test_valid_job_writes_the_hyps_layers_and_prints_nothing(self):
        self.assert_exit(self.job("CS=CK-42;MapScale=200;"), 0)
        for name in HYPS_LAYERS:
            for ext in (".shp", ".shx", ".dbf", ".PRJ"):
                self.assertTrue(os.path.isfile(self.folder("result", "HYPS", name + ext)), name + ext)

    def test_every_rejection_of_the_job_file_gives_8(self):
        rejected = {
            "no semicolon": "Nom=N-37-XXXVI\r\nPath=x/y;",
            "text after the last semicolon": self.job("CS=CK-42; x"),
            "semicolon before equals": "Nom;=N-37;\r\nPath=abc/;",
            "empty key": self.job("=CK-42;"),
            "empty value": self.job("CS=;"),
            "unknown key": self.job("Scale=200;"),
            "key in the wrong case": self.job("cs=CK-42;"),
            "repeated Nom": self.job("Nom=N-37-XXXV;"),
            "repeated Path": self.job("Path=abc/;"),
            "repeated MapScale": self.job("MapScale=200;MapScale=500;"),
            "repeated angle": self.job("xFrom=41;xFrom=41;"),
            "MapScale before Nom": "MapScale=200;Nom=N-37-XXXVI;Path=abc/;",
            "MapScale of the other series": self.job("MapScale=2500;"),
            "Latin G in the CS name": self.job("CS=GCK-2011;"),
            "bad sheet name": "Nom=N-37-XXXVII;Path=abc/;",
            "zero step": self.job("ParallelStep=0;"),
            "zero minutes": self.job("xMinute=0;"),
            "non-numeric angle": self.job("xFrom=4l;"),
            "minutes out of range": self.job("yMinute=60;"),
            "no Path": "Nom=N-37-XXXVI;",
            "no Nom": f"Path={self.folder('r')};",
            "empty file": "",
            "edge a whole sheet outside": self.job("xFrom=40;"),
            "north edge too far": self.job("yTo=53 20';"),
        }
        for why, text in rejected.items():
            with self.subTest(why):
                self.assert_exit(text, 8)
                self.assertFalse(os.path.exists(self.folder("result", "HYPS")), why)

    def test_missing_and_unreadable_job_files_give_8(self):
        self.assertEqual(run_program([self.folder("no-such-job.txt")]).returncode, 8)
        self.assertEqual(run_program([self.tmp]).returncode, 8, "a folder is not a job file")
        self.assert_exit(bytes(range(256)) * 4, 8)
        self.assert_exit(b"\x00" * 100, 8)

    def test_leading_blanks_and_extra_arguments(self):
        path = os.path.join(self.tmp, "job.txt")
        with open(path, "wb") as f:
            f.write(self.job("").encode("cp1251"))
        proc = run_program(["   " + path, "more", "args"])
        self.assertEqual(proc.returncode, 0, proc.stderr)

    def test_utf8_and_cp1251_job_files_are_both_read(self):
        text = self.job("CS=ГСК-2011;xFrom=41°15';")
        self.assert_exit(text, 0, encoding="cp1251")
        self.assert_exit(text, 0, encoding="utf-8")
        self.assert_exit(text, 0, encoding="utf-8-sig")
        hyps_a = read_layer(self.folder("result"), "HYPS", "HypsA")
        corners = hyps_a.attributes()[0]
        self.assertEqual(corners["LeftUp"], "41°15' в.д. 52°40' с.ш.")

    def test_sheet_names_in_either_case_or_cyrillic_letters_draw_the_same_sheet(self):
        self.assert_exit(self.job(""), 0)
        want = file_bytes(self.folder("result"))
        typed = (("Н-37-ХХХVI", "cp1251"), ("н-37-ххxvі", "utf-8"), ("n-37-xxxvi", "utf-8"))
        for n, (name, encoding) in enumerate(typed):
            with self.subTest(name):
                folder = self.folder(f"typed{n}")
                self.assert_exit(f"Nom={name};\r\nPath={folder};\r\n", 0, encoding=encoding)
                self.assertEqual(file_bytes(folder), want)

    def test_result_folder_is_created_when_missing(self):
        self.assert_exit(self.job("", result="new/deeper"), 0)
        self.assertTrue(os.path.isfile(self.folder("new", "deeper", "HYPS", "HypsA.shp")))

    def test_folder_names_are_never_shell_commands(self):
        name = 'a "b" & c | $(touch pwned) `touch pwned2` > d'
        self.assert_exit(self.job("", result=name), 0)
        self.assertTrue(os.path.isfile(self.folder(name, "HYPS", "HypsL.shp")))
        self.assertEqual(sorted(os.listdir(self.tmp)), sorted(["job.txt", name]))
        self.assertFalse(os.path.exists("pwned"))

    def test_result_folder_that_cannot_be_created_gives_8(self):
        with open(self.folder("plain-file"), "w") as f:
            f.write("not a folder")
        before = snapshot(self.tmp)
        self.assertEqual(run_job(self.tmp, self.job("", result="plain-file/result")).returncode, 8)
        after = snapshot(self.tmp)
        after.pop("job.txt", None)
        before.pop("job.txt", None)
        self.assertEqual(before, after)

    def test_result_folder_that_cannot_be_written_gives_16(self):
        # Root ignores permissions; a sub-folder that is blocked by a file of the layer's
        # name is a failure even root cannot get around.
        os.makedirs(self.folder("result", "HYPS", "HypsA.dbf"))
        self.assertEqual(run_job(self.tmp, self.job("")).returncode, 16)

    def test_failure_of_the_table_library_prints_nothing(self):
        # A folder holds HypsL's shape file name: job mode speaks through its exit code
        # alone. A run that fails puts none of its files in place: the folder holds what it
        # held before, the folder in the way alone.
        os.makedirs(self.folder("result", "HYPS", "HypsL.shp"))
        self.assert_exit(self.job("CS=CK-42;MapScale=200;"), 16)
        self.assertEqual(os.listdir(self.folder("result", "HYPS")), ["HypsL.shp"])
        self.assertEqual(os.listdir(self.folder("result", "FRAME")), [])

    def test_second_run_replaces_the_layers_and_keeps_other_files(self):
        self.assert_exit(self.job("MapScale=200;"), 0)
        # Names that begin with a layer's name belong to the user, not to the layer.
        kept = {"HYPS": ("notes.txt", "HypsA_old.shp", "HypsA_old.dbf", "HypsLines.txt"),
                "FRAME": ("notes.txt", "FrameNotes.txt", "FrameDig_2019.shp", "Frame")}
        for sub, names in kept.items():
            for name in names:
                with open(self.folder("result", sub, name), "w") as f:
                    f.write("keep me")
        with open(self.folder("result", "HYPS", "HypsP.cpg"), "w") as f:
            f.write("stale file of the old layer")
        first = read_layer(self.folder("result"), "HYPS", "HypsP")
        self.assertEqual(len(first.features), 81)

        self.assert_exit(self.job("xFrom=41 30';"), 0)
        second = read_layer(self.folder("result"), "HYPS", "HypsP")
        self.assertEqual(len(second.features), 45)
        for sub, names in kept.items():
            for name in names:
                with open(self.folder("result", sub, name)) as f:
                    self.assertEqual(f.read(), "keep me", name)
        self.assertFalse(os.path.exists(self.folder("result", "HYPS", "HypsP.cpg")))

    def test_examples_run(self):
        examples = os.path.join(os.environ.get("SHEETBASIS_SOURCE", "."), "examples")
        for name in sorted(os.listdir(examples)):
            if not name.endswith(".job"):
                continue
            with self.subTest(name):
                with open(os.path.join(examples, name), "rb") as f:
                    text = f.read()
                # Redirect the example's result folder into the test's own folder.
                lines = [l for l in text.split(b"\n") if not l.strip().startswith(b"Path=")]
                lines.append(f"Path={self.folder(name)};".encode())
                self.assert_exit(b"\n".join(lines), 0)


if __name__ == "__main__":
    unittest.main()
