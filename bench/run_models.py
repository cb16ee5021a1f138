#!/usr/bin/env python3
"""Generates large plane and cylinder models and meshes each with the korvex command,
reporting the median wall time, the peak memory of the run and the size of
the mesh. Usage: run_models.py KORVEX_COMMAND [REPEATS]"""
import math
import os
import statistics
import subprocess
import sys
import tempfile
import time


def grid_of_plates(k, step):
    """k x k unit-10 plates sharing their curves, every plate its own subregion."""
    pts, curves, subs = [], [], []
    name = lambda i, j: f"P{i}_{j}"
    for i in range(k + 1):
        for j in range(k + 1):
            pts.append(f"{name(i, j)} {10.0 * i} {10.0 * j} 0.0")
    h = lambda i, j: f"QH{i}_{j}"   # from (i, j) to (i+1, j)
    v = lambda i, j: f"QV{i}_{j}"   # from (i, j) to (i, j+1)
    for i in range(k + 1):
        for j in range(k + 1):
            if i < k:
                curves.append(f"QL{h(i, j)[1:]} {name(i, j)} {name(i + 1, j)} STEP {step}")
            if j < k:
                curves.append(f"QL{v(i, j)[1:]} {name(i, j)} {name(i, j + 1)} STEP {step}")
    for i in range(k):
        for j in range(k):
            ring = [f"QL{h(i, j)[1:]}", f"QL{v(i + 1, j)[1:]}", f"QL{h(i, j + 1)[1:]}", f"QL{v(i, j)[1:]}"]
            subs.append(f"R{i}_{j} PLANE {' '.join(ring)} REF 0.2")
    return pts, curves, subs


def one_plate(size, step):
    pts = [f"P1 0 0 0", f"P2 {size} 0 0", f"P3 {size} {size} 0", f"P4 0 {size} 0"]
    curves = [f"QL{i} P{i} P{i % 4 + 1} STEP {step}" for i in range(1, 5)]
    return pts, curves, ["R1 PLANE QL1 QL2 QL3 QL4 REF 0.2"]


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


def half_cylinder(radius, length, step):
    """Half a cylinder with its axis on z: two half-circle arcs and two generator lines."""
    pts = [f"P1 {radius} 0 0", f"PM1 0 {radius} 0", f"P2 {-radius} 0 0",
           f"P3 {-radius} 0 {length}", f"PM2 0 {radius} {length}", f"P4 {radius} 0 {length}"]
    curves = [f"C1 P1 PM1 P2 STEP {step}", f"QL1 P2 P3 STEP {step}",
              f"C2 P3 PM2 P4 STEP {step}", f"QL2 P4 P1 STEP {step}"]
    return pts, curves, ["R1 CYLINDER ANGLEX 90 ANGLEY 90 ANGLEZ 0 C1 QL1 C2 QL2 REF 0.2"]


def write_model(path, title, parts):
    pts, curves, subs = parts
    with open(path, "w") as f:
        f.write(title + "\nPOINTS\n" + "\n".join(pts) + "\nCURVES\n" + "\n".join(curves)
                + "\nSUBREGIONS\n" + "\n".join(subs) + "\nEND\n")


def run_once(cmd, model):
    """Wall time, and peak resident memory (MB) of one run in a child process."""
    probe = ("import resource,subprocess,sys;"
             "r=subprocess.run(sys.argv[1:],stdout=subprocess.DEVNULL);"
             "print(r.returncode, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)")
    start = time.perf_counter()
    out = subprocess.run([sys.executable, "-c", probe, cmd, model], capture_output=True, text=True,
                         cwd=os.path.dirname(model)).stdout.split()
    return time.perf_counter() - start, int(out[0]), int(out[1]) / 1024.0


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
        ("grid_10x10", "100 plates sharing curves", grid_of_plates(10, 1.0)),
        ("grid_14x14", "196 plates sharing curves", grid_of_plates(14, 0.5)),
        ("sphere_50k", "A spherical panel, about 50 000 elements", sphere_panel(100.0, 0.55)),
        ("rev_50k", "A cone frustum quarter (REV), about 50 000 elements", rev_cone(100.0, 60.0, 80.0, 0.47)),
        ("cyl_100k", "Half cylinder, about 100 000 elements", half_cylinder(100.0, 320.0, 1.0)),
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
