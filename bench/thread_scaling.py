#!/usr/bin/env python3
"""Meshing on 1, 2 and all cores: whole runs of the library on generated
models, each in a process of its own, with wall time, CPU time (all
threads), the process's peak memory and the share of the wall time spent
outside the subregion stage (reading, preprocessing, the cuts along trees
and holes, names, numbering, bandwidth and the result file: the parts that
stay on one thread). The subregion stage is timed from the message that
opens it to the one that opens the postprocessing; its merges stay in order too, so the share is a lower
bound of the serial part.

  thread_scaling.py LIBKORVEX [--large] [--threads 1,2,4]

--large adds the 10^7-element model of 16 plates (slow: minutes and
gigabytes). The peak includes the Python interpreter's few megabytes."""
import argparse
import ctypes
import json
import os
import resource
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench_models  # noqa: E402


def cases(large):
    out = [
        ("plates4_1e6", "Four plates of 2.5 10^5 elements", bench_models.grid_of_plates(2, 0.02)),
        ("plates196", "196 plates sharing curves", bench_models.grid_of_plates(14, 0.25)),
        ("disc4_6e5", "Disc of four sectors at step 0.011", bench_models.disc_sectors(5.0, 0.011)),
        ("tank8_7e5", "Tank of eight shells, caps and skirts", bench_models.tank_ring(8, 10.0, 0.05)),
        ("plate1_1e6", "One plate of 10^6 elements", bench_models.one_plate(10.0, 0.01)),
    ]
    if large:
        out.append(("plates16_1e7", "Sixteen plates of 6.25 10^5 elements", bench_models.grid_of_plates(4, 0.0126)))
    return out


def one_run(lib_path, model, threads):
    """Runs in the measuring process: one GenerateQuads call, its figures as JSON."""
    os.environ["KORVEX_THREADS"] = str(threads)
    os.environ["KORVEX_MAX_CURVES_PER_EDGE"] = "4000"  # the single plate's boundary is cut into 10^3 pieces
    # The sixteen plates' curves are cut into more pieces, and more points
    # generated along them, than the default capacities allow.
    os.environ["KORVEX_MAX_CURVES"] = "100000"
    os.environ["KORVEX_MAX_NEW_POINTS"] = "1000000"
    lib = ctypes.CDLL(lib_path)
    marks = {}
    callback_type = ctypes.CFUNCTYPE(None, ctypes.c_char_p)

    def on_message(text):
        t = time.perf_counter()
        if b"Meshing begins" in text:
            marks["begin"] = t
        elif b"Postprocessing begins" in text:
            marks["end"] = t

    callback = callback_type(on_message)
    lib.SetMessageCallback(callback)
    lib.SetMeshParameters.argtypes = [ctypes.c_bool, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_int]
    lib.SetMeshParameters(False, 400, 150, 150, 20000000)
    argv = (ctypes.c_char_p * 3)(b"korvex", os.fsencode(model), None)
    usage0 = resource.getrusage(resource.RUSAGE_SELF)
    start = time.perf_counter()
    status = lib.GenerateQuads(2, argv)
    wall = time.perf_counter() - start
    usage1 = resource.getrusage(resource.RUSAGE_SELF)
    cpu = (usage1.ru_utime - usage0.ru_utime) + (usage1.ru_stime - usage0.ru_stime)
    stage = marks.get("end", start) - marks.get("begin", start)
    print(json.dumps({"status": status, "wall": wall, "cpu": cpu, "peak_mb": usage1.ru_maxrss / 1024.0,
                      "serial_share": max(0.0, 1.0 - stage / wall) if wall > 0 else 0.0}))


def measure(lib_path, model, threads):
    out = subprocess.run([sys.executable, os.path.abspath(__file__), "--one", lib_path, model, str(threads)],
                         cwd=os.path.dirname(model), capture_output=True, text=True)
    try:
        return json.loads(out.stdout.strip().splitlines()[-1])
    except (ValueError, IndexError):
        return {"status": -1, "wall": 0, "cpu": 0, "peak_mb": 0, "serial_share": 0}


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "--one":
        one_run(sys.argv[2], sys.argv[3], int(sys.argv[4]))
        return 0
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("library")
    parser.add_argument("--large", action="store_true")
    parser.add_argument("--threads", default=None, help="thread counts, comma-separated (default 1,2,cores)")
    args = parser.parse_args()
    cores = os.cpu_count() or 1
    counts = [int(t) for t in args.threads.split(",")] if args.threads else sorted({1, 2, cores})
    lib_path = os.path.abspath(args.library)
    print(f"{'model':<14} {'threads':>7} {'wall s':>8} {'cpu s':>8} {'peak MB':>8} {'serial %':>8}  status")
    with tempfile.TemporaryDirectory() as work:
        for key, title, parts in cases(args.large):
            model = os.path.join(work, key + ".sur")
            bench_models.write_model(model, title, parts)
            for threads in counts:
                r = measure(lib_path, model, threads)
                print(f"{key:<14} {threads:>7} {r['wall']:>8.2f} {r['cpu']:>8.2f} {r['peak_mb']:>8.0f} "
                      f"{100 * r['serial_share']:>8.1f}  {'ok' if r['status'] == 0 else 'failed'}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
