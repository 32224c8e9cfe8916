"""What the QGIS tests share: QGIS started headless (Debian's python3-qgis), a result's
project opened, and the frame labels as QGIS sets and draws them, checked against their
lines."""

import math
import os

os.environ["QT_QPA_PLATFORM"] = "offscreen"  # headless, whatever display there is

import numpy  # noqa: E402
from qgis.core import (  # noqa: E402
    QgsApplication, QgsCoordinateTransform, QgsGeometry,
    QgsMapRendererSequentialJob, QgsProject)
from qgis.PyQt.QtCore import QSize, QSizeF  # noqa: E402
from qgis.PyQt.QtGui import QFont, QFontMetricsF  # noqa: E402

# Fonts of the label style table and the families that stand for them.
FAMILY_OF = {"PragmaticaC": "Lato", "FreeSet": "Averia Sans GWF", "AGCenturion": "P052"}
# A neighbour's name keeps 1 mm of its gap free at both ends.
GAP_CLEARANCE_MM = {"FrameDig": 0.0, "FrameAdj": 2.0}
# How far a text's middle may lie from its line's middle, across and along, on paper, as
# QGIS reports the label and as read from the pixels of the labels drawn at LABEL_DPI (a
# side bearing and QGIS's rounding of font metrics to whole pixels take up to 0.1 mm).
CENTRE_TOLERANCE_MM = 0.15
LABEL_DPI = 300
# Characters whose tails hang below the figures and capitals: the middle of a text's ink up
# and down is not its centre line where one of them stands (Q: the row letter of a
# neighbour's name).
TAILED = (",", "Q")
# Ink of a label is looked for this far beyond its expected extent across its line: less
# than the 0.4 mm between the degree and minute labels of a parallel.
INK_SEARCH_MM = 0.3
WIDTH_TOLERANCE = 0.10
ANGLE_TOLERANCE_DEG = 0.5
RENDER_DPI = 100
# A pixel darker than this (of 255) counts as ink: a hairline of 0.1 mm covers less than a
# pixel at the export resolution and comes out grey.
INK_LEVEL = 224


def start_qgis():
    """QGIS's application, started; keep it for as long as QGIS is used."""
    application = QgsApplication([], False)
    application.initQgis()
    return application


def open_project(folder, name):
    project = QgsProject()
    if not project.read(os.path.join(folder, name + ".qgs")):
        raise AssertionError(f"QGIS cannot read the project of {name}")
    return project


def paper_mm(metres, denominator):
    return metres * 1000.0 / denominator


class LabelChecks:
    """Checks of a sheet's frame labels, for a unittest.TestCase."""

    def check_every_label(self, name, folder, project, denominator, _):
        """Every label is centred on its line, as long as it: as QGIS reports where it set
        the labels, and in the pixels of the labels drawn alone."""
        layout = project.layoutManager().layoutByName("Sheet")
        # The map that draws the frame layers whole; the other one is clipped to the sheet.
        item = layout.itemById("frame")
        size = item.rect().size()
        pixels = QSize(round(size.width() / 25.4 * LABEL_DPI),
                       round(size.height() / 25.4 * LABEL_DPI))
        settings = item.mapSettings(item.extent(), QSizeF(pixels), LABEL_DPI, True)
        label_layers = [l for l in project.mapLayers().values() if l.labelsEnabled()]
        settings.setLayers(label_layers)
        job = QgsMapRendererSequentialJob(settings)
        job.start()
        job.waitForFinished()
        labels = job.takeLabelingResults().allLabels()
        for layer in label_layers:
            self.check_labels(layer, [p for p in labels if p.layerID == layer.id()],
                              project, denominator)
        self.check_centres_in_ink(project, labels, alpha_of(job.renderedImage()) > 0,
                                  item.extent(), denominator)

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
            start, end = line_ends_mm(line, denominator)
            length = paper_mm(line.length(), denominator)
            box = LabelBox(p, denominator)
            # QGIS sets the middle of the label's box at the line's middle; the text's
            # middle, up and down, lies on the line.
            direction = unit(start, end)
            middle = ((start[0] + end[0]) / 2, (start[1] + end[1]) / 2)
            box_middle = box.point(box.width / 2, 0)
            along = ((box_middle[0] - middle[0]) * direction[0] +
                     (box_middle[1] - middle[1]) * direction[1])
            text_middle = box.point(0, box.text_middle_up(feature["Text"]))
            across = ((text_middle[1] - middle[1]) * direction[0] -
                      (text_middle[0] - middle[0]) * direction[1])
            self.assertLess(abs(along), CENTRE_TOLERANCE_MM, f"{where}: along {along}")
            self.assertLess(abs(across), CENTRE_TOLERANCE_MM, f"{where}: across {across}")
            angle = math.degrees(math.atan2(box.along[1], box.along[0]) -
                                 math.atan2(direction[1], direction[0]))
            self.assertLess(abs((angle + 180) % 360 - 180), ANGLE_TOLERANCE_DEG, where)
            # The program measures a text from its first ink to its last: so is the text.
            measured = length - GAP_CLEARANCE_MM[layer.name()]
            ink = box.ink_width(feature["Text"])
            self.assertLess(abs(ink / measured - 1), WIDTH_TOLERANCE, f"{where}: {ink} {measured}")

    def check_centres_in_ink(self, project, labels, ink, extent, denominator):
        """Read from the pixels: half way between a label's first and last ink lies its
        line's middle, and half way between its lowest and highest ink its line (for texts
        without a comma or a Q, whose tails hang below the figures)."""
        height, width = ink.shape
        mm_per_pixel = paper_mm(extent.width(), denominator) / width
        rows, columns = ink.nonzero()
        # Pixel centres in paper millimetres, y upwards, on the map's scale.
        xs = (columns + 0.5) * mm_per_pixel + paper_mm(extent.xMinimum(), denominator)
        ys = (height - rows - 0.5) * mm_per_pixel + paper_mm(extent.yMinimum(), denominator)
        for p in labels:
            layer = project.mapLayer(p.layerID)
            line = QgsGeometry(layer.getFeature(p.featureId).geometry())
            line.transform(QgsCoordinateTransform(layer.crs(), project.crs(), project))
            start, end = line_ends_mm(line, denominator)
            ux, uy = unit(start, end)
            box = LabelBox(p, denominator)
            c0 = box.corners[0]
            in_box = (xs - c0[0]) * box.along[0] + (ys - c0[1]) * box.along[1]
            along = (xs - (start[0] + end[0]) / 2) * ux + (ys - (start[1] + end[1]) / 2) * uy
            across = -(xs - start[0]) * uy + (ys - start[1]) * ux
            reach = box.ink_height(p.labelText) / 2 + INK_SEARCH_MM
            inside = (in_box >= 0) & (in_box <= box.width) & (abs(across) < reach)
            self.assertTrue(inside.any(), p.labelText)
            for name, values in (("along", along[inside]), ("across", across[inside])):
                if name == "across" and any(c in p.labelText for c in TAILED):
                    continue
                middle = (values.min() + values.max()) / 2
                self.assertLess(abs(middle), CENTRE_TOLERANCE_MM,
                                f"{p.labelText} {name}: {middle}")


class LabelBox:
    """A label's box as QGIS reports it, on paper (mm): corner 0 at the start of its bottom
    edge, corner 3 above it; along and up are the unit vectors of its sides."""

    def __init__(self, position, denominator):
        self.corners = [(paper_mm(q.x(), denominator), paper_mm(q.y(), denominator))
                        for q in position.cornerPoints]
        c = self.corners
        self.width = math.hypot(c[1][0] - c[0][0], c[1][1] - c[0][1])
        self.height = math.hypot(c[3][0] - c[0][0], c[3][1] - c[0][1])
        self.along = unit(c[0], c[1])
        self.up = unit(c[0], c[3])
        # Proportions of the family at a large size, clear of hinting.
        font = QFont(position.labelFont)
        font.setPixelSize(1000)
        self.metrics = QFontMetricsF(font)
        self.text = position.labelText

    def point(self, along_mm, up_mm):
        c0 = self.corners[0]
        return (c0[0] + self.along[0] * along_mm + self.up[0] * up_mm,
                c0[1] + self.along[1] * along_mm + self.up[1] * up_mm)

    def text_middle_up(self, text):
        """Height in the box of the text's middle: half way up the ink of its figures and
        capitals (a comma's tail hangs below, as in any text), the box's bottom lying the
        font's descent below the baseline."""
        body = self.metrics.tightBoundingRect(text.replace(",", ""))
        return (self.metrics.descent() - (body.top() + body.bottom()) / 2) * \
            self.height / self.metrics.height()

    def ink_height(self, text):
        body = self.metrics.tightBoundingRect(text.replace(",", ""))
        return body.height() * self.height / self.metrics.height()

    def ink_width(self, text):
        return self.width * self.metrics.tightBoundingRect(text).width() / \
            self.metrics.horizontalAdvance(text)


def alpha_of(image):
    """The alpha channel of a rendered map image (transparent where nothing is drawn)."""
    bits = image.constBits()
    bits.setsize(image.sizeInBytes())
    pixels = numpy.frombuffer(bits, numpy.uint8).reshape(image.height(),
                                                         image.bytesPerLine() // 4, 4)
    return pixels[:, :image.width(), 3]


def unit(a, b):
    length = math.hypot(b[0] - a[0], b[1] - a[1])
    return ((b[0] - a[0]) / length, (b[1] - a[1]) / length)


def line_ends_mm(line, denominator):
    points = [q for part in line.asMultiPolyline() for q in part]
    return [(paper_mm(q.x(), denominator), paper_mm(q.y(), denominator))
            for q in (points[0], points[-1])]


def widened(mask):
    """The mask grown by one pixel in every direction."""
    grown = mask.copy()
    grown[1:] |= mask[:-1]
    grown[:-1] |= mask[1:]
    grown[:, 1:] |= grown[:, :-1].copy()
    grown[:, :-1] |= grown[:, 1:].copy()
    return grown
