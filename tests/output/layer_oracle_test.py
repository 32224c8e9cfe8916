"""Layers written by the layer writers, read back with GDAL's OGR and OSR: the reader a GIS
uses decides whether the code page mark, the projection file and the ring order work."""

import os
import subprocess
import tempfile
import unittest

from osgeo import gdal, ogr

gdal.UseExceptions()

SAMPLE = os.environ.get("LAYER_SAMPLE", "LayerSample")


class LayerOracleTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls._tmp = tempfile.TemporaryDirectory(prefix="sheetbasis-layers-")
        result = subprocess.run([SAMPLE, cls._tmp.name], capture_output=True, timeout=60)
        if result.returncode != 0:
            raise AssertionError(f"sample writer failed: {result.returncode} {result.stderr!r}")

    @classmethod
    def tearDownClass(cls):
        cls._tmp.cleanup()

    def open(self, name):
        ds = ogr.Open(os.path.join(self._tmp.name, name + ".shp"))
        self.assertIsNotNone(ds)
        return ds

    def test_polygon_with_hole_cyrillic_text_and_pulkovo_1942(self):
        ds = self.open("Area")
        layer = ds.GetLayer(0)
        self.assertEqual(layer.GetGeomType(), ogr.wkbPolygon)
        defn = layer.GetLayerDefn()
        self.assertEqual([defn.GetFieldDefn(i).GetName() for i in range(defn.GetFieldCount())],
                         ["Id", "L_code", "Name", "Value"])
        self.assertEqual(layer.GetFeatureCount(), 1)
        feature = layer.GetNextFeature()
        self.assertEqual(feature.GetField("Id"), 1)
        self.assertEqual(feature.GetField("L_code"), 400010)
        self.assertEqual(feature.GetField("Name"), "Лист N-37-XXXVI")
        self.assertAlmostEqual(feature.GetField("Value"), 12.5)

        polygon = feature.GetGeometryRef()
        self.assertTrue(polygon.IsValid())
        # OGR assigns rings to polygons by their turning: the hole must be recognised as such.
        self.assertEqual(polygon.GetGeometryCount(), 2)
        self.assertAlmostEqual(polygon.GetArea(), 1.0 - 0.25 * 0.25 / 2)

        srs = layer.GetSpatialRef()
        self.assertIsNotNone(srs)
        self.assertTrue(srs.IsGeographic())
        self.assertAlmostEqual(srs.GetSemiMajor(), 6378245.0)
        self.assertAlmostEqual(srs.GetInvFlattening(), 298.3)

    def test_point_with_degree_sign_and_gsk_2011(self):
        ds = self.open("Point")
        layer = ds.GetLayer(0)
        self.assertEqual(layer.GetGeomType(), ogr.wkbPoint)
        feature = layer.GetNextFeature()
        self.assertEqual(feature.GetField("Lat"), "52°30'")
        point = feature.GetGeometryRef()
        self.assertEqual((point.GetX(), point.GetY()), (30.5, 52.5))
        srs = layer.GetSpatialRef()
        self.assertAlmostEqual(srs.GetSemiMajor(), 6378136.5)
        self.assertAlmostEqual(srs.GetInvFlattening(), 298.2564151)


if __name__ == "__main__":
    unittest.main()
