"""Surface models built in code and written as .sur text.

Every call checks its arguments at once and raises ValueError naming the
argument, so that a bad model never reaches the library. Names follow the
model file's rules: at most 8 characters, no blanks, the first letters
giving the kind (P point, PINT internal point, QL straight line, C arc,
other Q smooth curve, R subregion, H hole, T tree). Names not given are
generated in that form (P1, QL1, C1, Q1, R1, H1, T1, PINT1).
"""
import math
import numbers
import os
import tempfile

from . import mesh as _mesh

MAX_NAME = 8
MAX_REF = 0.35
MAX_TITLE = 253
# Words the reader takes as section or item keywords wherever they stand.
_KEYWORDS = {"POINTS", "CURVES", "SUBREGIONS", "END", "STEP", "REF", "RAD", "EDGE"}


def _number(argument, value, positive=False):
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise ValueError(f"{argument}: a number is needed, not {value!r}")
    if isinstance(value, numbers.Integral):
        value = int(value)
    else:
        value = float(value)
        if not math.isfinite(value):
            raise ValueError(f"{argument}: {value!r} is not a finite number")
    if positive and not value > 0:
        raise ValueError(f"{argument}: must be greater than 0, not {value!r}")
    return value


def _text(value):
    return str(value) if isinstance(value, int) else repr(value)


class _Subregion:
    def __init__(self, name, head, edges, ref, holes, trees):
        self.name, self.head, self.edges, self.ref, self.holes, self.trees = name, head, edges, ref, holes, trees


class Model:
    """A surface model built call by call.

        m = korvex.Model("Plate with a hole")
        a, b, c, d = (m.point(x, y, 0) for x, y in [(0, 0), (10, 0), (10, 10), (0, 10)])
        edges = [m.line(a, b, 1), m.line(b, c, 1), m.line(c, d, 1), m.line(d, a, 1)]
        m.plane(edges, ref=0.2)
        mesh = m.mesh()

    Each call returns the name of what it added; later calls refer to
    points, curves and subregions by these names.
    """

    def __init__(self, title, step_mode="CONSTANT"):
        if not isinstance(title, str) or "\n" in title or "\r" in title:
            raise ValueError("title: one line of text is needed")
        if len(title) > MAX_TITLE:
            raise ValueError(f"title: at most {MAX_TITLE} characters")
        if step_mode not in ("CONSTANT", "LINEAR"):
            raise ValueError("step_mode: CONSTANT or LINEAR")
        self.title = title
        self.step_mode = step_mode
        self._points = {}  # name -> line of text, in order
        self._internal = {}  # internal point name -> its subregion (or None)
        self._curves = {}
        self._subregions = {}
        self._parts = set()  # hole and tree names
        self._counters = {}

    # Names -------------------------------------------------------------

    def _taken(self, name):
        return name in self._points or name in self._curves or name in self._subregions or name in self._parts

    def _new_name(self, prefix):
        k = self._counters.get(prefix, 0)
        while True:
            k += 1
            name = f"{prefix}{k}"
            if not self._taken(name):
                self._counters[prefix] = k
                if len(name) > MAX_NAME:
                    raise ValueError(f"name: no {prefix} name of at most {MAX_NAME} characters is left")
                return name

    def _name(self, argument, name, prefix, kind, generated=None, refuse=()):
        """Checks a given name of the kind that starts with prefix (but with
        none of refuse), or generates one."""
        if name is None:
            return self._new_name(generated or prefix)
        if not isinstance(name, str):
            raise ValueError(f"{argument}: a name is a string, not {name!r}")
        if not name or len(name) > MAX_NAME:
            raise ValueError(f"{argument}: {name!r} must have 1 to {MAX_NAME} characters")
        if not name.isascii() or not name.isprintable() or any(c.isspace() for c in name) or "*" in name:
            raise ValueError(f"{argument}: {name!r} must be printable ASCII without blanks or '*'")
        if not name.startswith(prefix) or any(name.startswith(r) for r in refuse) or name in _KEYWORDS:
            raise ValueError(f"{argument}: {name!r} is not the name of a {kind} "
                             f"(it must start with {prefix!r}"
                             + (f" and not with {' or '.join(repr(r) for r in refuse)}" if refuse else "") + ")")
        if self._taken(name):
            raise ValueError(f"{argument}: the name {name!r} is already used")
        return name

    def _point_ref(self, argument, name):
        if not isinstance(name, str) or name not in self._points:
            raise ValueError(f"{argument}: unknown point {name!r}")
        return name

    def _curve_ref(self, argument, name):
        if not isinstance(name, str) or name not in self._curves:
            raise ValueError(f"{argument}: unknown curve {name!r}")
        return name

    def _curve_list(self, argument, curves, at_least=1):
        if isinstance(curves, str) or not hasattr(curves, "__iter__"):
            raise ValueError(f"{argument}: a list of curve names is needed, not {curves!r}")
        curves = list(curves)
        if len(curves) < at_least:
            raise ValueError(f"{argument}: at least {at_least} curve{'s' if at_least > 1 else ''} needed")
        return [self._curve_ref(f"{argument}[{i}]", c) for i, c in enumerate(curves)]

    # Points and curves -------------------------------------------------

    def point(self, x, y, z, name=None):
        """A point; returns its name."""
        name = self._name("name", name, "P", "point", refuse=("PINT",))
        coordinates = [_number(a, v) for a, v in (("x", x), ("y", y), ("z", z))]
        self._points[name] = " ".join([name, *map(_text, coordinates)])
        return name

    def internal_point(self, x, y, z, subregion=None, step=None, radius=None, name=None):
        """A point inside a PLANE subregion the mesh passes through, with a
        refined zone of the given step in a square of side 0.8 * radius when
        both are given. subregion may be defined before or after."""
        name = self._name("name", name, "PINT", "internal point")
        coordinates = [_number(a, v) for a, v in (("x", x), ("y", y), ("z", z))]
        words = [name, *map(_text, coordinates)]
        if subregion is not None:
            if not isinstance(subregion, str) or not subregion.startswith("R") or len(subregion) > MAX_NAME \
                    or any(c.isspace() for c in subregion):
                raise ValueError(f"subregion: {subregion!r} is not the name of a subregion")
            words.append(subregion)
        if (step is None) != (radius is None):
            missing = "step" if step is None else "radius"
            raise ValueError(f"{missing}: step and radius go together")
        if step is not None:
            if subregion is None:
                raise ValueError("subregion: a refined zone needs its subregion")
            words += ["STEP", _text(_number("step", step, True)), "RAD", _text(_number("radius", radius, True))]
        self._points[name] = " ".join(words)
        self._internal[name] = subregion
        return name

    def _curve(self, name, prefix, kind, generated, refuse, points, step):
        name = self._name("name", name, prefix, kind, generated, refuse)
        step = _number("step", step, True)
        self._curves[name] = " ".join([name, *points, "STEP", _text(step)])
        return name

    def line(self, p, q, step, name=None):
        """A straight segment from point p to point q, meshed at step."""
        points = [self._point_ref("p", p), self._point_ref("q", q)]
        if p == q:
            raise ValueError("q: a line needs two different points")
        return self._curve(name, "QL", "straight line", "QL", (), points, step)

    def arc(self, p, mid, q, step, name=None):
        """A circular arc from p through mid to q."""
        points = [self._point_ref("p", p), self._point_ref("mid", mid), self._point_ref("q", q)]
        if mid in (p, q):
            raise ValueError("mid: an arc needs a middle point apart from its ends")
        return self._curve(name, "C", "circular arc", "C", (), points, step)

    def curve(self, points, step, name=None):
        """A smooth curve through the points in order."""
        if isinstance(points, str) or not hasattr(points, "__iter__"):
            raise ValueError(f"points: a list of point names is needed, not {points!r}")
        points = [self._point_ref(f"points[{i}]", p) for i, p in enumerate(points)]
        if len(points) < 2:
            raise ValueError("points: a curve needs at least 2 points")
        return self._curve(name, "Q", "smooth curve", "Q", ("QL",), points, step)

    # Subregions --------------------------------------------------------

    def _parts_of(self, argument, parts, prefix, kind):
        """Holes or trees: a list of curve lists, or a dict name -> curves."""
        if parts is None:
            return []
        items = parts.items() if isinstance(parts, dict) else ((None, c) for c in parts)
        out = []
        for i, (name, curves) in enumerate(items):
            where = f"{argument}[{name!r}]" if name is not None else f"{argument}[{i}]"
            curves = self._curve_list(where, curves)
            out.append((name, curves, where))
        named = []
        try:
            for name, curves, where in out:
                name = self._name(where, name, prefix, kind)
                self._parts.add(name)  # taken at once, so that the next generated name differs
                named.append((name, curves))
        except ValueError:
            self._parts.difference_update(name for name, _ in named)
            raise
        return named

    def _subregion(self, name, head, edges, ref, holes=None, trees=None, plane=False):
        name = self._name("name", name, "R", "subregion")
        ref = _number("ref", ref)
        if not 0 <= ref <= MAX_REF:
            raise ValueError(f"ref: must lie in [0, {MAX_REF}], not {ref!r}")
        if not plane and (holes or trees):
            raise ValueError(f"{'holes' if holes else 'trees'}: only a plane subregion has holes and trees")
        holes = self._parts_of("holes", holes, "H", "hole")
        try:
            trees = self._parts_of("trees", trees, "T", "tree")
        except ValueError:
            self._parts.difference_update(name for name, _ in holes)
            raise
        self._subregions[name] = _Subregion(name, head, edges, ref, holes, trees)
        return name

    def _edges(self, edges):
        if isinstance(edges, str) or not hasattr(edges, "__iter__"):
            raise ValueError(f"edges: a list of 2 to 4 edges is needed, not {edges!r}")
        edges = list(edges)
        if not 2 <= len(edges) <= 4:
            raise ValueError(f"edges: 2 to 4 edges are needed, not {len(edges)}")
        return [[self._curve_ref(f"edges[{i}]", e)] if isinstance(e, str) else self._curve_list(f"edges[{i}]", e)
                for i, e in enumerate(edges)]

    def plane(self, curves, ref=0.2, holes=None, trees=None, name=None):
        """A flat subregion bounded by the closed chain of curves, with holes
        and internal trees, each a list of curves (or a dict name -> curves)."""
        chain = self._curve_list("curves", curves)
        return self._subregion(name, ["PLANE"], [chain], ref, holes, trees, plane=True)

    def cylinder(self, curves, axis_angles, ref=0.2, holes=None, trees=None, name=None):
        """A piece of a cylinder bounded by the closed chain of curves; its axis
        makes the angles axis_angles (degrees, each in (-360, 360)) with the
        x, y and z axes."""
        chain = self._curve_list("curves", curves)
        if isinstance(axis_angles, str) or not hasattr(axis_angles, "__len__") or len(axis_angles) != 3:
            raise ValueError("axis_angles: three angles (x, y, z) are needed")
        head = ["CYLINDER"]
        for key, value in zip(("ANGLEX", "ANGLEY", "ANGLEZ"), axis_angles):
            value = _number("axis_angles", value)
            if not -360 < value < 360:
                raise ValueError(f"axis_angles: {value!r} must lie in (-360, 360)")
            head += [key, _text(value)]
        return self._subregion(name, head, [chain], ref, holes, trees)

    def sphere(self, edges, centre, ref=0.2, holes=None, trees=None, name=None):
        """A piece of the sphere about centre, bounded by 2 to 4 edges (each a
        curve or a list of curves)."""
        edges = self._edges(edges)
        if isinstance(centre, str) or not hasattr(centre, "__len__") or len(centre) != 3:
            raise ValueError("centre: three coordinates are needed")
        head = ["SPHERE"]
        for key, value in zip(("XC", "YC", "ZC"), centre):
            head += [key, _text(_number("centre", value))]
        return self._subregion(name, head, edges, ref, holes, trees)

    def rev(self, edges, ref=0.2, holes=None, trees=None, name=None):
        """A panel of a surface of revolution: two parallels and two meridians."""
        return self._subregion(name, ["REV"], self._edges(edges), ref, holes, trees)

    def rev2(self, edges, ref=0.2, holes=None, trees=None, name=None):
        """As rev, meshed by angle and length along one meridian turned about the axis."""
        return self._subregion(name, ["REV2"], self._edges(edges), ref, holes, trees)

    def bilinear(self, edges, ref=0.2, holes=None, trees=None, name=None):
        """The surface blending its 2 to 4 edges."""
        return self._subregion(name, ["BILINEAR"], self._edges(edges), ref, holes, trees)

    def patch(self, edges, ref=0.2, holes=None, trees=None, name=None):
        """An untyped subregion of 2 to 4 edges: flat ones go to the plane
        mesher, curved ones are blended from their edges."""
        return self._subregion(name, [], self._edges(edges), ref, holes, trees)

    # Output ------------------------------------------------------------

    def text(self):
        """The model as .sur text."""
        for point, subregion in self._internal.items():
            if subregion is not None and subregion not in self._subregions:
                raise ValueError(f"subregion: internal point {point} names {subregion!r}, which was never added")
        lines = [self.title, f"STEP {self.step_mode}", "POINTS", *self._points.values(), "CURVES",
                 *self._curves.values(), "SUBREGIONS"]
        for s in self._subregions.values():
            if s.head in (["PLANE"], ) or s.head[:1] == ["CYLINDER"]:
                body = s.edges[0]
            else:
                body = [w for edge in s.edges for w in ["EDGE", *edge]]
            lines.append(" ".join([s.name, *s.head, *body, "REF", _text(s.ref)]))
            lines += [" ".join([name, *curves]) for name, curves in s.holes + s.trees]
        lines.append("END")
        return "\n".join(lines) + "\n"

    def write(self, path):
        """Writes the model as a .sur file."""
        text = self.text()
        with open(os.fspath(path), "w", encoding="ascii", newline="\n") as f:
            f.write(text)

    def mesh(self, path=None, *, out_dir=None, verbose=False, **settings):
        """Meshes the model and returns its Mesh. With path the model is
        written there and meshed as korvex.mesh meshes a file; without, it is
        meshed in a temporary folder and nothing stays on disk unless out_dir
        names where the result file and log go."""
        values = _mesh.settings_tuple(**settings)
        text = self.text()
        if path is not None:
            self.write(path)
            return _mesh.mesh_file(os.fspath(path), values, out_dir, verbose)
        with tempfile.TemporaryDirectory(prefix="korvex-") as folder:
            path = os.path.join(folder, "model.sur")
            with open(path, "w", encoding="ascii", newline="\n") as f:
                f.write(text)
            result = _mesh.mesh_file(path, values, out_dir, verbose, shown="model.sur")
            if out_dir is None:
                result.path = None
            return result

    def __repr__(self):
        return (f"<korvex.Model {self.title!r}: {len(self._points)} points, {len(self._curves)} curves, "
                f"{len(self._subregions)} subregions>")
