// Surfaces of revolution: REV (transfinite strips corrected onto the exact
// surface) and REV2 (meshed in the plane of rotation angle and meridian
// length). Both need four edges, one opposite pair made of arcs only: the
// bottom (edge 1) and top (edge 3) parallels; edges 2 (right) and 4 (left)
// are meridians.
#pragma once

#include <vector>

#include "base/numeric_constants.h"
#include "base/vec3.h"
#include "model/run.h"
#include "patches/common/patch_mesh.h"
#include "trelmo/trelmo.h"

namespace korvex {

// Centre, radius and unit plane normal of an edge's first arc; all
// kNotComputed while not computed.
struct ArcGeometry {
    Vec3 centre{kNotComputed, kNotComputed, kNotComputed};
    double radius = kNotComputed;
    Vec3 normal{kNotComputed, kNotComputed, kNotComputed};
    bool computed() const { return centre.x != kNotComputed; }
};

// Which type's routine names and messages are used.
enum class RevKind { Rev, Rev2 };

struct RevEdges {
    int first[6] = {0, 0, 0, 0, 0, 0};  // first curve position of every edge
    ArcGeometry arc[5];
    int arcs_only[5] = {0, 0, 0, 0, 0};
};

// Type and edge-count checks and the arcs-only flags of the edges.
int rev_entry_checks(const Run& run, const Subregion& patch, RevKind kind, RevEdges& edges);

// The arc geometry of curve |c| (as its division computed it).
int geometricParametersOfArc(const Run& run, int c, RevKind kind, ArcGeometry& g);

// Verifies the arcs, picks the top and bottom pair (cycling the boundary so
// that they are edges 1 and 3) and checks the side edges' curve counts.
int verify_and_preprocess_REV_patch(const Run& run, Subregion& patch, RevKind kind, RevEdges& edges);

// The top/bottom rule on the four angles (degrees): 13 when edges 1 and 3
// are the parallels, 24 when edges 2 and 4 are, 0 when neither is.
int choose_parallel_pair(double bot13, double top13, double bot24, double top24);

// Rotates the boundary by one edge: edge k + 1 becomes edge k.
void cycle_patch_edges(const Run& run, Subregion& patch);

// The axis of rotation of a patch whose edges 1 and 3 are the parallels.
struct RevAxis {
    Vec3 point;  // C1
    Vec3 dir;    // unit direction
};
int rev_axis(const RevEdges& edges, RevAxis& axis);

// Moves every node of the global mesh from index first_node on whose name
// begins with 'R' onto the surface swept by the left edge (edge 4) of
// patch: same axial position and angle, the meridian's distance from the axis.
int adjust_coordinates(Run& run, const Subregion& patch, const RevAxis& axis, int first_node);

// Cuts a REV patch with side edges of n > 1 curves into n strips along n - 1
// new arcs, meshes every strip and corrects it onto the surface.
int mesh_REV_strips(Run& run, int k, const RevEdges& edges, const RevAxis& axis, const MergePatchMesh& merge_transfinite);

// The n - 1 arcs "C~j" (with their mid points "P~j") through the junctions
// of the side edges' curves; arcs[j] is the index of arc j.
int add_new_arcs(Run& run, int k, const RevEdges& edges, const RevAxis& axis, std::vector<int>& arcs);

// ---- REV2 ----------------------------------------------------------------

// One boundary node (or, while walking a side edge, one densified point) of
// a REV2 patch in its (u, v) plane: u along the parallels (radius times
// rotation angle), v along the meridian, theta the rotation angle.
struct Rev2Record {
    Vec3 p;
    double u = 0, v = 0, theta = 0;
    int node = 0;  // index in new_points; 0 for densified points
};

// The axis of a REV2 patch: the bottom arc's centre and the unit normal of
// its first two nodes' radii.
struct Rev2Frame {
    Vec3 P;            // axis point (bottom arc centre)
    Vec3 n;            // unit axis direction
    Vec3 axis_raw;     // (B1 - P) x (B2 - P), unnormalised
    Vec3 plane_n;      // bottom arc plane: plane_n . x = plane_d
    double plane_d = 0;
    double R = 0;      // bottom arc radius
};

struct Rev2Tables {
    std::vector<Rev2Record> bottom, right, top, left;  // 0-based, boundary order
};

// The (u, v, theta) of every boundary node, edge by edge, with the closure
// check of the left edge against the bottom.
int parameterize_REV2_boundary(const Run& run, const Subregion& patch, const RevEdges& edges, Rev2Frame& frame,
                               Rev2Tables& tables);

// 3D positions of the interior (name 'R...') nodes: rotated points of the right meridian.
int deparameterize_REV2_mesh(int num_nodes, const Array1<GenNode>& nodes, Array1<Node3D>& nodes3d,
                             const Rev2Tables& tables, const Rev2Frame& frame);

// Rotation of p about the axis through P along the unit n by phi.
Vec3 rotate_about_axis(const Vec3& p, const Vec3& P, const Vec3& n, double phi);

}  // namespace korvex
