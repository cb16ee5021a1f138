"""The module as a front door: quiet runs, failures that say why, out_dir,
arrays and meshio, exports and figures, many models at once, pip install."""
import contextlib
import importlib.metadata
import importlib.util
import io
import json
import os
import shutil
import subprocess
import sys
import textwrap
import unittest
import warnings
from unittest import mock

import korvex
from korvex import arrays
from support import ScratchTest
from test_builder import sphere_cap

HAS_NUMPY = importlib.util.find_spec("numpy") is not None
HAS_MESHIO = HAS_NUMPY and importlib.util.find_spec("meshio") is not None
HAS_DISTRIBUTED = importlib.util.find_spec("distributed") is not None

def _can_build_offline():
    """pip and a setuptools that builds wheels without downloading: one of
    70 or later, or an older one with the wheel package beside it."""
    if importlib.util.find_spec("pip") is None or importlib.util.find_spec("setuptools") is None:
        return False
    major = int(importlib.metadata.version("setuptools").split(".")[0])
    return major >= 70 or importlib.util.find_spec("wheel") is not None


HAS_PIP = _can_build_offline()
SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(korvex.__file__)))

# A plate with two bolt holes and a stiffener standing on its bottom edge,
# built in code, meshed, and a failed run besides: the script prints only
# the shape of the points.
SCRIPT = textwrap.dedent("""
    import math, korvex
    m = korvex.Model("Plate with two bolt holes and a stiffener")
    c = [m.point(x, y, 0) for x, y in [(0, 0), (12, 0), (12, 6), (0, 6)]]
    foot = m.point(6, 0, 0)
    sides = [m.line(c[0], foot, 0.5), m.line(foot, c[1], 0.5)] + [m.line(c[k], c[(k + 1) % 4], 0.5) for k in (1, 2, 3)]
    holes = []
    for cx in (3, 9):
        p = [m.point(cx + math.cos(k * math.pi / 4), 3 + math.sin(k * math.pi / 4), 0) for k in range(8)]
        holes.append([m.arc(p[k], p[k + 1], p[(k + 2) % 8], 0.25) for k in (0, 2, 4, 6)])
    stiffener = m.line(foot, m.point(6, 1.5, 0), 0.5)
    m.plane(sides, holes=holes, trees=[[stiffener]])
    mesh = m.mesh(out_dir={out!r})
    try:
        korvex.mesh("absent.sur")
    except korvex.MeshError:
        pass
    print(mesh.points.shape if hasattr(mesh.points, "shape") else len(mesh.points))
""")


class QuietTest(ScratchTest):
    def test_a_script_prints_only_its_own_output(self):
        out = os.path.join(self.folder, "out")
        r = subprocess.run([sys.executable, "-c", SCRIPT.format(out=out)], cwd=self.folder, capture_output=True,
                           text=True)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stderr, "")
        lines = r.stdout.splitlines()
        self.assertEqual(len(lines), 1, r.stdout)
        self.assertRegex(lines[0], r"^\(\d+, 3\)$" if HAS_NUMPY else r"^\d+$")
        self.assert_valid_mesh(os.path.join(out, "model.m3d"))

    def test_verbose_echoes_the_messages(self):
        path = self.model("plane_square_10x10.sur")
        echoed = io.StringIO()
        with contextlib.redirect_stdout(echoed):
            m = korvex.mesh(path, verbose=True)
        self.assertEqual(echoed.getvalue(), m.messages)


class FailureTest(ScratchTest):
    def test_a_failure_says_why(self):
        cases = {
            "missing file": ("absent.sur", None, {}, " No such file: "),
            "wrong extension": ("plate.txt", "x", {}, " File: "),
            "a word for a number": ("broken.sur", "Plate\nPOINTS\nP1 0 0\nEND\n", {}, " No number for the z coordinate of point P1 before END"),
            "unknown point": ("lost.sur", "Plate\nPOINTS\nP1 0 0 0\nCURVES\nQL1 P1 P7 STEP 1\nSUBREGIONS\n"
                              "R1 PLANE QL1 REF 0.2\nEND\n", {}, "Cannot locate point P7"),
            "capacity": ("plane_two_plates.sur", None, {"max_subregions": 1}, " Increase MAX_SUBREGIONS"),
        }
        for what, (name, text, settings, reason) in cases.items():
            with self.subTest(what):
                if text is not None:
                    path = self.write(name, text)
                elif what == "capacity":
                    path = self.model(name)
                else:
                    path = os.path.join(self.folder, name)
                with self.assertRaises(korvex.MeshError) as caught:
                    korvex.mesh(path, **settings)
                e = caught.exception
                first, _, why = str(e).partition("\n")
                self.assertEqual(first, f"meshing {path} failed:")
                self.assertTrue(why.startswith(reason), str(e))
                self.assertTrue(e.messages.endswith(why), e.messages)  # from the first error on
                self.assertTrue(e.messages.endswith("Fatal error occurred"))
                log = path[:-3] + "LOG"
                if os.path.exists(log):
                    with open(log) as f:
                        self.assertEqual(f.read(), "KORVEX:  log file. \n" + e.messages)

    def test_out_dir_takes_the_result_and_the_log(self):
        path = self.model("plane_two_plates.sur")
        out = os.path.join(self.folder, "results")
        m = korvex.mesh(path, out_dir=out)
        self.assertEqual(sorted(os.listdir(out)), ["plane_two_plates.LOG", "plane_two_plates.m3d"])
        self.assertFalse(os.path.exists(path[:-3] + "m3d"))
        self.assertEqual(m.path, os.path.join(out, "plane_two_plates.m3d"))
        self.assertIn(f"\nProblem name: {path}\n", m.messages)
        with open(os.path.join(out, "plane_two_plates.LOG")) as log:
            self.assertEqual(log.read(), "KORVEX:  log file. \n" + m.messages)
        self.korvex(path)
        with open(path[:-3] + "m3d", "rb") as a, open(m.path, "rb") as b:
            self.assertEqual(a.read(), b.read())


class ArraysTest(ScratchTest):
    def setUp(self):
        super().setUp()
        self.path = self.model("plane_two_plates.sur")
        self.mesh = korvex.mesh(self.path)
        self.assert_valid_mesh(self.path[:-3] + "m3d")

    @unittest.skipUnless(HAS_NUMPY, "NumPy is not installed")
    def test_arrays_number_nodes_from_zero(self):
        points, quads = self.mesh.points, self.mesh.quads
        self.assertEqual((points.shape, points.dtype.kind), ((len(self.mesh.nodes), 3), "f"))
        self.assertEqual((quads.shape, quads.dtype.kind), ((len(self.mesh.elements), 4), "i"))
        self.assertEqual(points.tolist(), [list(p) for p in self.mesh.nodes])
        self.assertEqual((quads + 1).tolist(), [list(e) for e in self.mesh.elements])

    def test_without_numpy_the_arrays_are_lists(self):
        with mock.patch.object(arrays, "numpy", None):
            self.assertEqual(self.mesh.points, self.mesh.nodes)
            self.assertEqual(self.mesh.quads, [tuple(n - 1 for n in e) for e in self.mesh.elements])

    @unittest.skipUnless(HAS_MESHIO, "meshio is not installed")
    def test_to_meshio_round_trips_through_vtu(self):
        import meshio
        import numpy
        with open(self.path[:-3] + "m3d") as f:
            text = f.read()
        written = os.path.join(self.folder, "round.vtu")
        self.mesh.to_meshio().write(written)
        exported = os.path.join(self.folder, "exported.vtu")
        self.mesh.write(exported)
        for path in (written, exported):
            with self.subTest(os.path.basename(path)):
                back = meshio.read(path)
                self.assertEqual(len(back.points), text.count("\nNode : "))
                self.assertEqual([(b.type, len(b.data)) for b in back.cells], [("quad", text.count("\nElement : "))])
                numpy.testing.assert_allclose(back.points, self.mesh.points, rtol=1e-12)
                numpy.testing.assert_array_equal(back.cells[0].data, self.mesh.quads)
                names, numbers = self.mesh.subregion_numbers()
                numpy.testing.assert_array_equal(back.cell_data["subregion"][0], numbers)
        self.assertEqual(sorted(self.mesh.to_meshio().field_data), ["R1", "R2"])

    def test_write_and_quality_are_the_commands(self):
        m3d = self.path[:-3] + "m3d"
        for extension, form in {".bdf": "nastran", ".inp": "abaqus", ".vtu": "vtk", ".msh": "msh", ".m3d": None}.items():
            with self.subTest(extension):
                mine = os.path.join(self.folder, "mine" + extension)
                self.mesh.write(mine)
                if form is None:
                    theirs = m3d
                else:
                    theirs = os.path.join(self.folder, "theirs" + extension)
                    self.korvex("export", m3d, "--format", form, "-o", theirs)
                with open(mine, "rb") as a, open(theirs, "rb") as b:
                    self.assertEqual(a.read(), b.read())
        with self.assertRaisesRegex(ValueError, "^path: unknown extension '.stl'"):
            self.mesh.write(os.path.join(self.folder, "x.stl"))
        self.assertEqual(self.mesh.quality(), json.loads(self.korvex("quality", m3d, "--json")))


def _broken(folder):
    path = os.path.join(folder, "broken.sur")
    with open(path, "w") as f:
        f.write("Plate\nPOINTS\nP1 0 0\nEND\n")
    return path


class ManyTest(ScratchTest):
    NAMES = ["plane_two_plates.sur", "cylinder_with_flange.sur", "trees_branching.sur"]

    def inputs(self, folder):
        return [*(self.model(n, folder) for n in self.NAMES), sphere_cap(), _broken(os.path.join(self.folder, folder)),
                os.path.join(self.folder, folder, "absent.sur")]

    def assert_as_one_by_one(self, results, folder):
        self.assertEqual(len(results), 6)
        for name, m in zip(self.NAMES, results):
            alone = korvex.mesh(self.model(name, "alone"))
            self.assertEqual((m.nodes, m.elements, m.element_subregions),
                             (alone.nodes, alone.elements, alone.element_subregions))
            self.assertEqual(m.path, os.path.join(self.folder, folder, name[:-3] + "m3d"))
            with open(m.path, "rb") as a, open(alone.path, "rb") as b:
                self.assertEqual(a.read(), b.read())
            self.assert_valid_mesh(m.path)
        cap = sphere_cap().mesh()
        self.assertEqual((results[3].nodes, results[3].elements), (cap.nodes, cap.elements))
        self.assertIsNone(results[3].path)
        self.assert_valid(results[3])
        for failed, reason in zip(results[4:], [" No number for the z coordinate of point P1 before END", " No such file: "]):
            self.assertIsInstance(failed, korvex.MeshError)
            self.assertIn("\n" + reason, str(failed))
            self.assertTrue(failed.messages.endswith("Fatal error occurred"))
        self.assertTrue(os.path.exists(os.path.join(self.folder, folder, "broken.LOG")))

    def test_two_processes_mesh_as_one_by_one(self):
        results = korvex.mesh_many(self.inputs("many"), workers=2)
        self.assert_as_one_by_one(results, "many")

    def test_out_dir_takes_every_result(self):
        out = os.path.join(self.folder, "out")
        korvex.mesh_many([self.model(self.NAMES[0], "in"), sphere_cap()], workers=2, out_dir=out)
        self.assertEqual(sorted(os.listdir(out)), ["model1.LOG", "model1.m3d", "plane_two_plates.LOG",
                                                   "plane_two_plates.m3d"])

    @unittest.skipUnless(HAS_DISTRIBUTED, "Dask distributed is not installed")
    def test_a_local_dask_cluster_meshes_as_one_by_one(self):
        from distributed import Client, LocalCluster
        warnings.simplefilter("ignore", DeprecationWarning)  # of the cluster's own event loop
        with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
                Client(cluster) as client:
            results = korvex.mesh_many(self.inputs("cluster"), client=client)
        self.assert_as_one_by_one(results, "cluster")


@unittest.skipUnless(HAS_PIP, "pip, setuptools or wheel is not installed")
class PipInstallTest(ScratchTest):
    def test_pip_installs_the_module_offline(self):
        source = os.path.join(self.folder, "source")
        shutil.copytree(SOURCE, source, ignore=shutil.ignore_patterns("__pycache__", "build", "*.egg-info"))
        target = os.path.join(self.folder, "target")
        r = subprocess.run([sys.executable, "-m", "pip", "install", "--no-build-isolation", "--no-deps", "--no-index",
                            "--disable-pip-version-check", "--target", target, source],
                           capture_output=True, text=True, cwd=self.folder)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        path = self.model("plane_square_10x10.sur")
        env = dict(os.environ, PYTHONPATH=target)
        r = subprocess.run([sys.executable, "-c", "import korvex; print(korvex.__file__); korvex.mesh('plane_square_10x10.sur')"],
                           capture_output=True, text=True, cwd=self.folder, env=env)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertTrue(r.stdout.startswith(os.path.join(target, "korvex")), r.stdout)
        self.assert_valid_mesh(path[:-3] + "m3d")


if __name__ == "__main__":
    unittest.main()
