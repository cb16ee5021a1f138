#!/usr/bin/env python3
"""Byte-identity check of the result files: meshes every model of
tests/models, examples and a set of generated models with a given korvex
command and records or compares a digest of each .m3d (and of each .LOG
without its processing-time line).

  compare_outputs.py KORVEX record DIGESTS   write the digests of this build
  compare_outputs.py KORVEX check DIGESTS    compare with recorded digests

A change meant only to be faster or leaner records the digests with the
unchanged build first, then checks the changed build against them."""
import glob
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench_models  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TIME_LINE = "processing time"


def digest(path, skip_time=False):
    if not os.path.exists(path):
        return "missing"
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for line in f:
            if skip_time and TIME_LINE in line.decode("latin-1").lower():
                continue
            h.update(line)
    return h.hexdigest()


def models(work):
    """(key, path) of every model, copied or written into `work`."""
    out = []
    for pattern in ("tests/models/*.sur", "examples/*.sur"):
        for src in sorted(glob.glob(os.path.join(ROOT, pattern))):
            key = os.path.relpath(src, ROOT)
            dst = os.path.join(work, key.replace("/", "__"))
            shutil.copy(src, dst)
            out.append((key, dst))
    for key, title, parts in bench_models.COMPARISON_MODELS:
        path = os.path.join(work, "gen__" + key + ".sur")
        bench_models.write_model(path, title, parts)
        out.append(("generated/" + key, path))
    return out


def run_all(cmd):
    result = {}
    with tempfile.TemporaryDirectory() as work:
        for key, path in models(work):
            rc = subprocess.run([cmd, os.path.basename(path)], cwd=work, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL).returncode
            base = path[:-4]
            result[key] = f"{rc} {digest(base + '.m3d')} {digest(base + '.LOG', skip_time=True)}"
    return result


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in ("record", "check"):
        print(__doc__)
        return 2
    cmd, mode, digests = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3]
    now = run_all(cmd)
    if mode == "record":
        with open(digests, "w") as f:
            for key in sorted(now):
                f.write(f"{key} {now[key]}\n")
        print(f"recorded {len(now)} models")
        return 0
    ref = {}
    with open(digests) as f:
        for line in f:
            key, rest = line.rstrip("\n").split(" ", 1)
            ref[key] = rest
    bad = 0
    for key in sorted(set(ref) | set(now)):
        if ref.get(key) != now.get(key):
            bad += 1
            r, n = (ref.get(key) or "absent").split(" "), (now.get(key) or "absent").split(" ")
            what = ["exit status", ".m3d", ".LOG"]
            diff = [what[i] for i in range(min(len(r), len(n))) if r[i] != n[i]] or ["presence"]
            print(f"DIFFERENT {key}: {', '.join(diff)}")
    print(f"{len(now) - bad} of {len(now)} models identical" if bad else f"all {len(now)} models identical")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
