"""korvex.Model: models built in code mesh to the same bytes as the
hand-written files they rebuild, and every bad call is refused at once."""
import math
import os
import unittest

import korvex
from support import EXAMPLES, ScratchTest


def plate_with_bolt_holes():
    m = korvex.Model("Mounting plate with four bolt holes")
    corners = [m.point(x, y, 0.0, name=f"P{k}") for k, (x, y) in enumerate([(0, 0), (160, 0), (160, 100), (0, 100)], 1)]
    holes = []
    for h, (cx, cy) in enumerate([(20, 20), (140, 20), (140, 80), (20, 80)], 1):
        ends, mids = [], []
        for q in range(4):
            a = q * math.pi / 2
            ends.append(m.point(round(cx + 8 * math.cos(a), 9), round(cy + 8 * math.sin(a), 9), 0.0, name=f"PB{h}{q + 1}"))
            mids.append(m.point(round(cx + 8 * math.cos(a + math.pi / 4), 9), round(cy + 8 * math.sin(a + math.pi / 4), 9),
                                0.0, name=f"PM{h}{q + 1}"))
        holes.append((f"HBOLT{h}", [(ends[q], mids[q], ends[(q + 1) % 4], f"CB{h}{q + 1}") for q in range(4)]))
    sides = [m.line(corners[k], corners[(k + 1) % 4], 5.0, name=n)
             for k, n in enumerate(["QLBOTTOM", "QLRIGHT", "QLTOP", "QLLEFT"])]
    loops = {name: [m.arc(p, mid, q, 2.0, name=n) for p, mid, q, n in arcs] for name, arcs in holes}
    m.plane(sides, ref=0.2, holes=loops, name="RPLATE")
    return m


def cylinder_with_flange():
    m = korvex.Model("Quarter tube with a radial flange along one generator line")
    s = 7.07106781186548
    p1, pm1, p2, p3 = m.point(10, 0, 0), m.point(s, s, 0, name="PM1"), m.point(0, 10, 0, name="P2"), m.point(0, 10, 10)
    pm2, p4, p5, p6 = m.point(s, s, 10, name="PM2"), m.point(10, 0, 10, name="P4"), m.point(0, 15, 0), m.point(0, 15, 10)
    c1, ql1 = m.arc(p1, pm1, p2, 1), m.line(p2, p3, 1)
    c2, ql2 = m.arc(p3, pm2, p4, 1), m.line(p4, p1, 1)
    ql3, ql4, ql5 = m.line(p5, p2, 1), m.line(p6, p5, 1), m.line(p3, p6, 1)
    m.cylinder([c1, ql1, c2, ql2], (90, 90, 0), ref=0.2)
    m.plane([ql1, ql5, ql4, ql3], ref=0.2)
    return m


def sphere_cap():
    m = korvex.Model("Spherical cap bounded by one small circle given as two arcs")
    p = [m.point(x, y, 8) for x, y in [(6, 0), (0, 6), (-6, 0), (0, -6)]]
    c1, c2 = m.arc(p[0], p[1], p[2], 1), m.arc(p[2], p[3], p[0], 1)
    m.sphere([c1, c2], (0, 0, 0), ref=0.2, name="RCAP")
    return m


def stiffened_panel():
    m = korvex.Model("Stiffened panel with a point load")
    names = ["P1", "PS0", "P2", "P3", "P4", "PS1", "PS2", "PS3", "PW1", "PW2"]
    xy = [(0, 0), (6, 0), (20, 0), (20, 10), (0, 10), (6, 6), (3, 8), (9, 8), (11, 1.5), (17, 1.5)]
    p = {n: m.point(float(x), float(y), 0.0, name=n) for n, (x, y) in zip(names, xy)}
    m.internal_point(14.0, 6.0, 0.0, "RPANEL", step=0.25, radius=2.5)
    lines = {n: m.line(p[a], p[b], 1.0, name=n) for n, a, b in [
        ("QLB1", "P1", "PS0"), ("QLB2", "PS0", "P2"), ("QLR", "P2", "P3"), ("QLT", "P3", "P4"), ("QLL", "P4", "P1"),
        ("QLST", "PS0", "PS1"), ("QLA1", "PS1", "PS2"), ("QLA2", "PS1", "PS3"), ("QLW", "PW1", "PW2")]}
    m.plane([lines[n] for n in ["QLB1", "QLB2", "QLR", "QLT", "QLL"]], ref=0.2, name="RPANEL",
            trees={"TSTIFF": [lines["QLST"], lines["QLA1"], lines["QLA2"]], "TWELD": [lines["QLW"]]})
    return m


def plane_internal_point():
    m = korvex.Model("A plate with an internal point")
    p = [m.point(x, y, 0) for x, y in [(0, 0), (8, 0), (8, 8), (0, 8)]]
    m.internal_point(3.3, 4.6, 0)
    m.plane([m.line(p[k], p[(k + 1) % 4], 1) for k in range(4)], ref=0.2)
    return m


REBUILT = {
    "plate with holes": (os.path.join(EXAMPLES, "plate_with_bolt_holes.sur"), plate_with_bolt_holes),
    "cylinder with flange": ("cylinder_with_flange.sur", cylinder_with_flange),
    "sphere cap": ("tri_sphere_cap.sur", sphere_cap),
    "tree and refined zone": (os.path.join(EXAMPLES, "stiffened_panel.sur"), stiffened_panel),
    "internal point": ("plane_internal_point.sur", plane_internal_point),
}


class BuilderTest(ScratchTest):
    def test_built_models_mesh_as_the_hand_written_ones(self):
        for what, (original, build) in REBUILT.items():
            with self.subTest(what):
                hand = self.model(original, folder="hand")
                built = os.path.join(self.folder, "built", os.path.basename(hand))
                os.makedirs(os.path.dirname(built), exist_ok=True)
                build().write(built)
                for path in (hand, built):
                    self.korvex(path)
                with open(hand[:-3] + "m3d", "rb") as a, open(built[:-3] + "m3d", "rb") as b:
                    self.assertEqual(a.read(), b.read())
                self.assert_valid_mesh(built[:-3] + "m3d")

    def test_a_built_model_meshes_in_memory(self):
        m = sphere_cap().mesh()
        self.assertIsNone(m.path)
        self.assertIn("Problem name: model.sur\n", m.messages)
        self.assertEqual(set(m.element_subregions), {"RCAP"})
        self.assert_valid(m)

    def test_bad_calls_are_refused_naming_the_argument(self):
        def model():
            m = korvex.Model("Square")
            p = [m.point(x, y, 0) for x, y in [(0, 0), (1, 0), (1, 1), (0, 1)]]
            lines = [m.line(p[k], p[(k + 1) % 4], 0.25) for k in range(4)]
            m.arc("P1", "P2", "P3", 1)
            return m, p, lines

        cases = {
            "unknown point": (lambda m, p, c: m.line("P1", "P9", 1), r"^q: unknown point 'P9'"),
            "unknown point of a curve": (lambda m, p, c: m.curve(["P1", 7], 1), r"^points\[1\]: unknown point"),
            "point name too long": (lambda m, p, c: m.point(0, 0, 0, name="P12345678"), r"^name: .*1 to 8"),
            "point name of a curve": (lambda m, p, c: m.point(0, 0, 0, name="QL7"), r"^name: 'QL7' is not .* point"),
            "plain point named as internal": (lambda m, p, c: m.point(0, 0, 0, name="PINT3"), r"^name: .*not with 'PINT'"),
            "internal point named as plain": (lambda m, p, c: m.internal_point(0, 0, 0, name="PX"), r"^name: 'PX'"),
            "line named as arc": (lambda m, p, c: m.line("P1", "P3", 1, name="C9"), r"^name: 'C9' is not .* straight"),
            "smooth curve named as line": (lambda m, p, c: m.curve(p, 1, name="QL9"), r"^name: .*not with 'QL'"),
            "name taken": (lambda m, p, c: m.line("P1", "P3", 1, name="QL1"), r"^name: the name 'QL1' is already used"),
            "keyword as name": (lambda m, p, c: m.plane(c, name="REF"), r"^name: 'REF' is not"),
            "blank in name": (lambda m, p, c: m.point(0, 0, 0, name="P 1"), r"^name: .*without blanks"),
            "hole name of a tree": (lambda m, p, c: m.plane(c, holes={"T1": ["C1"]}), r"^holes\['T1'\]: 'T1' is not .* hole"),
            "hole in a non-plane subregion": (lambda m, p, c: m.bilinear(c, holes=[["C1"]]), r"^holes: only a plane"),
            "tree in a cylinder": (lambda m, p, c: m.cylinder(c, (0, 0, 90), trees=[["C1"]]), r"^trees: only a plane"),
            "zero step": (lambda m, p, c: m.line("P1", "P3", 0), r"^step: must be greater than 0"),
            "negative step": (lambda m, p, c: m.arc("P1", "P2", "P4", -1), r"^step: must be greater than 0"),
            "zero step of a zone": (lambda m, p, c: m.internal_point(0.5, 0.5, 0, "R1", step=0, radius=1), r"^step:"),
            "radius without step": (lambda m, p, c: m.internal_point(0.5, 0.5, 0, "R1", radius=1), r"^step: .*together"),
            "zone without subregion": (lambda m, p, c: m.internal_point(0.5, 0.5, 0, step=1, radius=1), r"^subregion:"),
            "subregion of a wrong kind": (lambda m, p, c: m.internal_point(0.5, 0.5, 0, "QL1"), r"^subregion:"),
            "coordinate not finite": (lambda m, p, c: m.point(math.nan, 0, 0), r"^x: nan is not a finite"),
            "coordinate not a number": (lambda m, p, c: m.point(0, "1", 0), r"^y: a number is needed"),
            "unknown curve": (lambda m, p, c: m.plane([*c[:3], "QLX"]), r"^curves\[3\]: unknown curve 'QLX'"),
            "unknown curve of a hole": (lambda m, p, c: m.plane(c, holes=[["C1"], ["CX"]]), r"^holes\[1\]\[0\]: unknown"),
            "one edge": (lambda m, p, c: m.patch([c]), r"^edges: 2 to 4 edges"),
            "unknown curve of an edge": (lambda m, p, c: m.rev([c[0], [c[1], "Q5"]]), r"^edges\[1\]\[1\]: unknown"),
            "ref too large": (lambda m, p, c: m.plane(c, ref=0.4), r"^ref: must lie in \[0, 0.35\]"),
            "axis angle out of range": (lambda m, p, c: m.cylinder(c, (0, 400, 90)), r"^axis_angles: 400"),
            "sphere centre of two values": (lambda m, p, c: m.sphere(c, (0, 0)), r"^centre: three"),
            "arc through an end": (lambda m, p, c: m.arc("P1", "P1", "P3", 1), r"^mid: "),
        }
        for what, (call, error) in cases.items():
            with self.subTest(what):
                m, p, lines = model()
                before = m.text()
                with self.assertRaisesRegex(ValueError, error):
                    call(m, p, lines)
                self.assertEqual(m.text(), before)  # a refused call adds nothing
        with self.assertRaisesRegex(ValueError, "^title: one line"):
            korvex.Model("two\nlines")
        m, p, lines = model()
        m.internal_point(0.5, 0.5, 0, "R7")
        with self.assertRaisesRegex(ValueError, "^subregion: internal point PINT1 names 'R7'"):
            m.mesh()

    def test_generated_names_keep_the_rules_and_avoid_given_ones(self):
        m = korvex.Model("Names")
        self.assertEqual([m.point(0, 0, 0, name="P2"), m.point(1, 0, 0), m.point(1, 1, 0)], ["P2", "P1", "P3"])
        self.assertEqual([m.line("P1", "P2", 1), m.arc("P1", "P2", "P3", 1), m.curve(["P1", "P3"], 1)],
                         ["QL1", "C1", "Q1"])
        m.plane(["QL1", "C1"], holes=[["Q1"], ["QL1"]], trees=[["C1"]])
        self.assertIn("\nR1 PLANE QL1 C1 REF 0.2\nH1 Q1\nH2 QL1\nT1 C1\nEND\n", m.text())


if __name__ == "__main__":
    unittest.main()
