"""The HYPS layers of whole job-file runs, read back with OGR: schemas, feature counts,
attribute texts decoded from Windows-1251, closed clockwise outlines, grid nodes that lie
where their labels say, and the datum shift checked against PROJ."""

import re
import unittest

from osgeo import ogr, osr

from sheetbasis_testing import (WorkFolderTest, points_of, read_layer, ring_is_clockwise,
                                run_job)

# Name, OGR type, width, decimals of every column, "Id" first.
HYPSA_FIELDS = [("Id", ogr.OFTInteger, 6, 0), ("L_code", ogr.OFTInteger, 6, 0),
                ("Name", ogr.OFTString, 100, 0), ("LeftUp", ogr.OFTString, 50, 0),
                ("RghtUp", ogr.OFTString, 50, 0), ("LeftDn", ogr.OFTString, 50, 0),
                ("RghtDn", ogr.OFTString, 50, 0)]
HYPSP_FIELDS = [("Id", ogr.OFTInteger, 6, 0), ("L_code", ogr.OFTInteger, 6, 0),
                ("Lat", ogr.OFTString, 20, 0), ("Lon", ogr.OFTString, 20, 0)]
HYPSL_FIELDS = [("Id", ogr.OFTInteger, 6, 0), ("L_code", ogr.OFTInteger, 6, 0),
                ("Text", ogr.OFTString, 40, 0), ("Grad", ogr.OFTString, 5, 0),
                ("Min", ogr.OFTString, 7, 0), ("Indication", ogr.OFTString, 5, 0)]

NORTH = 52 + 2 / 3
POLAR_CIRCLE = 66.56072222222222

# The datum shift SK-42 -> GSK-2011 as PROJ performs it: Krasovsky geocentric,
# coordinate-frame Helmert, GSK-2011 ellipsoid back to geographic.
SK42_TO_GSK2011_PIPELINE = (
    "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad "
    "+step +proj=cart +ellps=krass "
    "+step +proj=helmert +x=23.56 +y=-140.86 +z=-79.77 +rx=-0.001738 +ry=-0.346441 "
    "+rz=-0.794263 +s=-0.2274 +convention=coordinate_frame "
    "+step +inv +proj=cart +a=6378136.5 +rf=298.2564151 "
    "+step +proj=unitconvert +xy_in=rad +xy_out=deg")
# About 1 mm on the ground: the program and PROJ differ only by rounding.
DATUM_TOLERANCE_DEG = 1e-8

NODE_TEXT = re.compile(r'^(\d+)°(\d\d)\'(\d\d)"$')


def node_degrees(text):
    """Degrees of a HypsP label such as 52°05'00"."""
    m = NODE_TEXT.match(text)
    if m is None:
        raise AssertionError(f"not a node label: {text!r}")
    d, mi, s = (int(g) for g in m.groups())
    return d + mi / 60 + s / 3600


def seconds_text(value):
    """An eastern or northern angle to hundredths of a second: 40°59'54.02", 52°40'0.18"."""
    hundredths = round(value * 360000)
    degrees, rest = divmod(hundredths, 360000)
    minutes, rest = divmod(rest, 6000)
    return f"{degrees}°{minutes:02d}'{rest / 100:.2f}\""


def sk42_to_gsk2011(lon, lat):
    options = osr.CoordinateTransformationOptions()
    options.SetOperation(SK42_TO_GSK2011_PIPELINE)
    x, y, _ = osr.CreateCoordinateTransformation(None, None, options).TransformPoint(lon, lat, 0)
    return x, y


class HypsLayersTest(WorkFolderTest):
    def generate(self, nom, scale, extra=""):
        result = self.folder("result")
        proc = run_job(self.tmp, f"Nom={nom};\r\nPath={result};\r\nMapScale={scale};\r\n{extra}")
        self.assertEqual(proc.returncode, 0, proc.stderr)
        return {name: read_layer(result, "HYPS", name) for name in ("HypsA", "HypsP", "HypsL")}

    def assert_schema(self, layer, geom_type, fields):
        self.assertEqual(ogr.GT_Flatten(layer.geom_type), geom_type)
        self.assertEqual(layer.fields, fields)

    def test_standard_sheet(self):
        hyps = self.generate("N-37-XXXVI", 200)
        self.assert_schema(hyps["HypsA"], ogr.wkbPolygon, HYPSA_FIELDS)
        self.assert_schema(hyps["HypsP"], ogr.wkbPoint, HYPSP_FIELDS)
        self.assert_schema(hyps["HypsL"], ogr.wkbLineString, HYPSL_FIELDS)

        (area,) = hyps["HypsA"].attributes()
        self.assertEqual(area["L_code"], -1)
        self.assertEqual(area["Name"], "N-37-XXXVI")
        self.assertEqual(area["LeftUp"], "41°00' в.д. 52°40' с.ш.")
        self.assertEqual(area["RghtUp"], "42°00' в.д. 52°40' с.ш.")
        self.assertEqual(area["LeftDn"], "41°00' в.д. 52°00' с.ш.")
        self.assertEqual(area["RghtDn"], "42°00' в.д. 52°00' с.ш.")
        ring = points_of(hyps["HypsA"].geometries()[0])
        self.assertEqual(len(ring), 33)
        self.assertEqual(ring[0], ring[-1])
        self.assertEqual(ring[0], (41.0, NORTH))
        self.assertTrue(ring_is_clockwise(ring))
        self.assertAlmostEqual(hyps["HypsA"].geometries()[0].GetArea(), 2 / 3, places=12)

        lines = hyps["HypsL"].attributes()
        self.assertEqual([a["L_code"] for a in lines], [400010] + [400011] * 3 + [400012] * 3)
        self.assertEqual(lines[0]["Text"], "Рамка")
        self.assertEqual(points_of(hyps["HypsL"].geometries()[0]), ring)
        self.assertEqual([(a["Text"], a["Grad"], a["Min"], a["Indication"]) for a in lines[1:]],
                         [("Параллель", "52°", "10'", "с.ш."), ("Параллель", "52°", "20'", "с.ш."),
                          ("Параллель", "52°", "30'", "с.ш."), ("Меридиан", "41°", "15'", "в.д."),
                          ("Меридиан", "41°", "30'", "в.д."), ("Меридиан", "41°", "45'", "в.д.")])
        for geom in hyps["HypsL"].geometries()[1:4]:
            pts = points_of(geom)
            self.assertEqual((pts[0][0], pts[-1][0]), (41.0, 42.0))
        for geom in hyps["HypsL"].geometries()[4:]:
            pts = points_of(geom)
            self.assertEqual(pts[0][1], 52.0)
            self.assertAlmostEqual(pts[-1][1], NORTH, places=12)

    def test_nodes_lie_where_their_labels_say(self):
        nodes = self.generate("N-37-XXXVI", 200)["HypsP"]
        self.assertEqual(len(nodes.features), 81)
        coords = []
        for attrs, geom in nodes.features:
            self.assertEqual(attrs["L_code"], -1)
            self.assertAlmostEqual(geom.GetX(), node_degrees(attrs["Lon"]), places=9)
            self.assertAlmostEqual(geom.GetY(), node_degrees(attrs["Lat"]), places=9)
            coords.append((round(geom.GetY(), 9), round(geom.GetX(), 9)))
        # Rows from south to north, each from west to east.
        self.assertEqual(coords, sorted(coords))
        self.assertEqual(nodes.attributes()[1]["Lon"], "41°07'30\"")

    def test_million_sheet_takes_every_second_node(self):
        hyps = self.generate("N-37", 1000)
        self.assertEqual(len(hyps["HypsP"].features), 25 * 25)
        lines = hyps["HypsL"].attributes()
        parallels = [a for a in lines if a["L_code"] == 400011]
        meridians = [a for a in lines if a["L_code"] == 400012]
        # Only lines strictly inside 36..42 by 52..56: none on the sheet's edges.
        self.assertTrue(parallels and meridians)
        self.assertNotIn("52°", [a["Grad"] for a in parallels if a["Min"] == "00'"])
        self.assertNotIn("36°", [a["Grad"] for a in meridians if a["Min"] == "00'"])
        self.assertNotIn("42°", [a["Grad"] for a in meridians])

    def test_triple_sheet_has_its_meridians_every_45_minutes(self):
        # T-37-V,VI,38-I: 40..43 east, 79 1/3..80 north; a triple sheet's meridian step is
        # 0.75 degree, its parallel step 10 minutes.
        hyps = self.generate("T-37-V(3)", 200)
        self.assertEqual(hyps["HypsA"].attributes()[0]["Name"], "T-37-V,VI,38-I")
        features = hyps["HypsL"].features
        meridians = [(a, points_of(g)) for a, g in features if a["L_code"] == 400012]
        self.assertEqual([(a["Grad"], a["Min"]) for a, _ in meridians],
                         [("40°", "45'"), ("41°", "30'"), ("42°", "15'")])
        self.assertEqual([pts[0][0] for _, pts in meridians], [40.75, 41.5, 42.25])
        for _, pts in meridians:
            self.assertEqual({x for x, _ in pts}, {pts[0][0]})
            self.assertAlmostEqual(pts[0][1], 79 + 1 / 3, places=12)
            self.assertAlmostEqual(pts[-1][1], 80.0, places=12)
        parallels = [a for a, _ in features if a["L_code"] == 400011]
        self.assertEqual([(a["Grad"], a["Min"]) for a in parallels],
                         [("79°", "30'"), ("79°", "40'"), ("79°", "50'")])

    def test_polar_circle_crosses_a_sheet_at_66_degrees(self):
        lines = self.generate("Q-37-XIII", 200)["HypsL"]
        circles = [(a, g) for a, g in lines.features if a["L_code"] == 400013]
        self.assertEqual(len(circles), 1)
        attrs, geom = circles[0]
        self.assertEqual((attrs["Text"], attrs["Grad"], attrs["Min"], attrs["Indication"]),
                         ("Северный полярный круг", "66°", "33.64'", "с.ш."))
        pts = points_of(geom)
        self.assertEqual((pts[0][0], pts[-1][0]), (36.0, 37.0))
        self.assertTrue(all(y == POLAR_CIRCLE for _, y in pts))

    def test_combined_system_moves_geometry_but_labels_the_sk42_grid(self):
        hyps = self.generate("N-37-XXXVI", 200, "CS=ГCK-2011 / СК-42;\r\n")
        first_attrs, first_node = hyps["HypsP"].features[0]
        self.assertEqual((first_attrs["Lat"], first_attrs["Lon"]), ("52°00'00\"", "41°00'00\""))
        x, y = sk42_to_gsk2011(41.0, 52.0)
        self.assertAlmostEqual(first_node.GetX(), x, delta=DATUM_TOLERANCE_DEG)
        self.assertAlmostEqual(first_node.GetY(), y, delta=DATUM_TOLERANCE_DEG)
        self.assertGreater(abs(first_node.GetX() - 41.0), 1e-4)

        ring = points_of(hyps["HypsA"].geometries()[0])
        self.assertEqual(len(ring), 33)
        self.assertEqual(ring[0], ring[-1])
        self.assertTrue(ring_is_clockwise(ring))
        nw = sk42_to_gsk2011(41.0, NORTH)
        self.assertAlmostEqual(ring[0][0], nw[0], delta=DATUM_TOLERANCE_DEG)
        self.assertAlmostEqual(ring[0][1], nw[1], delta=DATUM_TOLERANCE_DEG)
        # Corners of the converted sheet are told to hundredths of a second.
        self.assertEqual(hyps["HypsA"].attributes()[0]["LeftUp"],
                         f"{seconds_text(nw[0])} в.д. {seconds_text(nw[1])} с.ш.")

        # Parallels are cut to the converted outline: they end on its west and east edges.
        outline = ogr.CreateGeometryFromWkt(hyps["HypsL"].geometries()[0].ExportToWkt())
        for attrs, geom in hyps["HypsL"].features[1:]:
            for end in (points_of(geom)[0], points_of(geom)[-1]):
                point = ogr.CreateGeometryFromWkt(f"POINT ({end[0]!r} {end[1]!r})")
                self.assertLess(outline.Distance(point), 1e-9, attrs)


if __name__ == "__main__":
    unittest.main()
