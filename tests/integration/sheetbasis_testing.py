"""Helpers of the integration tests: run the built program on a job file and read the
layers it wrote with GDAL's OGR, the independent reader a GIS would use."""

import os
import subprocess
import tempfile
import unittest

from osgeo import gdal, ogr

gdal.UseExceptions()

EXE = os.environ.get("SHEETBASIS_EXE", "sheetbasis")
SOURCE = os.environ.get("SHEETBASIS_SOURCE", os.getcwd())

HYPS_LAYERS = ("HypsA", "HypsP", "HypsL")
FRAME_LAYERS = ("Frame", "FrameAdj", "FrameDig")


def run_program(args, timeout=60, env=None, cwd=None, program=None):
    """Runs the program (the one built, or `program`) headless; returns the CompletedProcess
    (exit code, stdout, stderr)."""
    full_env = dict(os.environ)
    full_env.pop("DISPLAY", None)
    full_env.pop("WAYLAND_DISPLAY", None)
    if env:
        full_env.update(env)
    return subprocess.run([program or EXE, *args], capture_output=True, timeout=timeout, env=full_env,
                          cwd=cwd)


def write_job(folder, text, name="job.txt", encoding="cp1251"):
    """Writes a job file (text given as str, encoded as asked, or bytes as they are)."""
    path = os.path.join(folder, name)
    data = text if isinstance(text, bytes) else text.encode(encoding)
    with open(path, "wb") as f:
        f.write(data)
    return path


def run_job(folder, text, **kw):
    """Writes the job file into folder and runs the program on it."""
    return run_program([write_job(folder, text, **kw)])


class Layer:
    """A layer read back with OGR: geometry type, fields and features as plain values."""

    def __init__(self, shp_path):
        self.path = shp_path
        # The tables are marked Windows-1251 (LDID 201); OGR decodes them to UTF-8.
        self.ds = ogr.Open(shp_path)
        if self.ds is None:
            raise AssertionError(f"OGR cannot open {shp_path}")
        self.layer = self.ds.GetLayer(0)
        defn = self.layer.GetLayerDefn()
        self.geom_type = self.layer.GetGeomType()
        self.fields = [
            (defn.GetFieldDefn(i).GetName(), defn.GetFieldDefn(i).GetType(),
             defn.GetFieldDefn(i).GetWidth(), defn.GetFieldDefn(i).GetPrecision())
            for i in range(defn.GetFieldCount())
        ]
        self.features = []
        self.layer.ResetReading()
        for feat in self.layer:
            geom = feat.GetGeometryRef()
            attrs = {name: feat.GetField(name) for name, *_ in self.fields}
            self.features.append((attrs, geom.Clone() if geom is not None else None))

    def attributes(self):
        return [a for a, _ in self.features]

    def geometries(self):
        return [g for _, g in self.features]

    def field_names(self):
        return [f[0] for f in self.fields]


def files_of(root):
    """Every file below root with its bytes, by path relative to root."""
    found = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, root)] = f.read()
    return found


def tree(root):
    """Every folder ("dir") and file below root, files with size and modification time."""
    found = {}
    for folder, dirs, files in os.walk(root):
        for name in dirs:
            found[os.path.relpath(os.path.join(folder, name), root)] = "dir"
        for name in files:
            st = os.stat(os.path.join(folder, name))
            found[os.path.relpath(os.path.join(folder, name), root)] = (st.st_size, st.st_mtime_ns)
    return found


def layer_path(folder, sub, name):
    return os.path.join(folder, sub, name + ".shp")


def read_layer(folder, sub, name):
    return Layer(layer_path(folder, sub, name))


def points_of(geom):
    """Vertices of a line or of a polygon's first ring as (x, y) tuples."""
    if geom.GetGeometryType() in (ogr.wkbPolygon, ogr.wkbPolygon25D):
        geom = geom.GetGeometryRef(0)
    return [(geom.GetX(i), geom.GetY(i)) for i in range(geom.GetPointCount())]


def ring_is_clockwise(pts):
    """Shoelace: negative signed area means clockwise with x east and y north."""
    area = 0.0
    for (x1, y1), (x2, y2) in zip(pts, pts[1:] + pts[:1]):
        area += x1 * y2 - x2 * y1
    return area < 0


class WorkFolderTest(unittest.TestCase):
    """A test with a fresh temporary folder in self.tmp."""

    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory(prefix="sheetbasis-")
        self.tmp = self._tmp.name

    def tearDown(self):
        self._tmp.cleanup()

    def folder(self, *parts):
        return os.path.join(self.tmp, *parts)
