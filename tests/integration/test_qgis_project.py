"""The result opened in QGIS itself (Debian's python3-qgis, headless): the project named
after the sheet, its six layers styled from the style files written beside them, the
layout at the map scale, every frame label set where its base line says, and the layout
exported to PDF and PNG with the frame and labels visible.

One QGIS start for the whole module: four sheets, one in each coordinate system and at
four map scales, are generated once and checked from every side."""

import math
import os
import shutil
import tempfile
import unittest
import xml.etree.ElementTree as ET

os.environ["QT_QPA_PLATFORM"] = "offscreen"  # headless, whatever display there is

from osgeo import gdal  # noqa: E402
from qgis.core import (  # noqa: E402
    QgsApplication, QgsCoordinateReferenceSystem, QgsCoordinateTransform, QgsGeometry,
    QgsLayoutExporter, QgsLayoutItemMap, QgsMapLayerStyle, QgsMapRendererSequentialJob,
    QgsPointXY, QgsProject, QgsRenderContext, QgsVectorLayer)
from qgis.PyQt.QtCore import QSize, QSizeF  # noqa: E402
from qgis.PyQt.QtGui import QFont, QFontMetricsF  # noqa: E402

from sheetbasis_testing import run_job  # noqa: E402

gdal.UseExceptions()

# (name, job entries, map scale denominator, layers written)
SHEETS = (
    ("N-37-XXXVI", "Nom=N-37-XXXVI;CS=CK-42;MapScale=200;", 200_000,
     ("HypsA", "HypsP", "HypsL", "Frame", "FrameAdj", "FrameDig")),
    ("N-37", "Nom=N-37;CS=ГCK-2011 / СК-42;MapScale=1000;", 1_000_000,
     ("HypsA", "HypsP", "HypsL", "Frame", "FrameDig")),
    ("M-36-XII", "Nom=M-36-XII;CS=ГCK-2011;MapScale=500;", 500_000,
     ("HypsA", "HypsP", "HypsL", "Frame", "FrameDig")),
    ("T-37,38,39,40", "Nom=T-37(4);CS=CK-95;MapScale=2500;", 2_500_000,
     ("HypsA", "HypsP", "HypsL", "Frame", "FrameDig")),
)
FOLDER_OF = {"HypsA": "HYPS", "HypsP": "HYPS", "HypsL": "HYPS",
             "Frame": "FRAME", "FrameAdj": "FRAME", "FrameDig": "FRAME"}
# Fonts of the label style table and the families that stand for them.
FAMILY_OF = {"PragmaticaC": "Lato", "FreeSet": "Vollkorn", "AGCenturion": "P052"}
# A neighbour's name keeps 1 mm of its gap free at both ends.
GAP_CLEARANCE_MM = {"FrameDig": 0.0, "FrameAdj": 2.0}
POSITION_TOLERANCE_MM = 0.3
WIDTH_TOLERANCE = 0.10
ANGLE_TOLERANCE_DEG = 0.5
RENDER_DPI = 100
EXPORT_DPI = 150
# A pixel darker than this (of 255) counts as ink: a hairline of 0.1 mm covers less than a
# pixel at the export resolution and comes out grey.
INK_LEVEL = 224

qgs = None
work = None
results = {}


def setUpModule():
    global qgs, work
    qgs = QgsApplication([], False)
    qgs.initQgis()
    work = tempfile.mkdtemp(prefix="sheetbasis-qgis-")
    for name, entries, _, _ in SHEETS:
        folder = os.path.join(work, name)
        os.makedirs(folder)
        done = run_job(folder, entries.replace(";", f";Path={folder}/;", 1))
        if done.returncode != 0:
            raise AssertionError(f"{name}: exit code {done.returncode}")
        results[name] = folder


def tearDownModule():
    shutil.rmtree(work, ignore_errors=True)


def open_project(folder, name):
    project = QgsProject()
    if not project.read(os.path.join(folder, name + ".qgs")):
        raise AssertionError(f"QGIS cannot read the project of {name}")
    return project


def style_xml(layer):
    style = QgsMapLayerStyle()
    style.readFromLayer(layer)
    return style.xmlData()


def paper_mm(metres, denominator):
    return metres * 1000.0 / denominator


class QgisProjectTest(unittest.TestCase):
    def test_each_sheet(self):
        for name, _, denominator, layers in SHEETS:
            folder = results[name]
            for check in (self.check_layers, self.check_layout, self.check_every_label,
                          self.check_exports):
                with self.subTest(sheet=name, check=check.__name__):
                    check(name, folder, open_project(folder, name), denominator, layers)

    def check_layers(self, name, folder, project, _, expected):
        """Layers valid, in their own system, styled from their files."""
        layers = {l.name(): l for l in project.mapLayers().values()}
        self.assertEqual(sorted(layers), sorted(expected))
        tree = ET.parse(os.path.join(folder, name + ".qgs")).getroot()
        for source in tree.iter("datasource"):
            self.assertTrue(source.text.startswith("./"), source.text)
        for layer_name, layer in layers.items():
            base = os.path.join(folder, FOLDER_OF[layer_name], layer_name)
            self.assertTrue(layer.isValid(), layer_name)
            self.assertEqual(os.path.realpath(layer.source().split("|")[0]),
                             os.path.realpath(base + ".shp"))
            with open(base + ".PRJ") as f:
                own = QgsCoordinateReferenceSystem.fromWkt(f.read().strip())
            self.assertTrue(own.isValid())
            self.assertEqual(layer.crs(), own, layer_name)
            fresh = QgsVectorLayer(base + ".shp", layer_name, "ogr")
            message, loaded = fresh.loadNamedStyle(base + ".qml")
            self.assertTrue(loaded, f"{layer_name}: {message}")
            self.assertEqual(style_xml(fresh), style_xml(layer), layer_name)
            self.assertEqual(layer.labelsEnabled(), layer_name in ("FrameAdj", "FrameDig"))
        # The project system is a projection of the layers' own datum: no datum shift.
        crs = project.crs()
        self.assertFalse(crs.isGeographic())
        self.assertEqual(crs.ellipsoidAcronym(), layers["Frame"].crs().ellipsoidAcronym())

    def test_frame_styles_tell_bars_from_division_lines(self):
        # N-37-XXXVI has whole-minute divisions on a 1.2 mm band: a division line is 1.2 mm
        # long on paper, a centre bar is one minute long and is drawn as wide as the band.
        folder = results["N-37-XXXVI"]
        frame = QgsVectorLayer(os.path.join(folder, "FRAME", "Frame.shp"), "Frame", "ogr")
        frame.loadNamedStyle(os.path.join(folder, "FRAME", "Frame.qml"))
        project = open_project(folder, "N-37-XXXVI")
        to_map = QgsCoordinateTransform(frame.crs(), project.crs(), project)
        renderer = frame.renderer().clone()
        context = QgsRenderContext()
        renderer.startRender(context, frame.fields())
        widths = {}
        for feature in frame.getFeatures():
            symbols = renderer.symbolsForFeature(feature, context)
            self.assertEqual(len(symbols), 1, feature["L_code"])
            geometry = QgsGeometry(feature.geometry())
            geometry.transform(to_map)
            length = paper_mm(geometry.length(), 200_000)
            widths.setdefault(round(symbols[0].width(), 3), []).append(length)
        renderer.stopRender(context)
        # 60 divisions on the north and south sides, 40 on the west and east: every other
        # one has its bar, and every division end its division line.
        bars = widths.pop(1.2)
        self.assertEqual(len(bars), 2 * 30 + 2 * 20)
        self.assertTrue(all(5.0 < l < 10.0 for l in bars), sorted(bars)[:3])
        hairlines = widths.pop(0.1)
        self.assertEqual(sum(1 for l in hairlines if abs(l - 1.2) < 0.02), 2 * 61 + 2 * 41)
        self.assertEqual(list(widths), [0.5])  # the outer line, in four pieces
        self.assertEqual(len(widths[0.5]), 4)

    def check_layout(self, name, folder, project, denominator, _):
        """The layout is at the map scale, on a page that holds the whole frame."""
        layout = project.layoutManager().layoutByName("Sheet")
        self.assertIsNotNone(layout)
        maps = [i for i in layout.items() if isinstance(i, QgsLayoutItemMap)]
        self.assertEqual(len(maps), 1)
        self.assertAlmostEqual(maps[0].scale() / denominator, 1.0, places=6)
        page = layout.pageCollection().page(0).pageSize()
        self.assertLessEqual(maps[0].rect().width(), page.width() + 1e-6)
        self.assertLessEqual(maps[0].rect().height(), page.height() + 1e-6)
        extent = maps[0].extent()
        for layer in project.mapLayers().values():
            to_map = QgsCoordinateTransform(layer.crs(), project.crs(), project)
            self.assertTrue(extent.contains(to_map.transformBoundingBox(layer.extent())),
                            layer.name())

    def check_every_label(self, name, folder, project, denominator, _):
        """Every label is set on its base line, as long as it."""
        layout = project.layoutManager().layoutByName("Sheet")
        item = [i for i in layout.items() if isinstance(i, QgsLayoutItemMap)][0]
        size = item.rect().size()
        pixels = QSize(round(size.width() / 25.4 * RENDER_DPI),
                       round(size.height() / 25.4 * RENDER_DPI))
        settings = item.mapSettings(item.extent(), QSizeF(pixels), RENDER_DPI, True)
        job = QgsMapRendererSequentialJob(settings)
        job.start()
        job.waitForFinished()
        labels = job.takeLabelingResults().allLabels()
        for layer in project.mapLayers().values():
            if not layer.labelsEnabled():
                continue
            self.check_labels(layer, [p for p in labels if p.layerID == layer.id()],
                              project, denominator)

    def check_labels(self, layer, placed, project, denominator):
        features = {f.id(): f for f in layer.getFeatures()}
        self.assertEqual(len(placed), len(features), layer.name())
        self.assertEqual(sorted(p.featureId for p in placed), sorted(features))
        to_map = QgsCoordinateTransform(layer.crs(), project.crs(), project)
        for p in placed:
            feature = features[p.featureId]
            where = f"{layer.name()} {feature['Text']!r}"
            self.assertFalse(p.isUnplaced, where)
            self.assertEqual(p.labelText, feature["Text"])
            self.assertEqual(p.labelFont.family().split(" [")[0], FAMILY_OF[feature["Font"]])
            line = QgsGeometry(feature.geometry())
            line.transform(to_map)
            points = [q for part in line.asMultiPolyline() for q in part]
            start, end = points[0], points[-1]
            length = paper_mm(line.length(), denominator)
            # The text box: corner 0 at the start of its bottom edge, corner 3 above it.
            c = [(paper_mm(q.x(), denominator), paper_mm(q.y(), denominator))
                 for q in p.cornerPoints]
            along = (c[1][0] - c[0][0], c[1][1] - c[0][1])
            up = (c[3][0] - c[0][0], c[3][1] - c[0][1])
            width, height = math.hypot(*along), math.hypot(*up)
            along = (along[0] / width, along[1] / width)
            up = (up[0] / height, up[1] / height)
            # Proportions of the family at a large size, clear of hinting.
            font = QFont(p.labelFont)
            font.setPixelSize(1000)
            metrics = QFontMetricsF(font)
            descent = height * metrics.descent() / metrics.height()
            origin = (c[0][0] + up[0] * descent, c[0][1] + up[1] * descent)
            # Where the text should start: the line's start, or after a name's clearance.
            lead = GAP_CLEARANCE_MM[layer.name()] / 2
            sx, sy = paper_mm(start.x(), denominator), paper_mm(start.y(), denominator)
            ex, ey = paper_mm(end.x(), denominator), paper_mm(end.y(), denominator)
            direction = ((ex - sx) / math.hypot(ex - sx, ey - sy),
                         (ey - sy) / math.hypot(ex - sx, ey - sy))
            expected = (sx + direction[0] * lead, sy + direction[1] * lead)
            offset = (origin[0] - expected[0], origin[1] - expected[1])
            self.assertLess(math.hypot(*offset), POSITION_TOLERANCE_MM,
                            f"{where}: along {offset[0] * direction[0] + offset[1] * direction[1]}")
            angle = math.degrees(math.atan2(along[1], along[0]) -
                                 math.atan2(direction[1], direction[0]))
            self.assertLess(abs((angle + 180) % 360 - 180), ANGLE_TOLERANCE_DEG, where)
            # The program measures a text from its first ink to its last: so is the text.
            text = feature["Text"]
            ink = width * metrics.tightBoundingRect(text).width() / metrics.horizontalAdvance(text)
            measured = length - GAP_CLEARANCE_MM[layer.name()]
            self.assertLess(abs(ink / measured - 1), WIDTH_TOLERANCE, f"{where}: {ink} {measured}")

    def check_exports(self, name, folder, project, denominator, _):
        """The layout goes to PDF and PNG; both show the frame and every label."""
        layout = project.layoutManager().layoutByName("Sheet")
        exporter = QgsLayoutExporter(layout)
        png = os.path.join(work, name + ".png")
        settings = QgsLayoutExporter.ImageExportSettings()
        settings.dpi = EXPORT_DPI
        self.assertEqual(exporter.exportToImage(png, settings), QgsLayoutExporter.Success)
        image = gdal.Open(png)  # kept open while its band is read
        ink = image.GetRasterBand(1).ReadAsArray() < INK_LEVEL
        height, width = ink.shape
        extent = [i for i in layout.items() if isinstance(i, QgsLayoutItemMap)][0].extent()

        def pixel(x, y):
            return (int((x - extent.xMinimum()) / extent.width() * width),
                    int((extent.yMaximum() - y) / extent.height() * height))

        # Every label has ink inside its box.
        labels = list(exporter.labelingResults().values())[0].allLabels()
        self.assertEqual(len(labels), sum(l.featureCount() for l in project.mapLayers().values()
                                          if l.labelsEnabled()))
        for p in labels:
            corners = [pixel(q.x(), q.y()) for q in p.cornerPoints]
            xs, ys = [x for x, _ in corners], [y for _, y in corners]
            self.assertTrue(ink[min(ys):max(ys) + 1, min(xs):max(xs) + 1].any(), p.labelText)
        # Ink where each frame line runs, none in the page's margin.
        frame = project.mapLayersByName("Frame")[0]
        to_map = QgsCoordinateTransform(frame.crs(), project.crs(), project)
        for feature in frame.getFeatures():
            line = QgsGeometry(feature.geometry())
            line.transform(to_map)
            x, y = pixel(*line.interpolate(line.length() / 2).asPoint())
            self.assertTrue(ink[y - 1:y + 2, x - 1:x + 2].any(), feature["L_code"])
        self.check_baselines_in_ink(project, labels, ink, extent, denominator)
        margin = round(5 / 25.4 * EXPORT_DPI)
        for strip in (ink[:margin], ink[-margin:], ink[:, :margin], ink[:, -margin:]):
            self.assertFalse(strip.any())
        self.assertLess(ink.mean(), 0.1)

        # The PDF shows the same drawing: its ink lies where the image's does, and the
        # other way round, within a pixel (a PDF reader draws hairlines a little bolder).
        pdf = os.path.join(work, name + ".pdf")
        self.assertEqual(exporter.exportToPdf(pdf, QgsLayoutExporter.PdfExportSettings()),
                         QgsLayoutExporter.Success)
        page = gdal.OpenEx(pdf, open_options=[f"DPI={EXPORT_DPI}"])
        # Page sizes are rounded to whole pixels in their own ways.
        self.assertLessEqual(abs(page.RasterYSize - height) + abs(page.RasterXSize - width), 2)
        pdf_ink = page.GetRasterBand(1).ReadAsArray()[:height, :width] < INK_LEVEL
        ink = ink[:pdf_ink.shape[0], :pdf_ink.shape[1]]
        for a, b in ((pdf_ink, ink), (ink, pdf_ink)):
            self.assertGreater((a & widened(b)).sum() / a.sum(), 0.9)


    def check_baselines_in_ink(self, project, labels, ink, extent, denominator):
        """Read from the pixels: the lowest ink of a label lies on its base line. Only for
        families whose digits stand on the baseline (Vollkorn's old-style figures hang
        below it)."""
        height, width = ink.shape
        mm_per_pixel = paper_mm(extent.width(), denominator) / width
        rows, columns = ink.nonzero()
        # Pixel centres in paper millimetres, y upwards, from the extent's corner.
        xs = (columns + 0.5) * mm_per_pixel
        ys = (height - rows - 0.5) * mm_per_pixel
        origin = (paper_mm(extent.xMinimum(), denominator),
                  paper_mm(extent.yMinimum(), denominator))
        checked = 0
        for p in labels:
            if p.labelFont.family().startswith("Vollkorn"):
                continue
            layer = project.mapLayer(p.layerID)
            line = QgsGeometry(layer.getFeature(p.featureId).geometry())
            line.transform(QgsCoordinateTransform(layer.crs(), project.crs(), project))
            points = [q for part in line.asMultiPolyline() for q in part]
            (sx, sy), (ex, ey) = [(paper_mm(q.x(), denominator) - origin[0],
                                   paper_mm(q.y(), denominator) - origin[1])
                                  for q in (points[0], points[-1])]
            length = math.hypot(ex - sx, ey - sy)
            ux, uy = (ex - sx) / length, (ey - sy) / length
            c = [(paper_mm(q.x(), denominator) - origin[0],
                  paper_mm(q.y(), denominator) - origin[1]) for q in p.cornerPoints]
            box_width = math.hypot(c[1][0] - c[0][0], c[1][1] - c[0][1])
            box_height = math.hypot(c[3][0] - c[0][0], c[3][1] - c[0][1])
            along = (xs - c[0][0]) * ux + (ys - c[0][1]) * uy
            up = -(xs - c[0][0]) * uy + (ys - c[0][1]) * ux
            inside = (along >= 0) & (along <= box_width) & (up >= 0) & (up <= box_height)
            self.assertTrue(inside.any(), p.labelText)
            # Height of the lowest ink above the base line.
            above_line = -(xs[inside] - sx) * uy + (ys[inside] - sy) * ux
            self.assertLess(abs(above_line.min()), POSITION_TOLERANCE_MM, p.labelText)
            checked += 1
        self.assertEqual(checked == 0,
                         all(p.labelFont.family().startswith("Vollkorn") for p in labels))


def widened(mask):
    """The mask grown by one pixel in every direction."""
    grown = mask.copy()
    grown[1:] |= mask[:-1]
    grown[:-1] |= mask[1:]
    grown[:, 1:] |= grown[:, :-1].copy()
    grown[:, :-1] |= grown[:, 1:].copy()
    return grown


class SecondRunTest(unittest.TestCase):
    def test_second_run_rewrites_the_styles_with_the_layers_and_keeps_other_files(self):
        folder = tempfile.mkdtemp(dir=work)
        first = "Nom=N-37-XXXVI;CS=CK-42;MapScale=200;"
        self.assertEqual(run_job(folder, first + f"Path={folder}/;").returncode, 0)
        style = os.path.join(folder, "FRAME", "FrameAdj.qml")
        with open(style) as f:
            written = f.read()
        with open(os.path.join(folder, "FRAME", "Frame.qml"), "a") as f:
            f.write("<!-- edited by hand -->")
        kept = [os.path.join(folder, "FRAME", "notes.txt"), os.path.join(folder, "HYPS", "Hyps.qml"),
                os.path.join(folder, "legend.qml")]
        for path in kept:
            with open(path, "w") as f:
                f.write("mine")
        # The same sheet at 1:500 000 has no FrameAdj: its style goes with the layer.
        second = "Nom=N-37-XXXVI;CS=CK-42;MapScale=500;"
        self.assertEqual(run_job(folder, second + f"Path={folder}/;").returncode, 0)
        self.assertFalse(os.path.exists(style))
        self.assertTrue(written.startswith("<!DOCTYPE qgis"))
        with open(os.path.join(folder, "FRAME", "Frame.qml")) as f:
            self.assertNotIn("edited by hand", f.read())
        for path in kept:
            with open(path) as f:
                self.assertEqual(f.read(), "mine")
        project = open_project(folder, "N-37-XXXVI")
        self.assertEqual(sorted(l.name() for l in project.mapLayers().values()),
                         ["Frame", "FrameDig", "HypsA", "HypsL", "HypsP"])
        layout = project.layoutManager().layoutByName("Sheet")
        item = [i for i in layout.items() if isinstance(i, QgsLayoutItemMap)][0]
        self.assertAlmostEqual(item.scale() / 500_000, 1.0, places=6)


if __name__ == "__main__":
    unittest.main()
