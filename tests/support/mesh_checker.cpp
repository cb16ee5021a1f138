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

bool corners_valid(std::size_t num_nodes, const Quad& q, int e, int base, Collector& out) {
    bool ok = true;
    for (int k = 0; k < 4; ++k) {
        const int v = q[static_cast<std::size_t>(k)] - base;
        if (v < 0 || v >= static_cast<int>(num_nodes)) {
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
        if (corners_valid(nodes.size(), quads[e], id, options.base, out)) check_orientation(nodes, quads[e], id, options, extent, out);
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

namespace {

Point3 sub(const Point3& a, const Point3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const Point3& a, const Point3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Point3 cross3(const Point3& a, const Point3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double norm(const Point3& a) { return std::sqrt(dot(a, a)); }
Point3 unit(const Point3& a) {
    const double l = norm(a);
    return l > 0 ? Point3{a[0] / l, a[1] / l, a[2] / l} : Point3{0, 0, 0};
}

// Radial coordinates of p about an axis: (height along the axis, distance from it).
std::pair<double, double> axial(const Point3& p, const Point3& origin, const Point3& axis) {
    const Point3 d = sub(p, origin);
    const double h = dot(d, axis);
    const Point3 r{d[0] - h * axis[0], d[1] - h * axis[1], d[2] - h * axis[2]};
    return {h, norm(r)};
}

// Smallest scaled Jacobian of the four corners of q, measured against the
// element's mean normal (the cross product of its diagonals).
double min_corner_jacobian(const std::vector<Point3>& nodes, const Quad& q, int base) {
    auto P = [&](int k) -> const Point3& {
        return nodes[static_cast<std::size_t>(q[static_cast<std::size_t>(k % 4)] - base)];
    };
    const Point3 n = unit(cross3(sub(P(2), P(0)), sub(P(3), P(1))));
    double worst = 1;
    for (int k = 0; k < 4; ++k) {
        const Point3 a = sub(P(k + 1), P(k)), b = sub(P(k + 3), P(k));
        const double la = norm(a), lb = norm(b);
        const double sj = (la > 0 && lb > 0) ? dot(cross3(a, b), n) / (la * lb) : -1;
        worst = std::min(worst, sj);
    }
    return worst;
}

void check_curved_edges(const std::vector<Quad>& quads, const std::vector<std::string>& groups, Collector& out) {
    std::map<Edge, std::vector<std::size_t>> users;  // undirected edge -> elements
    for (std::size_t e = 0; e < quads.size(); ++e)
        for (int k = 0; k < 4; ++k) {
            const int a = quads[e][static_cast<std::size_t>(k)], b = quads[e][static_cast<std::size_t>((k + 1) % 4)];
            users[{std::min(a, b), std::max(a, b)}].push_back(e);
        }
    auto group = [&](std::size_t e) { return groups.empty() ? std::string() : groups[e]; };
    auto runs_forward = [&](std::size_t e, const Edge& edge) {
        for (int k = 0; k < 4; ++k)
            if (quads[e][static_cast<std::size_t>(k)] == edge.first &&
                quads[e][static_cast<std::size_t>((k + 1) % 4)] == edge.second)
                return true;
        return false;
    };
    for (const auto& [edge, elems] : users) {
        const std::string name = std::to_string(edge.first) + "-" + std::to_string(edge.second);
        if (elems.size() > 2) {
            out.add("edge " + name + " is used by more than two elements");
        } else if (elems.size() == 2 && group(elems[0]) == group(elems[1]) &&
                   runs_forward(elems[0], edge) == runs_forward(elems[1], edge)) {
            out.add("edge " + name + " is run in the same direction by elements " + std::to_string(elems[0] + 1) +
                    " and " + std::to_string(elems[1] + 1) + " of one group (inconsistent orientation)");
        }
    }
}

void check_curved_nodes(const std::vector<Point3>& nodes, const std::vector<Quad>& quads,
                        const std::vector<std::string>& groups, const CurvedMeshCheck& c, Collector& out,
                        CurvedMeshReport& report) {
    std::vector<char> used(nodes.size(), 0);
    for (std::size_t e = 0; e < quads.size(); ++e) {
        const auto found = groups.empty() ? c.surface_of.end() : c.surface_of.find(groups[e]);
        const SurfaceDistance& surface = found != c.surface_of.end() ? found->second : c.surface;
        for (int v : quads[e]) {
            const auto i = static_cast<std::size_t>(v - c.base);
            if (!surface || used[i] == 2) {
                used[i] = std::max<char>(used[i], 1);
                continue;
            }
            used[i] = 2;
            const double d = surface(nodes[i]);
            report.max_distance = std::max(report.max_distance, d);
            if (!(d <= c.max_distance)) {
                std::ostringstream s;
                s << "node " << v << " is " << d << " from the surface of element " << e + 1;
                out.add(s.str());
            }
        }
    }
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (!used[i]) out.add("node " + std::to_string(static_cast<int>(i) + c.base) + " is used by no element");
}

void check_coincident_3d(const std::vector<Point3>& nodes, double tol, int base, Collector& out) {
    std::vector<std::size_t> order(nodes.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return nodes[a][0] < nodes[b][0]; });
    for (std::size_t i = 0; i < order.size(); ++i)
        for (std::size_t j = i + 1; j < order.size() && nodes[order[j]][0] - nodes[order[i]][0] <= tol; ++j)
            if (norm(sub(nodes[order[i]], nodes[order[j]])) <= tol)
                out.add("nodes " + std::to_string(static_cast<int>(order[i]) + base) + " and " +
                        std::to_string(static_cast<int>(order[j]) + base) + " coincide");
}

}  // namespace

SurfaceDistance plane_surface(const Point3& point, const Point3& normal) {
    const Point3 n = unit(normal);
    return [point, n](const Point3& p) { return std::fabs(dot(sub(p, point), n)); };
}

SurfaceDistance sphere_surface(const Point3& centre, double radius) {
    return [centre, radius](const Point3& p) { return std::fabs(norm(sub(p, centre)) - radius); };
}

SurfaceDistance cylinder_surface(const Point3& axis_point, const Point3& axis_direction, double radius) {
    const Point3 a = unit(axis_direction);
    return [axis_point, a, radius](const Point3& p) { return std::fabs(axial(p, axis_point, a).second - radius); };
}

SurfaceDistance revolution_surface(const Point3& axis_point, const Point3& axis_direction,
                                   std::function<double(double)> profile) {
    const Point3 a = unit(axis_direction);
    return [axis_point, a, profile](const Point3& p) {
        const auto [h, rho] = axial(p, axis_point, a);
        return std::fabs(rho - profile(h));
    };
}

SurfaceDistance height_surface(std::function<double(double, double)> f) {
    return [f](const Point3& p) { return std::fabs(p[2] - f(p[0], p[1])); };
}

CurvedMeshReport check_curved_quad_mesh(const std::vector<Point3>& nodes, const std::vector<Quad>& quads,
                                        const std::vector<std::string>& groups, const CurvedMeshCheck& check) {
    CurvedMeshReport report;
    Collector out{{}, check.max_messages};
    if (quads.empty()) out.add("the mesh has no element");
    if (!groups.empty() && groups.size() != quads.size()) out.add("the group list does not match the elements");
    double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300};
    for (const Point3& p : nodes)
        for (std::size_t k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
    const double extent = nodes.empty() ? 1.0 : std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2], 1e-300});
    bool all_valid = true;
    for (std::size_t e = 0; e < quads.size(); ++e) {
        const int id = static_cast<int>(e) + 1;
        if (!corners_valid(nodes.size(), quads[e], id, check.base, out)) {
            all_valid = false;
            continue;
        }
        const double sj = min_corner_jacobian(nodes, quads[e], check.base);
        report.min_scaled_jacobian = std::min(report.min_scaled_jacobian, sj);
        if (!(sj > check.min_scaled_jacobian)) {
            std::ostringstream s;
            s << quad_text(id, quads[e]) << ": smallest corner scaled Jacobian " << sj << " is not above "
              << check.min_scaled_jacobian;
            out.add(s.str());
        }
    }
    if (!groups.empty() && groups.size() != quads.size()) all_valid = false;
    check_curved_edges(quads, groups.size() == quads.size() ? groups : std::vector<std::string>{}, out);
    if (all_valid) {
        check_curved_nodes(nodes, quads, groups, check, out, report);
        check_coincident_3d(nodes, check.coincidence * extent, check.base, out);
    }
    report.failures = std::move(out.lines);
    return report;
}

std::string join_failures(const std::vector<std::string>& failures) {
    std::string s;
    for (const std::string& f : failures) s += f + "\n";
    return s;
}

}  // namespace korvex::test
