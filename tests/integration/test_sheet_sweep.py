"""Every sheet a job file can name generates: all rows, columns at both ends of the
accepted range and in the middle, both series, every sheet type and map scale, the four
coordinate systems in turn. Each run ends with exit code 0 and prints nothing (so no
sanitizer report); its HypsA feature bears the sheet's name and covers exactly its
trapezoid, and FrameAdj, where the scale has one, names the four neighbours. Names and
trapezoids come from the nomenclature's own rules, written out again here."""

import itertools
import os
import unittest

from sheetbasis_testing import WorkFolderTest, layer_path, points_of, read_layer, run_job

ROWS = "UTSRQPONMLK"
COLUMNS = ("01", "37", "60")
SERIES = (("-I", ("200", "500", "1000")), ("-XXXVI", ("200", "500", "1000")),
          ("", ("1000", "2500", "5000")))
TYPES = ("", "(2)", "(3)", "(4)")
SYSTEMS = ("CK-42", "CK-95", "ГCK-2011", "ГCK-2011 / СК-42")

# Row letters by row number, V and J standing north of U and south of K.
ROW_LETTERS = "VUTSRQPONMLKJ"
ROMAN_UNITS = ("", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX")
SHEET_200K_HEIGHT = 2.0 / 3.0
# The sheet carried from SK-42 into GSK-2011 moves by some hundred metres: up to 0.013
# degree of longitude at 84 degrees north.
DATUM_SHIFT_DEG = 0.02


def roman(n):
    return "X" * (n // 10) + ROMAN_UNITS[n % 10]


def next_column(col, east):
    if east:
        return 1 if col == 60 else col + 1
    return 60 if col == 1 else col - 1


def step_200k(col, number, east):
    """The 1:200 000 sheet east or west of the given one."""
    r, c = divmod(number - 1, 6)
    c += 1 if east else -1
    if c > 5:
        col, c = next_column(col, True), 0
    elif c < 0:
        col, c = next_column(col, False), 5
    return col, 6 * r + c + 1


def sheet_name(row, col, number, joined):
    """row 0..12 in ROW_LETTERS, number None for a million sheet, joined parts beyond the first."""
    name = f"{ROW_LETTERS[row]}-{col:02d}"
    if number is None:
        for _ in range(joined):
            col = next_column(col, True)
            name += f",{col:02d}"
        return name
    name += "-" + roman(number)
    for _ in range(joined):
        next_col, number = step_200k(col, number, True)
        name += "," + (f"{next_col:02d}-" if next_col != col else "") + roman(number)
        col = next_col
    return name


def neighbours(row, col, number, joined):
    """Names of the neighbours north, south, west, east, in the order FrameAdj holds them."""
    if number is None:
        west, east = col, col
        for _ in range(joined + 1):
            west, east = next_column(west, False), next_column(east, True)
        return [sheet_name(row - 1, col, None, joined), sheet_name(row + 1, col, None, joined),
                sheet_name(row, west, None, joined), sheet_name(row, east, None, joined)]
    r, c = divmod(number - 1, 6)
    north = (row - 1, 6 * 5 + c + 1) if r == 0 else (row, number - 6)
    south = (row + 1, c + 1) if r == 5 else (row, number + 6)
    west, east = (col, number), (col, number)
    for _ in range(joined + 1):
        west, east = step_200k(*west, False), step_200k(*east, True)
    return [sheet_name(north[0], col, north[1], joined), sheet_name(south[0], col, south[1], joined),
            sheet_name(row, *west, joined), sheet_name(row, *east, joined)]


def trapezoid(row, col, number, joined):
    """West, east, south, north of the sheet, longitudes on the 0..360 scale."""
    north = 88.0 - 4 * row
    west = float((6 * col + 174) % 360)
    if number is None:
        return west, west + 6.0 * (joined + 1), north - 4.0, north
    r, c = divmod(number - 1, 6)
    north -= r * SHEET_200K_HEIGHT
    return west + c, west + c + joined + 1, north - SHEET_200K_HEIGHT, north


class SheetSweepTest(WorkFolderTest):
    def test_every_kind_of_sheet_generates_its_name_extent_and_neighbours(self):
        cases = itertools.product(ROWS, COLUMNS, SERIES, TYPES)
        for n, (letter, column, (number, scales), sheet_type) in enumerate(cases):
            nom = f"{letter}-{column}{number}{sheet_type}"
            scale = scales[n % 3]
            cs = SYSTEMS[n % 4]
            with self.subTest(nom=nom, scale=scale, cs=cs):
                folder = self.folder(f"run{n}")
                text = f"Nom={nom};Path={folder};CS={cs};MapScale={scale};"
                proc = run_job(self.tmp, text)
                self.assertEqual((proc.returncode, proc.stdout, proc.stderr), (0, b"", b""))
                row = ROW_LETTERS.index(letter)
                sheet = (row, int(column), {"-I": 1, "-XXXVI": 36}.get(number),
                         TYPES.index(sheet_type))
                hyps_a = read_layer(folder, "HYPS", "HypsA")
                self.assertEqual(len(hyps_a.features), 1)
                self.assertEqual(hyps_a.attributes()[0]["Name"], sheet_name(*sheet))
                ring = points_of(hyps_a.geometries()[0])
                self.assertEqual(ring[0], ring[-1])
                xs, ys = [x for x, _ in ring], [y for _, y in ring]
                shift = DATUM_SHIFT_DEG if cs == SYSTEMS[3] else 1e-9
                for got, want in zip((min(xs), max(xs), min(ys), max(ys)), trapezoid(*sheet)):
                    self.assertAlmostEqual(got, want, delta=shift)
                self.assertGreater(len(read_layer(folder, "HYPS", "HypsP").features), 0)
                # Only a 1:200 000 sheet at its own scale has the neighbours' names.
                has_adjacent = bool(number) and scale == "200"
                self.assertEqual(os.path.isfile(layer_path(folder, "FRAME", "FrameAdj")),
                                 has_adjacent)
                if has_adjacent:
                    adjacent = read_layer(folder, "FRAME", "FrameAdj")
                    self.assertEqual([a["Text"] for a in adjacent.attributes()],
                                     neighbours(*sheet))


if __name__ == "__main__":
    unittest.main()
