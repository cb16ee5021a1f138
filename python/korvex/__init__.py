"""Korvex from Python: meshes a surface model (.sur) through the library's C
interface and reads result files (.m3d). Standard library only (ctypes).

    import korvex
    m = korvex.mesh("plate.sur", max_subregions=300)
    print(len(m.nodes), len(m.elements), m.element_subregions[0])

The library is found through the KORVEX_LIBRARY environment variable, then
beside an installed copy of this module, then in the build folder of the
source tree.
"""
import ctypes
import ctypes.util
import os
import pathlib
import threading

__all__ = ["Mesh", "MeshError", "mesh", "read_m3d", "library_path"]

_LIBRARY_NAMES = ("libkorvex.so", "libkorvex.so.4")


class MeshError(Exception):
    """A failed run; .messages holds the run's messages as one string."""

    def __init__(self, text, messages=""):
        super().__init__(text)
        self.messages = messages


class Mesh:
    """A quadrilateral mesh numbered as in the result file: node k is
    nodes[k - 1] = (x, y, z); element k is elements[k - 1], four node
    numbers, in subregion element_subregions[k - 1]."""

    def __init__(self, title="", nodes=None, node_names=None, elements=None, element_subregions=None, messages=""):
        self.title = title
        self.nodes = nodes or []
        self.node_names = node_names or []
        self.elements = elements or []
        self.element_subregions = element_subregions or []
        self.messages = messages

    def __repr__(self):
        return f"<korvex.Mesh {len(self.nodes)} nodes, {len(self.elements)} elements>"


def _candidates():
    here = pathlib.Path(__file__).resolve().parent
    try:
        from . import _location  # written by the installation
        yield (here / _location.LIBRARY_DIR).resolve()
    except ImportError:
        pass
    root = here.parent.parent  # the source tree, when the module is used from it
    yield root / "build"


def library_path():
    """The path of the shared library this module loads."""
    explicit = os.environ.get("KORVEX_LIBRARY")
    if explicit:
        return explicit
    for folder in _candidates():
        for name in _LIBRARY_NAMES:
            if (folder / name).is_file():
                return str(folder / name)
    found = ctypes.util.find_library("korvex")
    if found:
        return found
    raise OSError("the korvex library was not found: set KORVEX_LIBRARY to its path")


_MessageCallback = ctypes.CFUNCTYPE(None, ctypes.c_char_p)
_library = None
_run_lock = threading.Lock()  # the library runs one mesh at a time per process


def _load():
    global _library
    if _library is None:
        lib = ctypes.CDLL(library_path())
        lib.SetMessageCallback.argtypes = [_MessageCallback]
        lib.SetMessageCallback.restype = None
        lib.SetMeshParameters.argtypes = [ctypes.c_bool, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_int]
        lib.SetMeshParameters.restype = None
        lib.GenerateQuads.argtypes = [ctypes.c_int, ctypes.POINTER(ctypes.c_char_p)]
        lib.GenerateQuads.restype = ctypes.c_int
        _library = lib
    return _library


def mesh(path, *, tree_guard=False, max_subregions=200, max_curves_per_tree=150, max_points_per_tree=150,
         max_nodes=1000000):
    """Meshes the model at path (a .sur file) and returns its Mesh; the result
    file MODEL.m3d and the log MODEL.LOG are written beside the model as the
    command writes them. The settings are those of SetMeshParameters and
    apply to this run only. Raises MeshError when the run fails."""
    lib = _load()
    path = os.fspath(path)
    encoded = os.fsencode(path)
    messages = []

    def collect(text):
        messages.append(text.decode("utf-8", "replace"))

    callback = _MessageCallback(collect)
    argv = (ctypes.c_char_p * 3)(b"korvex", encoded, None)
    with _run_lock:
        lib.SetMeshParameters(bool(tree_guard), int(max_subregions), int(max_curves_per_tree),
                              int(max_points_per_tree), int(max_nodes))
        lib.SetMessageCallback(callback)
        try:
            result = lib.GenerateQuads(2, argv)
        finally:
            lib.SetMessageCallback(_MessageCallback())
            lib.SetMeshParameters(False, 200, 150, 150, 1000000)
    text = "".join(messages)
    base = path[:-3] if len(path) >= 3 else path
    # With a callback the library leaves only the log's first line: the rest
    # is added here, so the log reads as after a run of the command. A run
    # that created its log has reported the problem name right after.
    if any(m.startswith("\nProblem name: ") for m in messages):
        with open(base + "LOG", "a", encoding="utf-8", errors="replace") as log:
            log.write(text)
    if result != 0:
        raise MeshError(f"meshing {path} failed (the reason is in .messages)", text)
    result_mesh = read_m3d(base + "m3d")
    result_mesh.messages = text
    return result_mesh


def _fail(path, number, what):
    raise ValueError(f"{path}:{number}: {what}")


def read_m3d(path):
    """Reads a result file into a Mesh (with empty messages); raises
    ValueError naming the line of a format error."""
    path = os.fspath(path)
    with open(path, encoding="utf-8", errors="replace") as f:
        lines = f.read().split("\n")
    m = Mesh(title=lines[0].rstrip("\r"))
    at = 1

    def expect(word):
        nonlocal at
        if at >= len(lines) or lines[at].rstrip("\r") != word:
            _fail(path, at + 1, f"expected {word}")
        at += 1

    expect("NODES")
    while at < len(lines) and lines[at].startswith("Node"):
        w = lines[at].split()
        if len(w) < 6 or w[1] != ":" or int(w[2]) != len(m.nodes) + 1:
            _fail(path, at + 1, "bad node line")
        m.nodes.append((float(w[3]), float(w[4]), float(w[5])))
        m.node_names.append(w[6] if len(w) > 6 else "")
        at += 1
    expect("END_OF_NODES")
    expect("ELEMENTS")
    while at < len(lines) and lines[at].startswith("Element"):
        w = lines[at].split()
        if len(w) < 7 or w[1] != ":" or int(w[2]) != len(m.elements) + 1:
            _fail(path, at + 1, "bad element line")
        quad = tuple(int(v) for v in w[3:7])
        if not all(1 <= v <= len(m.nodes) for v in quad):
            _fail(path, at + 1, "element names a missing node")
        m.elements.append(quad)
        m.element_subregions.append(w[7] if len(w) > 7 else "")
        at += 1
    expect("END_OF_ELEMENTS")
    expect("END")
    return m
