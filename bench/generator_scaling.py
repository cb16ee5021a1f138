#!/usr/bin/env python3
"""Whole runs of the korvex command on the disc of radius 5 (two half arcs)
and on an L-shaped plate of side 20 at about 10^3, 10^4, 10^5 and 2.5 10^5
elements: wall and CPU time, CPU time per element and peak memory. Times are
the least of the repeats: on a shared machine interference only ever adds
time, and it is what makes medians of short runs wander.
The L-plate is meshed as one subregion ("L-plate", up to 1.9 10^5 elements:
a finer step cuts its boundary into more than MAX_CURVES_PER_EDGE pieces)
and as two subregions cut along its diagonal ("L-halves", the same L meshed
to 2.5 10^5 elements and beyond).
When the gmsh command is installed, the same geometry at the same size is
meshed by it in all-quad mode in the same run and the time ratio is printed
(skipped when it is absent).

  generator_scaling.py KORVEX [--repeats N] [--gmsh-up-to ELEMENTS] [--quick]

CPU time (user + system) is the figure to compare on a busy machine; wall
time is printed beside it. "x cpu" and "x wall" are gmsh's time divided by
korvex's."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench_models  # noqa: E402

# (family, target elements, step): steps chosen for the element counts.
CASES = [
    ("disc", 1e3, 0.287), ("disc", 1e4, 0.091), ("disc", 3.3e4, 0.05), ("disc", 1e5, 0.0287),
    ("disc", 2.5e5, 0.0182),
    ("L-plate", 1e3, 0.57), ("L-plate", 1e4, 0.18), ("L-plate", 1e5, 0.057), ("L-plate", 1.9e5, 0.041),
    ("L-halves", 1e3, 0.57), ("L-halves", 1e4, 0.18), ("L-halves", 1e5, 0.057), ("L-halves", 2.5e5, 0.035),
]
# Small runs are repeated until they add up to at least this many seconds, so
# that their least time is not one scheduler tick.
MIN_MEASURED_SECONDS = 0.5
GMSH_OPTIONS = ["-2", "-nt", "1", "-format", "msh2", "-setnumber", "Mesh.Algorithm", "8",
                "-setnumber", "Mesh.RecombineAll", "1", "-setnumber", "Mesh.RecombinationAlgorithm", "1",
                "-setnumber", "Mesh.CrossFieldClosestPoint", "0"]

GNU_TIME = "/usr/bin/time"


def timed_run(argv, cwd):
    """Exit status, wall s and CPU s (user + system) of one run of the
    command itself, from its own resource usage."""
    start = time.perf_counter()
    child = subprocess.Popen(argv, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    return os.waitstatus_to_exitcode(status), wall, usage.ru_utime + usage.ru_stime


def peak_memory(argv, cwd):
    """Peak resident MB of one run. A child forked from this interpreter
    counts the interpreter's pages in its peak, so the peak is read through
    GNU time (a small process) when it is there; GNU time's own start-up is
    why the times are not taken through it."""
    if not os.access(GNU_TIME, os.X_OK):
        child = subprocess.Popen(argv, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return os.wait4(child.pid, 0)[2].ru_maxrss / 1024.0
    with tempfile.NamedTemporaryFile("r", suffix=".rss") as rss:
        subprocess.run([GNU_TIME, "-f", "%M", "-o", rss.name] + argv, cwd=cwd,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        lines = rss.read().split()
        return int(lines[-1]) / 1024.0 if lines and lines[-1].isdigit() else 0.0


def measure(argv, cwd, repeats):
    """Least wall and CPU time over the repeats (more for short runs) and
    the peak memory, or None when a run fails."""
    walls, cpus = [], []
    while len(walls) < repeats or sum(walls) < MIN_MEASURED_SECONDS:
        rc, wall, cpu = timed_run(argv, cwd)
        if rc != 0:
            return None
        walls.append(wall)
        cpus.append(cpu)
    return min(walls), min(cpus), peak_memory(argv, cwd)


def sur_parts(family, step):
    if family == "disc":
        return bench_models.disc(5.0, step)
    if family == "L-halves":
        return bench_models.l_plate_halves(20.0, step)
    return bench_models.l_plate(20.0, step)


def geo_text(family, step):
    """The same geometry for gmsh, with the step as the characteristic length."""
    if family == "disc":
        return (f"lc = {step};\nPoint(1) = {{0, 0, 0, lc}};\nPoint(2) = {{5, 0, 0, lc}};\n"
                "Point(3) = {-5, 0, 0, lc};\nCircle(1) = {2, 1, 3};\nCircle(2) = {3, 1, 2};\n"
                "Curve Loop(1) = {1, 2};\nPlane Surface(1) = {1};\n")
    corners = [(0, 0), (20, 0), (20, 10), (10, 10), (10, 20), (0, 20)]
    text = f"lc = {step};\n"
    text += "".join(f"Point({k + 1}) = {{{x}, {y}, 0, lc}};\n" for k, (x, y) in enumerate(corners))
    text += "".join(f"Line({k + 1}) = {{{k + 1}, {(k + 1) % 6 + 1}}};\n" for k in range(6))
    return text + "Curve Loop(1) = {1, 2, 3, 4, 5, 6};\nPlane Surface(1) = {1};\n"


def korvex_elements(m3d):
    with open(m3d) as f:
        return sum(line.startswith("Element :") for line in f)


def gmsh_quads(msh):
    """Quadrilaterals (element type 3) of a version 2 mesh file."""
    count, inside = 0, False
    with open(msh) as f:
        for line in f:
            if line.startswith("$Elements"):
                inside = True
                next(f)
                continue
            if line.startswith("$EndElements"):
                break
            if inside and line.split()[1] == "3":
                count += 1
    return count


def fixed_cost(cmd, repeats):
    """Median CPU time of a run that meshes almost nothing: start-up, the
    limits, the log and the result file."""
    with tempfile.TemporaryDirectory() as work:
        model = os.path.join(work, "tiny.sur")
        bench_models.write_model(model, "A plate of four elements", bench_models.one_plate(2.0, 1.0))
        got = measure([cmd, model], work, max(repeats, 5))
    return got[1] if got else 0.0


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("korvex")
    ap.add_argument("--repeats", type=int, default=3)
    ap.add_argument("--gmsh-up-to", type=float, default=1.1e5, help="largest target size meshed by gmsh")
    ap.add_argument("--quick", action="store_true", help="only the disc at step 0.05")
    args = ap.parse_args()
    cmd = os.path.abspath(args.korvex)
    gmsh = shutil.which("gmsh")
    cases = [c for c in CASES if not args.quick or c[2] == 0.05]
    print("gmsh: " + (gmsh or "not installed, comparison skipped"))
    fixed = fixed_cost(cmd, args.repeats)
    print(f"fixed cost of a run (a plate of 4 elements): {1000 * fixed:.1f} ms CPU; 'net' leaves it out")
    print(f"{'model':<8} {'step':>7} {'elements':>9} {'wall s':>7} {'cpu s':>7} {'us/elem':>8} {'net':>6} {'peak MB':>8}")
    per_element = {}
    timed = []  # (family, target, step, key, wall, cpu) of every run that meshed
    with tempfile.TemporaryDirectory() as work:
        for family, target, step in cases:
            key = f"{family.replace('-', '_')}_{step}"
            model = os.path.join(work, key + ".sur")
            bench_models.write_model(model, f"{family} at step {step}", sur_parts(family, step))
            os.sync()  # the file writes of earlier cases do not land on this one
            got = measure([cmd, model], work, args.repeats)
            if got is None:
                print(f"{family:<8} {step:>7} failed")
                continue
            wall, cpu, peak = got
            elements = korvex_elements(model[:-3] + "m3d")
            us, net = 1e6 * cpu / elements, 1e6 * (cpu - fixed) / elements
            per_element.setdefault(family, []).append((us, net))
            timed.append((family, target, step, key, wall, cpu))
            print(f"{family:<8} {step:>7} {elements:>9} {wall:>7.2f} {cpu:>7.3f} {us:>8.2f} {net:>6.2f} {peak:>8.1f}",
                  flush=True)
        # The peer runs come after all of ours: their large output files
        # would otherwise be written back to disk while ours are timed.
        if gmsh and any(t[1] <= args.gmsh_up_to for t in timed):
            print(f"\n{'model':<8} {'step':>7} {'gmsh quads':>10} {'gmsh wall':>9} {'gmsh cpu':>9} {'x cpu':>6} {'x wall':>6}")
        for family, target, step, key, wall, cpu in timed:
            if not gmsh or target > args.gmsh_up_to:
                continue
            geo = os.path.join(work, key + ".geo")
            with open(geo, "w") as f:
                f.write(geo_text(family, step))
            msh = os.path.join(work, key + ".msh")
            g = measure([gmsh, geo] + GMSH_OPTIONS + ["-o", msh], work, 1)
            if g is None:
                print(f"{family:<8} {step:>7} {'failed':>10}")
                continue
            print(f"{family:<8} {step:>7} {gmsh_quads(msh):>10} {g[0]:>9.2f} {g[1]:>9.2f} {g[1] / cpu:>6.1f}"
                  f" {g[0] / wall:>6.1f}", flush=True)
    for family, values in per_element.items():
        for k, what in ((0, "whole run"), (1, "net of the fixed cost")):
            v = [x[k] for x in values]
            print(f"{family}: CPU time per element ({what}) from {min(v):.2f} to {max(v):.2f} us "
                  f"(spread {max(v) / min(v):.2f}x)")


if __name__ == "__main__":
    main()
