"""The printed sheet and the user's own data in QGIS itself (Debian's python3-qgis, headless):
the layers' systems in a project carry their datum, so that QGIS takes them to WGS 84 as it
takes the EPSG system of their coordinate system; the layout's map is clipped to the sheet
while the frame stays whole; the page is a standard paper that holds the sheet at its
scale; the scale bar is as long as the ground it names; the index prints readably on A3."""

import math
import os
import shutil
import tempfile
import unittest

from qgis_sheet_checks import open_project, paper_mm, start_qgis

from qgis.core import (  # noqa: I100 (after QGIS's start-up settings)
    QgsCoordinateReferenceSystem, QgsCoordinateTransform, QgsDistanceArea, QgsFeature,
    QgsGeometry, QgsLayoutExporter, QgsLayoutItemLabel, QgsLayoutItemMap,
    QgsLayoutItemScaleBar, QgsMapRendererSequentialJob, QgsPointXY, QgsRectangle,
    QgsUnitTypes, QgsVectorLayer)
from qgis.PyQt.QtCore import QPointF, QRectF, QSize, QSizeF
from qgis.PyQt.QtGui import QColor, QImage, QTransform

import numpy

from sheetbasis_testing import run_program

WGS84 = QgsCoordinateReferenceSystem("EPSG:4326")
# ISO 216 A sizes, portrait (mm).
ISO_A = {"A0": (841, 1189), "A1": (594, 841), "A2": (420, 594), "A3": (297, 420),
         "A4": (210, 297)}
SMALLER = {"A0": "A1", "A1": "A2", "A2": "A3", "A3": "A4"}
DATUM_TOLERANCE_M = 1.0
PAGE_MARGIN_MM = 10.0
PRINT_DPI = 100
BAR_DPI = 600
# The bar's outline, 0.2 mm wide, reaches half its width beyond the bar's ends.
BAR_TOLERANCE_MM = 0.25
LABEL_HEIGHT_MM = 2.0

qgs = None
work = None


def setUpModule():
    global qgs, work
    qgs = start_qgis()
    work = tempfile.mkdtemp(prefix="sheetbasis-print-")


def tearDownModule():
    shutil.rmtree(work, ignore_errors=True)


def generate(sheets, series, *options):
    """The result folder of the set, one folder per sheet."""
    out = tempfile.mkdtemp(dir=work)
    done = run_program(["--sheets", sheets, "--series", series, "--out", out, "--quiet",
                        *options], timeout=300)
    if done.returncode != 0:
        raise AssertionError(done.stderr.decode())
    return out


def sheet_project(out, name):
    return open_project(os.path.join(out, name), name)


def map_item(layout, item_id="map"):
    item = layout.itemById(item_id)
    assert isinstance(item, QgsLayoutItemMap), item_id
    return item


def page_of(layout):
    size = layout.pageCollection().page(0).pageSize()
    return size.width(), size.height()


def iso_name(page):
    """The ISO A size of the page in either position, or None."""
    for name, (short, long) in ISO_A.items():
        if sorted(round(v, 6) for v in page) == [short, long]:
            return name
    return None


def ground_distance(a, b):
    measure = QgsDistanceArea()
    measure.setEllipsoid("EPSG:7030")
    return measure.measureLine(a, b)


def corners_of(layer):
    extent = layer.extent()
    return [QgsPointXY(x, y) for x in (extent.xMinimum(), extent.xMaximum())
            for y in (extent.yMinimum(), extent.yMaximum())]


def rendered(layout, dpi, region=None):
    """The page, or the region of it (mm), as QGIS prints it, as an array of RGB pixels."""
    exporter = QgsLayoutExporter(layout)
    image = (exporter.renderPageToImage(0, QSize(), dpi) if region is None
             else exporter.renderRegionToImage(region, QSize(), dpi))
    image = image.convertToFormat(QImage.Format_RGB888)
    bits = image.constBits()
    bits.setsize(image.sizeInBytes())
    rows = numpy.frombuffer(bits, numpy.uint8).reshape(image.height(), image.bytesPerLine())
    # A copy: the pixels go with the image.
    return rows[:, :image.width() * 3].reshape(image.height(), image.width(), 3).copy()


def layout_labels(layout):
    exporter = QgsLayoutExporter(layout)
    settings = QgsLayoutExporter.ImageExportSettings()
    settings.dpi = PRINT_DPI
    with tempfile.TemporaryDirectory() as scratch:
        exporter.exportToImage(os.path.join(scratch, "page.png"), settings)
    return [p for result in exporter.labelingResults().values() for p in result.allLabels()]


class DatumTest(unittest.TestCase):
    # (sheets, series, --cs, EPSG system of the coordinate system)
    SETS = (
        ("N-37-XXXVI", "200", "sk42", "EPSG:4284"),
        ("M-36-XII", "200", "sk95", "EPSG:4200"),
        ("N-37", "1000", "gsk2011", "EPSG:7683"),
        ("N-38", "1000", "gsk2011-from-sk42", "EPSG:7683"),
        # East of 180 degrees, and one joined across it.
        ("Q-01-XXXVI", "200", "sk95", "EPSG:4200"),
        ("P-01", "1000", "sk42", "EPSG:4284"),
        ("U-60(2)", "1000", "gsk2011", "EPSG:7683"),
        ("T-60-XXXVI(3)", "200", "sk42", "EPSG:4284"),
    )

    def test_layers_reach_wgs84_as_the_epsg_system_takes_them(self):
        for sheets, series, cs, epsg in self.SETS:
            out = generate(sheets, series, "--cs", cs, "--index")
            name, = [n for n in os.listdir(out) if n not in ("index", "index.qgs")]
            for project in (sheet_project(out, name),
                            open_project(out, "index")):
                with self.subTest(sheet=name, project=project.fileName()):
                    self.check_layers(project, QgsCoordinateReferenceSystem(epsg))

    def check_layers(self, project, epsg):
        """Every corner of every layer: through the layer's system in the project and through
        the EPSG system, QGIS puts it at the same place in WGS 84; and data in WGS 84 lands in
        the project's map where the layer's feature at the same place is drawn."""
        from_epsg = QgsCoordinateTransform(epsg, WGS84, project)
        wgs84_to_map = QgsCoordinateTransform(WGS84, project.crs(), project)
        for layer in project.mapLayers().values():
            via_layer = QgsCoordinateTransform(layer.crs(), WGS84, project)
            layer_to_map = QgsCoordinateTransform(layer.crs(), project.crs(), project)
            for corner in corners_of(layer):
                expected = from_epsg.transform(corner)
                got = via_layer.transform(corner)
                got.setX(expected.x() + (got.x() - expected.x() + 180) % 360 - 180)
                self.assertLess(ground_distance(got, expected), DATUM_TOLERANCE_M, layer.name())
                overlay = wgs84_to_map.transform(expected)
                self.assertLess(overlay.distance(layer_to_map.transform(corner)),
                                DATUM_TOLERANCE_M, layer.name())


class SheetPrintTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.out = generate("N-37-XXXVI", "200")

    def test_the_users_layers_are_printed_inside_the_sheet_only(self):
        project = sheet_project(self.out, "N-37-XXXVI")
        world = QgsVectorLayer("Polygon?crs=EPSG:4326", "world", "memory")
        feature = QgsFeature()
        feature.setGeometry(QgsGeometry.fromRect(QgsRectangle(-179.9, -89, 179.9, 89)))
        world.dataProvider().addFeatures([feature])
        world.renderer().symbol().setColor(QColor(255, 0, 0))
        world.renderer().symbol().symbolLayer(0).setStrokeColor(QColor(255, 0, 0))
        project.addMapLayer(world)
        layout = project.layoutManager().layoutByName("Sheet")
        pixels = rendered(layout, PRINT_DPI).astype(int)
        red = (pixels[:, :, 0] > 200) & (pixels[:, :, 1] < 60) & (pixels[:, :, 2] < 60)
        # The sheet's outline as HypsA draws it, on the page.
        outline = self.outline_on_page(project, layout)
        mm = 25.4 / PRINT_DPI
        rows, columns = numpy.nonzero(red)
        self.assertGreater(len(rows), 0.5 * outline.area() / mm ** 2)
        for row, column in zip(rows[::97], columns[::97]):
            point = QgsGeometry.fromPointXY(QgsPointXY((column + 0.5) * mm, (row + 0.5) * mm))
            self.assertLess(outline.distance(point), 2 * mm, (row, column))
        # The frame's labels outside the outline are whole: each has its ink, none of it red.
        ink = (pixels < 128).all(axis=2)  # black, not red
        labels = [p for p in layout_labels(layout)
                  if project.mapLayer(p.layerID).name() in ("FrameDig", "FrameAdj")]
        self.assertTrue(labels)
        frame_map = map_item(layout, "frame")
        for p in labels:
            box = [frame_map.mapToItemCoords(QPointF(q.x(), q.y())) for q in p.cornerPoints]
            xs = [int(q.x() / mm) for q in box]
            ys = [int(q.y() / mm) for q in box]
            self.assertTrue(ink[min(ys):max(ys) + 1, min(xs):max(xs) + 1].any(), p.labelText)

    def outline_on_page(self, project, layout):
        hyps = project.mapLayersByName("HypsA")[0]
        item = map_item(layout)
        to_map = QgsCoordinateTransform(hyps.crs(), project.crs(), project)
        outline = QgsGeometry.unaryUnion([f.geometry() for f in hyps.getFeatures()])
        outline.transform(to_map)
        extent = item.extent()
        scale = item.rect().width() / extent.width()
        outline.transform(QTransform(scale, 0, 0, -scale, -extent.xMinimum() * scale,
                                     extent.yMaximum() * scale))
        return outline

    def test_the_scale_bar_is_as_long_as_the_ground_it_names(self):
        for sheets, series, scale, denominator, words in (
                ("N-37-XXXVI", "200", "200", 200_000, "в 1 сантиметре 2 километра"),
                ("N-37-XXXVI", "200", "500", 500_000, "в 1 сантиметре 5 километров"),
                ("N-37", "1000", "1000", 1_000_000, "в 1 сантиметре 10 километров"),
                ("N-37", "1000", "2500", 2_500_000, "в 1 сантиметре 25 километров")):
            with self.subTest(sheets=sheets, scale=scale):
                out = generate(sheets, series, "--scale", scale)
                name = sorted(os.listdir(out))[0]
                project = sheet_project(out, name)
                layout = project.layoutManager().layoutByName("Sheet")
                self.assertEqual(layout.itemById("scale in words").text(), words)
                bar = [i for i in layout.items() if isinstance(i, QgsLayoutItemScaleBar)]
                self.assertEqual(len(bar), 1)
                bar = bar[0]
                self.assertIs(bar.linkedMap(), map_item(layout))
                self.assertEqual(bar.units(), QgsUnitTypes.DistanceKilometers)
                segments = bar.numberOfSegments() + bar.numberOfSegmentsLeft()
                expected = segments * paper_mm(bar.unitsPerSegment() * 1000, denominator)
                self.assertAlmostEqual(self.printed_bar_length(layout, bar), expected,
                                       delta=BAR_TOLERANCE_MM)

    def printed_bar_length(self, layout, bar):
        """The length of the bar's ink in its lowest row of pixels that has any (the bar
        lies under its labels)."""
        for item in layout.items():
            if isinstance(item, (QgsLayoutItemMap, QgsLayoutItemLabel)):
                item.setVisibility(False)
        box = bar.sceneBoundingRect()
        ink = rendered(layout, BAR_DPI, box.adjusted(-2, 0, 2, 0)).sum(axis=2) < 3 * 128
        mm = 25.4 / BAR_DPI
        # The row half way down the bar's lowest band of ink.
        filled = numpy.nonzero(ink.any(axis=1))[0]
        row = ink[filled[-1] - int(0.5 / mm)]
        columns = numpy.nonzero(row)[0]
        return (columns[-1] - columns[0] + 1) * mm - 0.2


class PaperTest(unittest.TestCase):
    # (sheets, series, options, map scale, paper expected: an ISO size, None for a fitted page)
    CASES = (
        ("N-37-XXXVI", "200", [], 200_000, "A2"),
        ("N-37-XXXVI", "200", ["--scale", "500"], 500_000, "A4"),
        ("N-37", "1000", [], 1_000_000, "A1"),
        ("N-37", "1000", ["--scale", "2500"], 2_500_000, "A4"),
        ("N-37-XXXVI", "200", ["--paper", "A3"], 200_000, "A3"),
        ("N-37-XXXVI", "200", ["--paper", "A0"], 200_000, "A0"),
        ("N-37-XXXVI", "200", ["--paper", "fit"], 200_000, None),
        ("T-37-I,II,III", "200", [], 200_000, "A2"),
    )

    def test_the_page_is_the_smallest_standard_paper_that_holds_the_sheet(self):
        for sheets, series, options, denominator, expected in self.CASES:
            with self.subTest(sheets=sheets, options=options):
                out = generate(sheets, series, *options)
                project = sheet_project(out, sorted(os.listdir(out))[0])
                layout = project.layoutManager().layoutByName("Sheet")
                page = page_of(layout)
                self.assertEqual(iso_name(page), expected, page)
                for item in layout.items():
                    if isinstance(item, QgsLayoutItemMap):
                        self.assertAlmostEqual(item.scale() / denominator, 1.0, places=6)
                content = self.content_box(layout)
                margins = (content.left(), content.top(), page[0] - content.right(),
                           page[1] - content.bottom())
                self.assertGreaterEqual(min(margins), 0.0, margins)
                if expected is None or "--paper" in options:
                    continue
                self.assertGreaterEqual(min(margins), PAGE_MARGIN_MM - 1e-6, margins)
                if expected in SMALLER:
                    short, long = ISO_A[SMALLER[expected]]
                    for w, h in ((short, long), (long, short)):
                        self.assertFalse(content.width() + 2 * PAGE_MARGIN_MM <= w and
                                         content.height() + 2 * PAGE_MARGIN_MM <= h, (w, h))

    @staticmethod
    def content_box(layout):
        """What the page shows, read from a print: the box of all its ink (mm)."""
        pixels = rendered(layout, PRINT_DPI)
        ink = pixels.sum(axis=2) < 3 * 224
        rows, columns = numpy.nonzero(ink)
        mm = 25.4 / PRINT_DPI
        return QRectF(columns.min() * mm, rows.min() * mm,
                      (columns.max() - columns.min() + 1) * mm, (rows.max() - rows.min() + 1) * mm)


class IndexPrintTest(unittest.TestCase):
    # (set, series, options, heavier million-sheet boundaries drawn)
    SETS = (
        ("N..O:37..38", "200", [], True),
        ("bbox:150,56,-170,84", "1000", [], False),
        ("all", "1000", ["--list"], False),
    )

    def test_the_index_prints_on_a3_with_its_title_scale_and_readable_names(self):
        for sheets, series, options, million in self.SETS:
            with self.subTest(sheets=sheets):
                out = tempfile.mkdtemp(dir=work)
                done = run_program(["--sheets", sheets, "--series", series, "--out", out,
                                    "--index", "--quiet", *options], timeout=600)
                self.assertEqual(done.returncode, 0, done.stderr)
                project = open_project(out, "index")
                layout = project.layoutManager().layoutByName("Index")
                self.assertIn(iso_name(page_of(layout)), ("A3", "A4"))
                item = map_item(layout)
                self.assertIn(sheets, layout.itemById("title").text())
                scale = "Масштаб 1:" + f"{round(item.scale()):,}".replace(",", " ")
                self.assertEqual(layout.itemById("scale").text(), scale)
                self.check_names(project, item)
                if million:
                    self.check_million_boundaries(project, layout, item)

    def check_names(self, project, item):
        """Every sheet named, the name inside its sheet and at least 2 mm high on paper, or
        smaller only where its sheet could not hold it 2 mm high."""
        layer = project.mapLayersByName("SheetIndex")[0]
        size = item.rect().size()
        pixels = QSizeF(size.width() / 25.4 * PRINT_DPI, size.height() / 25.4 * PRINT_DPI)
        job = QgsMapRendererSequentialJob(item.mapSettings(item.extent(), pixels, PRINT_DPI,
                                                           True))
        job.start()
        job.waitForFinished()
        placed = {p.featureId: p for p in job.takeLabelingResults().allLabels()
                  if not p.isUnplaced}
        to_map = QgsCoordinateTransform(layer.crs(), project.crs(), project)
        features = list(layer.getFeatures())
        self.assertEqual(sorted(placed), sorted(f.id() for f in features))
        for feature in features:
            p = placed[feature.id()]
            outline = QgsGeometry(feature.geometry())
            outline.transform(to_map)
            box = QgsGeometry.fromPolygonXY([[QgsPointXY(q.x(), q.y()) for q in p.cornerPoints]])
            self.assertTrue(outline.contains(box), feature["Nom"])
            up = math.dist((p.cornerPoints[0].x(), p.cornerPoints[0].y()),
                           (p.cornerPoints[3].x(), p.cornerPoints[3].y()))
            height = paper_mm(up, item.scale())
            if height < LABEL_HEIGHT_MM:
                centre = box.centroid().asPoint()
                grown = QgsGeometry(box)
                factor = LABEL_HEIGHT_MM / height
                grown.transform(QTransform(factor, 0, 0, factor, centre.x() * (1 - factor),
                                           centre.y() * (1 - factor)))
                self.assertFalse(outline.contains(grown), f"{feature['Nom']}: {height} mm")

    def check_million_boundaries(self, project, layout, item):
        """Across a boundary of two 1:1 000 000 sheets the line is wider on paper than
        across a boundary of two sheets of one of them."""
        mm = 25.4 / BAR_DPI
        crs = project.mapLayersByName("SheetIndex")[0].crs()
        to_map = QgsCoordinateTransform(crs, project.crs(), project)

        def width_across_meridian(lon, lat):
            x, y = to_map.transform(QgsPointXY(lon, lat))
            at = item.mapToItemCoords(QPointF(x, y))
            region = QRectF(at.x() - 2, at.y() - 0.5, 4, 1)
            ink = rendered(layout, BAR_DPI, region).sum(axis=2) < 3 * 128
            return ink[ink.shape[0] // 2].sum() * mm

        heavy = width_across_meridian(42.0, 55.0)  # N-37 | N-38
        light = width_across_meridian(41.0, 55.0)  # two sheets of N-37
        self.assertGreater(light, 0.1)
        self.assertGreater(heavy, 2 * light)


if __name__ == "__main__":
    unittest.main()
