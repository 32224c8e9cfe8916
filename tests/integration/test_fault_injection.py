"""Faults injected into runs over an earlier result and into sets: a rerun that fails keeps
the earlier result byte for byte, clean-up takes only the program's own temporary files and
folders, no link below the result folder is followed, low memory ends with a reason instead
of a signal, and every failure tells its reason on standard error."""

import os
import re
import resource
import shutil
import subprocess
import sys
import time
import unittest

from sheetbasis_testing import EXE, WorkFolderTest, files_of, run_program, write_job

JOB_200K = "Nom=N-37-XXXVI;\r\nPath={};\r\nCS=CK-42;\r\nMapScale=200;\r\n"
JOB_OTHER_CS = "Nom=N-37-XXXVI;\r\nPath={};\r\nCS=CK-95;\r\nMapScale=200;\r\n"
# The same sheet at a map scale without frame layers: a rerun with it removes them.
JOB_FRAMELESS = "Nom=N-37-XXXVI;\r\nPath={};\r\nCS=CK-42;\r\nMapScale=1000;\r\n"
SET_3 = ["--sheets", "N-37-I,N-37-II,N-37-III", "--series", "200"]
TEMPORARY = re.compile(r"^\..+\.sheetbasis-[0-9a-f]{16}$")
NOBODY = 65534
# Address-space limits (KiB above the least in which the program starts at all) for a set
# of two threads: around the smallest the program's own thread needs, and just above the
# room for one and for two thread stacks, where each allocation in turn is the one that
# fails, up to ones that are enough for every sheet; each run must end with an exit code,
# never a signal. Below the least the program cannot even be loaded, which no program can
# report.
_STACK_KIB = resource.getrlimit(resource.RLIMIT_STACK)[0] // 1024
THREAD_STACK_KIB = _STACK_KIB if 0 < _STACK_KIB < 1 << 20 else 8 * 1024  # unlimited: the usual
MEMORY_ABOVE_START_KIB = (300, 400, 500, 600, 700, 800, 900, 1000, 5000) + tuple(
    stacks * THREAD_STACK_KIB + k for stacks in (1, 2) for k in range(0, 1500, 50))
MEMORY_RUNS_EACH = 2
# Address-space limits (KiB above that least) under which a rerun runs out of memory at one
# step or another.
RERUN_MEMORY_ABOVE_START_KIB = (400, 500, 600, 700, 800, 900)
# Runs of root's job while an unprivileged user swaps FRAME for a link and back.
SWAP_RUNS = 40
# The longest job list taken, of the shortest lines: 8 Mi names of one letter.
LONG_LIST_LINES = 8 * 1024 * 1024
# What a run of that list may hold at its peak, and the address space that stops a run
# that would hold far more before it fills the machine.
LONG_LIST_PEAK_KIB = 64 * 1024
LONG_LIST_ADDRESS_SPACE_KIB = 512 * 1024


def limits(**kib):
    """A preexec function setting the given resource limits (file size or memory, KiB)."""
    def apply():
        if "fsize" in kib:
            resource.setrlimit(resource.RLIMIT_FSIZE, (kib["fsize"] * 1024,) * 2)
        if "memory" in kib:
            resource.setrlimit(resource.RLIMIT_AS, (kib["memory"] * 1024,) * 2)
        if "files" in kib:
            resource.setrlimit(resource.RLIMIT_NOFILE, (kib["files"],) * 2)
    return apply


def least_start_kib():
    """The least address space (KiB, to 100) in which the program answers --version, or None
    when even 64 MiB is too little (a sanitizer build reserves its shadow memory first)."""
    def starts(kib):
        return subprocess.run([EXE, "--version"], capture_output=True,
                              preexec_fn=limits(memory=kib)).returncode == 0
    low, high = 1000, 65536
    if not starts(high):
        return None
    while high - low > 100:
        middle = (low + high) // 2
        low, high = (low, middle) if starts(middle) else (middle, high)
    return high


LEAST_START_KIB = least_start_kib()
needs_memory_limits = unittest.skipIf(
    LEAST_START_KIB is None, "the program does not start under an address-space limit")


def sanitizer_free_env():
    """A sanitizer build cannot run under an address-space limit; plain builds ignore this."""
    return dict(os.environ, ASAN_OPTIONS="detect_leaks=0")


def chattr(flag, path):
    return subprocess.run(["chattr", flag, path], capture_output=True).returncode == 0


def traced(strace_options, args):
    return subprocess.run(["strace", "-f", "-qq", "-o", os.devnull, *strace_options, EXE, *args],
                          capture_output=True, timeout=120, env=sanitizer_free_env())


class FaultInjectionTest(WorkFolderTest):
    def job(self, template=JOB_200K, folder="result"):
        os.makedirs(self.folder(folder), exist_ok=True)
        return write_job(self.tmp, template.format(self.folder(folder)),
                         name=folder + ".job")

    def earlier_result(self):
        job = self.job()
        self.assertEqual(run_program([job]).returncode, 0)
        # A code page file another program left beside a layer: the table library removes
        # it, which a failed rerun must not have done.
        with open(self.folder("result", "HYPS", "HypsA.cpg"), "w") as f:
            f.write("1251")
        return files_of(self.folder("result"))

    def layers_of(self, template):
        """The layer files and styles a run of the job template writes into a new folder."""
        self.assertEqual(run_program([self.job(template, "fresh")]).returncode, 0)
        fresh = files_of(self.folder("fresh"))
        shutil.rmtree(self.folder("fresh"))
        return {name: data for name, data in fresh.items() if name.startswith(("HYPS", "FRAME"))}

    @unittest.skipUnless(shutil.which("strace"), "strace is not installed")
    def test_a_rerun_ends_with_its_whole_result_or_the_earlier_one_byte_for_byte(self):
        # The rerun draws another coordinate system, so that every layer file differs.
        rerun_layers = self.layers_of(JOB_OTHER_CS)
        job = lambda: self.job(JOB_OTHER_CS)
        cases = [
            # (what fails, the rerun's exit code and stderr)
            ("a file-size limit", lambda: subprocess.run(
                [EXE, job()], preexec_fn=limits(fsize=4), capture_output=True)),
            ("the 20th rename of the placement", lambda: traced(
                ["-e", "inject=rename,renameat,renameat2:error=EIO:when=20"], [job()])),
            ("every removal from the 5th on", lambda: traced(
                ["-e", "inject=unlink,unlinkat:error=EIO:when=5+"], [job()])),
        ] + [
            (f"an address space of {kib} KiB", lambda kib=kib: subprocess.run(
                [EXE, job()], preexec_fn=limits(memory=kib), capture_output=True,
                env=sanitizer_free_env()))
            for kib in ([LEAST_START_KIB + k for k in RERUN_MEMORY_ABOVE_START_KIB]
                        if LEAST_START_KIB else [])
        ]
        for what, rerun in cases:
            with self.subTest(what):
                before = self.earlier_result()
                code = rerun().returncode
                after = {name: data for name, data in files_of(self.folder("result")).items()
                         if not TEMPORARY.match(os.path.basename(name))}
                self.assertIn(code, (0, 16))
                if code == 0:
                    self.assertEqual({n: d for n, d in after.items()
                                      if n.startswith(("HYPS", "FRAME"))}, rerun_layers)
                else:
                    self.assertEqual(after, before)
                shutil.rmtree(self.folder("result"))

        # A map scale without frame layers removes them, but only once its run succeeded.
        before = self.earlier_result()
        frame_shp = self.folder("result", "FRAME", "Frame.shp")
        if not chattr("+i", frame_shp):
            self.skipTest("the file system takes no immutable flag")
        try:
            self.assertEqual(run_program([self.job(JOB_FRAMELESS)]).returncode, 8)
            self.assertEqual(files_of(self.folder("result")), before)
        finally:
            chattr("-i", frame_shp)
        self.assertEqual(run_program([self.job(JOB_FRAMELESS)]).returncode, 0)
        self.assertEqual(os.listdir(self.folder("result", "FRAME")), [])

    def test_clean_up_takes_only_what_the_program_made(self):
        out = self.folder("set")
        self.earlier_result()
        job = self.job()
        users = [
            os.path.join(out, "thesis.partial-0123456789abcdef", "chapter.txt"),
            os.path.join(out, ".thesis.sheetbasis-0123456789abcdef", "chapter.txt"),
            self.folder("result", "HYPS", "report.docx.partial-0123456789abcdef"),
        ]
        for path in users:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as f:
                f.write("the user's own")
        # What a killed run of the program leaves: a marked folder and a temporary file.
        left = os.path.join(out, ".N-37-II.sheetbasis-00000000000000aa")
        os.makedirs(os.path.join(left, "HYPS"))
        open(os.path.join(left, ".sheetbasis-temporary"), "w").close()
        left_file = self.folder("result", "HYPS", ".HypsA.dbf.sheetbasis-00000000000000aa")
        open(left_file, "w").close()

        self.assertEqual(run_program(["--sheets", "N-37", "--series", "1000", "--out", out])
                         .returncode, 0)
        self.assertEqual(run_program([job]).returncode, 0)
        for path in users:
            self.assertTrue(os.path.isfile(path), path)
        self.assertFalse(os.path.exists(left))
        self.assertFalse(os.path.exists(left_file))

    @unittest.skipUnless(os.geteuid() == 0, "the attack needs root's run and another user")
    def test_a_sub_folder_that_is_a_link_is_refused_and_its_target_untouched(self):
        target = self.folder("root-only")
        os.makedirs(target)
        with open(os.path.join(target, "HypsA.shp"), "w") as f:
            f.write("not a layer of this run")
        for sub in ("HYPS", "FRAME"):
            with self.subTest(sub):
                shutil.rmtree(self.folder("result"), ignore_errors=True)
                os.makedirs(self.folder("result"))
                os.symlink(target, self.folder("result", sub))
                proc = run_program(["--jobs-from", write_job(self.tmp, self.job() + "\n",
                                                             name="list")])
                self.assertEqual(proc.returncode, 8)
                self.assertIn(f"{sub}: is a link", proc.stderr.decode())
                self.assertEqual(sorted(os.listdir(target)), ["HypsA.shp"])

    @unittest.skipUnless(os.geteuid() == 0 and shutil.which("setpriv"),
                         "the attack needs root's run and another user")
    def test_a_folder_swapped_for_a_link_by_another_user_is_never_written_through(self):
        os.chmod(self.tmp, 0o755)
        target = self.folder("root-only")
        os.makedirs(target, mode=0o700)
        job = self.job()
        os.chmod(self.folder("result"), 0o777)
        self.assertEqual(run_program([job]).returncode, 0)
        os.chmod(self.folder("result", "FRAME"), 0o777)
        swapper = subprocess.Popen(
            ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups", sys.executable,
             "-c", "import os, sys\n"
             "r, t = sys.argv[1], sys.argv[2]\n"
             "import time\n"
             "while True:\n"
             "    try:\n"
             "        os.rename(r + '/FRAME', r + '/FRAME.real'); os.symlink(t, r + '/FRAME')\n"
             "        time.sleep(0.004)\n"
             "        os.remove(r + '/FRAME'); os.rename(r + '/FRAME.real', r + '/FRAME')\n"
             "        time.sleep(0.001)\n"
             "    except OSError:\n"
             "        pass\n", self.folder("result"), target])
        try:
            codes = {run_program([job]).returncode for _ in range(SWAP_RUNS)}
        finally:
            swapper.kill()
            swapper.wait()
        self.assertLessEqual(codes, {0, 8, 16})
        self.assertEqual(os.listdir(target), [])

    @needs_memory_limits
    def test_low_memory_ends_with_a_reason_never_a_signal(self):
        for kib in (LEAST_START_KIB + k for k in MEMORY_ABOVE_START_KIB):
            for _ in range(MEMORY_RUNS_EACH):
                out = self.folder(f"set-{kib}")
                shutil.rmtree(out, ignore_errors=True)
                os.makedirs(out)
                proc = subprocess.run([EXE, *SET_3, "--jobs", "2", "--out", out],
                                      capture_output=True, preexec_fn=limits(memory=kib), env=sanitizer_free_env(),
                                      timeout=120)
                with self.subTest(kib=kib, code=proc.returncode):
                    self.assertIn(proc.returncode, (0, 16), proc.stderr[-300:])
                    self.assertEqual([n for n in os.listdir(out) if TEMPORARY.match(n)], [])
                    if proc.returncode == 16:
                        self.assertIn(b"out of memory", proc.stderr)

    @needs_memory_limits
    def test_the_longest_list_of_short_lines_runs_in_bounded_memory(self):
        listed = os.path.join(self.tmp, "long.list")
        with open(listed, "wb") as f:
            f.write(b"a\n" * LONG_LIST_LINES)
        # Every line names a job file that is not there: each fails at once, with its line
        # in the summary.
        proc = subprocess.Popen([EXE, "-q", "--jobs", "2", "--jobs-from", listed], cwd=self.tmp,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                preexec_fn=limits(memory=LONG_LIST_ADDRESS_SPACE_KIB),
                                env=sanitizer_free_env())
        first = proc.stderr.readline()
        lines = 1
        while chunk := proc.stderr.read(1 << 20):
            lines += chunk.count(b"\n")
        proc.stderr.close()
        _, status, usage = os.wait4(proc.pid, 0)
        proc.returncode = os.waitstatus_to_exitcode(status)
        self.assertEqual(proc.returncode, 8, first)
        self.assertEqual(first, b"  a: the job file cannot be opened (exit code 8)\n")
        self.assertEqual(lines, LONG_LIST_LINES)
        self.assertLess(usage.ru_maxrss, LONG_LIST_PEAK_KIB)

    @unittest.skipUnless(shutil.which("strace"), "strace is not installed")
    def test_runs_that_cannot_begin_leave_no_folders(self):
        cases = [
            ("a lock refused", lambda out: traced(
                ["-e", "inject=flock:error=ENOLCK"], [*SET_3, "--out", out])),
        ]
        # Not in a sanitizer build: its check of an object's dynamic type opens a pipe to see
        # whether memory can be read, and with no descriptor left it takes a sound object
        # for a bad one and halts the run.
        if os.environ.get("SHEETBASIS_STATIC_PROGRAM") != "OFF":
            cases.append(("six descriptors", lambda out: subprocess.run(
                [EXE, *SET_3, "--out", out], capture_output=True, preexec_fn=limits(files=6))))
        for what, run in cases:
            with self.subTest(what):
                out = self.folder("set-" + what.replace(" ", "-"))
                os.makedirs(out)
                self.assertNotEqual(run(out).returncode, 0)
                # A sheet that got its descriptors may be whole; no other folder is left.
                for name in os.listdir(out):
                    self.assertTrue(os.path.isfile(os.path.join(out, name, "HYPS", "HypsA.shp")),
                                    name)

    def test_a_failed_index_run_keeps_the_earlier_index_whole(self):
        out = self.folder("set")
        index = ["--series", "1000", "--index", "--out", out]
        self.assertEqual(run_program(["--sheets", "N-37", *index]).returncode, 0)
        before = files_of(out)
        project = os.path.join(out, "index.qgs")
        if not chattr("+i", project):
            self.skipTest("the file system takes no immutable flag")
        try:
            proc = run_program(["--sheets", "N-38", *index])
        finally:
            chattr("-i", project)
        self.assertEqual(proc.returncode, 16)
        self.assertIn(b"index.qgs", proc.stderr)
        after = files_of(out)
        for name in ("index.qgs", "index/SheetIndex.shp", "index/SheetIndex.dbf"):
            self.assertEqual(after[name], before[name], name)

    def test_every_failure_tells_its_reason_on_standard_error(self):
        nul_list = write_job(self.tmp, f"{self.job()}\0{self.job()}\n".encode(), name="nul.list")
        # Two jobs below a link to itself: neither folder can be resolved, nor made.
        os.symlink("loop", os.path.join(self.tmp, "loop"))
        looped = [write_job(self.tmp, JOB_200K.format(os.path.join(self.tmp, "loop", n)),
                            name=n + ".job") for n in "ab"]
        looped_list = write_job(self.tmp, "\n".join(looped) + "\n", name="looped.list")
        cases = [
            ("--list to a full device", [*SET_3, "--list", "--out", self.folder("set")], True,
             8, r"standard output: No space left on device"),
            ("--help to a full device", ["--help"], True, 8, r"No space left on device"),
            ("a list line holding a NUL", ["--jobs-from", nul_list], False, 8,
             r"line 1 holds a NUL"),
            ("two folders that cannot be resolved", ["--jobs-from", looped_list], False, 8,
             r"b\.job: .*loop/b/: Too many levels of symbolic links"),
            ("a folder name too long for the file system",
             ["--sheets", "N-37", "--series", "1000", "--out", self.folder("ы" * 200)], False,
             8, r"File name too long"),
            ("a failed sheet under -q", ["-q", "--sheets", "N-37", "--series", "1000",
                                         "--out", "/proc/version"], False, 8, r"N-37: .+"),
        ]
        for what, args, full, code, reason in cases:
            with self.subTest(what):
                with open("/dev/full" if full else os.devnull, "w") as stdout:
                    proc = subprocess.run([EXE, *args], stdout=stdout, stderr=subprocess.PIPE,
                                          timeout=60)
                self.assertEqual(proc.returncode, code, proc.stderr)
                self.assertRegex(proc.stderr.decode(), reason)
        self.assertFalse(os.path.exists(self.folder("result", "HYPS")),
                         "the job after the NUL ran")


if __name__ == "__main__":
    unittest.main()
