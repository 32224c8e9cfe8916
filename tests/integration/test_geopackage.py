"""A set in one GeoPackage (--gpkg), read back with GDAL and opened in QGIS itself: GDAL
opens it without a word; per sheet and layer its features equal the shapefiles' written by
the same run (geometry and attribute values, plus the sheet's name in Sheet); the layers a
map scale does not write are absent; each layer on the EPSG system of the coordinate system;
the spatial indexes whole and answering as a scan does; the default styles applied by QGIS,
Frame's rules choosing for each feature what the sheet's own style chooses; and a failed
run leaving the earlier file as it was. The project stored in the file opens in QGIS with
its layers read from the file, and its atlas prints each sheet at the map scale in the
sheet's own projection with that sheet's features alone."""

import binascii
import hashlib
import io
import os
import resource
import shutil
import sqlite3
import tempfile
import unittest
import zipfile

os.environ["QT_QPA_PLATFORM"] = "offscreen"  # headless, whatever display there is

from osgeo import gdal, ogr  # noqa: E402
from qgis.core import (  # noqa: E402
    QgsApplication, QgsCoordinateReferenceSystem, QgsCoordinateTransform, QgsDistanceArea,
    QgsExpression, QgsExpressionContext, QgsExpressionContextUtils, QgsFeatureRequest,
    QgsPalLayerSettings, QgsPointXY, QgsProject, QgsRenderContext, QgsVectorLayer)

from sheetbasis_testing import FRAME_LAYERS, HYPS_LAYERS, Layer, points_of, run_program  # noqa

# (name, sheets, series, options, EPSG code, FRAME layers written)
SETS = (
    ("sk42", "N-37-I,N-37-II,N-37-VII", "200", [], 4284, FRAME_LAYERS),
    ("sk95", "N-37-XXXVI", "200", ["--cs", "sk95"], 4200, FRAME_LAYERS),
    ("across-180", "M-60,M-01", "1000", ["--cs", "gsk2011"], 7683, ("Frame", "FrameDig")),
    ("frameless", "N-37-I", "200", ["--scale", "1000"], 4284, ()),
    ("from-sk42", "N-37-I", "200", ["--cs", "gsk2011-from-sk42"], 7683, FRAME_LAYERS),
)
# The map scale of each set's sheets.
DENOMINATORS = {"sk42": 200000, "sk95": 200000, "across-180": 1000000, "frameless": 1000000,
                "from-sk42": 200000}
WRITE_LIMIT_BYTES = 256 * 1024  # a file-size limit far below a set's file

qgs = None
work = None


def setUpModule():
    global qgs, work
    gdal.UseExceptions()
    qgs = QgsApplication([], False)
    qgs.initQgis()
    work = tempfile.mkdtemp(prefix="sheetbasis-gpkg-")
    for name, sheets, series, options, _, _ in SETS:
        out = os.path.join(work, name)
        proc = run_program(["--sheets", sheets, "--series", series, "--out", out, "--gpkg",
                            out + ".gpkg", "--quiet", *options], timeout=300)
        if proc.returncode != 0:
            raise AssertionError(f"{name}: exit code {proc.returncode}: {proc.stderr!r}")


def tearDownModule():
    shutil.rmtree(work, ignore_errors=True)


def geopackage(name):
    return os.path.join(work, name + ".gpkg")


def sheets_of(name):
    return sorted(os.listdir(os.path.join(work, name)))


def gpkg_features(ds, layer_name, sheet):
    layer = ds.GetLayerByName(layer_name)
    layer.SetAttributeFilter(f"Sheet = '{sheet}'")
    found = []
    for feature in layer:
        attrs = feature.items()
        found.append((attrs, feature.GetGeometryRef().Clone()))
    layer.SetAttributeFilter(None)
    return found


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


class GdalReading(unittest.TestCase):
    def test_every_feature_reads_without_a_message(self):
        for name, *_ in SETS:
            with self.subTest(name):
                messages = []
                gdal.PushErrorHandler(lambda cls, no, msg: messages.append(msg))
                try:
                    ds = ogr.Open(geopackage(name))
                    for layer in ds:
                        for feature in layer:
                            feature.GetGeometryRef()
                finally:
                    gdal.PopErrorHandler()
                self.assertEqual(messages, [])

    def test_layers_are_those_the_map_scale_writes(self):
        for name, _, _, _, _, frame_layers in SETS:
            with self.subTest(name):
                ds = ogr.Open(geopackage(name))
                names = {ds.GetLayer(i).GetName() for i in range(ds.GetLayerCount())}
                self.assertEqual(names - {"layer_styles"},
                                 set(HYPS_LAYERS) | set(frame_layers) | {"SheetIndex"})

    def test_layers_are_on_the_epsg_system(self):
        for name, _, _, _, epsg, _ in SETS:
            ds = ogr.Open(geopackage(name))
            for layer in ds:
                if layer.GetName() == "layer_styles":
                    continue
                with self.subTest(name, layer=layer.GetName()):
                    srs = layer.GetSpatialRef()
                    self.assertEqual(srs.GetAuthorityName(None), "EPSG")
                    self.assertEqual(int(srs.GetAuthorityCode(None)), epsg)

    def test_features_equal_the_shapefiles(self):
        for name, _, _, _, _, frame_layers in SETS:
            ds = ogr.Open(geopackage(name))
            for sheet in sheets_of(name):
                for sub, layers in (("HYPS", HYPS_LAYERS), ("FRAME", frame_layers)):
                    for layer_name in layers:
                        with self.subTest(name, sheet=sheet, layer=layer_name):
                            shp = Layer(os.path.join(work, name, sheet, sub, layer_name + ".shp"))
                            got = gpkg_features(ds, layer_name, sheet)
                            self.assertEqual(len(got), len(shp.features))
                            for (attrs, geom), (want, want_geom) in zip(got, shp.features):
                                self.assertEqual(attrs.pop("Sheet"), sheet)
                                self.assertEqual(attrs, want)
                                self.assertEqual(geom.GetGeometryName(),
                                                 want_geom.GetGeometryName())
                                self.assertEqual(points_of(geom), points_of(want_geom))

    def test_sheets_either_side_of_180_lie_next_to_each_other(self):
        ds = ogr.Open(geopackage("across-180"))
        west = gpkg_features(ds, "HypsA", "M-60")[0][1].GetEnvelope()
        east = gpkg_features(ds, "HypsA", "M-01")[0][1].GetEnvelope()
        self.assertEqual(west[1], east[0])
        self.assertEqual(east[0], 180.0)

    def test_spatial_index_is_whole_and_answers_as_a_scan(self):
        for name, *_ in SETS:
            ds = ogr.Open(geopackage(name))
            with sqlite3.connect(geopackage(name)) as db:
                for layer in ds:
                    if layer.GetName() == "layer_styles":
                        continue
                    with self.subTest(name, layer=layer.GetName()):
                        index = f"rtree_{layer.GetName()}_geom"
                        self.assertEqual(db.execute(f"SELECT rtreecheck('{index}')").fetchone(),
                                         ("ok",))
                        boxes = {f.GetFID(): f.GetGeometryRef().GetEnvelope() for f in layer}
                        minx, maxx, miny, maxy = layer.GetExtent()
                        # A box in the middle of the layer, a quarter of its size.
                        box = (minx + (maxx - minx) * 0.375, maxx - (maxx - minx) * 0.375,
                               miny + (maxy - miny) * 0.375, maxy - (maxy - miny) * 0.375)
                        scanned = {fid for fid, (x0, x1, y0, y1) in boxes.items()
                                   if x0 <= box[1] and x1 >= box[0] and y0 <= box[3]
                                   and y1 >= box[2]}
                        indexed = {row[0] for row in db.execute(
                            f"SELECT id FROM {index} WHERE minx <= ? AND maxx >= ? AND "
                            "miny <= ? AND maxy >= ?", (box[1], box[0], box[3], box[2]))}
                        # Float bounds may widen a box, never narrow it.
                        self.assertTrue(scanned <= indexed)
                        self.assertEqual(set(boxes), {row[0] for row in db.execute(
                            f"SELECT id FROM {index}")})


def rule_labels(layer, feature):
    """The labels of the top-level rules whose filters select the feature."""
    context = QgsExpressionContext(QgsExpressionContextUtils.globalProjectLayerScopes(layer))
    context.setFeature(feature)
    chosen = set()
    for rule in layer.renderer().rootRule().children():
        expression = QgsExpression(rule.filterExpression())
        if expression.evaluate(context):
            chosen.add(rule.label())
    return chosen


class QgisDefaultStyles(unittest.TestCase):
    def gpkg_layer(self, name, layer_name):
        layer = QgsVectorLayer(f"{geopackage(name)}|layername={layer_name}", layer_name, "ogr")
        self.assertTrue(layer.isValid())
        return layer

    def test_frame_is_rule_based_and_labels_are_labelled(self):
        for name, _, _, _, _, frame_layers in SETS:
            for layer_name in frame_layers:
                with self.subTest(name, layer=layer_name):
                    layer = self.gpkg_layer(name, layer_name)
                    if layer_name == "Frame":
                        self.assertEqual(layer.renderer().type(), "RuleRenderer")
                    else:
                        self.assertTrue(layer.labelsEnabled())
                        self.assertEqual(layer.labeling().settings().fieldName, "Text")

    def test_frame_rules_choose_as_the_sheets_own_style(self):
        for name, _, _, _, _, frame_layers in SETS:
            if "Frame" not in frame_layers:
                continue
            layer = self.gpkg_layer(name, "Frame")
            for sheet in sheets_of(name):
                with self.subTest(name, sheet=sheet):
                    own = QgsVectorLayer(os.path.join(work, name, sheet, "FRAME", "Frame.shp"),
                                         "Frame", "ogr")
                    self.assertEqual(own.renderer().type(), "RuleRenderer")
                    layer.setSubsetString(f"\"Sheet\" = '{sheet}'")
                    got = [rule_labels(layer, f) for f in layer.getFeatures()]
                    want = [rule_labels(own, f) for f in own.getFeatures()]
                    self.assertEqual(got, want)
                    self.assertTrue(all(len(labels) == 1 for labels in got))


class FailedRun(unittest.TestCase):
    def run_limited(self, args):
        def limit():
            resource.setrlimit(resource.RLIMIT_FSIZE, (WRITE_LIMIT_BYTES, WRITE_LIMIT_BYTES))
        import subprocess
        from sheetbasis_testing import EXE
        return subprocess.run([EXE, *args], capture_output=True, timeout=120, preexec_fn=limit)

    def test_a_failed_run_keeps_the_earlier_file(self):
        folder = tempfile.mkdtemp(dir=work)
        path = os.path.join(folder, "set.gpkg")
        first = run_program(["--sheets", "N-37-I", "--series", "200", "--gpkg", path, "-q"])
        self.assertEqual(first.returncode, 0, first.stderr)
        before = sha256(path)
        for quiet in ([], ["-q"]):
            with self.subTest(quiet=quiet):
                failed = self.run_limited(["--sheets", "N-37", "--series", "200", "--gpkg",
                                           path, *quiet])
                self.assertNotEqual(failed.returncode, 0)
                self.assertIn(path.encode(), failed.stderr)
                self.assertEqual(sha256(path), before)
                self.assertEqual(os.listdir(folder), ["set.gpkg"])

    def test_what_a_killed_run_left_is_removed_and_nothing_else(self):
        folder = tempfile.mkdtemp(dir=work)
        path = os.path.join(folder, "set.gpkg")
        left = {
            ".set.gpkg.sheetbasis-0123456789abcdef": False,  # a killed run's file
            ".set.gpkg.sheetbasis-notsixteenhexdig": True,
            ".other.gpkg.sheetbasis-0123456789abcdef": True,
            "set.gpkg.partial-0123456789abcdef": True,  # a user's name,
        }
        for name in left:
            with open(os.path.join(folder, name), "wb") as f:
                f.write(b"left over")
        os.mkdir(os.path.join(folder, ".set.gpkg.sheetbasis-fedcba9876543210"))
        proc = run_program(["--sheets", "N-37-I", "--series", "200", "--gpkg", path, "-q"])
        self.assertEqual(proc.returncode, 0, proc.stderr)
        kept = {name for name, stays in left.items() if stays}
        self.assertEqual(set(os.listdir(folder)),
                         kept | {"set.gpkg", ".set.gpkg.sheetbasis-fedcba9876543210"})


def stored_project(name):
    project = QgsProject()
    if not project.read(f"geopackage:{geopackage(name)}?projectName={name}"):
        raise AssertionError(f"{name}: the stored project does not open")
    return project


def drawn_features(layer, context):
    """The Sheet of every feature the layer's renderer draws in the map's context, and of
    every label its labelling shows."""
    render = QgsRenderContext()
    context = QgsExpressionContext(context)
    context.appendScope(QgsExpressionContextUtils.layerScope(layer))
    render.setExpressionContext(context)
    context = render.expressionContext()
    renderer = layer.renderer().clone()
    renderer.startRender(render, layer.fields())
    drawn, labelled = [], []
    labelling = layer.labeling().settings() if layer.labelsEnabled() else None
    for feature in layer.getFeatures(QgsFeatureRequest()):
        context.setFeature(feature)
        if renderer.willRenderFeature(feature, render):
            drawn.append(feature["Sheet"])
        if labelling is not None:
            shown, _ = labelling.dataDefinedProperties().valueAsBool(
                QgsPalLayerSettings.Show, context, True)
            if shown:
                labelled.append(feature["Sheet"])
    renderer.stopRender(render)
    return drawn, labelled


class StoredProject(unittest.TestCase):
    def test_archive_is_a_whole_zip_holding_the_project(self):
        for name, *_ in SETS:
            with self.subTest(name):
                with sqlite3.connect(geopackage(name)) as db:
                    rows = db.execute("SELECT name, content FROM qgis_projects").fetchall()
                self.assertEqual([row[0] for row in rows], [name])
                archive = zipfile.ZipFile(io.BytesIO(binascii.unhexlify(rows[0][1])))
                self.assertIsNone(archive.testzip())  # every CRC right
                self.assertEqual(archive.namelist(), [name + ".qgs"])

    def test_layers_are_read_from_the_file(self):
        for name, _, _, _, _, frame_layers in SETS:
            with self.subTest(name):
                project = stored_project(name)
                layers = {layer.name(): layer for layer in project.mapLayers().values()}
                self.assertEqual(set(layers),
                                 set(HYPS_LAYERS) | set(frame_layers) | {"SheetIndex"})
                for layer in layers.values():
                    self.assertTrue(layer.isValid(), layer.name())
                    self.assertGreater(layer.featureCount(), 0, layer.name())
                    self.assertEqual(os.path.realpath(layer.source().split("|")[0]),
                                     os.path.realpath(geopackage(name)))
                del project

    def test_index_equals_the_index_shapefile(self):
        out = tempfile.mkdtemp(dir=work)
        proc = run_program(["--sheets", SETS[0][1], "--series", "200", "--out", out,
                            "--index", "-q"])
        self.assertEqual(proc.returncode, 0, proc.stderr)
        shp = ogr.Open(os.path.join(out, "index", "SheetIndex.shp"))
        expected = {f["Nom"]: (f.items(), f.GetGeometryRef().Clone()) for f in shp.GetLayer(0)}
        gpkg = ogr.Open(geopackage("sk42"))
        found = {f["Nom"]: f for f in gpkg.GetLayerByName("SheetIndex")}
        self.assertEqual(set(found), set(expected))
        for nom, (attrs, geometry) in expected.items():
            with self.subTest(nom):
                for key, value in attrs.items():
                    self.assertEqual(found[nom][key], value, key)
                self.assertEqual(points_of(found[nom].GetGeometryRef()), points_of(geometry))

    def test_atlas_prints_each_sheet_at_the_map_scale_alone(self):
        geodesic = QgsDistanceArea()
        for name, *_ in SETS:
            project = stored_project(name)
            layout = project.layoutManager().layoutByName("Sheets")
            atlas = layout.atlas()
            sheets = sorted(f["Nom"] for f in atlas.coverageLayer().getFeatures())
            self.assertTrue(atlas.beginRender())
            self.assertEqual(atlas.count(), len(sheets))
            for page in range(atlas.count()):
                with self.subTest(name, page=page):
                    self.assertTrue(atlas.seekTo(page))
                    self.assertEqual(atlas.currentFilename(), sheets[page])
                    outline = atlas.layout().reportContext().feature().geometry()
                    box = outline.boundingBox()
                    # The sheet's conic is true to scale on the parallels a sixth of its
                    # height in from its edges.
                    true_parallel = QgsPointXY(box.center().x(),
                                               box.yMinimum() + box.height() / 6)
                    for map_id in ("map", "frame"):
                        item = layout.itemById(map_id)
                        if item is None:
                            continue
                        self.assertAlmostEqual(item.scale() / DENOMINATORS[name], 1, delta=1e-6)
                        # True to scale: a stretch of the parallel on the ground is as long
                        # in the map's plane.
                        source = atlas.coverageLayer().crs()
                        to_map = QgsCoordinateTransform(source, item.crs(), project)
                        geodesic.setSourceCrs(source, project.transformContext())
                        geodesic.setEllipsoid(source.ellipsoidAcronym())
                        east = QgsPointXY(true_parallel.x() + 0.01, true_parallel.y())
                        ground = geodesic.measureLine(true_parallel, east)
                        plane = to_map.transform(true_parallel).distance(to_map.transform(east))
                        self.assertAlmostEqual(plane / ground, 1, delta=1e-6)
                        self.assertTrue(item.extent().contains(
                            to_map.transformBoundingBox(outline.boundingBox())))
                        context = item.createExpressionContext()
                        for layer in item.layers():
                            drawn, labelled = drawn_features(layer, context)
                            total = sum(1 for f in layer.getFeatures()
                                        if f["Sheet"] == sheets[page])
                            self.assertEqual(drawn, [sheets[page]] * total, layer.name())
                            if layer.labelsEnabled():
                                self.assertEqual(labelled, [sheets[page]] * total, layer.name())
            atlas.endRender()
            del layout, atlas, project


if __name__ == "__main__":
    unittest.main()
