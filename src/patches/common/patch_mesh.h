// The mesh of one patch as every mesher returns it, and the steps the
// curved meshers share once the 2D generator has meshed their parameter
// plane: boundary nodes back onto their exact (u, v), generated names given
// to the 3D nodes, interior nodes onto a sphere.
//
// A mesher fills a PatchMesh in its own node numbering; the pipeline merges
// it into the global mesh. Indexing is 1-based: records 1..num_nodes and
// 1..num_elements are used.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "base/array1.h"
#include "model/run.h"
#include "planar/plane_uv.h"
#include "trelmo/trelmo.h"

namespace korvex {

struct PatchMesh {
    int num_nodes = 0;
    // 1..num_nodes: the generator's nodes in the mesher's parameter plane;
    // GenNode::name is the node's owner name (point, entity or subregion).
    Array1<GenNode> gen_nodes;
    // 1..num_nodes: the 3D nodes (name, x, y, z, id = local index). The plane
    // mesher also sets name_saved and pint_tag (an internal point snapped
    // onto a boundary node: that node's generated name).
    Array1<Node3D> nodes;
    int num_elements = 0;
    // 1..num_elements: elements with patch node numbers as corners.
    Array1<GenElement> elements;
    // Cleared when the 2D generator of the plane mesher left a singular
    // element unrepaired; the pipeline carries it into the run when it
    // takes the mesh, so that meshers on worker threads share no flag.
    int all_singular_repaired = 1;
    // A mesher whose messages are captured (a worker thread) cannot see the
    // global mesh: the room its nodes need there is checked when the
    // pipeline takes the mesh, after the first `at` of its messages, where
    // the mesher would have checked it (room_in_global_mesh).
    struct RoomCheck {
        bool pending = false;
        std::size_t at = 0;
        int nodes = 0;
    } room_check;
};

// Whether the global mesh has room for `nodes` more nodes, with a reserve;
// 0 after reporting the capacity to ask for.
int room_in_global_mesh(const Run& run, int nodes);

// Merges a patch mesh into the global mesh. The pipeline hands one to the
// surface-of-revolution mesher, which meshes strip after strip and corrects
// each strip's new global nodes onto the exact surface once it is merged.
// Returns 1, or 0 after reporting why.
using MergePatchMesh = std::function<int(Run& run, const Subregion& patch, PatchMesh& mesh)>;

// Which generator nodes of a curved mesher's mesh take the exact (u, v) of
// the boundary record of their name, and what happens to a name without one.
enum class CurvedBoundaryNodes {
    EntitiesAndPoints,        // entity and point nodes; a point without a record stays where it is
    EntitiesAndPointsStrict,  // entity and point nodes; every one must have a record
    EntitiesOnly,             // entity nodes; every one must have a record
};

// Gives the nodes chosen by `which` 'P' back as the first letter of their
// name (an entity node then carries its middle boundary node's name) and the
// (u, v) of that record. A node without a record is reported with
// `missing_format` (printf-style, given the node's number and name) and the
// routine returns 0; else 1.
int restore_curved_boundary_uv(const PlaneUV& uv, const std::map<std::string, int>& by_name, CurvedBoundaryNodes which,
                               const char* missing_format, PatchMesh& mesh);

// Every 3D node takes the (restored) name of its generator node; with
// `also_saved` its name_saved too.
void copy_generator_names(PatchMesh& mesh, bool also_saved);

// Moves every interior node (its name begins with 'R') of a SPHERE
// subregion radially onto the sphere through the subregion's first boundary
// node about its centre.
void project_interior_onto_sphere(const Run& run, const Subregion& patch, PatchMesh& mesh);

}  // namespace korvex
