"""Every failure to write is reported and nothing is written where it should not be: a full
disk or a file-size limit fails the run (exit 16, the reason in a set's summary) and leaves
no shape file without its companions; links and pipes where the program writes are replaced
or left alone, never followed; a run killed while writing its project keeps the earlier one;
two runs into one folder take turns; the command line takes a folder as it is given."""

import fcntl
import os
import re
import resource
import shutil
import subprocess
import threading
import unittest

from sheetbasis_testing import (EXE, FRAME_LAYERS, HYPS_LAYERS, WorkFolderTest, files_of,
                                run_program, write_job)

TEMPORARY = re.compile(r"^\..+\.sheetbasis-[0-9a-f]{16}$")
JOB_1M = "Nom=N-37;\r\nPath={};\r\nCS=CK-42;\r\nMapScale=1000;\r\n"
JOB_200K_SK42 = "Nom=N-37-XXXVI;\r\nPath={};\r\nCS=CK-42;\r\nMapScale=200;\r\n"
JOB_500K_SK95 = "Nom=N-37-XXXVI;\r\nPath={};\r\nCS=CK-95;\r\nMapScale=500;\r\n"
PROJECT = "N-37-XXXVI.qgs"
# Each round starts two runs at once; enough rounds that they overlap in most of them.
ROUNDS = 12


def file_size_limit(limit_bytes):
    return lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (limit_bytes, limit_bytes))


class FailedWritesTest(WorkFolderTest):
    def job(self, template, folder="result", name="job.txt"):
        os.makedirs(self.folder(folder), exist_ok=True)
        return write_job(self.tmp, template.format(self.folder(folder)), name=name)

    def assert_layers_whole_or_absent(self, result):
        for sub, layers in (("HYPS", HYPS_LAYERS), ("FRAME", FRAME_LAYERS)):
            folder = os.path.join(result, sub)
            names = os.listdir(folder) if os.path.isdir(folder) else []
            self.assertFalse([n for n in names if TEMPORARY.search(n)], folder)
            for layer in layers:
                if layer + ".shp" in names:
                    companions = {layer + ext for ext in (".shx", ".dbf", ".PRJ")}
                    self.assertLessEqual(companions, set(names), layer)

    def test_a_file_size_limit_fails_the_job_and_the_set_with_the_reason(self):
        limit = file_size_limit(32 * 1024)
        job = subprocess.run([EXE, self.job(JOB_1M)], preexec_fn=limit, capture_output=True)
        self.assertEqual(job.returncode, 16)
        self.assert_layers_whole_or_absent(self.folder("result"))

        sheets = subprocess.run([EXE, "--sheets", "N-37", "--series", "1000", "--out",
                                 self.folder("set")], preexec_fn=limit, capture_output=True)
        self.assertEqual(sheets.returncode, 16)
        summary = sheets.stderr.decode()
        self.assertIn("0 written, 1 failed", summary)
        # The reason names the sheet's folder, which a new sheet that failed never gets.
        self.assertRegex(summary, r"N-37: HypsP: .*/set/N-37/HYPS/HypsP\.dbf: File too large")
        self.assertEqual(os.listdir(self.folder("set")), [])

    def test_abandoned_sheet_folders_go_but_not_one_being_built_nor_a_link(self):
        out = self.folder("set")
        abandoned = os.path.join(out, ".N-37-I.sheetbasis-0123456789abcdef")
        building = os.path.join(out, ".N-37-II.sheetbasis-fedcba9876543210")
        link = os.path.join(out, ".N-37-III.sheetbasis-00000000000000aa")
        for folder in (abandoned, building, self.folder("user")):
            os.makedirs(os.path.join(folder, "HYPS"))
            # The mark that the program writes into every temporary folder it makes.
            open(os.path.join(folder, ".sheetbasis-temporary"), "w").close()
        os.symlink(self.folder("user"), link)
        held = os.open(building, os.O_RDONLY | os.O_DIRECTORY)  # as the run building it does
        try:
            fcntl.flock(held, fcntl.LOCK_EX)
            proc = run_program(["--sheets", "N-37", "--series", "1000", "--out", out])
        finally:
            os.close(held)
        self.assertEqual(proc.returncode, 0)
        self.assertEqual(sorted(os.listdir(out)), sorted(
            ["N-37", os.path.basename(building), os.path.basename(link)]))
        self.assertTrue(os.path.isdir(self.folder("user", "HYPS")))

    @unittest.skipUnless(os.geteuid() == 0, "mounting a small file system needs root")
    def test_a_full_disk_fails_the_run_and_leaves_no_shape_file_without_its_companions(self):
        self.assertEqual(run_program([self.job(JOB_1M)]).returncode, 0)
        whole = files_of(self.folder("result"))
        needed_kib = sum(len(data) for data in whole.values()) // 1024
        disk = self.folder("disk")
        os.makedirs(disk)
        # Disks that fill up at every step of the run, from the first layer to the project.
        for size_kib in range(16, needed_kib + 64, 8):
            if subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size_kib}k", "tmpfs",
                               disk]).returncode:
                self.skipTest("tmpfs cannot be mounted here")
            try:
                result = os.path.join(disk, "result")
                os.makedirs(result)
                job = write_job(self.tmp, JOB_1M.format(result))
                code = run_program([job]).returncode
                with self.subTest(size_kib=size_kib, code=code):
                    self.assertIn(code, (0, 16))
                    if code == 0:
                        self.assertEqual(files_of(result).keys(), whole.keys())
                    self.assert_layers_whole_or_absent(result)
            finally:
                subprocess.run(["umount", disk], check=True)

    def test_an_earlier_shape_file_that_cannot_be_removed_keeps_its_companions(self):
        job = self.job(JOB_200K_SK42)
        self.assertEqual(run_program([job]).returncode, 0)
        shp = self.folder("result", "HYPS", "HypsA.shp")
        if subprocess.run(["chattr", "+i", shp], capture_output=True).returncode:
            self.skipTest("the file system takes no immutable flag")
        try:
            self.assertEqual(run_program([job]).returncode, 8)
            names = set(os.listdir(self.folder("result", "HYPS")))
            self.assertLessEqual({"HypsA.shp", "HypsA.shx", "HypsA.dbf", "HypsA.PRJ"}, names)
        finally:
            subprocess.run(["chattr", "-i", shp], check=True)

    def test_links_and_pipes_where_the_program_writes_are_never_followed(self):
        job = self.job(JOB_200K_SK42)
        self.assertEqual(run_program([job]).returncode, 0)
        user_file = self.folder("user.txt")
        with open(user_file, "w") as f:
            f.write("the user's own file")
        hyps = self.folder("result", "HYPS")
        for link in (os.path.join(hyps, "HypsA.qml"), self.folder("result", PROJECT)):
            os.remove(link)
            os.symlink(user_file, link)
        # The names an earlier version wrote under: a dangling link and a pipe.
        os.symlink(self.folder("outside.shp"), os.path.join(hyps, "HypsA.shp.partial"))
        os.mkfifo(os.path.join(hyps, "HypsL.shp.partial"))

        self.assertEqual(run_program([job], timeout=60).returncode, 0)
        with open(user_file) as f:
            self.assertEqual(f.read(), "the user's own file")
        self.assertFalse(os.path.lexists(self.folder("outside.shp")))
        for written in (os.path.join(hyps, "HypsA.qml"), self.folder("result", PROJECT),
                        os.path.join(hyps, "HypsA.shp")):
            self.assertFalse(os.path.islink(written), written)

    @unittest.skipUnless(shutil.which("strace"), "strace is not installed")
    def test_a_run_killed_while_putting_its_project_in_place_keeps_the_earlier_one(self):
        other = self.job(JOB_500K_SK95, name="other.txt")
        # Files are renamed relative to their folder, or exchanged with an earlier file.
        calls = "rename,renameat,renameat2"
        counted = subprocess.run(["strace", "-f", "-c", "-e", "trace=" + calls, EXE, other],
                                 capture_output=True, text=True)
        renames = [sum(int(line.split()[3]) for line in counted.stderr.splitlines()
                       if line.split()[-1:] and line.split()[-1] in calls.split(","))]
        job = self.job(JOB_200K_SK42)
        self.assertEqual(run_program([job]).returncode, 0)
        earlier = files_of(self.folder("result"))
        # The project is the last file put in place.
        subprocess.run(["strace", "-f", "-o", os.devnull, "-e",
                        f"inject={calls}:signal=SIGKILL:when={renames[0]}", EXE, other])
        with open(self.folder("result", PROJECT), "rb") as f:
            self.assertEqual(f.read(), earlier[PROJECT])
        self.assertTrue([n for n in os.listdir(self.folder("result")) if TEMPORARY.search(n)])
        self.assertEqual(run_program([job]).returncode, 0)
        self.assertEqual(files_of(self.folder("result")), earlier)

    def test_two_runs_into_one_folder_take_turns(self):
        jobs = [self.job(JOB_200K_SK42, "a", "a.txt"), self.job(JOB_500K_SK95, "b", "b.txt")]
        for job in jobs:
            self.assertEqual(run_program([job]).returncode, 0)
        results = [files_of(self.folder("a")), files_of(self.folder("b"))]
        self.assertNotEqual(results[0], results[1])
        shared = [self.job(JOB_200K_SK42, "shared", "sa.txt"),
                  self.job(JOB_500K_SK95, "shared", "sb.txt")]
        for round_ in range(ROUNDS):
            runs = [subprocess.Popen([EXE, job]) for job in shared]
            self.assertEqual([run.wait(timeout=120) for run in runs], [0, 0])
            self.assertIn(files_of(self.folder("shared")), results, f"round {round_}")

    def test_folders_are_taken_byte_for_byte_from_the_command_line(self):
        for out in (b" out", b"caf\xe9", b"a;b"):
            proc = subprocess.run([EXE, "--sheets", "N-37", "--series", "1000", "--out", out],
                                  cwd=self.tmp, capture_output=True)
            self.assertEqual(proc.returncode, 0, proc.stderr)
            self.assertTrue(os.path.isfile(os.path.join(self.tmp.encode(), out,
                                                        b"N-37/HYPS/HypsA.shp")), out)
        proc = run_program(["--sheets", "N-37", "--series", "1000", "--out", ""], cwd=self.tmp)
        self.assertEqual(proc.returncode, 2)
        self.assertEqual(sorted(os.listdir(self.tmp.encode())), [b" out", b"a;b", b"caf\xe9"])

    def test_job_lists_that_cannot_be_used_are_refused_and_blank_lines_skipped(self):
        os.makedirs(self.folder("a folder"))
        for listed, code in ((self.folder("a folder"), 8), ("/dev/zero", 8)):
            proc = run_program(["--jobs-from", listed], timeout=30)
            self.assertEqual(proc.returncode, code, listed)
            self.assertIn(b"--jobs-from", proc.stderr)

        pipe = self.folder("pipe.job")
        os.mkfifo(pipe)
        # The pipe gives one text, once: a second opening would wait for ever.
        writer = threading.Thread(target=lambda: open(pipe, "w").write("no entries here\n"),
                                  daemon=True)
        writer.start()
        listing = write_job(self.tmp, f"\n   \n{self.job(JOB_1M)}\n\t\n{pipe}\n", name="list")
        proc = run_program(["--jobs-from", listing], timeout=30)
        writer.join(timeout=5)
        self.assertEqual(proc.returncode, 8)
        self.assertIn(b"1 written, 1 failed", proc.stderr)

    def test_output_that_cannot_be_written_is_a_failure(self):
        with open("/dev/full", "w") as full:
            for args in (["--help"], ["--version"]):
                self.assertNotEqual(subprocess.run([EXE, *args], stdout=full).returncode, 0)
            proc = subprocess.run([EXE, "--sheets", "N-37", "--series", "1000", "--out",
                                   self.folder("set")], stderr=full)
            self.assertEqual(proc.returncode, 8)

    @unittest.skipUnless(os.geteuid() == 0, "running as another user needs root")
    def test_threads_that_cannot_be_started_do_not_abort_the_run(self):
        os.chmod(self.tmp, 0o777)

        def as_nobody_without_threads():
            os.setgid(65534)
            os.setuid(65534)
            resource.setrlimit(resource.RLIMIT_NPROC, (1, 1))

        # A sanitizer build's leak check needs a thread of its own at exit.
        env = dict(os.environ, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
        proc = subprocess.run([EXE, "--sheets", "N..O:37..38", "--series", "1000", "--jobs",
                               "4", "--out", self.folder("set")],
                              preexec_fn=as_nobody_without_threads, capture_output=True, env=env)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.assertIn(b"4 written, 0 failed", proc.stderr)


if __name__ == "__main__":
    unittest.main()
