"""The index map of a set (--index), read back with GDAL's OGR and opened in QGIS itself:
one polygon per listed sheet, tiling the set's area without gaps or overlaps; its table
marked Windows-1251 and its projection file that of the layers; the project valid, every
sheet labelled with its name, a layout of the whole index, and an action that opens each
sheet's own project."""

import itertools
import os
import shutil
import tempfile
import unittest

os.environ["QT_QPA_PLATFORM"] = "offscreen"  # headless, whatever display there is

from osgeo import ogr  # noqa: E402
import qgis.utils  # noqa: E402
from qgis.core import (  # noqa: E402
    QgsAction, QgsApplication, QgsCoordinateTransform, QgsExpression, QgsExpressionContext,
    QgsExpressionContextUtils, QgsLayoutItemMap, QgsMapRendererSequentialJob, QgsProject)
from qgis.PyQt.QtCore import QSizeF  # noqa: E402

from sheetbasis_testing import Layer, run_program  # noqa: E402

# (name, set, series, options, generated, series and map scale denominators, area in
# square degrees of the set on the 0..360 scale, or None when moved into GSK-2011)
INDEXES = (
    ("all", "all", "1000", ["--list"], False, (1_000_000, 1_000_000), 180.0 * 44.0),
    ("polar", "T..U:60..01", "200", ["--cs", "gsk2011-from-sk42", "--scale", "500"], True,
     (200_000, 500_000), None),
)
TABLE_CODE_PAGE_BYTE = 29  # language driver of a .dbf header
LDID_WINDOWS_1251 = 201
AREA_TOLERANCE = 1e-9  # square degrees
RENDER_DPI = 100

qgs = None
work = None
results = {}


def setUpModule():
    global qgs, work
    qgs = QgsApplication([], False)
    qgs.initQgis()
    work = tempfile.mkdtemp(prefix="sheetbasis-index-")
    for name, sheets, series, options, _, _, _ in INDEXES:
        out = os.path.join(work, name)
        listed = run_program(["--sheets", sheets, "--series", series, "--out", out, "--list"])
        proc = run_program(["--sheets", sheets, "--series", series, "--out", out, "--index",
                            "--quiet", *options], timeout=300)
        if listed.returncode != 0 or proc.returncode != 0:
            raise AssertionError(f"{name}: exit codes {listed.returncode}, {proc.returncode}: "
                                 f"{proc.stderr!r}")
        rows = [line.split("\t") for line in listed.stdout.decode().splitlines()[1:]]
        results[name] = (out, rows)


def tearDownModule():
    shutil.rmtree(work, ignore_errors=True)


def on_program_scale(geometry):
    """The polygon with longitudes west of Greenwich moved onto the 0..360 scale."""
    moved = geometry.Clone()
    if moved.GetEnvelope()[0] < 0:
        for ring in range(moved.GetGeometryCount()):
            part = moved.GetGeometryRef(ring)
            for i in range(part.GetPointCount()):
                part.SetPoint_2D(i, part.GetX(i) + 360.0, part.GetY(i))
    return moved


class IndexLayerTest(unittest.TestCase):
    def test_each_index(self):
        for name, _, _, _, generated, denominators, area in INDEXES:
            out, rows = results[name]
            layer = Layer(os.path.join(out, "index", "SheetIndex.shp"))
            with self.subTest(index=name):
                self.check_table(out, rows, layer, generated, denominators)
                self.check_tiling(rows, layer, area)

    def check_table(self, out, rows, layer, generated, denominators):
        self.assertEqual(layer.field_names(), ["Id", "Nom", "Series", "Scale", "Folder"])
        attributes = layer.attributes()
        self.assertEqual([a["Nom"] for a in attributes], [r[0] for r in rows])
        for a, row in zip(attributes, rows):
            self.assertEqual((a["Series"], a["Scale"]), denominators)
            self.assertEqual(os.path.join(out, a["Folder"]), row[6])
            project = os.path.join(out, a["Folder"], a["Nom"] + ".qgs")
            self.assertEqual(os.path.isfile(project), generated, project)
        with open(os.path.join(out, "index", "SheetIndex.dbf"), "rb") as f:
            self.assertEqual(f.read(32)[TABLE_CODE_PAGE_BYTE], LDID_WINDOWS_1251)
        with open(os.path.join(out, "index", "SheetIndex.PRJ"), "rb") as f:
            prj = f.read()
        if generated:
            with open(os.path.join(out, rows[0][0], "HYPS", "HypsA.PRJ"), "rb") as f:
                self.assertEqual(prj, f.read())
        else:
            self.assertIn(b"GCS_Pulkovo_1942", prj)

    def check_tiling(self, rows, layer, area):
        polygons = [on_program_scale(g) for g in layer.geometries()]
        for polygon, row in zip(polygons, rows):
            west, south, east, north = (float(v) for v in row[1:5])
            envelope = polygon.GetEnvelope()
            # GSK-2011 moves the corners by some 200 m, 0.01 degree of longitude near the pole.
            tolerance = 1e-9 if area else 0.05
            for got, listed in zip(envelope, (west, east, south, north)):
                self.assertAlmostEqual(got, listed, delta=tolerance, msg=row[0])
        for a, b in itertools.combinations(polygons, 2):
            if a.Intersects(b):
                # Neighbours meet in lines, which have no area as polygons.
                self.assertLess(a.Intersection(b).Buffer(0).Area(), AREA_TOLERANCE)
        union = ogr.Geometry(ogr.wkbMultiPolygon)
        for polygon in polygons:
            union.AddGeometry(polygon)
        union = union.UnionCascaded()
        total = sum(p.Area() for p in polygons)
        self.assertAlmostEqual(union.Area(), total, delta=AREA_TOLERANCE * len(polygons))
        # One piece without holes: no gap between the sheets.
        self.assertEqual(union.GetGeometryName(), "POLYGON")
        holes = sum(union.GetGeometryRef(k).GetArea() for k in range(1, union.GetGeometryCount()))
        self.assertLess(holes, AREA_TOLERANCE * len(polygons))
        if area:
            self.assertAlmostEqual(total, area, delta=1e-6)

    def test_a_later_index_replaces_the_earlier_one_whole(self):
        out = os.path.join(work, "again")
        for sheets in ("N..P:37..40", "N-37"):
            proc = run_program(["--sheets", sheets, "--series", "1000", "--out", out, "--list",
                                "--index"])
            self.assertEqual(proc.returncode, 0, proc.stderr)
        layer = Layer(os.path.join(out, "index", "SheetIndex.shp"))
        self.assertEqual([a["Nom"] for a in layer.attributes()], ["N-37"])
        self.assertEqual(sorted(os.listdir(out)), ["index", "index.qgs"])
        self.assertEqual(sorted(os.listdir(os.path.join(out, "index"))),
                         ["SheetIndex." + e for e in ("PRJ", "dbf", "qml", "shp", "shx")])

    def test_an_index_that_cannot_be_written_fails_the_run_after_the_sheets(self):
        out = os.path.join(work, "blocked")
        os.makedirs(out)
        open(os.path.join(out, "index"), "w").close()
        proc = run_program(["--sheets", "N-37", "--series", "1000", "--out", out, "--index"])
        self.assertEqual(proc.returncode, 16)
        self.assertIn(b"sheetbasis: index: ", proc.stderr)
        self.assertTrue(os.path.isfile(os.path.join(out, "N-37", "N-37.qgs")))

    def test_a_listing_alone_writes_nothing(self):
        out = os.path.join(work, "listed")
        proc = run_program(["--sheets", "N-37", "--series", "200", "--out", out, "--list"])
        self.assertEqual((proc.returncode, proc.stderr), (0, b""))
        self.assertEqual(len(proc.stdout.splitlines()), 37)
        self.assertFalse(os.path.exists(out))


class FakeInterface:
    """What the action asks of the GIS's interface: the projects it would open."""

    def __init__(self):
        self.opened = []

    def addProject(self, path):  # noqa: N802 (the interface's own name)
        self.opened.append(path)
        return True


class IndexProjectTest(unittest.TestCase):
    def test_each_project(self):
        for name, _, _, _, generated, _, _ in INDEXES:
            out, rows = results[name]
            project = QgsProject.instance()
            self.assertTrue(project.read(os.path.join(out, "index.qgs")), name)
            layers = list(project.mapLayers().values())
            self.assertEqual([l.name() for l in layers], ["SheetIndex"])
            layer = layers[0]
            with self.subTest(index=name):
                self.assertTrue(layer.isValid())
                self.assertEqual(layer.featureCount(), len(rows))
                self.check_labels(project, layer)
                self.check_action(out, project, layer, generated)

    def check_labels(self, project, layer):
        """The layout shows the whole index, every sheet labelled with its name."""
        layout = project.layoutManager().layoutByName("Index")
        item = [i for i in layout.items() if isinstance(i, QgsLayoutItemMap)][0]
        to_map = QgsCoordinateTransform(layer.crs(), project.crs(), project)
        for feature in layer.getFeatures():
            outline = feature.geometry()
            outline.transform(to_map)
            self.assertTrue(item.extent().contains(outline.boundingBox()), feature["Nom"])
        size = item.rect().size()
        pixels = QSizeF(size.width() / 25.4 * RENDER_DPI, size.height() / 25.4 * RENDER_DPI)
        job = QgsMapRendererSequentialJob(item.mapSettings(item.extent(), pixels, RENDER_DPI,
                                                           True))
        job.start()
        job.waitForFinished()
        placed = {p.featureId: p for p in job.takeLabelingResults().allLabels()
                  if p.layerID == layer.id() and not p.isUnplaced}
        names = {f.id(): f["Nom"] for f in layer.getFeatures()}
        self.assertEqual({i: p.labelText for i, p in placed.items()}, names)

    def check_action(self, out, project, layer, generated):
        """The default action opens the sheet's project from the index's own folder."""
        action = layer.actions().defaultAction("Canvas")
        self.assertEqual((action.name(), action.type()), ("Open", QgsAction.GenericPython))
        interface = FakeInterface()
        qgis.utils.iface = interface
        context = QgsExpressionContext(QgsExpressionContextUtils.globalProjectLayerScopes(layer))
        for feature in layer.getFeatures():
            context.setFeature(feature)
            exec(QgsExpression.replaceExpressionText(action.command(), context), {})
        expected = [os.path.join(out, f["Folder"], f["Nom"] + ".qgs") for f in layer.getFeatures()]
        self.assertEqual([os.path.realpath(p) for p in interface.opened],
                         [os.path.realpath(p) for p in expected])
        if generated:
            self.assertTrue(QgsProject().read(interface.opened[-1]))


if __name__ == "__main__":
    unittest.main()
