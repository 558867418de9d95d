#!/usr/bin/env python3
"""The layering check itself: it must fail on an include that runs up the graph, name the place,
and stay quiet about what a library may include."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check-layering.py")


def write(root, relative, text):
    path = os.path.join(root, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


class CheckLayering(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.root = self.dir.name
        # low <- mid <- top; nested/ is a library inside top's folder that links low only.
        self.graph = os.path.join(self.root, "layering.txt")
        write(self.root, "layering.txt", "low|low|\nmid|mid|low\ntop|top|mid;low\nnested|top/nested|low\n")
        for header in ("low/L.h", "mid/M.h", "top/T.h", "top/nested/N.h"):
            write(self.root, header, "#pragma once\n")

    def tearDown(self):
        self.dir.cleanup()

    def run_check(self, graph=None):
        return subprocess.run([sys.executable, CHECK, graph or self.graph, self.root],
                              capture_output=True, text=True)

    def test_includes_down_the_graph_and_within_a_library_pass(self):
        write(self.root, "top/a.cpp", '#include "top/T.h"\n#include "mid/M.h"\n#include "low/L.h"\n')
        write(self.root, "mid/b.cpp", '#include "low/L.h"\n#include "Local.h"\n#include <QString>\n')
        write(self.root, "top/nested/c.cpp", '#include "top/nested/N.h"\n#include "low/L.h"\n')
        result = self.run_check()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("0 includes run up", result.stdout)

    def test_an_upward_include_fails_with_file_line_and_library(self):
        write(self.root, "low/d.cpp", '// first\n#include "low/L.h"\n  #  include "mid/M.h"\n')
        result = self.run_check()
        self.assertEqual(result.returncode, 1)
        self.assertIn("low/d.cpp:3: low includes mid/M.h of mid", result.stdout)

    def test_a_nested_library_is_held_to_its_own_links_not_its_parents(self):
        # top may include mid, but the library nested in top's folder does not link it.
        write(self.root, "top/nested/e.h", '#include "mid/M.h"\n')
        result = self.run_check()
        self.assertEqual(result.returncode, 1)
        self.assertIn("top/nested/e.h:1: nested includes mid/M.h of mid", result.stdout)

    def test_a_graph_that_names_no_sources_fails_rather_than_passing_empty(self):
        write(self.root, "stale.txt", "gone|gone|\n")
        result = self.run_check(os.path.join(self.root, "stale.txt"))
        self.assertEqual(result.returncode, 1)
        self.assertIn("no sources found", result.stderr)


if __name__ == "__main__":
    unittest.main()
