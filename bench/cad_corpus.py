#!/usr/bin/env python3
"""Held-out style CAD parts: the gmsh sources in bench/cad_corpus/ written to
STEP by gmsh (its own STEP writer, every face on its own: nothing sewn), in
several variants, each meshed by `korvex PART.step --size H` at several sizes
and checked by korvex_cad_check: valid all-quad mesh, scaled Jacobian at
every corner, every node near the CAD faces, area, free-boundary loops and
element count. `korvex import` must also write a model that meshes on its own.

  cad_corpus.py KORVEX KORVEX_CAD_CHECK [--only NAME]

Exit status 0 when every part at every size passes."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "cad_corpus")

# Sizes stay within what the area check allows (README: H at most about a
# fifth of the radius of the larger curved faces and half a hole's radius).
# (name, source, gmsh numbers, free-boundary loops, element sizes)
PARTS = [
    ("plate_2x2", "plate_holes", {}, 5, [4.0, 6.0, 8.0]),
    ("plate_3x1", "plate_holes", {"W": 120, "D": 50, "R": 6, "nx": 3, "ny": 1}, 4, [2.5, 4.0]),
    ("plate_4x3", "plate_holes", {"W": 200, "D": 150, "R": 10, "nx": 4, "ny": 3}, 13, [3.0, 5.0]),
    ("plate_5x2", "plate_holes", {"W": 170, "D": 60, "R": 7, "nx": 5, "ny": 2}, 11, [2.0, 3.5]),
    ("flanges_90", "flanges", {}, 2, [2.0, 4.0]),
    ("flanges_120", "flanges", {"T": 120, "L": 100, "W2": 40, "R": 8}, 2, [3.0, 5.0]),
    ("filleted_box", "filleted_box", {}, 0, [1.5, 2.5, 3.0]),
    ("filleted_box_flat", "filleted_box", {"A": 60, "B": 40, "C": 12, "F": 3}, 0, [1.5, 3.0]),
    ("vessel", "pressure_vessel", {}, 0, [1.0, 1.5, 2.0]),
    ("vessel_long", "pressure_vessel", {"R": 25, "L": 120}, 0, [4.0, 8.0]),
    ("nozzle", "nozzle", {}, 2, [1.5, 2.5]),
    ("nozzle_wide", "nozzle", {"RF": 50, "RI": 30, "RT": 12, "LC": 40, "LT": 30}, 2, [3.0, 5.0]),
    ("saddle", "saddle", {}, 0, [1.0, 2.0]),
    ("saddle_thin", "saddle", {"R": 15, "L": 80, "r": 6, "H": 30}, 0, [1.5, 3.0]),
    ("saddle_open", "saddle", {"open": 1, "r": 7}, 3, [1.0, 2.0]),
    ("spline_panel", "spline_panel", {}, 1, [2.0, 3.0, 5.0]),
    ("spline_panel_steep", "spline_panel", {"W": 80, "D": 30, "A": 15}, 1, [2.0, 4.0]),
    ("spline_panel_tall", "spline_panel", {"A": 25}, 1, [1.5, 3.0]),
    ("notched_panel", "notched_panel", {}, 1, [2.0, 3.0]),
    ("frustum", "frustum", {}, 0, [1.5, 3.0]),
    ("frustum_flat", "frustum", {"R1": 40, "R2": 30, "H": 10}, 0, [2.0, 4.0]),
]


def write_parts(folder, gmsh="gmsh", only=None):
    """Writes every variant as FOLDER/NAME.step; returns [(path, sizes, loops)]."""
    written = []
    for name, source, numbers, loops, sizes in PARTS:
        if only and name not in only:
            continue
        path = os.path.join(folder, name + ".step")
        command = [gmsh, os.path.join(HERE, source + ".geo"), "-0", "-o", path]
        for key, value in numbers.items():
            command += ["-setnumber", key, repr(float(value))]
        r = subprocess.run(command, capture_output=True, text=True)
        if r.returncode != 0 or not os.path.exists(path) or "Error" in r.stdout + r.stderr:
            raise RuntimeError("gmsh cannot write %s: %s" % (name, (r.stdout + r.stderr)[-400:]))
        written.append((path, sizes, loops))
    return written


def check(korvex, checker, path, size, loops, folder):
    stem = path[:path.rfind(".")]
    r = subprocess.run([korvex, path, "--size", repr(size), "-q"], capture_output=True, text=True)
    if r.returncode != 0:
        return False, "korvex exit %d: %s" % (r.returncode, r.stderr.strip()[-300:])
    c = subprocess.run([checker, path, stem + ".m3d", repr(size), str(loops)], capture_output=True, text=True)
    report = c.stdout.strip()
    model = os.path.join(folder, "imported.sur")
    i = subprocess.run([korvex, "import", path, "-o", model, "--size", repr(size)], capture_output=True, text=True)
    m = subprocess.run([korvex, model, "-q"], capture_output=True, text=True) if i.returncode == 0 else i
    if m.returncode != 0:
        return False, report + "\n  imported model does not mesh: " + m.stderr.strip()[-300:]
    return c.returncode == 0, report


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("korvex")
    parser.add_argument("checker")
    parser.add_argument("--only", nargs="*")
    args = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="korvex_cad_corpus_")
    failures = 0
    try:
        for path, sizes, loops in write_parts(folder, only=args.only):
            for size in sizes:
                ok, report = check(args.korvex, args.checker, path, size, loops, folder)
                failures += not ok
                print("%-5s %-22s H=%-5g %s" % ("ok" if ok else "FAIL", os.path.basename(path), size, report))
                sys.stdout.flush()
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print("%d failures" % failures)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
