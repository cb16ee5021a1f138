"""Many models at once: in worker processes on this machine, or on a Dask
distributed cluster.

Each run takes place in a fresh folder of its own (the engine keeps a
working file in the current folder), on the model's text: a worker needs
the library, not the caller's files. The result file and the log come back
as bytes and are written by the caller, beside each model file (or in
out_dir), exactly as korvex.mesh writes them.
"""
import concurrent.futures
import multiprocessing
import os
import shutil
import tempfile

from . import mesh as _mesh
from .model import Model


def _job(index, item, values):
    """(file name, model bytes or None, settings, name shown in messages, where
    the results go or None)."""
    if isinstance(item, Model):
        name = f"model{index}.sur"
        return (name, item.text().encode("ascii"), values, name), None
    path = os.fspath(item)
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        data = None  # the library reports the missing file in its own words
    return (os.path.basename(path) or "model.sur", data, values, path), path


def run_job(job):
    """Meshes one model in a private folder; returns a dict with the status,
    the messages and the bytes of the result file and the log."""
    name, data, values, shown = job
    folder = tempfile.mkdtemp(prefix="korvex-job-")
    try:
        if data is not None:
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
        status, messages = _mesh.run_model(name, values, shown=shown, cwd=folder)
        base = os.path.join(folder, name[:-3] if len(name) >= 3 else name)
        files = {}
        if os.path.isfile(base + "m3d"):
            with open(base + "m3d", "rb") as f:
                files["m3d"] = f.read()
        if _mesh.log_was_started(messages):
            with open(base + "LOG", "rb") as f:
                files["LOG"] = f.read() + "".join(messages).encode("utf-8", "replace")
        return {"status": status, "messages": messages, "files": files}
    except Exception as e:  # a failure of this run only: reported in its place
        return {"status": 1, "messages": [f"{type(e).__name__}: {e}\n"], "files": {}}
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def _outcome(result, shown, destination):
    """The Mesh or MeshError of one job's result, its files written out."""
    written = None
    if destination is not None:
        for extension, data in result["files"].items():
            with open(destination + extension, "wb") as f:
                f.write(data)
        if "m3d" in result["files"]:
            written = destination + "m3d"
    messages = result["messages"]
    text = "".join(messages)
    if result["status"] != 0 or "m3d" not in result["files"]:
        return _mesh.MeshError(f"meshing {shown} failed:\n" + _mesh.failure_text(messages, "Fatal error occurred"),
                               text)
    m = _mesh.parse_m3d(result["files"]["m3d"].decode("utf-8", "replace"), written or shown)
    m.messages = text
    m.path = written
    return m


def _local(jobs, workers):
    """Results of the jobs in worker processes, in order. A worker that dies
    takes down the pool: the jobs it left undone run again one pool each, so
    only the job that kills its worker fails."""
    context = multiprocessing.get_context("spawn")
    workers = max(1, min(workers or os.cpu_count() or 1, len(jobs)))
    results = [None] * len(jobs)
    with concurrent.futures.ProcessPoolExecutor(workers, mp_context=context) as pool:
        futures = [pool.submit(run_job, job) for job in jobs]
        for i, future in enumerate(futures):
            try:
                results[i] = future.result()
            except concurrent.futures.process.BrokenProcessPool:
                pass
    for i, job in enumerate(jobs):
        if results[i] is None:
            with concurrent.futures.ProcessPoolExecutor(1, mp_context=context) as pool:
                try:
                    results[i] = pool.submit(run_job, job).result()
                except concurrent.futures.process.BrokenProcessPool:
                    results[i] = {"status": 1, "messages": ["the worker process meshing this model died\n"],
                                  "files": {}}
    return results


def _cluster(jobs, client):
    futures = client.map(run_job, jobs, pure=False)
    results = []
    for future in futures:
        try:
            results.append(future.result())
        except Exception as e:  # the task was lost with its worker
            results.append({"status": 1, "messages": [f"{type(e).__name__}: {e}\n"], "files": {}})
    return results


def mesh_many(models, workers=None, client=None, *, out_dir=None, **settings):
    """Meshes many models: .sur paths and Model objects, mixed as needed.

    Runs in `workers` processes on this machine (default: one per core), or
    on the Dask distributed cluster of `client` when given. Returns one
    entry per model in input order: its Mesh, or the MeshError of a failed
    run in its place (the other models are meshed all the same). A model
    file's result file and log are written beside it, as korvex.mesh writes
    them; with out_dir they go there instead, a Model's as modelN.m3d and
    modelN.LOG (N its place in the input). The settings are those of
    korvex.mesh and apply to every run.

    Worker processes start afresh and import the calling script's main
    module: run mesh_many under `if __name__ == "__main__":`.
    """
    values = _mesh.settings_tuple(**settings)
    models = list(models)
    if out_dir is not None:
        out_dir = os.fspath(out_dir)
        os.makedirs(out_dir, exist_ok=True)
    jobs, destinations = [], []
    for index, item in enumerate(models):
        job, path = _job(index, item, values)
        jobs.append(job)
        stem = job[0][:-3] if len(job[0]) >= 3 else job[0]
        if out_dir is not None:
            destinations.append(os.path.join(out_dir, stem))
        elif path is not None and job[1] is not None:
            destinations.append(path[:-3] if len(path) >= 3 else path)
        else:
            destinations.append(None)
    if not jobs:
        return []
    results = _cluster(jobs, client) if client is not None else _local(jobs, workers)
    return [_outcome(r, job[3], d) for r, job, d in zip(results, jobs, destinations)]
