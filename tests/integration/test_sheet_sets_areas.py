"""Area items of a set checked against an independent computation: the listing of --list
gives each sheet's edges, and on a dense grid of points over the area every point lies in
exactly one listed sheet (west and south edges belong to a sheet, east and north edges to
the next), while every listed sheet holds points of the area. The area's own geometry is
read here from its text, not by the program."""

import os
import re
import unittest

import numpy as np

from sheetbasis_testing import WorkFolderTest, run_program

# (set item, series, a joined sheet expected among the listed ones)
BOXES = (
    ("bbox:178.5,63.2,-176.3,66.9", "1000", False),  # across 180 degrees
    ("bbox:178.5,63.2,-176.3,66.9", "200", True),
    ("bbox:37.2,76.4,47.9,83.1", "1000", True),  # polar rows: joined sheets
    ("bbox:37.2,76.4,47.9,83.1", "200", True),
    ("bbox:-179.9,40.2,-168.1,43.7", "200", False),  # west longitudes, column 01 and 02
    ("bbox:36°30',52°20',38°,53°", "200", False),  # angles as a job file writes them
)
POINTS = (("at:41.5,52.3", (41.5, 52.3)), ("at:42,52", (42.0, 52.0)),
          ("at:-180,64", (180.0, 64.0)), ("at:37,80", (37.0, 80.0)))
GRID = 121  # points a side
EDGE_OFFSET = 1e-7  # degrees inside the box's edges


def angle(text):
    """Degrees of a decimal number or of an angle such as 36°30'."""
    match = re.fullmatch(r"(-?)(\d+(?:\.\d*)?)(?:°(?:(\d+)')?)?", text)
    sign = -1 if match.group(1) else 1
    return sign * (float(match.group(2)) + (int(match.group(3) or 0) / 60))


def listing(item, series, tmp):
    proc = run_program(["--sheets", item, "--series", series, "--out", os.path.join(tmp, "o"),
                        "--list"])
    if proc.returncode != 0:
        raise AssertionError(f"{item}: exit code {proc.returncode}: {proc.stderr!r}")
    lines = proc.stdout.decode().splitlines()
    assert lines[0].split("\t") == ["name", "west", "south", "east", "north", "series",
                                    "folder"], lines[0]
    rows = [line.split("\t") for line in lines[1:]]
    return [r[0] for r in rows], np.array([[float(v) for v in r[1:5]] for r in rows])


def holding(sheets, lons, lats):
    """For each point and sheet whether the sheet holds the point (0..360 longitudes)."""
    lon = np.mod(lons, 360.0)[:, None]
    lat = lats[:, None]
    west, south, east, north = (sheets[:, k][None, :] for k in range(4))
    return (lon >= west) & (lon < east) & (lat >= south) & (lat < north)


class AreaItemTest(WorkFolderTest):
    def test_boxes_are_tiled_by_their_sheets(self):
        for item, series, joined in BOXES:
            with self.subTest(item=item, series=series):
                names, sheets = listing(item, series, self.tmp)
                self.assertEqual(len(names), len(set(names)))
                self.assertEqual(any("," in n for n in names), joined, names)
                west, south, east, north = (angle(v) for v in item[5:].split(","))
                east += 360.0 if east < west else 0.0
                steps = np.linspace(0.0, 1.0, GRID)
                xs = west + EDGE_OFFSET + steps * (east - west - 2 * EDGE_OFFSET)
                ys = south + EDGE_OFFSET + steps * (north - south - 2 * EDGE_OFFSET)
                lons, lats = (a.ravel() for a in np.meshgrid(xs, ys))
                held = holding(sheets, lons, lats)
                self.assertTrue((held.sum(axis=1) == 1).all(), "a point in none or in two")
                self.assertTrue(held.any(axis=0).all(), [n for n, h in zip(names, held.any(axis=0))
                                                         if not h])

    def test_a_point_takes_the_sheet_east_and_north_of_an_edge(self):
        for item, point in POINTS:
            for series in ("200", "1000"):
                with self.subTest(item=item, series=series):
                    names, sheets = listing(item, series, self.tmp)
                    self.assertEqual(len(names), 1)
                    held = holding(sheets, np.array([point[0]]), np.array([point[1]]))
                    self.assertTrue(held.all(), (names, sheets))

    def test_areas_outside_the_coverage_are_refused_and_nothing_is_written(self):
        for item in ("bbox:0,50,20,55", "at:36,84", "bbox:170,30,175,45", "at:-168,50"):
            proc = run_program(["--sheets", item, "--series", "200", "--out", "o", "--list"],
                               cwd=self.tmp)
            self.assertEqual((proc.returncode, proc.stdout), (2, b""), item)
            self.assertIn(b"outside the rows K..U and columns 33..60, 01, 02", proc.stderr)
        self.assertEqual(os.listdir(self.tmp), [])


if __name__ == "__main__":
    unittest.main()
