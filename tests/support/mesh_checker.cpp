#include "support/mesh_checker.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <utility>

namespace korvex::test {

namespace {

struct Collector {
    std::vector<std::string> lines;
    std::size_t limit;
    void add(const std::string& s) {
        if (lines.size() < limit) lines.push_back(s);
        else if (lines.size() == limit) lines.push_back("... further failures omitted");
    }
};

std::string quad_text(int e, const Quad& q) {
    std::ostringstream s;
    s << "element " << e << " (" << q[0] << ", " << q[1] << ", " << q[2] << ", " << q[3] << ")";
    return s.str();
}

double cross(const Point2& o, const Point2& a, const Point2& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

bool corners_valid(const std::vector<Point2>& nodes, const Quad& q, int e, int base, Collector& out) {
    bool ok = true;
    for (int k = 0; k < 4; ++k) {
        const int v = q[static_cast<std::size_t>(k)] - base;
        if (v < 0 || v >= static_cast<int>(nodes.size())) {
            out.add(quad_text(e, q) + ": corner " + std::to_string(q[static_cast<std::size_t>(k)]) + " is no node");
            ok = false;
        }
    }
    std::set<int> distinct(q.begin(), q.end());
    if (distinct.size() != 4) {
        out.add(quad_text(e, q) + ": corners are not distinct");
        ok = false;
    }
    return ok;
}

void check_orientation(const std::vector<Point2>& nodes, const Quad& q, int e, const MeshCheckOptions& o,
                       double extent, Collector& out) {
    auto P = [&](int k) -> const Point2& { return nodes[static_cast<std::size_t>(q[static_cast<std::size_t>(k)] - o.base)]; };
    double area = 0;
    for (int k = 0; k < 4; ++k) area += P(k)[0] * P((k + 1) % 4)[1] - P((k + 1) % 4)[0] * P(k)[1];
    area /= 2;
    const double tiny = 1e-12 * extent * extent;
    if (area <= tiny) {
        std::ostringstream s;
        s << quad_text(e, q) << ": area " << area << " is not positive (clockwise or degenerate)";
        out.add(s.str());
        return;
    }
    if (!o.require_convex_corners) return;
    for (int k = 0; k < 4; ++k) {
        const double c = cross(P(k), P((k + 1) % 4), P((k + 3) % 4));
        if (c <= tiny) {
            std::ostringstream s;
            s << quad_text(e, q) << ": corner " << q[static_cast<std::size_t>(k)] << " is folded or flat (cross " << c << ")";
            out.add(s.str());
        }
    }
}

using Edge = std::pair<int, int>;

void check_edges(const std::vector<Quad>& quads, const MeshCheckOptions& o, Collector& out,
                 std::map<Edge, int>& directed) {
    std::map<Edge, int> undirected;
    for (std::size_t e = 0; e < quads.size(); ++e) {
        for (int k = 0; k < 4; ++k) {
            const int a = quads[e][static_cast<std::size_t>(k)], b = quads[e][static_cast<std::size_t>((k + 1) % 4)];
            if (++directed[{a, b}] == 2)
                out.add("edge " + std::to_string(a) + "->" + std::to_string(b) +
                        " is run in the same direction by two elements");
            if (++undirected[{std::min(a, b), std::max(a, b)}] == 3)
                out.add("edge " + std::to_string(a) + "-" + std::to_string(b) + " is used by more than two elements");
        }
    }
    (void)o;
}

void check_boundary(const MeshCheckOptions& o, const std::map<Edge, int>& directed, Collector& out) {
    std::set<Edge> expected;
    for (const auto& chain : o.boundary_chains)
        for (std::size_t i = 0; i < chain.size(); ++i) expected.insert({chain[i], chain[(i + 1) % chain.size()]});
    for (const auto& [edge, count] : directed) {
        (void)count;
        const bool free = directed.find({edge.second, edge.first}) == directed.end();
        if (free && !expected.count(edge))
            out.add("free edge " + std::to_string(edge.first) + "->" + std::to_string(edge.second) +
                    " is not on the boundary chain");
    }
    for (const Edge& edge : expected) {
        const bool present = directed.count(edge) && !directed.count({edge.second, edge.first});
        if (!present)
            out.add("boundary edge " + std::to_string(edge.first) + "->" + std::to_string(edge.second) +
                    " is not a free edge of the mesh in that direction");
    }
}

void check_nodes(const std::vector<Point2>& nodes, const std::vector<Quad>& quads, const MeshCheckOptions& o,
                 double extent, Collector& out) {
    std::vector<char> used(nodes.size(), 0);
    for (const Quad& q : quads)
        for (int v : q)
            if (v - o.base >= 0 && v - o.base < static_cast<int>(nodes.size())) used[static_cast<std::size_t>(v - o.base)] = 1;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (!used[i]) out.add("node " + std::to_string(static_cast<int>(i) + o.base) + " is used by no element");
    // Coincident nodes: sort by x and compare within the tolerance window.
    const double tol = o.coincidence * extent;
    std::vector<std::size_t> order(nodes.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return nodes[a][0] < nodes[b][0]; });
    for (std::size_t i = 0; i < order.size(); ++i) {
        for (std::size_t j = i + 1; j < order.size() && nodes[order[j]][0] - nodes[order[i]][0] <= tol; ++j) {
            const auto& a = nodes[order[i]];
            const auto& b = nodes[order[j]];
            if (std::hypot(a[0] - b[0], a[1] - b[1]) <= tol)
                out.add("nodes " + std::to_string(static_cast<int>(order[i]) + o.base) + " and " +
                        std::to_string(static_cast<int>(order[j]) + o.base) + " coincide");
        }
    }
}

}  // namespace

std::vector<std::string> check_quad_mesh(const std::vector<Point2>& nodes, const std::vector<Quad>& quads,
                                         const MeshCheckOptions& options) {
    Collector out{{}, options.max_messages};
    if (quads.empty()) out.add("the mesh has no element");
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    for (const Point2& p : nodes)
        for (int k = 0; k < 2; ++k) {
            lo[k] = std::min(lo[k], p[static_cast<std::size_t>(k)]);
            hi[k] = std::max(hi[k], p[static_cast<std::size_t>(k)]);
        }
    const double extent = nodes.empty() ? 1.0 : std::max({hi[0] - lo[0], hi[1] - lo[1], 1e-300});
    bool all_valid = true;
    for (std::size_t e = 0; e < quads.size(); ++e) {
        const int id = static_cast<int>(e) + options.base;
        if (corners_valid(nodes, quads[e], id, options.base, out)) check_orientation(nodes, quads[e], id, options, extent, out);
        else all_valid = false;
    }
    std::map<Edge, int> directed;
    check_edges(quads, options, out, directed);
    if (!options.boundary_chains.empty()) check_boundary(options, directed, out);
    if (all_valid) check_nodes(nodes, quads, options, extent, out);
    return out.lines;
}

std::vector<std::string> check_quad_mesh(const std::vector<Point3>& nodes, const std::vector<Quad>& quads,
                                         const Point3& normal, const MeshCheckOptions& options) {
    const double len = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    if (len == 0) return {"the plane normal is zero"};
    const Point3 n{normal[0] / len, normal[1] / len, normal[2] / len};
    // u: any unit vector perpendicular to n; v = n x u.
    Point3 t = std::fabs(n[0]) < 0.9 ? Point3{1, 0, 0} : Point3{0, 1, 0};
    const double d = t[0] * n[0] + t[1] * n[1] + t[2] * n[2];
    Point3 u{t[0] - d * n[0], t[1] - d * n[1], t[2] - d * n[2]};
    const double ul = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
    for (double& c : u) c /= ul;
    const Point3 v{n[1] * u[2] - n[2] * u[1], n[2] * u[0] - n[0] * u[2], n[0] * u[1] - n[1] * u[0]};
    std::vector<Point2> flat;
    flat.reserve(nodes.size());
    for (const Point3& p : nodes)
        flat.push_back({p[0] * u[0] + p[1] * u[1] + p[2] * u[2], p[0] * v[0] + p[1] * v[1] + p[2] * v[2]});
    return check_quad_mesh(flat, quads, options);
}

std::string join_failures(const std::vector<std::string>& failures) {
    std::string s;
    for (const std::string& f : failures) s += f + "\n";
    return s;
}

}  // namespace korvex::test
