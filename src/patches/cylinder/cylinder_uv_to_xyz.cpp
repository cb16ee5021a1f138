// convert_UV_mesh_to_XYZ: maps the unrolled mesh back onto the cylinder.
// A node on a boundary node takes that node's coordinates; any other node
// lies on the generator line through the boundary crossings below and above
// it, at the same fraction of the way as in (u, v).
#include <cmath>
#include <map>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "patches/cylinder/cylinder_crossings.h"
#include "patches/cylinder/cylinder_mesher.h"

namespace korvex {

namespace {

constexpr double kOnBoundaryPoint = 1e-10;  // in u and in v
constexpr double kTinyCoordinate = 1e-12;
constexpr int kProgressEvery = 200;

double zero_tiny(double x) { return std::fabs(x) < kTinyCoordinate ? 0.0 : x; }

Vec3 crossing_point(const DenseBoundary& dense, const Crossing& c) {
    if (c.segment == 0) return {};
    const Vec3& a = dense.xyzuv[static_cast<std::size_t>(c.segment)].p;
    const Vec3& b = dense.xyzuv[static_cast<std::size_t>(c.segment == dense.count ? 1 : c.segment + 1)].p;
    return a + (b - a) * c.t;
}

void report_segment_ends(const DenseBoundary& dense, int segment) {
    const int ends[2] = {segment, segment == 0 ? 0 : (segment == dense.count ? 1 : segment + 1)};
    for (const int i : ends) {
        const DensePoint& q = dense.xyzuv[static_cast<std::size_t>(i)];
        report(" xyzuv[%i].u=%g  xyzuv[%i].v=%25.15lf\n", i, q.u, i, q.v);
    }
}

void report_missing_crossing(const DenseBoundary& dense, int node, double u, double v, const Crossings& c) {
    const Vec3 top = crossing_point(dense, c.top), bottom = crossing_point(dense, c.bottom);
    const Crossing& found = c.top.segment ? c.top : c.bottom;
    report(" Error in cylin_23.c:\n");
    report(" Error for node %i:\n Top=(%g,%g,%g);   Bottom=(%g,%g,%g) \n", node, top.x, top.y, top.z, bottom.x,
           bottom.y, bottom.z);
    report(" v_dist_min_top=%g\n v_dist_min_bottom=%g\n", c.top.distance, c.bottom.distance);
    report(" v=%25.15lf  v_on_boundary=%g\n", v, found.segment ? found.v : kNotComputed);
    report(" nBoundPoints=%i\n", dense.count);
    report(" u=%g     v=%g    coef=%g\n", u, v, found.t);
    report_segment_ends(dense, c.bottom.segment);
    report_segment_ends(dense, c.top.segment);
}

// Boundary position of every boundary node (the first one of each node).
std::map<int, int> positions_by_id(const CylinderBoundary& b) {
    std::map<int, int> pos;
    for (int i = b.n; i >= 1; --i) pos[b.ids[static_cast<std::size_t>(i)]] = i;
    return pos;
}

// Coordinates of one node; returns false after reporting.
bool map_node(const CylinderBoundary& b, const DenseBoundary& dense, const CrossingIndex& index,
              const std::map<int, int>& pos, int node, double u, double v, Vec3& out) {
    const int j = index.point(u, v);
    if (j != 0) {
        const int id = dense.xyzuv[static_cast<std::size_t>(j)].id;
        if (id == 0) {
            report(" Error in cylin_23.c: id=%i\n", id);
            return false;
        }
        const auto it = pos.find(id);
        if (it == pos.end()) {
            report(" Error in cylin_23.c :  no corresponding point found.\n");
            return false;
        }
        out = b.saved[static_cast<std::size_t>(it->second)];
        return true;
    }
    const Crossings c = index.crossings(u, v);
    if (c.bottom.segment == 0 || c.top.segment == 0) {
        report_missing_crossing(dense, node, u, v, c);
        return false;
    }
    const Vec3 bottom = crossing_point(dense, c.bottom), top = crossing_point(dense, c.top);
    out = bottom + (top - bottom) * (c.bottom.distance / (c.bottom.distance + c.top.distance));
    return true;
}

}  // namespace

int convert_UV_mesh_to_XYZ(const std::string& patch_name, const CylinderBoundary& b, const DenseBoundary& dense,
                           int num_nodes, const Array1<GenNode>& gen_nodes, Array1<Node3D>& nodes) {
    report("\n Converting (U,V) mesh into 3D mesh...       (patch name %s)\n\n", patch_name.c_str());
    const CrossingIndex index(dense.xyzuv, dense.count, kOnBoundaryPoint);
    const std::map<int, int> pos = positions_by_id(b);
    nodes = Array1<Node3D>(static_cast<std::size_t>(num_nodes));
    for (int i = 1; i <= num_nodes; ++i) {
        if (i % kProgressEvery == 0) report(" Processing node %8i   Total number: %8i\n", i, num_nodes);
        const GenNode& g = gen_nodes[i];
        Vec3 p;
        if (!map_node(b, dense, index, pos, i, g.x, g.y, p)) return 0;
        Node3D& n = nodes[i];
        n.set_pos({zero_tiny(p.x), zero_tiny(p.y), zero_tiny(p.z)});
        n.name = g.name;
        n.id = i;
    }
    report("\n ... conversion completed.  Patch name %s\n", patch_name.c_str());
    return 1;
}

}  // namespace korvex
