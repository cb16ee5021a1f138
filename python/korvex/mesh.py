"""Meshing one model through the library, the Mesh it gives and result files.

Node and element numbering: in the lists (Mesh.nodes, Mesh.elements) an
element's four numbers are the node numbers of the result file, counted from
1 (node k is nodes[k - 1]); in the arrays (Mesh.points, Mesh.quads) they are
row indices into points, counted from 0.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

from . import _library

LOG_FIRST_LINE = "KORVEX:  log file. \n"
_PROBLEM = "\nProblem name: "
_EXPORT_FORMATS = {".bdf": "nastran", ".inp": "abaqus", ".vtu": "vtk", ".msh": "msh"}
# Words that open the report of a failure; the text of a MeshError starts at
# the first message holding one.
_FAILURE_WORDS = re.compile(r"error|increase |not found|too long|illegal|missing|invalid|no such file|not a valid|"
                            r"consider|not built|not supported|must |usage|unexpected|cannot|unsuccessful|"
                            r"refused|too opened|is not |isn.t |does not |doesn.t |fatal|not a number|no number|is empty|"
                            r"no section keyword|comes before|was expected", re.IGNORECASE)


class MeshError(Exception):
    """A failed run. Its text gives the reason (the messages from the first
    error on); .messages holds every message of the run as one string."""

    def __init__(self, text, messages=""):
        super().__init__(text)
        self.messages = messages

    def __reduce__(self):  # keeps .messages across processes
        return (type(self), (str(self), self.messages))


def settings_tuple(tree_guard=False, max_subregions=200, max_curves_per_tree=150, max_points_per_tree=150,
                   max_nodes=1000000, threads=None, max_curves_per_edge=None, max_curves=None,
                   max_new_points=None):
    """The run settings in the order of SetMeshParameters, then the thread
    count (None: KORVEX_THREADS, else the machine's cores) and
    MAX_CURVES_PER_EDGE (None: KORVEX_MAX_CURVES_PER_EDGE, else 500),
    MAX_CURVES and MAX_NEW_POINTS (None: KORVEX_MAX_CURVES and
    KORVEX_MAX_NEW_POINTS, else 5000 and 30000); an
    unknown name is a TypeError."""
    def optional(value):
        return None if value is None else max(1, int(value))
    return (bool(tree_guard), int(max_subregions), int(max_curves_per_tree), int(max_points_per_tree),
            int(max_nodes), optional(threads), optional(max_curves_per_edge), optional(max_curves),
            optional(max_new_points))


def _without_banner(console):
    """The console text after the library's banner: the usage line or the
    file-name error of a refused call, empty otherwise."""
    lines = console.splitlines(keepends=True)
    for i in range(len(lines) - 1, -1, -1):
        if re.fullmatch(r" R\*+R\n?", lines[i]):
            lines = lines[i + 1:]
            break
    return "".join(lines).lstrip("\n")


def failure_text(messages, fallback):
    """The reason of a failed run: its messages from the first error on."""
    for i, m in enumerate(messages):
        if _FAILURE_WORDS.search(m):
            return "".join(messages[i:]).strip("\n")
    tail = "".join(messages[-3:]).strip("\n")
    return tail or fallback


def run_model(path, settings, shown=None, cwd=None):
    """One run of the library on path. Returns (status, messages): the
    messages as a list, the console's refusal first when there is one, the
    model named as `shown` in the problem-name message when given. The log
    holds the messages as after a run of the command."""
    status, messages, console = _library.run_quietly(path, settings, cwd)
    printed = _without_banner(console)
    if printed:
        messages.insert(0, printed)
    if shown is not None:
        messages = [_PROBLEM + shown + "\n\n" if m == _PROBLEM + path + "\n\n" else m for m in messages]
    return status, messages


def log_was_started(messages):
    return any(m.startswith(_PROBLEM) for m in messages)


def _base(path):
    return path[:-3] if len(path) >= 3 else path


def mesh(path, *, out_dir=None, verbose=False, **settings):
    """Meshes the model at path (a .sur file) and returns its Mesh.

    The result file MODEL.m3d and the log MODEL.LOG are written beside the
    model as the command writes them, or in out_dir when given. Nothing is
    printed: the run's messages are in Mesh.messages (verbose=True echoes
    them on standard output). The settings (tree_guard, max_subregions,
    max_curves_per_tree, max_points_per_tree, max_nodes, threads,
    max_curves_per_edge, max_curves, max_new_points) are those
    of the command and hold for this run only. Raises MeshError when the run fails.
    """
    return mesh_file(os.fspath(path), settings_tuple(**settings), out_dir, verbose)


def mesh_file(path, values, out_dir=None, verbose=False, shown=None):
    """mesh() with the settings as a tuple; shown names the model in the
    messages in place of path."""
    if out_dir is None or not os.path.isfile(path):
        status, messages = run_model(path, values, shown)
        base = _base(path)
        _finish(status, messages, shown or path, base, verbose)
        return _result(base, "".join(messages), path)
    out_dir = os.fspath(out_dir)
    os.makedirs(out_dir, exist_ok=True)
    work = tempfile.mkdtemp(prefix="korvex-")
    try:
        copy = os.path.join(work, os.path.basename(path))
        shutil.copyfile(path, copy)
        status, messages = run_model(copy, values, shown=shown or path)
        work_base = _base(copy)
        try:
            _finish(status, messages, shown or path, work_base, verbose)
        finally:
            base = os.path.join(out_dir, os.path.basename(work_base))
            for extension in ("m3d", "LOG"):
                if os.path.exists(work_base + extension):
                    shutil.move(work_base + extension, base + extension)
        return _result(base, "".join(messages), path)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def _finish(status, messages, path, base, verbose):
    """Completes the log, echoes when asked and raises on a failure; returns
    nothing."""
    text = "".join(messages)
    # With a callback the library leaves only the log's first line: the rest
    # is added here. A run that created its log has named the model in it.
    if log_was_started(messages):
        with open(base + "LOG", "a", encoding="utf-8", errors="replace") as log:
            log.write(text)
    if verbose:
        sys.stdout.write(text)
        sys.stdout.flush()
    if status != 0:
        raise MeshError(f"meshing {path} failed:\n" + failure_text(messages, "Fatal error occurred"), text)


def _result(base, messages, model):
    result = read_m3d(base + "m3d")
    result.messages = messages
    result.model_text = _model_text(model)
    return result


def _model_text(path):
    """The text of the model file at path, or None when there is none."""
    try:
        with open(path, encoding="utf-8", errors="replace", newline="") as f:
            return f.read()
    except OSError:
        return None


class Mesh:
    """A quadrilateral mesh.

    nodes[k - 1] = (x, y, z) is node k of the result file and node_names its
    point, curve or subregion name; elements[k - 1] holds the four node
    numbers of element k as in the result file (from 1), in subregion
    element_subregions[k - 1]. points and quads give the same as arrays,
    quads holding 0-based row indices into points. node_sets names the
    nodes of each curve, point and internal point of the model.
    """

    def __init__(self, title="", nodes=None, node_names=None, elements=None, element_subregions=None, messages=""):
        self.title = title
        self.nodes = nodes or []
        self.node_names = node_names or []
        self.elements = elements or []
        self.element_subregions = element_subregions or []
        self.messages = messages
        self.path = None  # the result file read, when there is one
        self.m3d_text = None  # its text, for exports and figures
        self.model_text = None  # the model's text, for the node sets
        self._node_sets = None

    def __repr__(self):
        return f"<korvex.Mesh {len(self.nodes)} nodes, {len(self.elements)} elements>"

    @property
    def points(self):
        """The node coordinates: a NumPy (n, 3) float array when NumPy is
        installed, else a list of (x, y, z) tuples."""
        from . import arrays
        return arrays.points(self.nodes)

    @property
    def quads(self):
        """The elements as 0-based indices into points: a NumPy (m, 4) int
        array when NumPy is installed, else a list of 4-tuples."""
        from . import arrays
        return arrays.quads(self.elements)

    def subregion_numbers(self):
        """(names, numbers): the subregions in the order of their first
        element, and each element's subregion as an index from 1 into them,
        as the exporters number them."""
        names, index, numbers = [], {}, []
        for name in self.element_subregions:
            if name not in index:
                names.append(name)
                index[name] = len(names)
            numbers.append(index[name])
        return names, numbers

    def to_meshio(self):
        """A meshio.Mesh: one "quad" cell block, the cell data "subregion"
        (numbers from 1, in the order of first appearance) and field data
        naming each subregion number, as meshio keeps physical names."""
        from . import arrays
        return arrays.to_meshio(self)

    def _text(self):
        if self.m3d_text is None:
            self.m3d_text = format_m3d(self)
        return self.m3d_text

    def _command_on_file(self, args):
        with tempfile.TemporaryDirectory(prefix="korvex-") as folder:
            m3d = os.path.join(folder, "mesh.m3d")
            with open(m3d, "w", encoding="utf-8", newline="") as f:
                f.write(self._text())
            if self.model_text is not None:  # beside the mesh, the command finds its node sets
                with open(os.path.join(folder, "mesh.sur"), "w", encoding="utf-8", newline="") as f:
                    f.write(self.model_text)
            r = subprocess.run([_library.command_path(), *args(m3d)], capture_output=True, text=True)
        if r.returncode != 0:
            raise MeshError(f"korvex {args('MESH')[0]} failed:\n{r.stderr.strip()}", r.stdout + r.stderr)
        return r.stdout

    def quality(self):
        """The figures of `korvex quality` as a dict (its JSON object): node and
        element counts, corner angles, scaled Jacobian, aspect ratio,
        warpage, worst elements and the same per subregion, and the node
        sets ("node_sets": name, kind, count and node numbers of each)."""
        return json.loads(self._command_on_file(lambda m3d: ["quality", m3d, "--json"]))

    @property
    def node_sets(self):
        """The named node sets of the model's curves, points and internal
        points: {name: node numbers (from 1, as in the result file)}, each a
        NumPy int array when NumPy is installed, else a list. A curve's
        nodes run along it from its first point, end points included; an
        internal point's set holds the node pulled onto it. Empty when the
        model is not known (a mesh read from a file with no .sur beside it)."""
        if self.model_text is None:
            return {}
        if self._node_sets is None:
            self._node_sets = [(s["name"], s["nodes"]) for s in self.quality()["node_sets"]]
        from . import arrays
        return {name: arrays.numbers(nodes) for name, nodes in self._node_sets}

    def write(self, path):
        """Writes the mesh in the format its extension names, through the
        command's exporters: .bdf (Nastran), .inp (Abaqus), .vtu (VTK), .msh
        (Gmsh 2.2); .m3d writes the result file itself."""
        path = os.fspath(path)
        extension = os.path.splitext(path)[1].lower()
        if extension == ".m3d":
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(self._text())
            return
        if extension not in _EXPORT_FORMATS:
            raise ValueError(f"path: unknown extension {extension!r} (use .bdf, .inp, .vtu, .msh or .m3d)")
        target = os.path.abspath(path)
        self._command_on_file(lambda m3d: ["export", m3d, "--format", _EXPORT_FORMATS[extension], "-o", target])


def format_m3d(m):
    """Result-file text of a Mesh built in memory."""
    out = [m.title, "NODES"]
    for k, ((x, y, z), name) in enumerate(zip(m.nodes, m.node_names or [""] * len(m.nodes)), 1):
        out.append(f"Node : {k} {x!r} {y!r} {z!r} {name}".rstrip())
    out += ["END_OF_NODES", "ELEMENTS"]
    for k, (quad, name) in enumerate(zip(m.elements, m.element_subregions or [""] * len(m.elements)), 1):
        out.append(f"Element : {k} {quad[0]} {quad[1]} {quad[2]} {quad[3]} {name}".rstrip())
    out += ["END_OF_ELEMENTS", "END", ""]
    return "\n".join(out)


def _fail(path, number, what):
    raise ValueError(f"{path}:{number}: {what}")


def read_m3d(path):
    """Reads a result file into a Mesh (with empty messages); raises
    ValueError naming the line of a format error."""
    path = os.fspath(path)
    with open(path, encoding="utf-8", errors="replace", newline="") as f:
        text = f.read()
    m = parse_m3d(text, path)
    m.path = path
    m.model_text = _model_text(os.path.splitext(path)[0] + ".sur")
    return m


def parse_m3d(text, path="<m3d>"):
    """A Mesh from result-file text; path names it in errors."""
    lines = text.split("\n")
    m = Mesh(title=lines[0].rstrip("\r"))
    m.m3d_text = text
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
