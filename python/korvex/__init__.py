"""Korvex from Python: builds surface models in code or reads .sur files,
meshes them through the library's C interface (quietly: the run's messages
are kept, not printed), and gives the mesh as lists, NumPy arrays or a meshio
mesh. Standard library only; NumPy, meshio and Dask distributed are used
when installed.

    import korvex
    m = korvex.mesh("plate.sur", max_subregions=300)
    print(m.points.shape, m.quads.shape, m.element_subregions[0])

Numbering: Mesh.nodes and Mesh.elements are numbered as in the result file
(an element lists node numbers from 1); Mesh.points and Mesh.quads are
arrays with 0-based node indices.

The library is found through the KORVEX_LIBRARY environment variable, then
beside an installed copy of this module, then in the build folder of the
source tree; the command (for exports and quality figures) through
KORVEX_CLI, then beside the library, then on PATH.
"""
from ._library import command_path, library_path
from .many import mesh_many
from .mesh import Mesh, MeshError, mesh, read_m3d
from .model import Model

__all__ = ["Mesh", "MeshError", "Model", "mesh", "mesh_many", "read_m3d", "library_path", "command_path"]
