"""PDFs of a set (--pdf): printed by QGIS beside each sheet's project and the index's, read
back with GDAL as georeferenced maps at the layout's scale on the layout's page; a PDF that
fails fails its sheet with the reason, as does a printing program that never answers (it is
killed and started again); temporary PDFs a killed run left go with the next run; without a
printing program that can run, nothing is written and the run says what to install."""

import os
import re
import shutil
import stat
import tempfile
import unittest

os.environ["QT_QPA_PLATFORM"] = "offscreen"  # headless, whatever display there is

from osgeo import gdal  # noqa: E402
from qgis.core import QgsApplication, QgsLayoutItemMap, QgsProject  # noqa: E402

from sheetbasis_testing import EXE, run_program, write_job  # noqa: E402

gdal.UseExceptions()

# (set, sheet folders): a sheet of the ordinary kind and one east of 180 degrees, whose
# longitudes pass 180 on the layers' 0..360 scale.
SHEETS = (("N-37-XXXVI", "N-37-XXXVI"), ("N-01-I", "N-01-I"))
POINTS_PER_MM = 72.0 / 25.4
PAGE_TOLERANCE_PT = 0.5
SCALE_TOLERANCE = 1e-3  # relative; GDAL's page raster rounds to whole pixels
PDF_DPI = 150
PACKAGES = ("sheetbasis-print", "qgis-providers")  # the printer's own, and QGIS's

qgs = None
work = None
printed = None


def setUpModule():
    global qgs, work, printed
    qgs = QgsApplication([], False)
    qgs.initQgis()
    work = tempfile.mkdtemp(prefix="sheetbasis-pdf-")
    out = os.path.join(work, "set")
    printed = run_program(["--sheets", ",".join(s for s, _ in SHEETS), "--series", "200",
                           "--out", out, "--index", "--pdf", "--quiet"], timeout=300)
    if printed.returncode != 0:
        raise AssertionError(f"exit code {printed.returncode}: {printed.stderr!r}")


def tearDownModule():
    shutil.rmtree(work, ignore_errors=True)


def media_box_pt(pdf):
    """The first page's size in points, as the PDF itself declares it."""
    with open(pdf, "rb") as f:
        box = re.search(rb"/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)",
                        f.read())
    x0, y0, x1, y1 = (float(v) for v in box.groups())
    return x1 - x0, y1 - y0


def layout_of(project_path):
    """The project's page size in mm and its map's scale, as QGIS reads them."""
    project = QgsProject()
    if not project.read(project_path):
        raise AssertionError(f"QGIS cannot read {project_path}")
    layout = project.layoutManager().printLayouts()[0]
    size = layout.pageCollection().page(0).pageSize()
    maps = [i for i in layout.items() if isinstance(i, QgsLayoutItemMap)]
    return (size.width(), size.height()), maps[0].scale()


def pdf_scale(pdf):
    """The map scale that the PDF's georeference gives its page: ground metres per pixel
    over paper metres per pixel."""
    dataset = gdal.OpenEx(pdf, open_options=[f"DPI={PDF_DPI}"])
    geotransform = dataset.GetGeoTransform()
    if not dataset.GetSpatialRef() or geotransform == (0.0, 1.0, 0.0, 0.0, 0.0, 1.0):
        raise AssertionError(f"{pdf} is not georeferenced")
    return abs(geotransform[1]) / (0.0254 / PDF_DPI)


class PrintedSetTest(unittest.TestCase):
    def check_pdf(self, project, pdf):
        (width_mm, height_mm), scale = layout_of(project)
        width_pt, height_pt = media_box_pt(pdf)
        self.assertAlmostEqual(width_pt, width_mm * POINTS_PER_MM, delta=PAGE_TOLERANCE_PT)
        self.assertAlmostEqual(height_pt, height_mm * POINTS_PER_MM, delta=PAGE_TOLERANCE_PT)
        self.assertAlmostEqual(pdf_scale(pdf) / scale, 1.0, delta=SCALE_TOLERANCE)

    def test_every_project_has_its_pdf_at_the_layout_size_and_scale(self):
        out = os.path.join(work, "set")
        cases = [(os.path.join(out, folder, folder + ".qgs"), os.path.join(out, folder))
                 for _, folder in SHEETS] + [(os.path.join(out, "index.qgs"), out)]
        for project, folder in cases:
            with self.subTest(project=os.path.basename(project)):
                self.check_pdf(project, project[:-len(".qgs")] + ".pdf")
                self.assertEqual([n for n in os.listdir(folder) if ".sheetbasis-" in n], [])

    def test_a_job_list_prints_each_job_beside_its_project(self):
        folder = os.path.join(work, "jobs")
        job = write_job(work, f"Nom=N-37-XXXVI;\r\nPath={folder};\r\n", name="pdf-job.txt")
        jobs = os.path.join(work, "jobs.txt")
        with open(jobs, "w") as f:
            f.write(job + "\n")
        proc = run_program(["--jobs-from", jobs, "--pdf", "--quiet"], timeout=120)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.check_pdf(os.path.join(folder, "N-37-XXXVI.qgs"),
                       os.path.join(folder, "N-37-XXXVI.pdf"))

    def test_a_pdf_that_cannot_be_put_in_place_fails_its_sheet_with_the_reason(self):
        out = os.path.join(work, "blocked")
        args = ["--sheets", "N-37-XXXV,N-37-XXXVI", "--series", "200", "--out", out, "--pdf",
                "--quiet"]
        self.assertEqual(run_program(args, timeout=300).returncode, 0)
        blocked = os.path.join(out, "N-37-XXXV", "N-37-XXXV.pdf")
        os.remove(blocked)
        os.mkdir(blocked)  # a folder where the PDF goes: the rename into place fails
        other = os.path.join(out, "N-37-XXXVI", "N-37-XXXVI.pdf")
        before = os.stat(other).st_mtime_ns
        proc = run_program(args[:-1], timeout=300)
        self.assertEqual(proc.returncode, 16, proc.stderr)
        self.assertRegex(proc.stderr.decode(),
                         r"1 written, 1 failed\n  N-37-XXXV: .*N-37-XXXV\.pdf: Is a directory")
        self.assertGreater(os.stat(other).st_mtime_ns, before)
        self.assertEqual(os.listdir(blocked), [])

    # (folder below the set, name planted, a link rather than a file, removed by the next run)
    LEFTOVERS = (
        ("N-37-XXXVI", ".N-37-XXXVI.pdf.sheetbasis-0123456789abcdef", False, True),
        ("N-37-XXXVI", ".N-37-XXXVI.pdf.sheetbasis-0123456789abcdeg", False, False),
        ("N-37-XXXVI", "N-37-XXXVI.pdf.sheetbasis-0123456789abcdef", False, False),
        ("N-37-XXXVI", ".notes.pdf.sheetbasis-0123456789abcdef", True, False),
        ("", ".index.pdf.sheetbasis-fedcba9876543210", False, True),
        ("", ".atlas.pdf.sheetbasis-fedcba9876543210", False, False),
    )

    def test_the_next_run_removes_only_the_pdfs_a_killed_run_left(self):
        out = os.path.join(work, "leftovers")
        args = ["--sheets", "N-37-XXXVI", "--series", "200", "--out", out, "--index", "--quiet"]
        self.assertEqual(run_program(args).returncode, 0)
        target = os.path.join(work, "a user's file")
        with open(target, "w") as f:
            f.write("kept")
        for folder, name, link, _ in self.LEFTOVERS:
            path = os.path.join(out, folder, name)
            if link:
                os.symlink(target, path)
            else:
                with open(path, "wb") as f:
                    f.write(b"%PDF-1.7\n")
        proc = run_program(args + ["--pdf"], timeout=300)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        for folder, name, _, removed in self.LEFTOVERS:
            with self.subTest(name=name):
                self.assertEqual(os.path.lexists(os.path.join(out, folder, name)), not removed)
        self.assertTrue(os.path.isfile(os.path.join(out, "N-37-XXXVI", "N-37-XXXVI.pdf")))
        self.assertTrue(os.path.isfile(target))


def fake_printer(folder, script):
    """A copy of the program with a printing program beside it that runs `script` (None:
    none at all)."""
    os.makedirs(folder)
    program = os.path.join(folder, "sheetbasis")
    shutil.copy(EXE, program)
    if script is not None:
        printer = os.path.join(folder, "sheetbasis-print")
        with open(printer, "w") as f:
            f.write("#!/bin/sh\n" + script + "\n")
        os.chmod(printer, stat.S_IRWXU)
    return program


class PrinterMissingTest(unittest.TestCase):
    # (case, printing program's script): none of them can print.
    UNAVAILABLE = (
        ("no printing program", None),
        ("a library missing", "exit 127"),
        ("no data providers", "printf 'failed\\tQGIS cannot read shapefiles\\n'; exit 1"),
        ("ends at once", "exit 0"),
    )

    def test_nothing_is_written_and_the_package_is_named(self):
        for case, script in self.UNAVAILABLE:
            with self.subTest(case=case):
                folder = tempfile.mkdtemp(dir=work)
                program = fake_printer(os.path.join(folder, "bin"), script)
                out = os.path.join(folder, "out")
                proc = run_program(["--sheets", "N-37-XXXVI", "--series", "200", "--out", out,
                                    "--index", "--pdf"], program=program)
                self.assertEqual(proc.returncode, 2, proc.stderr)
                for package in PACKAGES:
                    self.assertIn(package, proc.stderr.decode())
                self.assertFalse(os.path.exists(out))

    def test_a_printer_that_dies_fails_each_sheet_with_why(self):
        folder = tempfile.mkdtemp(dir=work)
        program = fake_printer(os.path.join(folder, "bin"), "echo ready; exit 3")
        out = os.path.join(folder, "out")
        proc = run_program(["--sheets", "N-37-XXXV,N-37-XXXVI", "--series", "200", "--out", out,
                            "--pdf"], program=program, timeout=120)
        self.assertEqual(proc.returncode, 16, proc.stderr)
        self.assertEqual(len(re.findall(r"printing program ended with exit code 3",
                                        proc.stderr.decode())), 2, proc.stderr)
        self.assertTrue(os.path.exists(os.path.join(out, "N-37-XXXV", "N-37-XXXV.qgs")))

    def test_a_printer_that_never_answers_is_killed_and_started_again(self):
        folder = tempfile.mkdtemp(dir=work)
        starts = os.path.join(folder, "starts")
        # Takes the requests and never answers, nor ends: only a kill ends it.
        program = fake_printer(os.path.join(folder, "bin"),
                               f"echo started >> '{starts}'; echo ready; exec sleep 600")
        out = os.path.join(folder, "out")
        proc = run_program(["--sheets", "N-37-XXXV,N-37-XXXVI", "--series", "200", "--out", out,
                            "--pdf", "-j", "1"], program=program, timeout=60,
                           env={"SHEETBASIS_PRINT_ANSWER_SECONDS": "2"})
        self.assertEqual(proc.returncode, 16, proc.stderr)
        self.assertEqual(len(re.findall(r"N-37-XXXV[I]?: the printing program did not answer "
                                        r"within 2 s ", proc.stderr.decode())), 2, proc.stderr)
        with open(starts) as f:
            self.assertEqual(f.read(), "started\n" * 2)


if __name__ == "__main__":
    unittest.main()
