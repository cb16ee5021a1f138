"""The mesh as NumPy arrays and as a meshio mesh. NumPy and meshio are
optional: without NumPy the arrays are plain lists."""
try:
    import numpy
except ImportError:  # the module works without it
    numpy = None


def points(nodes):
    """(n, 3) float array of the node coordinates, or the list of tuples."""
    if numpy is None:
        return list(nodes)
    return numpy.array(nodes, dtype=numpy.float64).reshape(len(nodes), 3)


def quads(elements):
    """(m, 4) int array of 0-based node indices, or a list of 4-tuples."""
    if numpy is None:
        return [tuple(n - 1 for n in quad) for quad in elements]
    return numpy.array(elements, dtype=numpy.int64).reshape(len(elements), 4) - 1


def numbers(values):
    """A 1-D int array of node numbers, or the list itself."""
    if numpy is None:
        return list(values)
    return numpy.array(values, dtype=numpy.int64)


def to_meshio(m):
    try:
        import meshio
    except ImportError as e:
        raise ImportError("Mesh.to_meshio needs meshio (Debian package python3-meshio)") from e
    names, numbers = m.subregion_numbers()
    return meshio.Mesh(
        points(m.nodes),
        [("quad", quads(m.elements))],
        cell_data={"subregion": [numpy.array(numbers, dtype=numpy.int64)]},
        field_data={name: numpy.array([k, 2], dtype=numpy.int64) for k, name in enumerate(names, 1)},
    )
