#!/usr/bin/env python3
"""Renders a result folder to PNG through QGIS, as its project's layout prints it.

    tools/render_sheet.py RESULT_FOLDER SHEET.png [--dpi 60]
                          [--corner CORNER.png --corner-dpi 300 --corner-mm 80x60]

The project named after the sheet in RESULT_FOLDER (written by the program beside the
HYPS and FRAME folders) is opened headless with Debian's python3-qgis; its layout goes to
SHEET.png at --dpi. With --corner, the north-west corner of the page, --corner-mm wide and
high, goes to CORNER.png at --corner-dpi: shown at that resolution it is at true scale."""

import argparse
import glob
import os
import sys
import tempfile

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
from qgis.core import QgsApplication, QgsLayoutExporter, QgsProject  # noqa: E402
from qgis.PyQt.QtGui import QImage  # noqa: E402

MM_PER_INCH = 25.4
# How far the frame, its labels and the texts above it reach beyond the sheet (mm).
FRAME_REACH_MM = 20.0


def export(layout, path, dpi):
    settings = QgsLayoutExporter.ImageExportSettings()
    settings.dpi = dpi
    if QgsLayoutExporter(layout).exportToImage(path, settings) != QgsLayoutExporter.Success:
        raise SystemExit(f"QGIS could not export {path}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("png")
    parser.add_argument("--dpi", type=float, default=60)
    parser.add_argument("--corner")
    parser.add_argument("--corner-dpi", type=float, default=300)
    parser.add_argument("--corner-mm", default="80x60")
    args = parser.parse_args()
    projects = glob.glob(os.path.join(args.folder, "*.qgs"))
    if len(projects) != 1:
        raise SystemExit(f"{args.folder}: expected one project, found {len(projects)}")

    app = QgsApplication([], False)
    app.initQgis()
    project = QgsProject()
    if not project.read(projects[0]):
        raise SystemExit(f"QGIS cannot read {projects[0]}")
    layout = project.layoutManager().layouts()[0]
    export(layout, args.png, args.dpi)
    if args.corner:
        width_mm, height_mm = (float(v) for v in args.corner_mm.split("x"))
        with tempfile.TemporaryDirectory() as work:
            page = os.path.join(work, "page.png")
            export(layout, page, args.corner_dpi)
            scale = args.corner_dpi / MM_PER_INCH
            # The sheet lies in the middle of its paper: the corner begins just beyond the
            # frame's reach from the sheet's outline.
            outline = layout.itemById("sheet outline").sceneBoundingRect()
            left, top = (max(0.0, v - FRAME_REACH_MM) for v in (outline.left(), outline.top()))
            corner = QImage(page).copy(round(left * scale), round(top * scale),
                                       round(width_mm * scale), round(height_mm * scale))
            # The resolution travels with the picture, so that a viewer can show it true size.
            corner.setDotsPerMeterX(round(args.corner_dpi / MM_PER_INCH * 1000))
            corner.setDotsPerMeterY(round(args.corner_dpi / MM_PER_INCH * 1000))
            if not corner.save(args.corner):
                raise SystemExit(f"cannot write {args.corner}")
    # The project goes before QGIS does: its layers outliving QGIS crash the exit.
    del layout, project
    app.exitQgis()
    return 0


if __name__ == "__main__":
    sys.exit(main())
