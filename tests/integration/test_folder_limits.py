"""Path limits in job-file mode count characters, never bytes, and a path is never cut: the
layers land in <folder>/HYPS and <folder>/FRAME or nowhere. User files in the result
folder, in its parent and beside the layers in HYPS and FRAME survive every run."""

import os
import unittest

from sheetbasis_testing import (FRAME_LAYERS, HYPS_LAYERS, WorkFolderTest, run_job,
                                run_program, tree, write_job)

# Every layer with its style, and the sheet's project beside the two sub-folders.
LAYER_FILES = {os.path.join(sub, name + ext)
               for sub, names in (("HYPS", HYPS_LAYERS), ("FRAME", FRAME_LAYERS))
               for name in names for ext in (".shp", ".shx", ".dbf", ".PRJ", ".qml")}
RESULT_FILES = LAYER_FILES | {"N-37-XXXVI.qgs"}
# Folder texts hold 260 characters; the longest sub-folder name, "FRAME", needs 5 of them.
FOLDER_TEXT_LENGTH = 260
LONGEST_RESULT_FOLDER = FOLDER_TEXT_LENGTH - len("FRAME")


def plant(folder, *names):
    os.makedirs(folder, exist_ok=True)
    for name in names:
        with open(os.path.join(folder, name), "w") as f:
            f.write("the user's own " + name)


class FolderLimitsTest(WorkFolderTest):
    def plant_user_files(self, result):
        """User files in the result folder, its parent and beside the layers."""
        plant(os.path.dirname(result.rstrip("/")), "HypsA.shp", "HypsA.dbf", "Frame.shp")
        plant(result, "HypsA.shp", "notes.txt")
        plant(os.path.join(result, "HYPS"), "HypsA_old.shp", "HypsA_old.dbf", "Hyps.txt")
        plant(os.path.join(result, "FRAME"), "FrameNotes.txt", "FrameDig_2019.shp")

    def assert_only_layers_added(self, result, before):
        """Compared with before, exactly the 24 layer files of result are new; nothing else
        was written, changed or deleted below the test's folder."""
        after = tree(self.tmp)
        after.pop("job.txt", None)
        before.pop("job.txt", None)
        prefix = os.path.relpath(result, self.tmp)
        added = {k for k in after if k not in before}
        self.assertEqual(added, {os.path.join(prefix, f) for f in RESULT_FILES})
        self.assertEqual({k: after.get(k) for k in before}, before)

    def run_into(self, result, code):
        self.plant_user_files(result)
        before = tree(self.tmp)
        proc = run_job(self.tmp, f"Nom=N-37-XXXVI;Path={result};CS=CK-42;")
        self.assertEqual((proc.returncode, proc.stdout, proc.stderr), (code, b"", b""))
        if code == 0:
            self.assert_only_layers_added(result, before)
        else:
            after = tree(self.tmp)
            after.pop("job.txt", None)
            before.pop("job.txt", None)
            self.assertEqual(after, before)

    def test_cyrillic_folder_longer_than_260_bytes_gets_every_layer(self):
        self.run_into(self.folder("r", "Д" * 70, "Д" * 70) + "/", 0)

    def test_cyrillic_folder_whose_first_260_bytes_end_at_a_separator(self):
        head = len(self.folder("r").encode()) + 1
        letters, pad = divmod(FOLDER_TEXT_LENGTH - head - 1, 2)
        parent = self.folder("r", "Д" * letters + "a" * pad)
        self.assertEqual(len((parent + "/").encode()), FOLDER_TEXT_LENGTH)
        self.run_into(os.path.join(parent, "Д" * 20) + "/", 0)

    def ascii_folder(self, length):
        """A folder text of exactly length characters, ending with "/"."""
        stem = self.folder("a" * 100, "b" * 100) + "/"
        return stem + "c" * (length - len(stem) - 1) + "/"

    def test_ascii_folder_leaving_no_room_for_the_sub_folders_is_refused(self):
        for length in range(LONGEST_RESULT_FOLDER + 1, FOLDER_TEXT_LENGTH + 1):
            with self.subTest(length=length):
                self.run_into(self.ascii_folder(length), 8)

    def test_ascii_folder_of_the_longest_length_is_used(self):
        self.run_into(self.ascii_folder(LONGEST_RESULT_FOLDER), 0)

    def test_job_file_in_a_long_cyrillic_folder_is_found(self):
        jobs = self.folder("Ж" * (144 - len(self.tmp) - 1))
        self.assertEqual(len(jobs), 144)
        os.makedirs(jobs)
        job = write_job(jobs, f"Nom=N-37-XXXVI;Path={self.folder('out')};")
        self.assertGreater(len(job.encode()), FOLDER_TEXT_LENGTH)
        proc = run_program([job])
        self.assertEqual((proc.returncode, proc.stdout, proc.stderr), (0, b"", b""))
        self.assertTrue(os.path.isfile(self.folder("out", "HYPS", "HypsA.shp")))

    def test_job_file_name_longer_than_260_characters_is_refused_not_cut(self):
        name = "j" * (271 - len(self.tmp) - 1)
        too_long = self.folder(name)
        cut = too_long[:FOLDER_TEXT_LENGTH]
        write_job(self.tmp, f"Nom=N-37-XXXVI;Path={self.folder('long')};", name=name)
        write_job(self.tmp, f"Nom=N-37-XXXVI;Path={self.folder('cut')};",
                  name=os.path.basename(cut))
        self.assertEqual(run_program([too_long]).returncode, 8)
        self.assertEqual(sorted(os.listdir(self.tmp)), sorted([name, os.path.basename(cut)]))
        self.assertEqual(run_program([cut]).returncode, 0, "260 characters are a valid name")
        self.assertTrue(os.path.isdir(self.folder("cut", "HYPS")))

    def test_utf8_job_file_keeps_characters_that_windows_1251_lacks(self):
        result = self.folder("Лист ✓ N-37")
        proc = run_job(self.tmp, f"Nom=N-37;Path={result};CS=ГCK-2011;", encoding="utf-8")
        self.assertEqual((proc.returncode, proc.stdout, proc.stderr), (0, b"", b""))
        self.assertEqual(sorted(os.listdir(self.tmp)), sorted(["job.txt", "Лист ✓ N-37"]))
        with open(os.path.join(result, "HYPS", "HypsA.PRJ")) as f:
            self.assertIn("2011", f.read())


if __name__ == "__main__":
    unittest.main()
