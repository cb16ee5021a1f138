#!/usr/bin/env python3
"""Checks that the folders of src/ form floors.

Every file of src/ belongs to the folder that holds it (cuts/holes,
patches/common, pipeline, ...; cuts/cuts.h belongs to cuts). A folder
includes another when one of its files has an #include "..." of a file
there. The check fails (exit status 1) when

  - the folder include graph has a cycle,
  - base/ includes anything outside base/,
  - output/ includes anything but base/ and output/,
  - a folder holds more than MAX_CPP_PER_FOLDER .cpp files directly,
  - a folder includes one on a higher floor of FLOORS, or one on no floor.

Folders on one floor (and the rooms of one folder with their parent) may
include each other as long as no cycle results.

  check_layers.py [--src DIR]          the check
  check_layers.py [--src DIR] --graph  the folder include graph, with counts
  check_layers.py --self-test          the cycle search on small graphs
"""

import argparse
import os
import re
import sys

# The engine from the ground floor up: a folder may include folders of its
# own floor and of the floors below. Rooms (cuts/holes, patches/plane, ...)
# stand on the floor of their top folder.
FLOORS = (
    ("base",),                # message route, settings, arrays, names, Vec3, limits
    ("model",),               # records, Run context, mesh containers
    ("curves", "trelmo"),     # nodes along curves; the 2D generator
    ("input",),               # reader, checks, general preprocessor
    ("planar",),              # kernels of plane subregions
    ("refinement",),          # plane subregions before the curve nodes
    ("cuts",),                # holes, trees and their connectors
    ("patches",),             # one room per mesher; a mesher returns a patch mesh
    ("assembly",),            # global merge of patch meshes, names, bandwidth
    ("pipeline",),            # Korvex(): the stages in order
    ("interface",),           # the exported C functions and the driver
)

# Folders outside the engine and the top folders each may include.
OUTSIDE = {
    "output": ("base", "output"),
    "cad": ("base", "output", "cad"),
}

MAX_CPP_PER_FOLDER = 25
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp", ".inc")
INCLUDE_LINE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def top_of(folder):
    return folder.split("/", 1)[0]


def floor_index():
    index = {}
    for level, folders in enumerate(FLOORS):
        for folder in folders:
            index[folder] = level
    return index


def folder_of(path, src):
    rel = os.path.relpath(os.path.dirname(path), src)
    return "." if rel == "." else rel.replace(os.sep, "/")


def scan(src):
    """Returns (edges, cpp_counts): edges maps (from, to) to the list of
    (file, line number, included path) that make it; cpp_counts holds every
    folder with a source file, with its number of .cpp files."""
    edges = {}
    cpp_counts = {}
    for directory, subdirs, files in os.walk(src):
        subdirs.sort()
        for name in sorted(files):
            path = os.path.join(directory, name)
            folder = folder_of(path, src)
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            cpp_counts[folder] = cpp_counts.get(folder, 0) + (1 if name.endswith(".cpp") else 0)
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE_LINE.match(line)
                    if not m:
                        continue
                    target = resolve(m.group(1), directory, src)
                    if target is None:
                        continue  # a public header or a system one: not a folder of src/
                    to = folder_of(target, src)
                    if to == folder:
                        continue
                    where = (os.path.relpath(path, src).replace(os.sep, "/"), number, m.group(1))
                    edges.setdefault((folder, to), []).append(where)
    return edges, cpp_counts


def resolve(included, directory, src):
    """The file of src/ an include names (from src/, else from the including
    file's folder), or None when it is not in src/."""
    src_real = os.path.realpath(src)
    for base in (src, directory):
        candidate = os.path.realpath(os.path.join(base, included))
        if os.path.isfile(candidate) and os.path.commonpath([candidate, src_real]) == src_real:
            return candidate
    return None


def find_cycles(nodes, successors):
    """One cycle (a list of folders, first == last) per strongly connected
    part of more than one folder, in a stable order. Self-loops are ignored."""
    # Tarjan's algorithm, iterative so that deep graphs do not hit the recursion limit.
    index_of, low, on_stack, stack, parts = {}, {}, set(), [], []
    counter = 0
    for root in nodes:
        if root in index_of:
            continue
        work = [(root, iter(successors.get(root, ())))]
        index_of[root] = low[root] = counter
        counter += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, it = work[-1]
            advanced = False
            for nxt in it:
                if nxt not in index_of:
                    index_of[nxt] = low[nxt] = counter
                    counter += 1
                    stack.append(nxt)
                    on_stack.add(nxt)
                    work.append((nxt, iter(successors.get(nxt, ()))))
                    advanced = True
                    break
                if nxt in on_stack:
                    low[node] = min(low[node], index_of[nxt])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index_of[node]:
                part = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    part.append(member)
                    if member == node:
                        break
                if len(part) > 1:
                    parts.append(set(part))
    cycles = []
    for part in parts:
        start = min(part)
        cycles.append(shortest_cycle_through(start, part, successors))
    return sorted(cycles)


def shortest_cycle_through(start, part, successors):
    # Breadth-first from start inside the part, back to start.
    previous = {start: None}
    queue = [start]
    for node in queue:
        for nxt in successors.get(node, ()):
            if nxt not in part:
                continue
            if nxt == start:
                path = [node]
                while previous[path[-1]] is not None:
                    path.append(previous[path[-1]])
                path.reverse()
                return path + [start]
            if nxt not in previous:
                previous[nxt] = node
                queue.append(nxt)
    raise AssertionError("a strongly connected part without a cycle")


def graph_of(edges):
    successors = {}
    for a, b in sorted(edges):
        if a != b:
            successors.setdefault(a, []).append(b)
    return successors


def first_include(edges, a, b):
    where = edges[(a, b)]
    f, line, included = where[0]
    more = f" (and {len(where) - 1} more)" if len(where) > 1 else ""
    return f'{f}:{line} #include "{included}"{more}'


def violations(edges, cpp_counts):
    found = []
    floors = floor_index()
    folders = sorted({f for e in edges for f in e} | set(cpp_counts))

    for folder in folders:
        top = top_of(folder)
        if top not in floors and top not in OUTSIDE:
            found.append(f"folder {folder}/ is on no floor: add it to FLOORS in this script")

    for folder, count in sorted(cpp_counts.items()):
        if count > MAX_CPP_PER_FOLDER:
            found.append(f"folder {folder}/ holds {count} .cpp files (at most {MAX_CPP_PER_FOLDER}): "
                         f"split it into rooms")

    for (a, b) in sorted(edges):
        ta, tb = top_of(a), top_of(b)
        if ta == "base" and tb != "base":
            found.append(f"base/ includes only base/, but {a} includes {b}: {first_include(edges, a, b)}")
        elif ta in OUTSIDE:
            if tb not in OUTSIDE[ta]:
                allowed = " and ".join(f"{x}/" for x in OUTSIDE[ta])
                found.append(f"{ta}/ includes only {allowed}, but {a} includes {b}: {first_include(edges, a, b)}")
        elif ta in floors:
            if tb in OUTSIDE:
                found.append(f"{a} includes {b}, which is outside the engine: {first_include(edges, a, b)}")
            elif tb in floors and floors[tb] > floors[ta]:
                found.append(f"{a} includes {b}, which stands on a higher floor ({a}: floor {floors[ta] + 1}, "
                             f"{b}: floor {floors[tb] + 1}): {first_include(edges, a, b)}")

    successors = graph_of(edges)
    for cycle in find_cycles(folders, successors):
        steps = [f"  {a} -> {b}: {first_include(edges, a, b)}" for a, b in zip(cycle, cycle[1:])]
        found.append("folders include each other in a cycle: " + " -> ".join(cycle) + "\n" + "\n".join(steps))
    return found


def print_graph(edges, cpp_counts):
    floors = floor_index()

    def order(folder):
        top = top_of(folder)
        return (floors.get(top, len(FLOORS)), folder)

    folders = sorted({f for e in edges for f in e} | set(cpp_counts), key=order)
    for folder in folders:
        targets = sorted((b for (a, b) in edges if a == folder), key=order, reverse=True)
        listed = ", ".join(f"{b} ({len(edges[(folder, b)])})" for b in targets)
        print(f"{folder} -> {listed if listed else '(nothing)'}")


def self_test():
    # (graph as "a>b" edges, expected cycles)
    cases = (
        ("", []),
        ("a>b b>c a>c", []),
        ("a>a", []),                                    # a folder within itself is no cycle
        ("a>b b>a", [["a", "b", "a"]]),
        ("base>model model>curves curves>base", [["base", "model", "curves", "base"]]),
        ("a>b b>c c>b c>d", [["b", "c", "b"]]),         # the cycle is found below an acyclic start
        ("a>b b>a c>d d>e e>c", [["a", "b", "a"], ["c", "d", "e", "c"]]),
        ("a>b b>c c>a c>b", [["a", "b", "c", "a"]]),    # one tangled part gives one cycle
        ("a>d d>a a>b b>c c>a", [["a", "d", "a"]]),     # the shortest cycle through the part's first folder
    )
    failures = 0
    for text, expected in cases:
        edges = {tuple(e.split(">")): [("x", 1, "x")] for e in text.split()}
        nodes = sorted({n for e in edges for n in e})
        got = find_cycles(nodes, graph_of(edges))
        if got != expected:
            failures += 1
            print(f"FAIL {text!r}: expected {expected}, got {got}")
    # Every edge of a long chain closed at its end: the search must not recurse.
    chain = {(f"n{i:05d}", f"n{i + 1:05d}"): [] for i in range(5000)}
    chain[("n05000", "n00000")] = []
    got = find_cycles(sorted({n for e in chain for n in e}), graph_of(chain))
    if len(got) != 1 or len(got[0]) != 5002:
        failures += 1
        print("FAIL long chain: expected one cycle through 5001 folders")
    print(f"{len(cases) + 1 - failures} of {len(cases) + 1} cycle searches right")
    return 1 if failures else 0


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Checks that the folders of src/ form floors.")
    parser.add_argument("--src", default=os.path.join(here, "..", "..", "src"), help="the source folder")
    parser.add_argument("--graph", action="store_true", help="print the folder include graph and stop")
    parser.add_argument("--self-test", action="store_true", help="test the cycle search and stop")
    args = parser.parse_args()

    if args.self_test:
        return self_test()
    if not os.path.isdir(args.src):
        print(f"check_layers: no folder {args.src}", file=sys.stderr)
        return 2
    edges, cpp_counts = scan(args.src)
    if args.graph:
        print_graph(edges, cpp_counts)
        return 0
    found = violations(edges, cpp_counts)
    for v in found:
        print("LAYERS: " + v)
    if found:
        print(f"{len(found)} layering violation(s) in {os.path.normpath(args.src)}")
        return 1
    print(f"{len({f for e in edges for f in e} | set(cpp_counts))} folders form floors")
    return 0


if __name__ == "__main__":
    sys.exit(main())
