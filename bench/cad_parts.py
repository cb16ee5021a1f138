#!/usr/bin/env python3
"""CAD parts meshed in one go by korvex (import + mesh: `korvex PART.step
--size H`) and, when the gmsh command is installed, by gmsh's pure-quad route
on the same STEP file: faces sewn, recombination and subdivision
(Geometry.OCCSewFaces=1, Mesh.RecombineAll=1, Mesh.SubdivisionAlgorithm=1).
The subdivision cuts every element of gmsh's mesh into quads of half its
size, so gmsh is given a characteristic length of 2H to end at about H.

Each mesh is measured the same way here: elements (quads, and triangles
left), the smallest and the 1st-percentile corner scaled Jacobian (corner
normal against the element's mean normal), the largest corner angle, and the
free-boundary edge count (0 for a watertight closed skin).

  cad_parts.py KORVEX EXAMPLE_PARTS_TOOL [--repeats N]   the test parts, written by the tool
  cad_parts.py KORVEX --parts PART.step:H ...             given parts and sizes
  cad_parts.py KORVEX --corpus                            the gmsh-written parts of bench/cad_corpus
                                                          (each variant at its finest size)
The options combine; the totals are over every part of the run.

Times are wall seconds, the least of the repeats."""
import argparse
import math
import os
import shutil
import subprocess
import sys
import tempfile
import time

import cad_corpus

# Element size of each test part: the one its test meshes at.
TEST_SIZES = {"plate_with_bolt_holes": 5.0, "flanges": 4.0, "filleted_box": 2.5, "pressure_vessel": 2.0,
              "revolved_nozzle": 2.0, "spline_panel": 3.0, "l_spline_panel": 3.0,
              "plate_with_elliptic_holes": 3.0, "wavy_spline_panel": 3.0, "stepped_spline_panel": 2.5, "unsewn_box": 2.0,
              "branch_tee": 2.0, "torus_ring": 2.0}


def read_m3d(path):
    nodes, elements = {}, []
    with open(path) as f:
        for line in f:
            if line.startswith("Node :"):
                w = line.split()
                nodes[int(w[2])] = tuple(float(v) for v in w[3:6])
            elif line.startswith("Element :"):
                w = line.split()
                elements.append([int(v) for v in w[3:7]])
    return nodes, elements


def read_msh2(path):
    nodes, elements = {}, []
    with open(path) as f:
        lines = f.read().split("\n")
    i = 0
    while i < len(lines):
        if lines[i] == "$Nodes":
            n = int(lines[i + 1])
            for line in lines[i + 2:i + 2 + n]:
                w = line.split()
                nodes[int(w[0])] = tuple(float(v) for v in w[1:4])
            i += n + 2
        elif lines[i] == "$Elements":
            n = int(lines[i + 1])
            for line in lines[i + 2:i + 2 + n]:
                w = [int(v) for v in line.split()]
                if w[1] in (2, 3):  # 3-node triangle, 4-node quadrangle
                    elements.append(w[3 + w[2]:])
            i += n + 2
        else:
            i += 1
    return nodes, elements


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def norm(a):
    return math.sqrt(dot(a, a))


def quality(nodes, elements):
    jacobians, worst_angle, quads, triangles = [], 0.0, 0, 0
    edges = {}
    for e in elements:
        k = len(e)
        for j in range(k):
            key = tuple(sorted((e[j], e[(j + 1) % k])))
            edges[key] = edges.get(key, 0) + 1
        if k == 3:
            triangles += 1
            continue
        quads += 1
        p = [nodes[n] for n in e]
        normal = cross(sub(p[2], p[0]), sub(p[3], p[1]))
        ln = norm(normal)
        for j in range(4):
            a, b = sub(p[(j + 1) % 4], p[j]), sub(p[(j + 3) % 4], p[j])
            la, lb = norm(a), norm(b)
            if la == 0 or lb == 0 or ln == 0:
                jacobians.append(0.0)
                continue
            jacobians.append(dot(cross(a, b), normal) / (ln * la * lb))
            worst_angle = max(worst_angle, math.degrees(math.acos(max(-1.0, min(1.0, dot(a, b) / (la * lb))))))
    jacobians.sort()
    free = sum(1 for n in edges.values() if n == 1)
    return {"quads": quads, "triangles": triangles, "min_sj": jacobians[0] if jacobians else float("nan"),
            "p1_sj": jacobians[len(jacobians) // 100] if jacobians else float("nan"), "max_angle": worst_angle,
            "free_edges": free}


def timed(command, repeats):
    best, result = float("inf"), None
    for _ in range(repeats):
        start = time.perf_counter()
        result = subprocess.run(command, capture_output=True, text=True)
        best = min(best, time.perf_counter() - start)
    return best, result


def run_korvex(korvex, part, size, repeats):
    seconds, r = timed([korvex, part, "--size", repr(size), "-q"], repeats)
    if r.returncode != 0:
        return seconds, None, r.stderr.strip().splitlines()[-1:] or ["failed"]
    return seconds, quality(*read_m3d(part[:part.rfind(".")] + ".m3d")), None


def run_gmsh(gmsh, part, size, repeats, folder):
    out = os.path.join(folder, os.path.basename(part) + ".msh")
    command = [gmsh, part, "-2", "-clmax", repr(2 * size), "-setnumber", "Geometry.OCCSewFaces", "1",
               "-setnumber", "Mesh.RecombineAll", "1", "-setnumber", "Mesh.SubdivisionAlgorithm", "1",
               "-format", "msh22", "-o", out]
    seconds, r = timed(command, repeats)
    if r.returncode != 0 or not os.path.exists(out):
        return seconds, None, ["exit status %d" % r.returncode]
    return seconds, quality(*read_msh2(out)), None


def describe(q, error):
    if q is None:
        return "failed: %s" % error[0][:60]
    return ("%6d quads %4d tris  SJ min %6.3f p1 %5.3f  max angle %5.1f  free edges %d" %
            (q["quads"], q["triangles"], q["min_sj"], q["p1_sj"], q["max_angle"], q["free_edges"]))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("korvex")
    parser.add_argument("tool", nargs="?")
    parser.add_argument("--parts", nargs="*", default=[])
    parser.add_argument("--corpus", action="store_true")
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="korvex_cad_bench_")
    parts = []
    try:
        if args.tool:
            subprocess.run([args.tool, folder, "--all"], check=True, capture_output=True)
            parts += [(os.path.join(folder, n + ".step"), h) for n, h in TEST_SIZES.items()]
        for entry in args.parts:
            path, size = entry.rsplit(":", 1)
            copy = os.path.join(folder, os.path.basename(path))
            shutil.copy(path, copy)
            parts.append((copy, float(size)))
        if args.corpus and shutil.which("gmsh"):  # gmsh writes the corpus
            parts += [(path, sizes[0]) for path, sizes, _ in cad_corpus.write_parts(folder)]
        gmsh = shutil.which("gmsh")
        if not gmsh:
            print("gmsh not installed: korvex alone")
        totals = [0.0, 0.0]
        for part, size in parts:
            name = os.path.basename(part)
            ks, kq, ke = run_korvex(args.korvex, part, size, args.repeats)
            totals[0] += ks
            print("%-28s H=%-4g korvex %6.2f s  %s" % (name, size, ks, describe(kq, ke)))
            if gmsh:
                gs, gq, ge = run_gmsh(gmsh, part, size, args.repeats, folder)
                totals[1] += gs
                print("%-28s %-6s gmsh   %6.2f s  %s" % ("", "", gs, describe(gq, ge)))
        print("total: korvex %.2f s" % totals[0] + (", gmsh %.2f s" % totals[1] if gmsh else ""))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
