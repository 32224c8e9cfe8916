"""Started without an argument and without any display, the program says so on standard
error and ends with exit code 8 instead of being aborted by the window system."""

import os
import subprocess
import unittest

EXE = os.environ.get("SHEETBASIS_EXE", "sheetbasis")
EXIT_NOT_DONE = 8


class NoDisplayTest(unittest.TestCase):
    def test_interactive_mode_without_display_ends_with_8(self):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        result = subprocess.run([EXE], capture_output=True, timeout=60, env=env)
        self.assertEqual(result.returncode, EXIT_NOT_DONE)
        self.assertIn("DISPLAY", result.stderr.decode("utf-8"))
        self.assertEqual(result.stdout, b"")

    def test_empty_display_variables_count_as_missing(self):
        env = dict(os.environ, DISPLAY="", WAYLAND_DISPLAY="", QT_QPA_PLATFORM="")
        result = subprocess.run([EXE], capture_output=True, timeout=60, env=env)
        self.assertEqual(result.returncode, EXIT_NOT_DONE)

    def test_unreachable_x_display_ends_with_8(self):
        env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        env["DISPLAY"] = ":987"
        result = subprocess.run([EXE], capture_output=True, timeout=60, env=env)
        self.assertEqual(result.returncode, EXIT_NOT_DONE)
        self.assertIn("DISPLAY", result.stderr.decode("utf-8"))


if __name__ == "__main__":
    unittest.main()
