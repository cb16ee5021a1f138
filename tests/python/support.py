"""Shared set-up of the Python tests: paths from the environment CTest gives,
a scratch folder per test, the command and the shared mesh checker."""
import os
import shutil
import subprocess
import tempfile
import unittest

MODELS = os.environ.get("KORVEX_TEST_MODELS", "")
COMMAND = os.environ.get("KORVEX_CLI", "")
CHECKER = os.environ.get("KORVEX_MESH_CHECK", "")
EXAMPLES = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(MODELS))), "examples") if MODELS else ""


class ScratchTest(unittest.TestCase):
    """Each test works in a folder of its own."""

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="korvex_py_")
        self.addCleanup(shutil.rmtree, self.folder, True)

    def model(self, name, folder=None):
        """Copies a test model (a name in the test models, or a path) into the
        folder, or a sub-folder of it; returns its path."""
        target = os.path.join(self.folder, folder) if folder else self.folder
        os.makedirs(target, exist_ok=True)
        path = os.path.join(target, os.path.basename(name))
        shutil.copy(os.path.join(MODELS, name), path)
        return path

    def write(self, name, text):
        path = os.path.join(self.folder, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    def korvex(self, *args, status=0):
        """Runs the command in the folder; returns its standard output."""
        r = subprocess.run([COMMAND, *args], cwd=self.folder, capture_output=True, text=True)
        self.assertEqual(r.returncode, status, r.stdout[-2000:] + r.stderr)
        return r.stdout

    def assert_valid_mesh(self, m3d):
        """The shared mesh checker accepts the result file; returns its
        smallest scaled Jacobian."""
        r = subprocess.run([CHECKER, m3d], capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        return float(r.stdout.split()[-1])

    def assert_valid(self, mesh):
        """The shared mesh checker accepts a Mesh, written as a result file."""
        path = os.path.join(self.folder, "checked.m3d")
        mesh.write(path)
        return self.assert_valid_mesh(path)
