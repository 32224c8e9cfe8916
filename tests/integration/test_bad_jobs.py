"""The bad-input corpus of tests/data/bad-jobs: every job file ends with the exit code
listed in EXPECTED, prints nothing (so no sanitizer report either), writes nothing outside
its result folder, and leaves the results of an earlier run untouched when it stops
before the generation."""

import os
import unittest

from sheetbasis_testing import SOURCE, WorkFolderTest, run_program, tree

CORPUS = os.path.join(SOURCE, "tests", "data", "bad-jobs")
PLACEHOLDER = b"@RESULT@"


def expected_codes():
    codes = {}
    with open(os.path.join(CORPUS, "EXPECTED")) as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                name, code = line.split()
                codes[name] = int(code)
    return codes



class BadJobCorpusTest(WorkFolderTest):
    def prepare_earlier_results(self, result):
        """A complete earlier run in the result folder, plus the obstacles some cases use."""
        os.makedirs(result)
        job = os.path.join(self.tmp, "earlier.job")
        with open(job, "wb") as f:
            f.write(b"Nom=N-37-XXXVI;Path=" + result.encode() + b";")
        self.assertEqual(run_program([job]).returncode, 0)
        os.remove(job)
        with open(os.path.join(result, "blocker"), "w") as f:
            f.write("a regular file where a folder is asked for")
        os.makedirs(os.path.join(result, "blocked", "HYPS", "HypsA.dbf"))

    def run_case(self, name, code):
        result = self.folder("result")
        cwd = self.folder("cwd")
        os.makedirs(cwd)
        self.prepare_earlier_results(result)
        with open(os.path.join(CORPUS, name), "rb") as f:
            text = f.read().replace(PLACEHOLDER, result.encode())
        job = os.path.join(self.tmp, "job")
        with open(job, "wb") as f:
            f.write(text)
        before = tree(self.tmp)

        proc = run_program([job], env={"PWD": cwd}, cwd=cwd)

        self.assertEqual(proc.returncode, code)
        self.assertEqual(proc.stdout, b"")
        self.assertEqual(proc.stderr, b"")
        self.assertEqual(os.listdir(cwd), [], "nothing is written beside the program")
        after = tree(self.tmp)
        outside = {p for p in set(after) - set(before) if not p.startswith("result")}
        self.assertEqual(outside, set(), "nothing is written outside the result folder")
        if code == 8:
            # Folders the job asked for may have been made; no file changes.
            changed = {p for p in set(before) | set(after)
                       if before.get(p) != after.get(p) and after.get(p) != "dir"}
            self.assertEqual(changed, set(), "earlier results stay untouched")

    def test_corpus(self):
        codes = expected_codes()
        self.assertGreaterEqual(len(codes), 40)
        listed = {n for n in os.listdir(CORPUS) if n.endswith(".job")}
        self.assertEqual(listed, set(codes), "every corpus file has its expected code")
        for name, code in sorted(codes.items()):
            with self.subTest(name):
                self.tearDown()
                self.setUp()
                self.run_case(name, code)


if __name__ == "__main__":
    unittest.main()
