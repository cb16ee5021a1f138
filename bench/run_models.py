#!/usr/bin/env python3
"""Generates large plane and cylinder models and meshes each with the korvex command,
reporting the median wall time, the peak memory of the run and the size of
the mesh. Usage: run_models.py KORVEX_COMMAND [REPEATS]"""
import math
import os
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench_models import grid_of_plates, one_plate, write_model  # noqa: E402
import generator_scaling  # noqa: E402


def half_cylinder(radius, length, step):
    """Half a cylinder with its axis on z: two half-circle arcs and two generator lines."""
    pts = [f"P1 {radius} 0 0", f"PM1 0 {radius} 0", f"P2 {-radius} 0 0",
           f"P3 {-radius} 0 {length}", f"PM2 0 {radius} {length}", f"P4 {radius} 0 {length}"]
    curves = [f"C1 P1 PM1 P2 STEP {step}", f"QL1 P2 P3 STEP {step}",
              f"C2 P3 PM2 P4 STEP {step}", f"QL2 P4 P1 STEP {step}"]
    return pts, curves, ["R1 CYLINDER ANGLEX 90 ANGLEY 90 ANGLEZ 0 C1 QL1 C2 QL2 REF 0.2"]


def sphere_panel(radius, step):
    """The spherical panel of a cube face: four great-circle arcs."""
    s, m = radius / math.sqrt(3.0), radius / math.sqrt(2.0)
    corner = {1: (-s, -s), 2: (s, -s), 3: (s, s), 4: (-s, s)}
    middle = {1: (0, -m), 2: (m, 0), 3: (0, m), 4: (-m, 0)}
    pts = [f"P{i} {x!r} {y!r} {s!r}" for i, (x, y) in corner.items()]
    pts += [f"PM{i} {x!r} {y!r} {m!r}" for i, (x, y) in middle.items()]
    curves = [f"C{i} P{i} PM{i} P{i % 4 + 1} STEP {step}" for i in range(1, 5)]
    edges = " ".join(f"EDGE C{i}" for i in range(1, 5))
    return pts, curves, [f"R1 SPHERE XC 0 YC 0 ZC 0 {edges} REF 0.2"]


def rev_cone(r_bottom, r_top, height, step):
    """A quarter turn of a cone frustum about the z axis (REV)."""
    c = math.cos(math.pi / 4)
    pts = [f"P1 {r_bottom} 0 0", f"PM1 {r_bottom * c!r} {r_bottom * c!r} 0", f"P2 0 {r_bottom} 0",
           f"P3 0 {r_top} {height}", f"PM2 {r_top * c!r} {r_top * c!r} {height}", f"P4 {r_top} 0 {height}"]
    curves = [f"C1 P1 PM1 P2 STEP {step}", f"QL1 P2 P3 STEP {step}", f"C2 P3 PM2 P4 STEP {step}",
              f"QL2 P4 P1 STEP {step}"]
    return pts, curves, ["R1 REV EDGE C1 EDGE QL1 EDGE C2 EDGE QL2 REF 0.2"]


def plate_with_round_holes(width, height, columns, rows, radius, step):
    """One plate with columns x rows round holes, each of four arcs."""
    pts, curves, subs = one_plate(width, step)
    pts[1:4] = [f"P2 {width} 0 0", f"P3 {width} {height} 0", f"P4 0 {height} 0"]
    c, s = 0.7071067811865476, 0.7071067811865476
    holes = []
    for i in range(columns):
        for j in range(rows):
            h = f"{i}_{j}"
            cx, cy = width * (i + 0.5) / columns, height * (j + 0.5) / rows
            ends = [(cx + radius, cy), (cx, cy + radius), (cx - radius, cy), (cx, cy - radius)]
            mids = [(cx + c * radius, cy + s * radius), (cx - c * radius, cy + s * radius),
                    (cx - c * radius, cy - s * radius), (cx + c * radius, cy - s * radius)]
            for k in range(4):
                pts.append(f"PE{h}_{k} {ends[k][0]!r} {ends[k][1]!r} 0")
                pts.append(f"PM{h}_{k} {mids[k][0]!r} {mids[k][1]!r} 0")
            for k in range(4):
                curves.append(f"CH{h}_{k} PE{h}_{k} PM{h}_{k} PE{h}_{(k + 1) % 4} STEP {step}")
            holes.append(f"H{h} " + " ".join(f"CH{h}_{k}" for k in range(4)))
    subs = [subs[0]] + holes
    return pts, curves, subs


def run_once(cmd, model):
    """Wall time, exit status and peak resident memory (MB) of one run (the
    peak from a second run, read through GNU time)."""
    cwd = os.path.dirname(model)
    rc, wall, _ = generator_scaling.timed_run([cmd, model], cwd)
    peak = generator_scaling.peak_memory([cmd, model], cwd) if rc == 0 else 0.0
    return wall, rc, peak


def mesh_size(model):
    m3d = model[:-3] + "m3d"
    with open(m3d) as f:
        lines = f.readlines()
    return sum(l.startswith("Node :") for l in lines), sum(l.startswith("Element :") for l in lines)


def main():
    cmd = os.path.abspath(sys.argv[1])
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    cases = [
        ("plate_40k", "One plate, about 40 000 elements", one_plate(200.0, 1.0)),
        ("plate_160k", "One plate, about 160 000 elements", one_plate(400.0, 1.0)),
        ("holes_50k", "One plate with ten round holes, about 50 000 elements",
         plate_with_round_holes(250.0, 200.0, 5, 2, 8.0, 1.0)),
        ("grid_10x10", "100 plates sharing curves", grid_of_plates(10, 1.0)),
        ("grid_14x14", "196 plates sharing curves", grid_of_plates(14, 0.5)),
        ("cyl_100k", "Half cylinder, about 100 000 elements", half_cylinder(100.0, 320.0, 1.0)),
        ("sphere_50k", "A spherical panel, about 50 000 elements", sphere_panel(100.0, 0.65)),
        ("rev_50k", "A cone frustum quarter (REV), about 50 000 elements", rev_cone(100.0, 60.0, 80.0, 0.47)),
    ]
    print(f"{'model':<12} {'nodes':>9} {'elements':>9} {'median s':>9} {'peak MB':>8}")
    with tempfile.TemporaryDirectory() as work:
        for key, title, parts in cases:
            model = os.path.join(work, key + ".sur")
            write_model(model, title, parts)
            times, peaks = [], []
            for _ in range(repeats):
                t, rc, peak = run_once(cmd, model)
                if rc != 0:
                    print(f"{key:<12} failed (exit status {rc})")
                    break
                times.append(t)
                peaks.append(peak)
            else:
                nodes, elements = mesh_size(model)
                print(f"{key:<12} {nodes:>9} {elements:>9} {statistics.median(times):>9.2f} {max(peaks):>8.1f}")


if __name__ == "__main__":
    main()
