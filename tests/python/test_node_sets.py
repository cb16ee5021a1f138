"""Node sets of a model with a tree, two internal points (one on an edge,
one with a refined zone) and named curves, read back from every export:
.inp and .bdf/.sets parsed here, .msh parsed here and read by Gmsh and
meshio, .vtu read by meshio, and the same sets from `korvex quality` and
Mesh.node_sets; then a second model whose internal points lie on a
stiffener node, between stiffener nodes, on the arch and at a corner. What
each set should hold is found from the geometry: the nodes lying on each
curve, at each point."""
import math
import os
import re
import shutil
import subprocess
import unittest

import korvex
from support import ScratchTest

try:
    import meshio
except ImportError:
    meshio = None

MODEL = "sets_tree_two_pints.sur"
SEGMENTS = {"QLBOTTOM": ((0, 0), (12, 0)), "QLRIGHT": ((12, 0), (12, 8)), "QLLEFT": ((0, 8), (0, 0)),
            "QLSTIF1": ((3, 2), (3, 6)), "QLSTIF2": ((3, 6), (7, 6))}
ARC = ("CTOP", (6, 0), 10.0)  # the top edge: an arc about (6, 0) of radius 10, above y = 8
POINTS = {"PA": (0, 0), "PB": (12, 0), "PC": (12, 8), "PM": (6, 10), "PD": (0, 8), "PS1": (3, 2), "PS2": (3, 6),
          "PS3": (7, 6), "PINT1": (5.5, 0), "PINTLOAD": (9, 3)}
# The internal points of the second model, on the curves it shares with the first.
ON_CURVES = "sets_points_on_curves.sur"
ON_CURVES_POINTS = {**{k: v for k, v in POINTS.items() if not k.startswith("PINT")}, "PINTT": (3, 4),
                    "PINTQ": (5.25, 6), "PINTARC": (11, 8.660254037844386), "PINTC": (12, 0)}
TOL = 1e-6


def on_segment(p, a, b):
    ab = (b[0] - a[0], b[1] - a[1])
    t = ((p[0] - a[0]) * ab[0] + (p[1] - a[1]) * ab[1]) / (ab[0] ** 2 + ab[1] ** 2)
    return -TOL <= t <= 1 + TOL and math.hypot(a[0] + t * ab[0] - p[0], a[1] + t * ab[1] - p[1]) < TOL


def expected_sets(mesh, points=None):
    """{name: set of node numbers} from the places of the nodes."""
    places = list(enumerate(mesh.nodes, 1))
    sets = {name: {k for k, p in places if on_segment(p, a, b)} for name, (a, b) in SEGMENTS.items()}
    name, c, r = ARC
    sets[name] = {k for k, p in places if abs(math.hypot(p[0] - c[0], p[1] - c[1]) - r) < TOL and p[1] > 8 - TOL}
    for name, q in (points or POINTS).items():
        sets[name] = {k for k, p in places if math.hypot(p[0] - q[0], p[1] - q[1]) < TOL}
    return sets


def segments_within(mesh, nodes):
    edges = {tuple(sorted((e[i], e[(i + 1) % 4]))) for e in mesh.elements for i in range(4)}
    return sum(1 for a, b in edges if a in nodes and b in nodes)


def read_msh(path):
    """({node number: rounded place}, {physical name: [cells as node numbers]})
    of an MSH 2.2 file, parsed here."""
    with open(path) as f:
        text = f.read()
    names = {}
    for line in text.split("$PhysicalNames\n")[1].split("$EndPhysicalNames")[0].splitlines()[1:]:
        dimension, tag, name = line.split(maxsplit=2)
        names[int(tag)] = name.strip('"')
    places = {}
    for line in text.split("$Nodes\n")[1].split("$EndNodes")[0].splitlines()[1:]:
        w = line.split()
        places[int(w[0])] = tuple(round(float(v), 9) for v in w[1:4])
    groups = {}
    for line in text.split("$Elements\n")[1].split("$EndElements")[0].splitlines()[1:]:
        w = [int(v) for v in line.split()]
        groups.setdefault(names[w[3]], []).append(w[3 + w[2]:])
    return places, groups


class NodeSetsTest(ScratchTest):
    @classmethod
    def setUpClass(cls):
        cls.gmsh = shutil.which("gmsh")

    def exported(self):
        path = self.model(MODEL)
        self.korvex("-q", "--export", "nastran,abaqus,vtk,msh", MODEL)
        self.assert_valid_mesh(path[:-3] + "m3d")
        mesh = korvex.read_m3d(path[:-3] + "m3d")
        expected = expected_sets(mesh)
        self.assertEqual(mesh.node_names.count("PINT"), 2)
        for name, nodes in expected.items():
            self.assertTrue(nodes, name)
            if name in SEGMENTS or name == ARC[0]:
                self.assertEqual(segments_within(mesh, nodes), len(nodes) - 1, name)
        self.assertIn(next(iter(expected["PINT1"])), expected["QLBOTTOM"])
        return path[:-4], mesh, expected

    def test_inp_bdf_and_sets_list_hold_each_set(self):
        stem, mesh, expected = self.exported()
        with open(stem + ".inp") as f:
            inp = f.read()
        nsets = {name: {int(v) for v in rows.replace(",", " ").split()}
                 for name, rows in re.findall(r"\*NSET, NSET=(\w+)\n((?:\d.*\n)*)", inp)}
        self.assertEqual(nsets, expected)
        with open(stem + ".bdf") as f:
            bdf = f.read()
        blocks = re.findall(r"\$ Node set (\w+) \((\w+)\): (\d+) nodes?\n((?:\$ \d.*\n)*)\$ End of node set \1\n", bdf)
        self.assertEqual({name: {int(v) for v in rows.replace("$", " ").split()} for name, _, _, rows in blocks},
                         expected)
        self.assertLess(bdf.index("CQUAD4"), bdf.index("$ Node set"))
        with open(stem + ".sets") as f:
            lines = [line.split() for line in f if not line.startswith("#")]
        self.assertEqual({w[0]: set(map(int, w[3:])) for w in lines}, expected)
        kinds = {w[0]: w[1] for w in lines}
        self.assertEqual((kinds["CTOP"], kinds["PM"], kinds["PINTLOAD"]), ("curve", "point", "internal"))
        self.assertTrue(all(int(w[2]) == len(w) - 3 for w in lines))

    def test_msh_groups_read_here_by_gmsh_and_by_meshio(self):
        stem, mesh, expected = self.exported()
        places, groups = read_msh(stem + ".msh")
        for name, nodes in expected.items():
            cells = groups[name]
            self.assertEqual({n for c in cells for n in c}, nodes, name)
            kind = 1 if name in POINTS else 2
            self.assertTrue(all(len(c) == kind for c in cells), name)
            if kind == 2:
                self.assertEqual(len(cells), len(nodes) - 1, name)
        self.assertEqual(sum(len(c) for name, c in groups.items() if name.startswith("R")), len(mesh.elements))
        if self.gmsh:  # Gmsh numbers the nodes anew: the sets are compared by place
            out = stem + ".gmsh.msh"
            plain = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}  # gmsh runs unsanitized
            subprocess.run([self.gmsh, stem + ".msh", "-save", "-format", "msh22", "-o", out], check=True,
                           capture_output=True, timeout=120, env=plain)
            read_places, read = read_msh(out)
            for name, nodes in expected.items():
                self.assertEqual({read_places[n] for c in read[name] for n in c}, {places[n] for n in nodes}, name)
        if meshio is not None:
            m = meshio.read(stem + ".msh")
            for name, nodes in expected.items():
                tag = m.field_data[name][0]
                found = set()
                for block, physical in zip(m.cells, m.cell_data["gmsh:physical"]):
                    found |= {int(n) + 1 for cell, t in zip(block.data, physical) if t == tag for n in cell}
                self.assertEqual(found, nodes, name)

    @unittest.skipIf(meshio is None, "meshio is not installed")
    def test_vtu_point_arrays_read_by_meshio(self):
        stem, mesh, expected = self.exported()
        m = meshio.read(stem + ".vtu")
        self.assertEqual(len(m.points), len(mesh.nodes))
        for name, nodes in expected.items():
            self.assertEqual({k + 1 for k, v in enumerate(m.point_data[name]) if v}, nodes, name)

    def test_quality_and_the_python_mesh_list_the_same_sets(self):
        stem, mesh, expected = self.exported()
        text = self.korvex("quality", os.path.basename(stem) + ".m3d")
        listed = re.findall(r"^  (\S+) +(curve|point|internal) +(\d+) nodes?$", text, re.MULTILINE)
        self.assertEqual({name: int(n) for name, _, n in listed}, {k: len(v) for k, v in expected.items()})
        self.assertEqual([name for name, _, _ in listed][:6], ["QLBOTTOM", "QLRIGHT", "CTOP", "QLLEFT", "QLSTIF1",
                                                               "QLSTIF2"])
        for m in (mesh, korvex.mesh(self.model(MODEL, "again"))):
            sets = m.node_sets
            self.assertEqual({k: set(int(n) for n in v) for k, v in sets.items()}, expected)
            bottom = [int(n) for n in sets["QLBOTTOM"]]
            self.assertEqual(mesh.nodes[bottom[0] - 1][:2], (0.0, 0.0))  # along the curve from its first point
            self.assertEqual([mesh.nodes[n - 1][0] for n in bottom], sorted(mesh.nodes[n - 1][0] for n in bottom))

    def test_internal_points_on_curves_and_at_a_corner_stay_in_their_curves(self):
        path = self.model(ON_CURVES)
        self.korvex("-q", ON_CURVES)
        self.assert_valid_mesh(path[:-3] + "m3d")
        mesh = korvex.read_m3d(path[:-3] + "m3d")
        self.assertEqual(mesh.node_names.count("PINT"), 4)
        sets = {k: {int(n) for n in v} for k, v in mesh.node_sets.items()}
        expected = expected_sets(mesh, ON_CURVES_POINTS)
        self.assertEqual(sets, expected)
        for curve, inside in {"QLSTIF1": "PINTT", "QLSTIF2": "PINTQ", "CTOP": "PINTARC", "QLBOTTOM": "PINTC",
                              "QLRIGHT": "PB"}.items():
            with self.subTest(curve):
                self.assertEqual(segments_within(mesh, sets[curve]), len(sets[curve]) - 1)
                self.assertLessEqual(sets[inside], sets[curve])
        self.assertEqual(sets["PINTC"], sets["PB"])

    def test_without_the_model_no_sets_and_with_model_option_the_same(self):
        stem, mesh, expected = self.exported()
        os.makedirs(os.path.join(self.folder, "alone"))
        alone = os.path.join(self.folder, "alone", "plate.m3d")
        shutil.copy(stem + ".m3d", alone)
        self.korvex("export", alone, "--format", "abaqus,nastran")
        with open(alone[:-3] + "inp") as f:
            self.assertNotIn("*NSET", f.read())
        self.assertFalse(os.path.exists(alone[:-3] + "sets"))
        self.assertEqual(korvex.read_m3d(alone).node_sets, {})
        self.korvex("export", alone, "--format", "abaqus", "--model", MODEL, "-o", "with.inp")
        with open(os.path.join(self.folder, "with.inp")) as f:
            self.assertEqual(f.read().count("*NSET"), len(expected))
        self.korvex("quality", alone, "--model", "missing.sur", status=1)


if __name__ == "__main__":
    unittest.main()
