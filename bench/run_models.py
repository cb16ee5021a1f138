#!/usr/bin/env python3
"""Generates large plane models and meshes each with the korvex command,
reporting the median wall time, the peak memory of the run and the size of
the mesh. Usage: run_models.py KORVEX_COMMAND [REPEATS]"""
import os
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench_models import grid_of_plates, one_plate, write_model  # noqa: E402
import generator_scaling  # noqa: E402


def run_once(cmd, model):
    """Wall time, exit status and peak resident memory (MB) of one run."""
    rc, wall, _, peak = generator_scaling.run_once([cmd, model], os.path.dirname(model))
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
        ("grid_10x10", "100 plates sharing curves", grid_of_plates(10, 1.0)),
        ("grid_14x14", "196 plates sharing curves", grid_of_plates(14, 0.5)),
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
