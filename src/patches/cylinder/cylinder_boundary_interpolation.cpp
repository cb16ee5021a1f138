// boundary_interpolation: the cylinder boundary densified along its curves,
// so that the unrolling measures arc lengths and the (u, v) -> 3D mapping
// finds boundary crossings close to the true surface.
#include <cstdlib>

#include "base/messages.h"
#include "curves/hermite_curve.h"
#include "patches/cylinder/cylinder_mesher.h"

namespace korvex {

namespace {

// Boundary positions the signed curve entry covers, counting its first node
// (which is the previous curve's last).
int curve_node_count(const Run& run, int signed_curve) { return run.curves[std::abs(signed_curve)].num_new_points; }

// Appends the segments of one curve whose nodes sit at boundary positions
// first, first + 1, ... (position n + 1 is position 1 again): each segment's
// start node and its inserted points on the curve's Hermite chain.
void densify_curve(const CylinderBoundary& b, int first, int count, DenseBoundary& dense) {
    std::vector<Vec3> P(static_cast<std::size_t>(count) + 1);
    std::vector<int> pos(static_cast<std::size_t>(count) + 1);
    for (int k = 1; k <= count; ++k) {
        const int p = (first + k - 2) % b.n + 1;
        pos[static_cast<std::size_t>(k)] = p;
        P[static_cast<std::size_t>(k)] = b.xyz[static_cast<std::size_t>(p)];
    }
    std::vector<Chord> chords;
    std::vector<Tangent> tangents;
    computeChords(count, P, chords);
    computeDirectionalCos(count, P, chords, tangents);
    for (int k = 1; k < count; ++k) {
        const auto s = static_cast<std::size_t>(k);
        DensePoint start;
        start.p = P[s];
        start.id = b.ids[static_cast<std::size_t>(pos[s])];
        dense.xyzuv.push_back(start);
        for (int j = 1; j < kBoundarySubdivisions; ++j) {
            DensePoint q;
            const double t = static_cast<double>(j) / kBoundarySubdivisions;
            q.p = hermite_point(P[s], P[s + 1], tangents[s].dir, tangents[s + 1].dir, chords[s].length, t);
            dense.xyzuv.push_back(q);
        }
    }
}

}  // namespace

int boundary_interpolation(const Run& run, const Subregion& patch, const CylinderBoundary& b, DenseBoundary& dense) {
    int lastPoint = 0;
    for (int m = 1; m <= patch.num_curves; ++m)
        lastPoint += curve_node_count(run, patch.curves_id[static_cast<std::size_t>(m)]) - 1;
    if (lastPoint != b.n) {
        report(" Error in boundary_interpolation():\n  nPoints=%i  !=  lastPoint=%i.\n", b.n, lastPoint);
        return 0;
    }
    dense.xyzuv.clear();
    dense.xyzuv.reserve(static_cast<std::size_t>(kBoundarySubdivisions) * static_cast<std::size_t>(b.n) + 1);
    dense.xyzuv.emplace_back();  // record 0 holds no point
    int first = 1;
    for (int m = 1; m <= patch.num_curves; ++m) {
        const int count = curve_node_count(run, patch.curves_id[static_cast<std::size_t>(m)]);
        densify_curve(b, first, count, dense);
        first += count - 1;
    }
    dense.count = static_cast<int>(dense.xyzuv.size()) - 1;
    dense.chord_last = distance(b.xyz[static_cast<std::size_t>(b.n)], b.xyz[1]);
    return 1;
}

}  // namespace korvex
