"""The Python module over the C interface: meshing, failures, settings,
result files and the library look-up."""
import os
import unittest
from unittest import mock

import korvex
from support import ScratchTest


class ModuleTest(ScratchTest):
    def test_meshes_a_model_numbered_as_its_result_file(self):
        path = self.model("plane_two_plates.sur")
        m = korvex.mesh(path)
        m3d = path[:-3] + "m3d"
        self.assert_valid_mesh(m3d)
        again = korvex.read_m3d(m3d)
        self.assertEqual(m.nodes, again.nodes)
        self.assertEqual(m.elements, again.elements)
        self.assertEqual(m.node_names, again.node_names)
        self.assertEqual(m.title, "Two plates sharing the curve QL2")
        self.assertEqual(sorted(set(m.element_subregions)), ["R1", "R2"])
        self.assertEqual(len(m.element_subregions), len(m.elements))
        self.assertTrue(all(len(e) == 4 and all(1 <= n <= len(m.nodes) for n in e) for e in m.elements))
        self.assertIn("Meshing successfully completed.", m.messages)
        self.assertIn(f" Number of elements:         {len(m.elements):10d}\n", m.messages)
        # The log holds the run's messages as after a run of the command.
        with open(path[:-3] + "LOG") as log:
            self.assertEqual(log.read(), "KORVEX:  log file. \n" + m.messages)

    def test_a_failed_run_raises_with_its_messages(self):
        cases = {
            "syntax": ("broken.sur", "Plate\nPOINTS\nP1 0 0\nEND\n"),
            "missing file": ("absent.sur", None),
            "wrong extension": ("plate.txt", "x"),
        }
        # An older log beside the refused file is left alone.
        self.write("plate.LOG", "old\n")
        for what, (name, text) in cases.items():
            with self.subTest(what):
                path = self.write(name, text) if text is not None else os.path.join(self.folder, name)
                with self.assertRaises(korvex.MeshError) as caught:
                    korvex.mesh(path)
                self.assertTrue(caught.exception.messages.endswith("Fatal error occurred"), caught.exception.messages)
        with open(os.path.join(self.folder, "plate.LOG")) as log:
            self.assertEqual(log.read(), "old\n")

    def test_settings_hold_for_one_run_only(self):
        path = self.model("plane_two_plates.sur")
        with self.assertRaises(korvex.MeshError) as caught:
            korvex.mesh(path, max_subregions=1)
        self.assertIn(" MAX_SUBREGIONS          =       1\n", caught.exception.messages)
        self.assertEqual(len(korvex.mesh(path).element_subregions), 58)
        with self.assertRaises(TypeError):
            korvex.mesh(path, max_sub=3)

    def test_malformed_result_files_name_their_line(self):
        good = "T\nNODES\nNode : 1 0 0 0 P1\nEND_OF_NODES\nELEMENTS\n"
        cases = {
            "node numbering": ("T\nNODES\nNode : 2 0 0 0 P\n", ":3: bad node line"),
            "missing node": (good + "Element : 1 1 1 1 2 R1\n", ":6: element names a missing node"),
            "no end": (good + "END_OF_ELEMENTS\n", ":7: expected END"),
        }
        for what, (text, error) in cases.items():
            with self.subTest(what), self.assertRaisesRegex(ValueError, error):
                korvex.read_m3d(self.write("bad.m3d", text))

    def test_the_library_is_found_through_the_environment_first(self):
        with mock.patch.dict(os.environ, {"KORVEX_LIBRARY": "elsewhere/libkorvex.so"}):
            self.assertEqual(korvex.library_path(), "elsewhere/libkorvex.so")


if __name__ == "__main__":
    unittest.main()
