"""The FRAME layers end to end: the program is run on job files for every series and map
scale, and Frame, FrameAdj and FrameDig are read back with OGR. Offsets are recovered from
the coordinates on the sphere the frame layers use."""

import math
import os
import unittest

from osgeo import gdal

from sheetbasis_testing import (FRAME_LAYERS, WorkFolderTest, layer_path, points_of,
                                read_layer, ring_is_clockwise, run_job)

RADIUS_KM = 6371.032
PI_TRUNCATED = 3.1415926

MINUTE_FRAME = 400901
OUTER_LINE = 400902
THIN_LINE = 400903
MERIDIAN_TICK = 400904
PARALLEL_TICK = 400905
NEIGHBOUR = 400911
LABEL = 400912
LABEL_REDUCED = 400913
OUTER_LINE_REDUCED = 400922

# N-37-XXXVI and N-37: west, east, south, north.
SHEET_200K = (41.0, 42.0, 52.0, 52.0 + 2.0 / 3.0)
SHEET_1M = (36.0, 42.0, 52.0, 56.0)


def mm_north(lat0, lat1, denominator):
    """Map millimetres from latitude lat0 north to lat1."""
    return (lat1 - lat0) / 180.0 * PI_TRUNCATED * RADIUS_KM * 1e6 / denominator


def mm_east(lon0, lon1, lat, denominator):
    return ((lon1 - lon0) / 180.0 * PI_TRUNCATED * RADIUS_KM
            * math.cos(lat / 180.0 * PI_TRUNCATED) * 1e6 / denominator)


class FrameLayersTest(WorkFolderTest):
    def generate(self, nom, scale, extra="", cs="CK-42"):
        text = f"Nom={nom};\r\nPath={self.folder('out')};\r\nCS={cs};\r\nMapScale={scale};\r\n{extra}"
        proc = run_job(self.tmp, text)
        self.assertEqual(proc.returncode, 0, (text, proc.stderr))
        return self.folder("out")

    def existing(self, out):
        return [name for name in FRAME_LAYERS if os.path.isfile(layer_path(out, "FRAME", name))]

    def read(self, out, name):
        """Reads a layer, failing on any warning or error that GDAL reports."""
        messages = []

        def handler(level, _number, message):
            if level >= gdal.CE_Warning:
                messages.append(message)

        gdal.PushErrorHandler(handler)
        try:
            layer = read_layer(out, "FRAME", name)
        finally:
            gdal.PopErrorHandler()
        self.assertEqual(messages, [], name)
        return layer

    def assert_closed_contour(self, geom):
        pts = points_of(geom)
        self.assertGreater(len(pts), 4)
        self.assertEqual(pts[0], pts[-1])
        self.assertTrue(ring_is_clockwise(pts[:-1]))
        return pts

    def assert_valid_layers(self, out, expected):
        self.assertEqual(self.existing(out), list(expected))
        layers = {}
        for name in expected:
            layer = self.read(out, name)
            self.assertGreater(len(layer.features), 0, name)
            for attrs, geom in layer.features:
                self.assertIsNotNone(geom, name)
                self.assertGreaterEqual(geom.GetPointCount(), 2, name)
                for x, y in points_of(geom):
                    self.assertTrue(math.isfinite(x) and math.isfinite(y), name)
            layers[name] = layer
        return layers

    def codes(self, layer):
        return [attrs["L_code"] for attrs in layer.attributes()]

    def test_200k_sheet_at_its_series_scale(self):
        out = self.generate("N-37-XXXVI", "200")
        layers = self.assert_valid_layers(out, FRAME_LAYERS)
        frame = layers["Frame"]
        codes = self.codes(frame)
        # Minute frame first, then the four outer-line pieces, parallel ticks, meridian ticks.
        n_minute = codes.count(MINUTE_FRAME)
        self.assertEqual(codes[:n_minute], [MINUTE_FRAME] * n_minute)
        self.assertEqual(codes[n_minute:n_minute + 4], [OUTER_LINE] * 4)
        rest = codes[n_minute + 4:]
        n_par = rest.count(PARALLEL_TICK)
        self.assertEqual(rest, [PARALLEL_TICK] * n_par + [MERIDIAN_TICK] * (len(rest) - n_par))
        self.assertEqual(n_par, 2 * 5)  # parallels every 10' from 52° to 52°40'
        self.assertEqual(len(rest) - n_par, 2 * 5)  # meridians every 15' from 41° to 42°
        west, east, south, north = SHEET_200K
        geoms = frame.geometries()
        inner = self.assert_closed_contour(geoms[0])
        outer = self.assert_closed_contour(geoms[1])
        self.assertAlmostEqual(mm_north(north, inner[0][1], 200000), 7.0, places=6)
        self.assertAlmostEqual(mm_north(north, outer[0][1], 200000), 8.2, places=6)
        self.assertAlmostEqual(mm_east(inner[0][0], west, inner[0][1], 200000), 7.0, places=6)
        north_piece = points_of(geoms[n_minute])
        self.assertAlmostEqual(mm_north(north, north_piece[-1][1], 200000), 9.8, places=6)

        adjacent = layers["FrameAdj"]
        # Written north, south, west, east.
        self.assertEqual([a["Text"] for a in adjacent.attributes()],
                         ["N-37-XXX", "M-37-VI", "N-37-XXXV", "N-38-XXXI"])
        for attrs in adjacent.attributes():
            self.assertEqual((attrs["L_code"], attrs["Font"], attrs["Size"]),
                             (NEIGHBOUR, "PragmaticaC", "6.5"))

        digits = layers["FrameDig"]
        texts = [a["Text"] for a in digits.attributes()]
        self.assertEqual(set(self.codes(digits)), {LABEL})
        self.assertEqual(texts[:4], ["52°", "52°", "0'", "0'"])
        self.assertIn("40'", texts)
        self.assertIn("41° 30'", texts)
        self.assertEqual(texts.count("52°"), 10)
        self.assertEqual({a["Font"] for a in digits.attributes()}, {"FreeSet"})

    def minute_bars(self, frame, sheet, nominal_west, nominal_south):
        """Centre lines of the minute band by side, as (start, end) in whole minutes from the
        nominal sheet's west or south edge; division lines run across the band, centre
        lines along it."""
        west, east, south, north = sheet
        sides = {"north": [], "south": [], "west": [], "east": []}
        for attrs, geom in frame.features:
            pts = points_of(geom)
            if attrs["L_code"] != MINUTE_FRAME or pts[0] == pts[-1]:
                continue  # the band contours are closed
            (x0, y0), (x1, y1) = pts[0], pts[-1]
            along_x = [round((x - nominal_west) * 60) for x in sorted((x0, x1))]
            along_y = [round((y - nominal_south) * 60) for y in sorted((y0, y1))]
            if x1 < west and y0 != y1:
                sides["west"].append(tuple(along_y))
            elif x1 > east and y0 != y1:
                sides["east"].append(tuple(along_y))
            elif y1 > north and x0 != x1:
                sides["north"].append(tuple(along_x))
            elif y1 < south and x0 != x1:
                sides["south"].append(tuple(along_x))
        return {side: sorted(bars) for side, bars in sides.items()}

    def test_minute_band_bars_alternate_from_the_nominal_corner(self):
        def every_other(first, last, step):
            return [(m, m + step) for m in range(first, last, 2 * step)]

        cases = (
            # The 1:200 000 sheet: divisions of 1', a bar in the 1st, 3rd, ... division.
            ("N-37-XXXVI", "200", "", SHEET_200K,
             every_other(0, 60, 1), every_other(0, 40, 1)),
            # Cut 15' east of its nominal west edge: the division at the new edge is the 16th,
            # without a bar; the bars keep their places.
            ("N-37-XXXVI", "200", "xFrom=41 15;\r\n", (41.25,) + SHEET_200K[1:],
             every_other(16, 60, 1), every_other(0, 40, 1)),
            # The million sheet: divisions of 10'.
            ("N-37", "1000", "", SHEET_1M, every_other(0, 360, 10), every_other(0, 240, 10)),
        )
        for nom, scale, extra, sheet, along_parallels, along_meridians in cases:
            with self.subTest(nom=nom, extra=extra):
                frame = self.read(self.generate(nom, scale, extra), "Frame")
                nominal = SHEET_200K if nom == "N-37-XXXVI" else SHEET_1M
                bars = self.minute_bars(frame, sheet, nominal[0], nominal[2])
                self.assertEqual(bars["north"], along_parallels)
                self.assertEqual(bars["south"], along_parallels)
                self.assertEqual(bars["west"], along_meridians)
                self.assertEqual(bars["east"], along_meridians)

    def test_200k_sheet_at_reduced_scale(self):
        out = self.generate("N-37-XXXVI", "500")
        layers = self.assert_valid_layers(out, ("Frame", "FrameDig"))
        frame = layers["Frame"]
        self.assertEqual(self.codes(frame), [OUTER_LINE_REDUCED])
        pts = self.assert_closed_contour(frame.geometries()[0])
        self.assertAlmostEqual(mm_north(SHEET_200K[3], pts[0][1], 500000), 5.0, places=6)
        self.assertEqual(set(self.codes(layers["FrameDig"])), {LABEL_REDUCED})
        self.assertEqual({a["Size"] for a in layers["FrameDig"].attributes()}, {"5"})

    def test_smallest_scales_produce_no_frame_layer(self):
        for nom, scale in (("N-37-XXXVI", "1000"), ("N-37", "5000")):
            with self.subTest(nom=nom):
                out = self.generate(nom, scale)
                self.assertEqual(self.existing(out), [])

    def test_million_sheet_at_its_series_scale(self):
        out = self.generate("N-37", "1000")
        layers = self.assert_valid_layers(out, ("Frame", "FrameDig"))
        frame = layers["Frame"]
        codes = self.codes(frame)
        self.assertEqual(codes[-3:], [THIN_LINE, THIN_LINE, OUTER_LINE])
        self.assertEqual(set(codes[:-3]), {MINUTE_FRAME})
        geoms = frame.geometries()
        west, east, south, north = SHEET_1M
        # The inner band line lies on the sheet outline, through its four corners.
        inner = self.assert_closed_contour(geoms[0])
        for corner in ((west, north), (east, north), (east, south), (west, south)):
            self.assertIn(corner, inner)
        band = self.assert_closed_contour(geoms[1])
        self.assertAlmostEqual(mm_north(north, band[0][1], 1e6), 1.0, places=6)
        offsets = [mm_north(north, self.assert_closed_contour(g)[0][1], 1e6) for g in geoms[-3:]]
        for got, want in zip(offsets, (7.4, 9.6, 8.5)):
            self.assertAlmostEqual(got, want, places=6)
        digits = layers["FrameDig"]
        self.assertEqual({(a["L_code"], a["Font"], a["Size"]) for a in digits.attributes()},
                         {(LABEL, "AGCenturion", "8")})

    def test_million_sheet_at_reduced_scale(self):
        out = self.generate("N-37", "2500")
        layers = self.assert_valid_layers(out, ("Frame", "FrameDig"))
        self.assertEqual(self.codes(layers["Frame"]), [OUTER_LINE_REDUCED])
        pts = self.assert_closed_contour(layers["Frame"].geometries()[0])
        self.assertAlmostEqual(mm_north(SHEET_1M[3], pts[0][1], 2.5e6), 5.0, places=6)
        self.assertEqual({a["Size"] for a in layers["FrameDig"].attributes()}, {"5.5"})

    def test_cut_sheet_has_no_name_on_its_cut_side(self):
        out = self.generate("N-37-XXXVI", "200", "xFrom=41 15;\r\n")
        layers = self.assert_valid_layers(out, FRAME_LAYERS)
        self.assertEqual([a["Text"] for a in layers["FrameAdj"].attributes()],
                         ["N-37-XXX", "M-37-VI", "N-38-XXXI"])
        inner = self.assert_closed_contour(layers["Frame"].geometries()[0])
        self.assertAlmostEqual(mm_east(inner[0][0], 41.25, inner[0][1], 200000), 7.0, places=6)

    def test_double_sheet_across_the_180th_meridian(self):
        out = self.generate("P-60-XII(2)", "200")
        layers = self.assert_valid_layers(out, FRAME_LAYERS)
        xs = [x for g in layers["Frame"].geometries() for x, _ in points_of(g)]
        self.assertLess(min(xs), 180.0)
        self.assertGreater(max(xs), 181.0)
        texts = [a["Text"] for a in layers["FrameDig"].attributes()]
        self.assertIn("180° 0'", texts)
        self.assertIn("179° 0'", texts)

    def test_quadruple_sheet_in_row_u(self):
        out = self.generate("U-37(4)", "1000")
        layers = self.assert_valid_layers(out, ("Frame", "FrameDig"))
        inner = self.assert_closed_contour(layers["Frame"].geometries()[0])
        xs = [x for x, _ in inner]
        self.assertAlmostEqual(max(xs) - min(xs), 24.0)

    def test_sheet_carried_into_gsk2011(self):
        out = self.generate("N-37-XXXVI", "200", cs="ГCK-2011 / СК-42")
        layers = self.assert_valid_layers(out, FRAME_LAYERS)
        with open(os.path.join(out, "FRAME", "Frame.PRJ"), encoding="ascii") as f:
            self.assertIn("GCS_RUSSIA_2011", f.read())
        # The frame is drawn around the sheet carried into the other datum, which moves it
        # off the SK-42 corner; the sheet is still the nominal one with all four neighbours.
        inner = self.assert_closed_contour(layers["Frame"].geometries()[0])
        self.assertNotAlmostEqual(
            mm_east(inner[0][0], SHEET_200K[0], inner[0][1], 200000), 7.0, places=2)
        self.assertEqual([a["Text"] for a in layers["FrameAdj"].attributes()],
                         ["N-37-XXX", "M-37-VI", "N-37-XXXV", "N-38-XXXI"])


if __name__ == "__main__":
    unittest.main()
