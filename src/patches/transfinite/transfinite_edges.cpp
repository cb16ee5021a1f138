// The four edges of a transfinite patch: their nodes, their arc-length
// parameters, the corners to be cut, the merged parameters of opposite edges
// and the points resampled along each edge at those parameters.
#include <algorithm>
#include <cmath>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "curves/geometry_kernels.h"
#include "curves/hermite_curve.h"
#include "patches/transfinite/transfinite_patch.h"

namespace korvex {

namespace {

constexpr double kCutCornerAngle = kPi * 11.0 / 12.0;  // 165 degrees
constexpr double kMergeTolerance = 1e-4;  // opposite-edge parameters closer than this merge

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// The nodes of edge k in boundary order, the shared end of consecutive curves once.
void boundary_order_nodes(const Run& run, const Subregion& patch, int k, EdgeNodes& edge) {
    int first[6];
    edge_first_curves(patch, first);
    edge.nodes.assign(1, 0);
    edge.curve_starts.assign(1, 0);
    for (int pos = first[k]; pos < first[k + 1]; ++pos) {
        const int signed_id = patch.curves_id[at(pos)];
        const Curve& c = run.curves[std::abs(signed_id)];
        const int n = c.num_new_points;
        bool started = false;
        for (int j = 1; j <= n; ++j) {
            const int node = c.new_points_id[at(signed_id > 0 ? j : n + 1 - j)];
            if (!started) {
                started = true;
                if (edge.count() > 0 && edge.nodes.back() == node) {
                    edge.curve_starts.push_back(edge.count());
                    continue;
                }
                edge.curve_starts.push_back(edge.count() + 1);
            }
            edge.nodes.push_back(node);
        }
    }
}

// Reverses an edge list in place: the curves in reverse order, each reversed.
void reverse_edge(EdgeNodes& edge) {
    const int n = edge.count();
    const int m = static_cast<int>(edge.curve_starts.size()) - 1;
    std::vector<int> ends(at(m) + 1);  // last position of every curve
    for (int c = 1; c <= m; ++c) ends[at(c)] = c < m ? edge.curve_starts[at(c + 1)] : n;
    std::reverse(edge.nodes.begin() + 1, edge.nodes.end());
    std::vector<int> starts(1, 0);
    for (int c = m; c >= 1; --c) starts.push_back(n + 1 - ends[at(c)]);
    edge.curve_starts = starts;
}

}  // namespace

void edge_first_curves(const Subregion& patch, int first[6]) {
    first[1] = 1;
    for (int k = 1; k <= 4; ++k) first[k + 1] = first[k] + (k <= patch.num_edges ? patch.curves_per_edge[k] : 0);
}

void collect_edge_nodes(const Run& run, const Subregion& patch, int k, EdgeNodes& edge) {
    boundary_order_nodes(run, patch, k, edge);
    if (k >= 3) reverse_edge(edge);
}

void edge_parameters(const Run& run, const Subregion& patch, int k, std::vector<double>& arc) {
    EdgeNodes edge;
    boundary_order_nodes(run, patch, k, edge);
    const int n = edge.count();
    arc.assign(at(n) + 1, 0.0);
    for (int i = 2; i <= n; ++i)
        arc[at(i)] = arc[at(i - 1)] + distance(run.new_points[edge.nodes[at(i)]].pos(),
                                               run.new_points[edge.nodes[at(i - 1)]].pos());
    const double total = arc[at(n)];
    for (int i = 1; i <= n; ++i) arc[at(i)] = total > 0.0 ? arc[at(i)] / total : (i - 1.0) / std::max(1, n - 1);
    if (k >= 3) {
        std::reverse(arc.begin() + 1, arc.end());
        for (int i = 1; i <= n; ++i) arc[at(i)] = 1.0 - arc[at(i)];
    }
}

int check_edge_nodes(const Run& run, const Subregion& patch) {
    static const char* const failures[5] = {"", "Cannot generate points along edge 1 of patch %d\n",
                                            "Cannot generate points along edge 2 of patch %d\n",
                                            "Cannot generate points along edge 3 of patch %d\n",
                                            "Cannot generate points along edge 4 of path %d\n"};
    for (int k = 1; k <= 4; ++k) {
        bool ok = patch.curves_per_edge[k] > 0;
        int first[6];
        edge_first_curves(patch, first);
        for (int pos = first[k]; pos < first[k + 1] && ok; ++pos) {
            const int c = std::abs(patch.curves_id[at(pos)]);
            ok = c >= 1 && c <= run.nCurves && run.curves[c].num_new_points >= 2;
        }
        if (!ok) {
            report(failures[k], patch.id);
            return 0;
        }
    }
    return 1;
}

void mark_cut_corners(const Run& run, Subregion& patch) {
    EdgeNodes edges[5];
    for (int k = 1; k <= 4; ++k) boundary_order_nodes(run, patch, k, edges[k]);
    for (int k = 1; k <= 4; ++k) {
        const EdgeNodes& cur = edges[k];
        const EdgeNodes& prev = edges[k == 1 ? 4 : k - 1];
        const Vec3 A = run.new_points[cur.nodes[1]].pos();
        const Vec3 B = run.new_points[cur.nodes[2]].pos();
        const Vec3 C = run.new_points[prev.nodes[at(prev.count() - 1)]].pos();
        const double angle = ANGLEXYZ(A, B, C);  // kAngleUndefined when a node repeats: no cut
        patch.edge_flags[k] = angle > kCutCornerAngle && angle != kAngleUndefined ? 1 : 0;
    }
}

int removeDuplicates(int& n, const std::vector<int>& /*index*/, std::vector<double>& values) {
    if (n <= 0) return 1;
    std::vector<double> kept;
    kept.reserve(at(n) + 1);
    kept.push_back(0.0);
    double current = values[1];
    for (int i = 2; i <= n; ++i) {
        if (values[at(i)] - current <= kMergeTolerance) {
            current = (current + values[at(i)]) / 2.0;
        } else {
            kept.push_back(current);
            current = values[at(i)];
        }
    }
    kept.push_back(current);
    n = static_cast<int>(kept.size()) - 1;
    values = std::move(kept);
    return 1;
}

namespace {

// Hermite interval data of one edge: per node its tangent (from the Hermite
// model of the curve it belongs to) and the normalised cumulative length.
struct EdgeCurveModel {
    std::vector<Vec3> P;          // 1..n
    std::vector<Vec3> t_start;    // tangent at the start of interval i
    std::vector<Vec3> t_end;      // tangent at the end of interval i
    std::vector<double> L;        // chord of interval i
    std::vector<double> s;        // 1..n, 0 .. 1
};

void build_edge_model(const Run& run, const EdgeNodes& edge, EdgeCurveModel& m) {
    const int n = edge.count();
    const int curves = static_cast<int>(edge.curve_starts.size()) - 1;
    m.P.assign(at(n) + 1, Vec3{});
    for (int i = 1; i <= n; ++i) m.P[at(i)] = run.new_points[edge.nodes[at(i)]].pos();
    m.t_start.assign(at(n) + 1, Vec3{});
    m.t_end.assign(at(n) + 1, Vec3{});
    m.L.assign(at(n) + 1, 0.0);
    for (int c = 1; c <= curves; ++c) {
        const int a = edge.curve_starts[at(c)];
        const int b = c < curves ? edge.curve_starts[at(c + 1)] : n;
        std::vector<Vec3> Q(1);
        for (int i = a; i <= b; ++i) Q.push_back(m.P[at(i)]);
        HermiteChain chain;
        chain.build(b - a + 1, Q);
        for (int i = a; i < b; ++i) {
            m.t_start[at(i)] = chain.tangent(i - a + 1).dir;
            m.t_end[at(i)] = chain.tangent(i - a + 2).dir;
            m.L[at(i)] = chain.chord(i - a + 1).length;
        }
    }
    m.s.assign(at(n) + 1, 0.0);
    for (int i = 1; i < n; ++i)
        m.s[at(i + 1)] = m.s[at(i)] + hermite_segment_length(m.P[at(i)], m.P[at(i + 1)], m.t_start[at(i)],
                                                            m.t_end[at(i)], m.L[at(i)]);
    const double total = m.s[at(n)];
    for (int i = 1; i <= n; ++i) m.s[at(i)] = total > 0.0 ? m.s[at(i)] / total : (i - 1.0) / std::max(1, n - 1);
}

Vec3 edge_point_at(const EdgeCurveModel& m, int n, double t) {
    for (int i = 1; i < n; ++i) {
        const double ds = m.s[at(i + 1)] - m.s[at(i)];
        const double lambda = ds > 0.0 ? (t - m.s[at(i)]) / ds : -1.0;
        if (lambda >= 0.0 && lambda <= 1.0)
            return hermite_point(m.P[at(i)], m.P[at(i + 1)], m.t_start[at(i)], m.t_end[at(i)], m.L[at(i)], lambda);
    }
    return t < 0.5 ? m.P[1] : m.P[at(n)];  // rounding just outside [0, 1]
}

}  // namespace

void sample_edge_curves(const Run& run, const Subregion& patch, int k, int sub_steps, bool boundary_order,
                        std::vector<EdgeSample>& out) {
    EdgeNodes edge;
    if (boundary_order)
        boundary_order_nodes(run, patch, k, edge);
    else
        collect_edge_nodes(run, patch, k, edge);
    EdgeCurveModel m;
    build_edge_model(run, edge, m);
    const int n = edge.count();
    out.clear();
    for (int i = 1; i < n; ++i) {
        out.push_back({m.P[at(i)], edge.nodes[at(i)]});
        for (int j = 1; j < sub_steps; ++j)
            out.push_back({hermite_point(m.P[at(i)], m.P[at(i + 1)], m.t_start[at(i)], m.t_end[at(i)], m.L[at(i)],
                                         static_cast<double>(j) / sub_steps),
                           0});
    }
    if (n >= 1) out.push_back({m.P[at(n)], edge.nodes[at(n)]});
}

int generatePointsOnEdge(const Run& run, const Subregion& patch, int k, int N, const std::vector<double>& t,
                         std::vector<Vec3>& out) {
    EdgeNodes edge;
    collect_edge_nodes(run, patch, k, edge);
    const int icur = static_cast<int>(edge.curve_starts.size()) - 1;
    if (icur != patch.curves_per_edge[k]) {
        report(" Internal error in generatePointsOnEdge():\n icur=%i  !=  nCurves=%i\n", icur, patch.curves_per_edge[k]);
        return 0;
    }
    const int n = edge.count();
    EdgeCurveModel m;
    build_edge_model(run, edge, m);
    out.assign(at(N) + 1, Vec3{});
    out[1] = m.P[1];
    out[at(N)] = m.P[at(n)];
    for (int j = 2; j < N; ++j) out[at(j)] = edge_point_at(m, n, t[at(j)]);
    // The edge's own nodes are reproduced exactly.
    for (int i = 2; i < n; ++i) {
        int best = 0;
        double best_d = kNotComputed;
        for (int j = 2; j < N; ++j) {
            const double d = distance(out[at(j)], m.P[at(i)]);
            if (d < best_d) {
                best_d = d;
                best = j;
            }
        }
        if (best == 0) {
            report(" Internal error in generatePointsOnEdge().\n");
            return 0;
        }
        out[at(best)] = m.P[at(i)];
    }
    return 1;
}

}  // namespace korvex
