"""The installed program: `cmake --install` into a temporary prefix, then the program runs
from there without the build tree."""

import os
import re
import shutil
import subprocess
import xml.etree.ElementTree as ET
import unittest

from sheetbasis_testing import EXE, WorkFolderTest, write_job

BUILD = os.environ.get("SHEETBASIS_BUILD", "build")
CMAKE = os.environ.get("CMAKE", "cmake")


class InstallTest(WorkFolderTest):
    def test_installed_program_runs_a_job_and_a_set(self):
        prefix = self.folder("prefix")
        subprocess.run([CMAKE, "--install", BUILD, "--prefix", prefix], check=True,
                       capture_output=True)
        exe = os.path.join(prefix, "bin", "sheetbasis")
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        job = write_job(self.tmp, f"Nom=N-37-XXXVI;\r\nPath={self.folder('job')};\r\n")
        self.assertEqual(subprocess.run([exe, job], env=env, cwd=self.tmp).returncode, 0)
        for layer in ("HYPS/HypsA.shp", "HYPS/HypsP.dbf", "FRAME/FrameDig.PRJ"):
            self.assertTrue(os.path.isfile(self.folder("job", layer)), layer)
        proc = subprocess.run([exe, "--sheets", "N-37-XXXV", "--series", "200", "--out",
                               self.folder("set")], env=env, capture_output=True)
        self.assertEqual((proc.returncode, proc.stderr), (0, b"sheetbasis: 1 written, 0 failed\n"))
        self.assertFalse(os.path.exists(os.path.join(prefix, "bin", "sheetbasis-dialog-shots")))
        if os.path.exists(os.path.join(os.path.dirname(EXE), "sheetbasis-print")):
            # The printing program is installed where the installed program looks for it.
            proc = subprocess.run([exe, "--sheets", "N-37-XXXV", "--series", "200", "--out",
                                   self.folder("printed"), "--pdf"], env=env, capture_output=True)
            self.assertEqual(proc.returncode, 0, proc.stderr)
            self.assertTrue(os.path.isfile(self.folder("printed", "N-37-XXXV", "N-37-XXXV.pdf")))
        # Every picture and page the installed README links to, and every one those pages
        # link to, is installed with it.
        doc = os.path.join(prefix, "share", "doc", "sheetbasis")
        pages, seen = [os.path.join(doc, "README.md")], set()
        while pages:
            page = pages.pop()
            with open(page, encoding="utf-8") as f:
                targets = re.findall(r"\]\(([^)\s#:]+)(?:#[^)]*)?\)", f.read())
            for target in targets:
                path = os.path.normpath(os.path.join(os.path.dirname(page), target))
                self.assertTrue(os.path.isfile(path), f"{page}: {target}")
                if path.endswith(".md") and path not in seen:
                    seen.add(path)
                    pages.append(path)
        self.assertGreaterEqual(len(seen), 5)
        desktop = os.path.join(prefix, "share", "applications", "sheetbasis.desktop")
        if os.path.exists(desktop):
            with open(desktop, encoding="utf-8") as f:
                entry = f.read()
            self.assertIn("Exec=sheetbasis\n", entry)
            icon = re.search(r"^Icon=(.+)$", entry, re.MULTILINE).group(1)
            svg = os.path.join(prefix, "share", "icons", "hicolor", "scalable", "apps", icon + ".svg")
            self.assertEqual(ET.parse(svg).getroot().tag, "{http://www.w3.org/2000/svg}svg")
            if shutil.which("desktop-file-validate"):
                check = subprocess.run(["desktop-file-validate", desktop], capture_output=True)
                self.assertEqual((check.returncode, check.stdout, check.stderr), (0, b"", b""))
            # Without a display the interactive mode says so and ends with 8.
            interactive = subprocess.run([exe], env=env, capture_output=True, timeout=30)
            self.assertEqual(interactive.returncode, 8)
            self.assertNotEqual(interactive.stderr, b"")


if __name__ == "__main__":
    unittest.main()
