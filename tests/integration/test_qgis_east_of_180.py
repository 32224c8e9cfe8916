"""Sheets whose longitudes pass 180 degrees in QGIS (Debian's python3-qgis, headless): the
layers store longitudes up to 192 on a 0..360 scale, and their projects must show them
whole, like their twins in column 60."""

import glob
import os
import re
import shutil
import struct
import tempfile
import unittest
import xml.etree.ElementTree as ET

from qgis_sheet_checks import (
    INK_LEVEL, RENDER_DPI, LabelChecks, open_project, start_qgis, widened)

from qgis.core import (  # noqa: I100 (after QGIS's start-up settings)
    QgsCoordinateReferenceSystem, QgsCoordinateTransform, QgsLayoutExporter, QgsLayoutItemLabel,
    QgsLayoutItemMap, QgsProject, QgsRectangle)
from qgis.PyQt.QtCore import QSize
from qgis.PyQt.QtXml import QDomDocument

import numpy

from sheetbasis_testing import run_program

qgs = None
work = None


def setUpModule():
    global qgs, work
    qgs = start_qgis()
    work = tempfile.mkdtemp(prefix="sheetbasis-east-")


def tearDownModule():
    shutil.rmtree(work, ignore_errors=True)


ROMAN = ("I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X", "XI", "XII", "XIII",
         "XIV", "XV", "XVI", "XVII", "XVIII", "XIX", "XX", "XXI", "XXII", "XXIII", "XXIV",
         "XXV", "XXVI", "XXVII", "XXVIII", "XXIX", "XXX", "XXXI", "XXXII", "XXXIII", "XXXIV",
         "XXXV", "XXXVI")
ROWS = "KLMNOPQRSTU"


def sheets_past_180(series):
    """Every sheet whose longitudes pass 180 degrees: the sheets of columns 01 and 02 as the
    whole series tiles them, and every double, triple and quadruple sheet that begins in
    column 60 and runs into column 01."""
    joined = []
    for row in ROWS:
        if series == "200":
            for last in range(6, 37, 6):  # the eastern sheet of each row of column 60
                joined += [f"{row}-60-{ROMAN[first - 1]}({count})" for count in (2, 3, 4)
                           for first in range(last - count + 2, last + 1)]
        else:
            joined += [f"{row}-{first}({count})" for count in (2, 3, 4)
                       for first in range(62 - count, 61)]
    return ",".join(["K..U:01..02"] + joined)


def crs_from_xml(element):
    """A coordinate system read from a project's XML as QGIS reads it."""
    document = QDomDocument()
    document.setContent(ET.tostring(element, encoding="unicode"))
    crs = QgsCoordinateReferenceSystem()
    crs.readXml(document.documentElement())
    return crs


def conic_of(wkt):
    """The Lambert conformal conic a project's system defines, in PROJ's terms."""
    parameter = dict(re.findall(r'PARAMETER\["(\w+)",([-+.\deE]+)\]', wkt))
    axis, flattening = re.search(r'SPHEROID\["[^"]*",\s*([.\d]+),([.\d]+)\]', wkt).groups()
    crs = QgsCoordinateReferenceSystem()
    crs.createFromString(
        f"PROJ:+proj=lcc +lat_0={parameter['Latitude_Of_Origin']} "
        f"+lon_0={parameter['Central_Meridian']} +lat_1={parameter['Standard_Parallel_1']} "
        f"+lat_2={parameter['Standard_Parallel_2']} +x_0={parameter['False_Easting']} "
        f"+y_0={parameter['False_Northing']} +a={axis} +rf={flattening} +units=m +type=crs")
    return crs


def shape_file_extent(path):
    """The extent a shape file's header records (x and y, least and greatest)."""
    with open(path, "rb") as f:
        x_min, y_min, x_max, y_max = struct.unpack("<4d", f.read(100)[36:68])
    return QgsRectangle(x_min, y_min, x_max, y_max)


def generate_set(sheets, series):
    out = tempfile.mkdtemp(dir=work)
    done = run_program(["--sheets", sheets, "--series", series, "--out", out, "--quiet"],
                       timeout=600)
    if done.returncode != 0:
        raise AssertionError(done.stderr.decode())
    return out


class EastOf180Test(unittest.TestCase, LabelChecks):
    """The layers store longitudes up to 192 on a 0..360 scale; the sheets past 180 degrees
    print whole, like their twins in column 60."""

    def test_every_sheet_past_180_degrees_gives_its_layers_whole_to_the_map(self):
        # What QGIS does before it draws a layer: it takes the map's extent into the layer's
        # system and asks the layer for what lies there; that must hold all of the layer,
        # which in turn must lie inside the map. The project's system is built from the
        # parameters of its definition in PROJ's form here (QGIS takes 0.1 s to identify a
        # custom projected system read from WKT); the printed sheets below read their
        # projects whole.
        context = QgsProject.instance().transformContext()
        for series, count in (("200", 588 + 11 * 6 * 6), ("1000", 17 + 11 * 6)):
            out = generate_set(sheets_past_180(series), series)
            folders = sorted(glob.glob(os.path.join(out, "*")))
            self.assertEqual(len(folders), count)
            for folder in folders:
                with self.subTest(sheet=os.path.basename(folder)):
                    self.check_layers_asked_whole(folder, context)

    def check_layers_asked_whole(self, folder, context):
        project, = glob.glob(os.path.join(folder, "*.qgs"))
        root = ET.parse(project).getroot()
        map_crs = conic_of(root.find("projectCrs/spatialrefsys/wkt").text)
        box = root.find(".//Layout/LayoutItem/Extent")
        extent = QgsRectangle(*(float(box.get(k)) for k in ("xmin", "ymin", "xmax", "ymax")))
        asked = {}
        for layer in root.findall(".//maplayer"):
            srs = ET.tostring(layer.find("srs"))
            if srs not in asked:
                to_map = QgsCoordinateTransform(crs_from_xml(layer.find("srs")), map_crs, context)
                asked[srs] = (to_map, to_map.transformBoundingBox(
                    extent, QgsCoordinateTransform.ReverseTransform))
            to_map, region = asked[srs]
            own = shape_file_extent(os.path.join(folder, layer.find("datasource").text))
            name = layer.find("layername").text
            self.assertTrue(region.contains(own), f"{name}: {region.toString()} {own.toString()}")
            self.assertTrue(extent.contains(to_map.transformBoundingBox(own)), name)

    def test_sheets_past_180_degrees_print_as_their_twins_in_column_60(self):
        # (series, its scale, sheet past 180 degrees, its twin of the same shape in column 60)
        for series, denominator, east, twin in (
                ("200", 200_000, "Q-01-XXXVI", "Q-60-XXXVI"),
                ("1000", 1_000_000, "P-01", "P-60"),
                ("1000", 1_000_000, "U-60(2)", "U-59(2)"),
                ("200", 200_000, "T-60-XXXVI(3)", "T-60-XXXIV(3)")):
            with self.subTest(sheet=east):
                folders = [glob.glob(os.path.join(generate_set(s, series), "*"))[0]
                           for s in (east, twin)]
                printed, twin_printed = (print_sheet(folder) for folder in folders)
                self.assertEqual(printed.page, twin_printed.page)
                self.assertGreater(printed.lines.mean(), 0.002)
                for a, b in ((printed.lines, twin_printed.lines),
                             (twin_printed.lines, printed.lines)):
                    self.assertGreater((a & widened(b)).sum() / a.sum(), 0.999)
                self.assertEqual(printed.labels, twin_printed.labels)
                name = os.path.basename(folders[0])
                self.check_every_label(name, folders[0], open_project(folders[0], name),
                                       denominator, None)


class PrintedSheet:
    """A sheet's layout as QGIS prints it: the page's size (mm), the ink of its lines and
    points alone (the label texts and the margin texts name the sheet), and the labels QGIS
    sets, by layer and feature."""

    def __init__(self, page, lines, labels):
        self.page, self.lines, self.labels = page, lines, labels


def print_sheet(folder):
    project = open_project(folder, os.path.basename(folder))
    layout = project.layoutManager().layoutByName("Sheet")
    page = layout.pageCollection().page(0).pageSize()
    exporter = QgsLayoutExporter(layout)
    settings = QgsLayoutExporter.ImageExportSettings()
    settings.dpi = RENDER_DPI
    with tempfile.TemporaryDirectory() as scratch:
        exporter.exportToImage(os.path.join(scratch, "page.png"), settings)
    labels = sorted((project.mapLayer(p.layerID).name(), p.featureId)
                    for p in list(exporter.labelingResults().values())[0].allLabels())
    unlabelled = [l for l in project.mapLayers().values() if not l.labelsEnabled()]
    for item in [i for i in layout.items() if isinstance(i, QgsLayoutItemMap)]:
        own = item.layers() if item.keepLayerSet() else unlabelled
        item.setKeepLayerSet(True)
        item.setLayers([l for l in own if l in unlabelled])
    for text in [i for i in layout.items() if isinstance(i, QgsLayoutItemLabel)]:
        text.setVisibility(False)
    image = exporter.renderPageToImage(0, QSize(), RENDER_DPI)
    bits = image.constBits()
    bits.setsize(image.sizeInBytes())
    pixels = numpy.frombuffer(bits, numpy.uint8).reshape(image.height(),
                                                         image.bytesPerLine() // 4, 4)
    return PrintedSheet((round(page.width(), 6), round(page.height(), 6)),
                        pixels[:, :image.width(), 1] < INK_LEVEL, labels)

if __name__ == "__main__":
    unittest.main()
