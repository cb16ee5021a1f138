// Edge data of the triangular mesher: the nodes of each edge, the Hermite
// model through them curve by curve, and the evaluation of an edge at a
// normalised length.
#include <algorithm>
#include <cstdlib>

#include "base/messages.h"
#include "curves/hermite_curve.h"
#include "patches/triangular/triangular_mesher.h"

namespace korvex {

namespace {

// Nodes of curve `signed_id` in traversal order, 1-based.
std::vector<int> curve_nodes(const Run& run, int signed_id) {
    const Curve& c = run.curves[std::abs(signed_id)];
    std::vector<int> ids(1, 0);
    for (int j = 1; j <= c.num_new_points; ++j) ids.push_back(c.new_points_id[static_cast<std::size_t>(j)]);
    if (signed_id < 0) std::reverse(ids.begin() + 1, ids.end());
    return ids;
}

void append_node(const Run& run, TriangularEdge& edge, int id) {
    edge.nodes.push_back(id);
    edge.P.push_back(run.new_points[id].pos());
    ++edge.n;
}

// Appends the intervals of one curve (its nodes ids[1..m]) to the edge.
void append_curve(const Run& run, TriangularEdge& edge, const std::vector<int>& ids) {
    const int m = static_cast<int>(ids.size()) - 1;
    std::vector<Vec3> P(ids.size());
    for (int j = 1; j <= m; ++j) P[static_cast<std::size_t>(j)] = run.new_points[ids[static_cast<std::size_t>(j)]].pos();
    std::vector<Chord> chords;
    std::vector<Tangent> tangents;
    computeChords(m, P, chords);
    computeDirectionalCos(m, P, chords, tangents);
    if (edge.n == 0 || edge.nodes.back() != ids[1]) append_node(run, edge, ids[1]);
    for (int j = 1; j < m; ++j) {
        const auto a = static_cast<std::size_t>(j);
        edge.t0.push_back(tangents[a].dir);
        edge.t1.push_back(tangents[a + 1].dir);
        edge.L.push_back(chords[a].length);
        append_node(run, edge, ids[a + 1]);
    }
}

// Cumulative chord lengths (arc) and normalised Hermite lengths (s).
void measure_edge(TriangularEdge& edge) {
    edge.arc.assign(static_cast<std::size_t>(edge.n) + 1, 0.0);
    edge.s.assign(static_cast<std::size_t>(edge.n) + 1, 0.0);
    for (int i = 1; i < edge.n; ++i) {
        const auto a = static_cast<std::size_t>(i);
        edge.arc[a + 1] = edge.arc[a] + distance(edge.P[a], edge.P[a + 1]);
        edge.s[a + 1] = edge.s[a] + hermite_segment_length(edge.P[a], edge.P[a + 1], edge.t0[a], edge.t1[a], edge.L[a]);
    }
    const double total = edge.s[static_cast<std::size_t>(edge.n)];
    if (total > 0.0)
        for (int i = 1; i <= edge.n; ++i) edge.s[static_cast<std::size_t>(i)] /= total;
}

}  // namespace

int getEdgeDirectionalCos(const Run& run, int k, int e, TriangularEdge& edge) {
    const Subregion& s = run.patches[k];
    edge = TriangularEdge{};
    edge.nodes.assign(1, 0);
    edge.P.assign(1, Vec3{});
    edge.t0.assign(1, Vec3{});
    edge.t1.assign(1, Vec3{});
    edge.L.assign(1, 0.0);
    int first_slot = 1;
    for (int m = 1; m < e; ++m) first_slot += s.curves_per_edge[m];
    int count = 1;
    for (int m = 0; m < s.curves_per_edge[e]; ++m)
        count += run.curves[std::abs(s.curves_id[static_cast<std::size_t>(first_slot + m)])].num_new_points - 1;
    if (count > MAX_NEW_POINTS) {
        report(" Increase MAX_NEW_POINTS(=%i) to at least %i\n", MAX_NEW_POINTS, count);
        return 0;
    }
    for (int m = 0; m < s.curves_per_edge[e]; ++m)
        append_curve(run, edge, curve_nodes(run, s.curves_id[static_cast<std::size_t>(first_slot + m)]));
    measure_edge(edge);
    return 1;
}

Vec3 evaluate_triangular_edge(const TriangularEdge& edge, double t) {
    t = std::clamp(t, 0.0, 1.0);
    Vec3 out = edge.P[static_cast<std::size_t>(edge.n)];
    for (int i = 1; i < edge.n; ++i) {
        const auto a = static_cast<std::size_t>(i);
        const double lambda = (t - edge.s[a]) / (edge.s[a + 1] - edge.s[a]);
        if (lambda >= 0.0 && lambda <= 1.0)
            out = hermite_point(edge.P[a], edge.P[a + 1], edge.t0[a], edge.t1[a], edge.L[a], lambda);
    }
    return out;
}

}  // namespace korvex
