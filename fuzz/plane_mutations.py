#!/usr/bin/env python3
"""Random numeric changes of the project's models, meshed and checked.

Each run takes one of the project's models (tests/models and examples): with
--family plane the plane plates, with --family curved the curved, hole and
tree models. It changes one to four of its numbers (a point's coordinate, in
the plane for plates and in space for curved models, a curve's step or a
subregion's REF), meshes it with the korvex command
and reads the result: every element whose smallest corner scaled Jacobian
(against the element's mean normal) is not positive must be named by an
"Output data error: element N of subregion S is inverted or degenerate" line
of the log. The summary counts the meshed models, those with such elements and
those where an element was written without its report.

    python3 fuzz/plane_mutations.py --korvex build/korvex [--runs 400] [--seed 1] [--family curved]
                                    [--models FOLDER]

--models takes the models from another folder (a held-out survey on models
the project does not ship).

A run that takes longer than --max-seconds (default 2) or more memory than
--max-mb (default 1024) is a finding too, whether it meshed or failed.

Exit status 1 when an invalid element went unreported, or when meshes with
invalid elements are more frequent than --max-rate (default 1 in 200) of
the meshed models. Models whose own mesh already holds a reported invalid
element (regression models of what no repair can fix) are still checked for
the report but kept out of that rate. Failing models are kept in --keep (default
build-fuzz/plane_findings).
"""
import argparse
import math
import os
import random
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MIN_VALID_SCALED_JACOBIAN = 1e-6
REPORT = re.compile(r" Output data error: element (\d+) of subregion (\S*) is inverted or degenerate")


PLANE = re.compile(r"^\s*R\S*\s+PLANE\b", re.M)
CURVED = re.compile(r"^\s*R\S*\s+(CYLINDER|REV2?|SPHERE|BILINEAR|TRIANGULAR|EDGE)\b|^\s*(HOLE|TREE)\b", re.M)


def curved_models(folders=("tests/models", "examples")):
    """Models with a curved subregion, a hole or a tree."""
    paths = []
    for folder in folders:
        d = os.path.join(ROOT, folder)
        for name in sorted(os.listdir(d)):
            if name.endswith(".sur") and not name.startswith("refused_"):
                text = open(os.path.join(d, name)).read()
                if CURVED.search(text) or name.startswith(("holes_", "trees_", "curved_", "cylinder_", "tri_")):
                    paths.append(os.path.join(d, name))
    return paths


def plane_models(folders=("tests/models", "examples")):
    paths = []
    for folder in folders:
        d = os.path.join(ROOT, folder)
        for name in sorted(os.listdir(d)):
            if name.endswith(".sur"):
                text = open(os.path.join(d, name)).read()
                refused = name.startswith("refused_")
                if re.search(r"^\s*R\S*\s+PLANE\b", text, re.M) and "nonplanar" not in name and not refused:
                    paths.append(os.path.join(d, name))
    return paths


def sections(lines):
    """Yields (index, section, tokens) for every data line."""
    section = None
    for i, line in enumerate(lines):
        tokens = line.split()
        if not tokens or tokens[0].startswith("*"):
            continue
        if tokens[0] in ("POINTS", "CURVES", "SUBREGIONS", "END"):
            section = tokens[0]
            continue
        yield i, section, tokens


def changeable(lines, in_space=False):
    """(line, token position, kind) of every number worth changing."""
    spots = []
    for i, section, tokens in sections(lines):
        if section == "POINTS" and len(tokens) >= 4:
            spots += [(i, 1, "coord"), (i, 2, "coord")] + ([(i, 3, "coord")] if in_space else [])
        elif section in ("CURVES", "SUBREGIONS"):
            for k, t in enumerate(tokens[:-1]):
                if t == "STEP":
                    spots.append((i, k + 1, "step"))
                elif t == "REF":
                    spots.append((i, k + 1, "ref"))
    return spots


def extent(lines):
    xs, ys = [], []
    for _, section, tokens in sections(lines):
        if section == "POINTS" and len(tokens) >= 4:
            xs.append(float(tokens[1]))
            ys.append(float(tokens[2]))
    return max(max(xs) - min(xs), max(ys) - min(ys), 1e-3)


def mutate(text, rng, in_space=False):
    lines = text.splitlines()
    spots = changeable(lines, in_space)
    size = extent(lines)
    # A curved surface bends within its extent: smaller moves keep more of them meshable.
    move = 0.1 if in_space else 0.3
    for _ in range(rng.randint(1, 4)):
        i, k, kind = rng.choice(spots)
        tokens = lines[i].split()
        value = float(tokens[k])
        if kind == "coord":
            value += rng.uniform(-move, move) * size
        elif kind == "step":
            value *= rng.choice((0.4, 0.5, 0.7, 1.3, 1.6, 2.0, 3.0)) * rng.uniform(0.9, 1.1)
        else:
            value = rng.uniform(0.0, 0.35)
        tokens[k] = "%.6g" % value
        lines[i] = " ".join(tokens)
    return "\n".join(lines) + "\n"


def read_m3d(path):
    nodes, elements = {}, []
    with open(path) as f:
        for line in f:
            if line.startswith("Node :"):
                p = line.split()
                nodes[int(p[2])] = tuple(float(v) for v in p[3:6])
            elif line.startswith("Element :"):
                p = line.split()
                elements.append((int(p[2]), [int(v) for v in p[3:7]], p[7] if len(p) > 7 else ""))
    return nodes, elements


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def scaled_jacobian(p):
    """Smallest corner scaled Jacobian against the mean normal."""
    normals, lengths = [], []
    for k in range(4):
        a, b = sub(p[(k + 1) % 4], p[k]), sub(p[(k + 3) % 4], p[k])
        normals.append(cross(a, b))
        lengths.append(math.sqrt(dot(a, a) * dot(b, b)))
    mean = tuple(sum(n[c] for n in normals) for c in range(3))
    size = math.sqrt(dot(mean, mean))
    if size == 0:
        return 0.0
    return min(dot(n, mean) / (size * l) if l else 0.0 for n, l in zip(normals, lengths))


def invalid_elements(m3d):
    nodes, elements = read_m3d(m3d)
    return {(e, name) for e, corners, name in elements
            if scaled_jacobian([nodes[c] for c in corners]) < MIN_VALID_SCALED_JACOBIAN}


# A sanitized build reserves terabytes of address space for its shadow
# memory: --sanitized leaves the address-space limit off.
ADDRESS_LIMIT = [4 << 30]


def limited():
    """Child limits: a runaway run stops at 60 s of processor time or 4 GB."""
    resource.setrlimit(resource.RLIMIT_CPU, (60, 60))
    if ADDRESS_LIMIT[0]:
        resource.setrlimit(resource.RLIMIT_AS, (ADDRESS_LIMIT[0], ADDRESS_LIMIT[0]))


def run_one(korvex, text, folder, cost=None):
    """Meshes one model: (outcome, invalid elements, reported elements).
    cost, when given, receives the run's seconds and megabytes."""
    model = os.path.join(folder, "model.sur")
    for leftover in ("model.m3d", "model.LOG"):
        if os.path.exists(os.path.join(folder, leftover)):
            os.remove(os.path.join(folder, leftover))
    with open(model, "w") as f:
        f.write(text)
    start = time.monotonic()
    child = subprocess.Popen([korvex, model], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             preexec_fn=limited)
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    if cost is not None:
        cost[:] = [time.monotonic() - start, usage.ru_maxrss / 1024.0]
    if child.returncode < 0:
        return ("timeout" if -child.returncode in (signal.SIGXCPU, signal.SIGKILL) else "crash"), set(), set()
    rc = child.returncode
    m3d = os.path.join(folder, "model.m3d")
    if rc != 0 or not os.path.exists(m3d):
        return "failed", set(), set()
    log = open(os.path.join(folder, "model.LOG"), errors="replace").read()
    reported = {(int(e), s) for e, s in REPORT.findall(log)}
    return "meshed", invalid_elements(m3d), reported


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--korvex", default=os.path.join(ROOT, "build", "korvex"))
    ap.add_argument("--runs", type=int, default=400)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--max-rate", type=float, default=1 / 200)
    ap.add_argument("--keep", default=None, help="default build-fuzz/FAMILY_findings")
    ap.add_argument("--family", choices=("plane", "curved"), default="plane")
    ap.add_argument("--max-seconds", type=float, default=2.0)
    ap.add_argument("--max-mb", type=float, default=1024.0)
    ap.add_argument("--models", default=None, help="take the models from this folder instead of the project's")
    ap.add_argument("--sanitized", action="store_true", help="the command is a sanitized build: no address-space limit")
    args = ap.parse_args()
    if args.sanitized:
        ADDRESS_LIMIT[0] = 0
    args.keep = args.keep or os.path.join(ROOT, "build-fuzz", args.family + "_findings")
    korvex = os.path.abspath(args.korvex)
    rng = random.Random(args.seed)
    in_space = args.family == "curved"
    folders = (os.path.abspath(args.models),) if args.models else ("tests/models", "examples")
    models = curved_models(folders) if in_space else plane_models(folders)
    counts = {"meshed": 0, "failed": 0, "timeout": 0, "crash": 0}
    with_invalid, unreported, known_hard = [], [], 0
    with tempfile.TemporaryDirectory() as folder:
        hard = {m for m in models if run_one(korvex, open(m).read(), folder)[1]}
        for run in range(1, args.runs + 1):
            source = rng.choice(models)
            original = open(source).read()
            # Points of plates stay in their plane; those of curved surfaces move in space.
            text = mutate(original, rng, in_space and not PLANE.search(original))
            cost = []
            outcome, invalid, reported = run_one(korvex, text, folder, cost)
            counts[outcome] += 1
            if outcome in ("timeout", "crash"):
                unreported.append((run, source, text, outcome))
            elif cost[0] > args.max_seconds or cost[1] > args.max_mb:
                unreported.append((run, source, text, "%s after %.1f s, %.0f MB" % (outcome, cost[0], cost[1])))
            if source in hard:
                known_hard += outcome == "meshed"
            elif invalid:
                with_invalid.append((run, source, text, "reported"))
            if invalid and not invalid <= reported:
                unreported.append((run, source, text, "unreported: %s" % sorted(invalid - reported)))
    for run, source, text, what in with_invalid + unreported:
        os.makedirs(args.keep, exist_ok=True)
        kept = os.path.join(args.keep, "run%04d_%s" % (run, os.path.basename(source)))
        with open(kept, "w") as f:
            f.write(text)
        print("run %d (%s): %s -> %s" % (run, os.path.basename(source), what, kept))
    meshed = counts["meshed"] - known_hard
    print("%d runs: %d meshed, %d failed, %d timed out, %d crashed; %d meshes with invalid elements (%.1f %% of %d counted),"
          " %d not reported or too slow"
          % (args.runs, counts["meshed"], counts["failed"], counts["timeout"], counts["crash"], len(with_invalid),
             100.0 * len(with_invalid) / max(meshed, 1), meshed, len(unreported)))
    if hard:
        print("(%d meshed changes of %s, whose own mesh is invalid, are not in the rate)"
              % (known_hard, ", ".join(sorted(os.path.basename(m) for m in hard))))
    too_many = meshed and len(with_invalid) > args.max_rate * meshed
    return 1 if unreported or too_many else 0


if __name__ == "__main__":
    sys.exit(main())
