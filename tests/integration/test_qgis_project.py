"""The result opened in QGIS itself (Debian's python3-qgis, headless): the project named
after the sheet, its six layers styled from the style files written beside them, the
layout at the map scale with the sheet's name, scale and coordinate system around the
frame, every frame label centred on its line, and the layout exported to PDF and PNG with
the frame and labels visible; one project per result folder.

One QGIS start for the whole module: four sheets, one in each coordinate system and at
four map scales, are generated once and checked from every side."""

import glob
import os
import shutil
import tempfile
import unittest
import xml.etree.ElementTree as ET

from qgis_sheet_checks import (
    INK_LEVEL, RENDER_DPI, LabelChecks, open_project, paper_mm, start_qgis,
    widened)

from osgeo import gdal  # noqa: I100 (after QGIS's start-up settings)
from qgis.core import (
    QgsCoordinateReferenceSystem, QgsCoordinateTransform, QgsGeometry, QgsLayoutExporter,
    QgsLayoutItemLabel, QgsLayoutItemMap, QgsMapLayerStyle, QgsPointXY, QgsRectangle,
    QgsRenderContext, QgsVectorLayer)
from qgis.PyQt.QtCore import QRectF

from sheetbasis_testing import run_job

gdal.UseExceptions()

# (name, job entries, map scale denominator, layers written, coordinate system's name)
SHEETS = (
    ("N-37-XXXVI", "Nom=N-37-XXXVI;CS=CK-42;MapScale=200;", 200_000,
     ("HypsA", "HypsP", "HypsL", "Frame", "FrameAdj", "FrameDig"), "СК-42"),
    ("N-37", "Nom=N-37;CS=ГCK-2011 / СК-42;MapScale=1000;", 1_000_000,
     ("HypsA", "HypsP", "HypsL", "Frame", "FrameDig"), "ГСК-2011 / СК-42"),
    ("M-36-XII", "Nom=M-36-XII;CS=ГCK-2011;MapScale=500;", 500_000,
     ("HypsA", "HypsP", "HypsL", "Frame", "FrameDig"), "ГСК-2011"),
    ("T-37,38,39,40", "Nom=T-37(4);CS=CK-95;MapScale=2500;", 2_500_000,
     ("HypsA", "HypsP", "HypsL", "Frame", "FrameDig"), "СК-95"),
)
EXPORT_DPI = 150
FOLDER_OF = {"HypsA": "HYPS", "HypsP": "HYPS", "HypsL": "HYPS",
             "Frame": "FRAME", "FrameAdj": "FRAME", "FrameDig": "FRAME"}
qgs = None
work = None
results = {}


def setUpModule():
    global qgs, work
    qgs = start_qgis()
    work = tempfile.mkdtemp(prefix="sheetbasis-qgis-")
    for name, entries, *_ in SHEETS:
        folder = os.path.join(work, name)
        os.makedirs(folder)
        done = run_job(folder, entries.replace(";", f";Path={folder}/;", 1))
        if done.returncode != 0:
            raise AssertionError(f"{name}: exit code {done.returncode}")
        results[name] = folder


def tearDownModule():
    shutil.rmtree(work, ignore_errors=True)


def style_xml(layer):
    style = QgsMapLayerStyle()
    style.readFromLayer(layer)
    return style.xmlData()


class QgisProjectTest(unittest.TestCase, LabelChecks):
    def test_each_sheet(self):
        for name, _, denominator, layers, system in SHEETS:
            folder = results[name]
            for check in (self.check_layers, self.check_layout, self.check_margin_texts,
                          self.check_every_label, self.check_exports):
                with self.subTest(sheet=name, check=check.__name__):
                    check(name, folder, open_project(folder, name), denominator,
                          (layers, system))

    def check_layers(self, name, folder, project, _, sheet):
        """Layers valid, on their own datum and coordinates, styled from their files."""
        expected, _ = sheet
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
            self.check_same_coordinates(own, layer, project)
            fresh = QgsVectorLayer(base + ".shp", layer_name, "ogr")
            message, loaded = fresh.loadNamedStyle(base + ".qml")
            self.assertTrue(loaded, f"{layer_name}: {message}")
            self.assertEqual(style_xml(fresh), style_xml(layer), layer_name)
            self.assertEqual(layer.labelsEnabled(), layer_name in ("FrameAdj", "FrameDig"))
        self.assertFalse(project.crs().isGeographic())

    def check_same_coordinates(self, own, layer, project):
        """The layer's system in the project reads the layer's coordinates as its projection
        file does: they reach the project's system at the same place, within a millimetre,
        and come back from it as they were, longitudes on the layer's own 0..360 scale."""
        extent = layer.extent()
        points = [QgsPointXY(x, y) for x in (extent.xMinimum(), extent.xMaximum())
                  for y in (extent.yMinimum(), extent.yMaximum())]
        via_own = QgsCoordinateTransform(own, project.crs(), project)
        via_layer = QgsCoordinateTransform(layer.crs(), project.crs(), project)
        for point in points:
            back = via_layer.transform(via_layer.transform(point),
                                       QgsCoordinateTransform.ReverseTransform)
            self.assertAlmostEqual(back.x(), point.x(), places=9)
            self.assertAlmostEqual(back.y(), point.y(), places=9)
            self.assertLess(via_own.transform(point).distance(via_layer.transform(point)), 1e-3)

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

    def check_layout(self, name, folder, project, denominator, sheet):
        """The layout is at the map scale, on a page that holds the whole frame: the map of
        all layers, and over it the map of the frame layers alone."""
        layout = project.layoutManager().layoutByName("Sheet")
        self.assertIsNotNone(layout)
        maps = [i for i in layout.items() if isinstance(i, QgsLayoutItemMap)]
        self.assertEqual(sorted(m.id() for m in maps), ["frame", "map"])
        for item in maps:
            self.assertAlmostEqual(item.scale() / denominator, 1.0, places=6)
        frame_layers = [l.name() for l in layout.itemById("frame").layers()]
        self.assertEqual(sorted(frame_layers), sorted(n for n in sheet[0] if n.startswith("Frame")))
        page = layout.pageCollection().page(0).pageSize()
        # A job run lays the sheet out on the smallest ISO A size that holds it.
        self.assertIn(sorted((round(page.width(), 6), round(page.height(), 6))),
                      ([210, 297], [297, 420], [420, 594], [594, 841], [841, 1189]))
        self.assertLessEqual(maps[0].rect().width(), page.width() + 1e-6)
        self.assertLessEqual(maps[0].rect().height(), page.height() + 1e-6)
        extent = maps[0].extent()
        for layer in project.mapLayers().values():
            to_map = QgsCoordinateTransform(layer.crs(), project.crs(), project)
            self.assertTrue(extent.contains(to_map.transformBoundingBox(layer.extent())),
                            layer.name())

    def check_margin_texts(self, name, folder, project, denominator, sheet):
        """The sheet's name above the frame, the scale and the coordinate system below it, on
        the page and clear of everything the map draws."""
        _, system = sheet
        layout = project.layoutManager().layoutByName("Sheet")
        page = layout.pageCollection().page(0).pageSize()
        drawn = drawn_box_mm(project, layout, denominator)
        expected = {"sheet name": name,
                    "scale": "Масштаб 1:" + f"{denominator:,}".replace(",", " "),
                    "coordinate system": "Система координат " + system}
        for item_id, text in expected.items():
            item = layout.itemById(item_id)
            self.assertIsInstance(item, QgsLayoutItemLabel, item_id)
            self.assertEqual(item.text(), text)
            box = item.sceneBoundingRect()
            self.assertTrue(QRectF(0, 0, page.width(), page.height()).contains(box), item_id)
            if item_id == "sheet name":
                self.assertLess(box.bottom(), drawn.top(), item_id)
            else:
                self.assertGreater(box.top(), drawn.bottom(), item_id)

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
        # Every margin text shows.
        mm_per_pixel = layout.pageCollection().page(0).pageSize().width() / width
        for item_id in ("sheet name", "scale", "coordinate system"):
            box = layout.itemById(item_id).sceneBoundingRect()
            rows = slice(int(box.top() / mm_per_pixel), int(box.bottom() / mm_per_pixel) + 1)
            columns = slice(int(box.left() / mm_per_pixel), int(box.right() / mm_per_pixel) + 1)
            self.assertTrue(ink[rows, columns].any(), item_id)
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



def drawn_box_mm(project, layout, denominator):
    """The box on the page (mm, y down) that holds every feature of the project's layers and
    every label QGIS sets for them."""
    item = [i for i in layout.items() if isinstance(i, QgsLayoutItemMap)][0]
    extent = item.extent()
    box = QgsRectangle()
    box.setMinimal()
    for layer in project.mapLayers().values():
        box.combineExtentWith(QgsCoordinateTransform(layer.crs(), project.crs(), project)
                              .transformBoundingBox(layer.extent()))
    exporter = QgsLayoutExporter(layout)
    settings = QgsLayoutExporter.ImageExportSettings()
    settings.dpi = RENDER_DPI
    with tempfile.TemporaryDirectory() as scratch:
        exporter.exportToImage(os.path.join(scratch, "page.png"), settings)
    for p in list(exporter.labelingResults().values())[0].allLabels():
        for q in p.cornerPoints:
            box.combineExtentWith(q.x(), q.y())
    to_page = 1000.0 / denominator
    return QRectF((box.xMinimum() - extent.xMinimum()) * to_page,
                  (extent.yMaximum() - box.yMaximum()) * to_page,
                  box.width() * to_page, box.height() * to_page)


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

    def test_a_run_replaces_the_project_an_earlier_run_wrote_for_another_sheet(self):
        folder = tempfile.mkdtemp(dir=work)
        self.assertEqual(run_job(folder, f"Nom=N-37-XXXVI;Path={folder}/;").returncode, 0)
        ours = os.path.join(folder, "N-37-XXXVI.qgs")
        # A project of someone else's, one that QGIS saved from ours (a user's own save), and
        # a link to a project of ours elsewhere: none of them is the program's file here.
        with open(os.path.join(folder, "foreign.qgs"), "w") as f:
            f.write("<!DOCTYPE qgis PUBLIC 'http://mrcc.com/qgis.dtd' 'SYSTEM'>\n<qgis/>\n")
        earlier = open_project(folder, "N-37-XXXVI")
        self.assertTrue(earlier.write(os.path.join(folder, "saved by QGIS.qgs")))
        elsewhere = os.path.join(tempfile.mkdtemp(dir=work), "linked.qgs")
        shutil.copy(ours, elsewhere)
        os.symlink(elsewhere, os.path.join(folder, "link.qgs"))

        self.assertEqual(run_job(folder, f"Nom=N-37-XXXV;Path={folder}/;").returncode, 0)
        self.assertEqual(sorted(os.path.basename(p) for p in glob.glob(f"{folder}/*.qgs")),
                         ["N-37-XXXV.qgs", "foreign.qgs", "link.qgs", "saved by QGIS.qgs"])
        self.assertTrue(os.path.isfile(elsewhere))
        project = open_project(folder, "N-37-XXXV")
        layout = project.layoutManager().layoutByName("Sheet")
        self.assertEqual(layout.itemById("sheet name").text(), "N-37-XXXV")



if __name__ == "__main__":
    unittest.main()
