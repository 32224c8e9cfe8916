"""The layer files are the product: every byte of every file the example jobs, a job in
each coordinate system, and sheets of each series, map scale and joined type write must
stay what it was (tests/data/layer-sha256.txt, taken
from the program before its files were buffered and written under temporary names).

    test_layer_bytes.py --write   records the digests of the program under test instead"""

import hashlib
import os
import shutil
import sys
import unittest

from sheetbasis_testing import SOURCE, WorkFolderTest, run_program

GOLDEN = os.path.join(SOURCE, "tests", "data", "layer-sha256.txt")
EXAMPLES = os.path.join(SOURCE, "examples")

# One sheet drawn in each coordinate system (CS 1..4 of the sheet parameters).
COORDINATE_SYSTEMS = {
    "cs1": "CK-42",
    "cs2": "CK-95",
    "cs3": "ГCK-2011",
    "cs4": "ГCK-2011 / СК-42",
}

# Beyond the examples: each map scale of each series, and joined sheets, two of them
# across 180° (name, job-file sheet name, coordinate system, map scale).
MORE_SHEETS = (
    ("s200-m1000", "N-37-I", "CK-42", 1000),
    ("s1m-m5000", "M-45", "CK-95", 5000),
    ("s200-double", "P-37-VI(2)", "CK-42", 500),
    ("s200-triple-180", "T-60-V(3)", "ГCK-2011", 200),
    ("s1m-double-180", "R-60(2)", "ГCK-2011 / СК-42", 1000),
)

# Header bytes 1..3 of a dBASE table hold its date of last update; a table stamped with
# the day of the run would differ from day to day.
DBF_DATE = slice(1, 4)


def jobs(work):
    """(name, job file) of every job run, written into work."""
    found = []
    for name in sorted(os.listdir(EXAMPLES)):
        if name.endswith(".job"):
            shutil.copy(os.path.join(EXAMPLES, name), work)
            found.append((os.path.splitext(name)[0], os.path.join(work, name)))
    sheets = [(name, "K-40-XXII", cs, 500) for name, cs in COORDINATE_SYSTEMS.items()]
    for name, nom, cs, scale in sheets + list(MORE_SHEETS):
        path = os.path.join(work, name + ".job")
        with open(path, "wb") as f:
            f.write(f"Nom={nom};\r\nPath=out/{name};\r\nCS={cs};\r\nMapScale={scale};\r\n"
                    .encode("cp1251"))
        found.append((name, path))
    return found


# The files of a layer; the styles and the project beside them are checked by opening them
# in QGIS.
LAYER_EXTENSIONS = (".shp", ".shx", ".dbf", ".PRJ")


def digests(work):
    """sha256 of every layer file below work/out, keyed by its path relative to it."""
    out = os.path.join(work, "out")
    found = {}
    for root, _dirs, files in os.walk(out):
        for name in (n for n in files if n.endswith(LAYER_EXTENSIONS)):
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, out)] = hashlib.sha256(f.read()).hexdigest()
    return found


def run_all(work):
    for name, job in jobs(work):
        proc = run_program([job], cwd=work)
        if proc.returncode != 0 or proc.stdout or proc.stderr:
            raise AssertionError(f"{name}: exit {proc.returncode} {proc.stderr!r}")
    return digests(work)


def read_golden():
    with open(GOLDEN, encoding="ascii") as f:
        return dict(reversed(line.split()) for line in f if line.strip())


class LayerBytesTest(WorkFolderTest):
    def test_every_layer_file_is_byte_identical(self):
        found = run_all(self.tmp)
        golden = read_golden()
        self.assertEqual(sorted(found), sorted(golden))
        for name, digest in sorted(golden.items()):
            self.assertEqual(found[name], digest, name)

    def test_table_date_does_not_depend_on_the_day(self):
        run_all(self.tmp)
        dates = set()
        for root, _dirs, files in os.walk(self.folder("out")):
            for name in files:
                if name.endswith(".dbf"):
                    with open(os.path.join(root, name), "rb") as f:
                        dates.add(f.read(4)[DBF_DATE])
        # 1995-07-26, the table library's fixed stamp.
        self.assertEqual(dates, {bytes([95, 7, 26])})


if __name__ == "__main__":
    if sys.argv[1:] == ["--write"]:
        import tempfile
        with tempfile.TemporaryDirectory() as work:
            with open(GOLDEN, "w", encoding="ascii") as f:
                for name, digest in sorted(run_all(work).items()):
                    f.write(f"{digest}  {name}\n")
    else:
        unittest.main()
