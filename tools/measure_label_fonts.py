#!/usr/bin/env python3
"""Which installed font family sets the frame labels closest to their base lines?

    tools/measure_label_fonts.py RESULT_FOLDER:DENOMINATOR... [--families "A,B,..."|all]
                                 [--font-dir DIR] [--metrics "A,B,..."]

for example out/N-37-XXXVI:200000 out/N-37:1000000 (the map scale of each result).

For every FrameDig and FrameAdj feature of the given result folders, the base line's
length on paper (the program's sphere, at the layer's map scale; for FrameAdj less the
clearance the gap keeps at each end of the name) is compared with the width of the ink
Qt gives the label text in each candidate family at the label's size: the program measures
its texts from the first character's ink to the last one's, side bearings left out. Per
font name of the layers it prints, for each family, the mean and the worst relative
difference; the family with the smallest worst difference is the one to map that font
name to in the layer styles, among those marked "lining": a family whose figures stand on
the baseline and reach the height of its capitals, so that "41° 0'" cannot read as
"4I° o'" (old-style figures hang below the baseline or stop at the lower-case height).

--font-dir adds every font file below DIR (for example the unpacked contents of font
packages not installed on the system) to the candidates; --families all measures every
family Qt knows. --metrics prints, for the families named, the two numbers the layer styles
need to centre a label across its line: the descent below the baseline that the text
layout gives the family (the bottom of a label's box) and the middle of its figures' ink
above the baseline, both in parts of the size."""

import argparse
import math
import os
import statistics
import sys

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
from osgeo import ogr  # noqa: E402
from PyQt5.QtGui import QFont, QFontDatabase, QFontMetricsF  # noqa: E402
from PyQt5.QtWidgets import QApplication  # noqa: E402

# The program converts map millimetres to degrees on this sphere (kilometres).
SPHERE_RADIUS_KM = 6371.032
POINT_MM = 25.4 / 72
# A neighbour's name leaves 1 mm of its gap in the outer line free at each end.
GAP_CLEARANCE_MM = {"FrameDig": 0.0, "FrameAdj": 2.0}
FONT_FILE_SUFFIXES = (".ttf", ".otf")
# Lining figures: every digit's ink from the baseline (round ones overshoot it a little)
# to the capitals' height, within this share of that height.
LINING_TOLERANCE = 0.08
DEFAULT_FAMILIES = ("Liberation Sans,Liberation Sans Narrow,Liberation Serif,DejaVu Sans,"
                    "DejaVu Sans Condensed,DejaVu Serif,DejaVu Serif Condensed,FreeSans,"
                    "FreeSerif,Nimbus Sans,Nimbus Sans Narrow,Nimbus Roman,C059,P052,"
                    "URW Gothic,PT Sans,PT Sans Narrow,PT Serif,Open Sans,"
                    "Open Sans Condensed,TeX Gyre Heros,TeX Gyre Heros Cn,TeX Gyre Schola,"
                    "TeX Gyre Termes,TeX Gyre Pagella,TeX Gyre Bonum,TeX Gyre Adventor,"
                    "Linux Libertine O,Linux Biolinum O,Cantarell,Lato,Noto Sans,Noto Serif,"
                    "Caladea,Carlito,GFS Didot,Inter,Roboto,Roboto Condensed,Roboto Light,"
                    "Vollkorn,Averia Sans GWF")


def paper_length_mm(points, denominator):
    """Length of a label line on paper, measured as the program measures its offsets."""
    total = 0.0
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        mid = math.radians((y0 + y1) / 2)
        dx = math.radians(x1 - x0) * math.cos(mid) * SPHERE_RADIUS_KM
        dy = math.radians(y1 - y0) * SPHERE_RADIUS_KM
        total += math.hypot(dx, dy)
    return total * 1e6 / denominator


def labels(folder, denominator):
    for name in ("FrameDig", "FrameAdj"):
        path = os.path.join(folder, "FRAME", name + ".shp")
        if not os.path.exists(path):
            continue
        ds = ogr.Open(path)
        for f in ds.GetLayer(0):
            pts = f.GetGeometryRef().GetPoints()
            yield (f.GetField("Font"), f.GetField("Text"), float(f.GetField("Size")),
                   paper_length_mm(pts, denominator) - GAP_CLEARANCE_MM[name])


def width_mm(family, text, size_pt):
    font = QFont(family)
    font.setPixelSize(1000)  # widths in thousandths of the size
    font.setKerning(True)
    return QFontMetricsF(font).tightBoundingRect(text).width() / 1000 * size_pt * POINT_MM


def ink_span(family, text):
    """Bottom and top of the text's ink in thousandths of the size, y upwards."""
    font = QFont(family)
    font.setPixelSize(1000)
    box = QFontMetricsF(font).tightBoundingRect(text)
    return -box.bottom(), -box.top()


def has_lining_figures(family):
    _, cap = ink_span(family, "H")
    for digit in "0123456789":
        bottom, top = ink_span(family, digit)
        if abs(bottom) > LINING_TOLERANCE * cap or abs(top - cap) > LINING_TOLERANCE * cap:
            return False
    return True


def add_font_files(folder):
    for root, _, files in os.walk(folder):
        for name in files:
            if name.lower().endswith(FONT_FILE_SUFFIXES):
                QFontDatabase.addApplicationFont(os.path.join(root, name))


def print_vertical_metrics(families):
    for family in families:
        font = QFont(family)
        font.setPixelSize(1000)
        bottom, top = ink_span(family, "0123456789")
        descent = QFontMetricsF(font).descent() / 1000
        print(f"{family}: descent {descent:.3f}, figures' middle {(bottom + top) / 2000:.3f}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folders", nargs="+", help="FOLDER:DENOMINATOR, e.g. out/N-37:1000000")
    parser.add_argument("--families", default=DEFAULT_FAMILIES)
    parser.add_argument("--font-dir")
    parser.add_argument("--metrics")
    args = parser.parse_args()
    app = QApplication(sys.argv)  # noqa: F841 (the font database needs it alive)
    if args.font_dir:
        add_font_files(args.font_dir)
    if args.metrics:
        print_vertical_metrics(args.metrics.split(","))
    # Families of the same name from two foundries are listed as "Name [foundry]".
    installed = sorted({f.split(" [")[0] for f in QFontDatabase().families()})
    wanted = installed if args.families == "all" else args.families.split(",")
    families = [f for f in wanted if f in installed]
    lining = {f: has_lining_figures(f) for f in families}
    by_font = {}
    for entry in args.folders:
        folder, denominator = entry.rsplit(":", 1)
        for font, text, size, length in labels(folder, float(denominator)):
            by_font.setdefault(font, []).append((text, size, length))
    for font, items in sorted(by_font.items()):
        print(f"{font} ({len(items)} labels, e.g. {items[0][0]!r})")
        rows = []
        for family in families:
            errors = [width_mm(family, t, s) / l - 1 for t, s, l in items]
            worst = max(range(len(errors)), key=lambda k: abs(errors[k]))
            rows.append((abs(errors[worst]), statistics.mean(errors), family, items[worst][0]))
        for worst, mean, family, text in sorted(rows):
            figures = "lining" if lining[family] else "      "
            print(f"  {family:32s} {figures} mean {mean * 100:+6.1f} %  worst {worst * 100:5.1f} %"
                  f" ({text})")


if __name__ == "__main__":
    main()
