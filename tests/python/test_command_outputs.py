"""What the command writes around a mesh, read back by independent means:
the exports parsed (and read by Gmsh when it is installed), the quality
figures recomputed here, the picture parsed as XML."""
import json
import math
import os
import re
import shutil
import subprocess
import unittest
import xml.etree.ElementTree as ElementTree

import korvex
from support import EXAMPLES, ScratchTest

SVG = "{http://www.w3.org/2000/svg}"
QUALITY_MODELS = ["plane_two_plates.sur", "plane_grid_3x3.sur", "plane_lines_and_arcs.sur",
                  "plane_tilted_pentagon.sur", "plane_l_shape_mixed.sur", "cylinder_with_flange.sur",
                  "cylinder_half_x.sur"]


def sub(a, b):
    return [a[i] - b[i] for i in range(3)]


def cross(a, b):
    return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]]


def dot(a, b):
    return sum(a[i] * b[i] for i in range(3))


def length(a):
    return math.sqrt(dot(a, a))


def normals_angle(n1, n2):
    if length(n1) == 0 or length(n2) == 0:
        return 0.0
    # atan2 rather than acos: nearly parallel normals keep their precision.
    return math.degrees(math.atan2(length(cross(n1, n2)), dot(n1, n2)))


def element_figures(p):
    """Angles (reflex above 180), smallest corner scaled Jacobian (the sine of
    the corner angle as seen along the mean normal), aspect ratio and warpage
    of one quad, computed from scratch."""
    normal = cross(sub(p[2], p[0]), sub(p[3], p[1]))
    angles, jacobians, edges = [], [], []
    for i in range(4):
        a, b = sub(p[(i + 1) % 4], p[i]), sub(p[i - 1], p[i])
        angle = math.degrees(math.atan2(length(cross(a, b)), dot(a, b)))
        turns_back = dot(cross(a, b), normal) < 0
        angles.append(360 - angle if turns_back else angle)
        lengths = length(normal) * length(a) * length(b)
        jacobians.append(dot(cross(a, b), normal) / lengths if lengths else 0.0)
        edges.append(length(a))
    warp = max(normals_angle(cross(sub(p[1], p[0]), sub(p[2], p[0])), cross(sub(p[2], p[0]), sub(p[3], p[0]))),
               normals_angle(cross(sub(p[2], p[1]), sub(p[3], p[1])), cross(sub(p[3], p[1]), sub(p[0], p[1]))))
    return angles, min(jacobians), max(edges) / min(edges), warp


def expected_figures(mesh, numbers):
    """The report's figures over the elements with these (1-based) numbers."""
    per = {k: element_figures([mesh.nodes[n - 1] for n in mesh.elements[k - 1]]) for k in numbers}
    used = {n for k in numbers for n in mesh.elements[k - 1]}
    sj = [per[k][1] for k in numbers]
    return {
        "elements": len(numbers), "nodes": len(used),
        "min_angle": min(min(per[k][0]) for k in numbers),
        "max_angle": max(max(per[k][0]) for k in numbers),
        "share_angles_45_135": sum(all(45 <= a <= 135 for a in per[k][0]) for k in numbers) / len(numbers),
        "min_scaled_jacobian": min(sj), "mean_scaled_jacobian": sum(sj) / len(sj),
        "max_aspect_ratio": max(per[k][2] for k in numbers),
        "max_warpage": max(per[k][3] for k in numbers),
    }, per


class CommandOutputsTest(ScratchTest):
    def exported(self, model):
        path = self.model(model)
        self.korvex("-q", "--export", "nastran,abaqus,vtk,msh", model)
        self.assert_valid_mesh(path[:-3] + "m3d")
        return path[:-4], korvex.read_m3d(path[:-3] + "m3d")

    def test_vtu_is_xml_with_quads_and_subregion_numbers(self):
        stem, mesh = self.exported("plane_grid_3x3.sur")
        piece = ElementTree.parse(stem + ".vtu").getroot().find("UnstructuredGrid/Piece")
        self.assertEqual(int(piece.get("NumberOfPoints")), len(mesh.nodes))
        self.assertEqual(int(piece.get("NumberOfCells")), len(mesh.elements))
        arrays = {a.get("Name"): a.text.split() for a in piece.iter("DataArray")}
        self.assertEqual(arrays["types"], ["9"] * len(mesh.elements))
        self.assertEqual([int(v) for v in arrays["connectivity"]], [n - 1 for e in mesh.elements for n in e])
        self.assertEqual(len(arrays["Points"]), 3 * len(mesh.nodes))
        first = {}
        numbers = [first.setdefault(s, len(first) + 1) for s in mesh.element_subregions]
        self.assertEqual([int(v) for v in arrays["subregion"]], numbers)

    def test_inp_has_one_s4_block_per_subregion(self):
        stem, mesh = self.exported("plane_grid_3x3.sur")
        with open(stem + ".inp") as f:
            text = f.read()
        blocks = re.findall(r"\*ELEMENT, TYPE=S4, ELSET=(\w+)\n((?:\d.*\n)*)", text)
        self.assertEqual(sorted(name for name, _ in blocks), sorted(set(mesh.element_subregions)))
        for name, rows in blocks:
            numbers = [int(r.split(",")[0]) for r in rows.splitlines()]
            self.assertEqual(numbers, [k + 1 for k, s in enumerate(mesh.element_subregions) if s == name])
        self.assertNotIn("CPS4", text)
        self.assertEqual(text.count("\n", text.index("*NODE\n"), text.index("*ELEMENT")) - 1, len(mesh.nodes))

    @unittest.skipUnless(shutil.which("gmsh"), "gmsh is not installed")
    def test_gmsh_reads_msh_and_bdf_in_both_fields_with_the_same_counts(self):
        stem, mesh = self.exported("plane_grid_3x3.sur")
        self.korvex("export", stem + ".m3d", "--format", "nastran", "--nastran-field", "small", "-o", stem + ".small.bdf")
        for extension in (".msh", ".bdf", ".small.bdf"):
            with self.subTest(extension):
                out = stem + extension + ".read.msh"
                plain = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}  # gmsh runs unsanitized
                subprocess.run(["gmsh", stem + extension, "-save", "-save_all", "-format", "msh22", "-o", out],
                               check=True, capture_output=True, timeout=120, env=plain)
                with open(out) as f:
                    text = f.read()
                nodes = int(text.split("$Nodes\n")[1].split("\n")[0])
                rows = text.split("$Elements\n")[1].split("$EndElements")[0].split("\n")[1:-1]
                self.assertEqual(nodes, len(mesh.nodes))
                self.assertEqual(sum(r.split()[1] == "3" for r in rows), len(mesh.elements))
                # Besides the quads only the node sets' lines and points.
                self.assertEqual({r.split()[1] for r in rows} - {"3"}, set() if "bdf" in extension else {"1", "15"})

    def test_quality_figures_agree_with_a_computation_from_scratch(self):
        for model in QUALITY_MODELS:
            with self.subTest(model):
                path = self.model(model)
                self.korvex("-q", model)
                checker_min = self.assert_valid_mesh(path[:-3] + "m3d")
                mesh = korvex.read_m3d(path[:-3] + "m3d")
                report = json.loads(self.korvex("quality", "--json", os.path.basename(path[:-3]) + "m3d"))
                self.assertAlmostEqual(report["min_scaled_jacobian"]["value"], checker_min, delta=1e-6)
                groups = {}
                for k, s in enumerate(mesh.element_subregions, 1):
                    groups.setdefault(s, []).append(k)
                self.assert_figures(report, mesh, list(range(1, len(mesh.elements) + 1)), len(mesh.nodes))
                self.assertEqual([g["name"] for g in report["subregions"]], list(groups))
                for g in report["subregions"]:
                    self.assert_figures(g, mesh, groups[g["name"]])

    def assert_figures(self, got, mesh, numbers, nodes=None):
        want, per = expected_figures(mesh, numbers)
        if nodes is not None:
            want["nodes"] = nodes
        for key in ("elements", "nodes"):
            self.assertEqual(got[key], want[key], key)
        for key in ("share_angles_45_135", "mean_scaled_jacobian"):
            self.assertAlmostEqual(got[key], want[key], delta=1e-6, msg=key)
        figure_of = {"min_angle": lambda k: min(per[k][0]), "max_angle": lambda k: max(per[k][0]),
                     "min_scaled_jacobian": lambda k: per[k][1], "max_aspect_ratio": lambda k: per[k][2],
                     "max_warpage": lambda k: per[k][3]}
        for key, of in figure_of.items():
            self.assertAlmostEqual(got[key]["value"], want[key], delta=1e-6, msg=key)
            self.assertAlmostEqual(of(got[key]["element"]), want[key], delta=1e-6, msg=key + " element")

    def test_picture_is_svg_with_one_polygon_per_element(self):
        path = self.model("plane_grid_3x3.sur")
        self.korvex("-q", "plane_grid_3x3.sur")
        mesh = korvex.read_m3d(path[:-3] + "m3d")
        for view in ([], ["--view", "top"], ["--view", "iso"], ["--view", "front"], ["--view", "side"]):
            with self.subTest(view):
                self.korvex("render", "plane_grid_3x3.m3d", "-o", "grid.svg", *view)
                root = ElementTree.parse(os.path.join(self.folder, "grid.svg")).getroot()
                self.assertEqual(root.tag, SVG + "svg")
                polygons = root.findall(f"{SVG}g[@class='elements']/{SVG}polygon")
                self.assertEqual(sorted(int(p.get("id")[1:]) for p in polygons), list(range(1, len(mesh.elements) + 1)))
                self.assertIsNotNone(root.find(f"{SVG}path[@class='boundary']"))
                self.assertIsNotNone(root.find(f"{SVG}g[@class='legend']"))
        self.korvex("render", "plane_grid_3x3.m3d", "-o", "x.svg", "--view", "below", status=2)

    def test_picture_draws_trees_and_internal_points_and_colours_subregions(self):
        for name in ("stiffened_panel.sur", "quarter_tube_flange.sur"):
            shutil.copy(os.path.join(EXAMPLES, name), self.folder)
            self.korvex("-q", name)
        self.korvex("render", "stiffened_panel.m3d", "-o", "panel.svg")
        root = ElementTree.parse(os.path.join(self.folder, "panel.svg")).getroot()
        # The stiffener (6 + 4 + 4 steps) and the weld line (6 steps), each step one segment.
        self.assertEqual(root.find(f"{SVG}path[@class='trees']").get("d").count("M"), 20)
        marks = root.findall(f"{SVG}g[@class='internal-points']/{SVG}circle")
        self.assertEqual([m.find(f"{SVG}title").text for m in marks], ["PINT1"])
        os.makedirs(os.path.join(self.folder, "alone"))
        shutil.copy(os.path.join(self.folder, "stiffened_panel.m3d"), os.path.join(self.folder, "alone"))
        self.korvex("render", "alone/stiffened_panel.m3d", "-o", "alone.svg")  # no model beside: no trees
        root = ElementTree.parse(os.path.join(self.folder, "alone.svg")).getroot()
        self.assertIsNone(root.find(f"{SVG}path[@class='trees']"))
        self.korvex("render", "alone/stiffened_panel.m3d", "-o", "alone.svg", "--model", "stiffened_panel.sur")
        root = ElementTree.parse(os.path.join(self.folder, "alone.svg")).getroot()
        self.assertIsNotNone(root.find(f"{SVG}path[@class='trees']"))
        self.korvex("render", "alone/stiffened_panel.m3d", "-o", "x.svg", "--model", "missing.sur", status=1)

        mesh = korvex.read_m3d(os.path.join(self.folder, "quarter_tube_flange.m3d"))
        self.korvex("render", "quarter_tube_flange.m3d", "-o", "tube.svg", "--subregions")
        root = ElementTree.parse(os.path.join(self.folder, "tube.svg")).getroot()
        fills = {}
        for p in root.findall(f"{SVG}g[@class='elements']/{SVG}polygon"):
            fills.setdefault(mesh.element_subregions[int(p.get("id")[1:]) - 1], set()).add(p.get("fill"))
        self.assertEqual(sorted(fills), ["R1", "R2"])
        self.assertEqual([len(f) for f in fills.values()], [1, 1])
        self.assertNotEqual(fills["R1"], fills["R2"])


if __name__ == "__main__":
    unittest.main()
