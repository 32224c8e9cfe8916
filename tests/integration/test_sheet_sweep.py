"""Every sheet a job file can name generates: all rows, columns at both ends of the
accepted range and in the middle, both series, every sheet type and map scale, the four
coordinate systems in turn. Each run ends with exit code 0 and prints nothing (so no
sanitizer report), and its sheet polygon is one closed ring around the nominal sheet."""

import itertools
import os
import unittest

from sheetbasis_testing import WorkFolderTest, points_of, read_layer, run_job

ROWS = "UTSRQPONMLK"
COLUMNS = ("01", "37", "60")
SERIES = (("-I", ("200", "500", "1000")), ("-XXXVI", ("200", "500", "1000")),
          ("", ("1000", "2500", "5000")))
TYPES = ("", "(2)", "(3)", "(4)")
SYSTEMS = ("CK-42", "CK-95", "ГCK-2011", "ГCK-2011 / СК-42")


class SheetSweepTest(WorkFolderTest):
    def test_every_kind_of_sheet_generates(self):
        cases = itertools.product(ROWS, COLUMNS, SERIES, TYPES)
        for n, (row, column, (number, scales), sheet_type) in enumerate(cases):
            nom = f"{row}-{column}{number}{sheet_type}"
            scale = scales[n % 3]
            cs = SYSTEMS[n % 4]
            with self.subTest(nom=nom, scale=scale, cs=cs):
                folder = self.folder(f"run{n}")
                text = f"Nom={nom};Path={folder};CS={cs};MapScale={scale};"
                proc = run_job(self.tmp, text)
                self.assertEqual((proc.returncode, proc.stdout, proc.stderr), (0, b"", b""))
                hyps_a = read_layer(folder, "HYPS", "HypsA")
                self.assertEqual(len(hyps_a.features), 1)
                ring = points_of(hyps_a.geometries()[0])
                self.assertEqual(ring[0], ring[-1])
                self.assertGreater(len(read_layer(folder, "HYPS", "HypsP").features), 0)


if __name__ == "__main__":
    unittest.main()
