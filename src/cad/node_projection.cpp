#include "cad/node_projection.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <BRep_Tool.hxx>
#include <GeomAPI_ProjectPointOnCurve.hxx>
#include <Geom_Curve.hxx>
#include <Geom_Surface.hxx>
#include <ShapeAnalysis_Surface.hxx>
#include <Standard_Failure.hxx>

#include "base/scaled_jacobian.h"
#include "output/result_mesh.h"

namespace korvex::cad {

namespace {

using output::ResultMesh;

// Searches on a face's surface stop within this fraction of the element size
// (the nodes must lie within 1e-3 of it).
constexpr double kProjectionPrecision = 1e-7;

// Nearest points of a face's surface: a local search from the parameters
// of the last point found (the nodes come element by element, each near the
// last one), the global search for the first point and wherever the local
// one ends farther than `reach` from the point. On a B-spline surface the
// global search is many times slower.
class FaceProjector {
public:
    FaceProjector(const TopoDS_Face& face, double precision, double reach)
        : surface_(BRep_Tool::Surface(face)), precision_(precision), reach_(reach) {}

    // Distance of p from the surface; the nearest point in `nearest`.
    double project(const Vec3& p, Vec3& nearest) {
        const gp_Pnt point(p[0], p[1], p[2]);
        last_ = started_ ? surface_.NextValueOfUV(last_, point, precision_, reach_) : surface_.ValueOfUV(point, precision_);
        started_ = true;
        const gp_Pnt q = surface_.Value(last_);
        nearest = Vec3{q.X(), q.Y(), q.Z()};
        return q.Distance(point);
    }

private:
    ShapeAnalysis_Surface surface_;
    double precision_, reach_;
    gp_Pnt2d last_;
    bool started_ = false;
};

// Nodes on edges that only one element of the group uses, and nodes that
// elements of other groups use: the group's boundary.
std::set<int> boundary_nodes(const ResultMesh& mesh, const std::vector<int>& group, const std::vector<int>& owner,
                            int g) {
    std::map<std::pair<int, int>, int> uses;
    for (int e : group) {
        const auto& n = mesh.elements[e].nodes;
        for (int k = 0; k < 4; ++k) ++uses[std::minmax(n[k], n[(k + 1) % 4])];
    }
    std::set<int> boundary;
    for (const auto& [edge, count] : uses)
        if (count == 1) boundary.insert({edge.first, edge.second});
    for (int e : group)
        for (int node : mesh.elements[e].nodes)
            if (owner[node] != g) boundary.insert(node);
    return boundary;
}

double min_scaled_jacobian(const ResultMesh& mesh, int e) {
    std::array<Vec3, 4> p;
    for (int k = 0; k < 4; ++k) p[k] = mesh.at(mesh.elements[e].nodes[k]);
    const Vec3 normal = cross(p[2] - p[0], p[3] - p[1]);
    const double length = norm(normal);
    if (length == 0) return -1;
    double worst = 1;
    for (std::size_t k = 0; k < 4; ++k) {
        const Vec3 a = p[(k + 1) % 4] - p[k], b = p[(k + 3) % 4] - p[k];
        worst = std::min(worst, scaled_jacobian(quad_corner_normal(p, k), norm(a) * norm(b), normal, length));
    }
    return worst;
}

double worst_of(const ResultMesh& mesh, const std::vector<int>& group) {
    double worst = 1;
    for (int e : group) worst = std::min(worst, min_scaled_jacobian(mesh, e));
    return worst;
}

// Rounds of smoothing of a free-form face's moved nodes at most: a node
// projected from the engine's blended patch onto a steep face lands where
// the face turns away from the patch, crowded against its neighbours.
constexpr int kSmoothingRounds = 5;

// The mean length of the group's element sides.
double size_of(const ResultMesh& mesh, const std::vector<int>& group) {
    double sum = 0;
    for (int e : group) {
        const auto& n = mesh.elements[e].nodes;
        for (int k = 0; k < 4; ++k) sum += norm(mesh.at(n[(k + 1) % 4]) - mesh.at(n[k]));
    }
    return group.empty() ? 0 : sum / (4.0 * static_cast<double>(group.size()));
}

// Each round moves every movable node to the mean of its neighbours along
// element edges and back onto the face (a local search from the node's
// last surface parameters: the global projector is far slower); a round
// that lowers the group's smallest scaled Jacobian is undone and ends the
// smoothing.
void smooth_on_face(ResultMesh& mesh, const std::vector<int>& group, const std::set<int>& movable,
                    const TopoDS_Face& face, double precision) {
    ShapeAnalysis_Surface surface(BRep_Tool::Surface(face));
    std::map<int, std::set<int>> neighbours;
    for (int e : group) {
        const auto& n = mesh.elements[e].nodes;
        for (int k = 0; k < 4; ++k)
            if (movable.count(n[k])) neighbours[n[k]].insert({n[(k + 1) % 4], n[(k + 3) % 4]});
    }
    std::map<int, gp_Pnt2d> uv;
    for (const auto& [node, around] : neighbours) {
        const Vec3& p = mesh.at(node);
        uv[node] = surface.ValueOfUV(gp_Pnt(p[0], p[1], p[2]), precision);
    }
    for (int round = 0; round < kSmoothingRounds; ++round) {
        const double worst = worst_of(mesh, group);
        std::vector<std::pair<int, Vec3>> before;
        for (const auto& [node, around] : neighbours) {
            Vec3 mean{0, 0, 0};
            for (int m : around) mean = mean + mesh.at(m) * (1.0 / static_cast<double>(around.size()));
            before.emplace_back(node, mesh.at(node));
            uv[node] = surface.NextValueOfUV(uv[node], gp_Pnt(mean[0], mean[1], mean[2]), precision);
            const gp_Pnt q = surface.Value(uv[node]);
            mesh.nodes[node - 1].p = Vec3{q.X(), q.Y(), q.Z()};
        }
        if (worst_of(mesh, group) >= worst) continue;
        for (const auto& [node, p] : before) mesh.nodes[node - 1].p = p;
        return;
    }
}

bool rewrite_nodes(const std::string& path, const ResultMesh& mesh, const std::set<int>& moved, std::string& error) {
    std::ifstream in(path);
    std::ostringstream out;
    std::string line;
    int node = 0;
    while (std::getline(in, line)) {
        if (line.rfind("Node :", 0) == 0 && moved.count(++node)) {
            const auto& n = mesh.nodes[node - 1];
            char text[160];
            std::snprintf(text, sizeof text, "Node : %6i %+22.15g  %+22.15g  %+22.15g    ", node, n.p[0], n.p[1], n.p[2]);
            line = text + n.name;
        }
        out << line << '\n';
    }
    in.close();
    std::ofstream file(path, std::ios::trunc);
    file << out.str();
    if (!file) error = "cannot rewrite " + path;
    return static_cast<bool>(file);
}

}  // namespace

namespace {

// The nodes of each smooth curve onto its CAD edge; an element spoiled by
// the move gets its nodes back.
void move_curve_nodes(ResultMesh& mesh, const std::vector<ModelCurve>& curves, std::set<int>& moved,
                      ProjectionReport& report) {
    std::map<std::string, const ModelCurve*> by_name;
    for (const ModelCurve& c : curves)
        if (!c.edge.IsNull()) by_name[c.name] = &c;
    const ResultMesh original = mesh;
    std::set<int> on_curves;
    for (std::size_t n = 0; n < mesh.nodes.size(); ++n) {
        const auto it = by_name.find(mesh.nodes[n].name);
        if (it == by_name.end()) continue;
        double first = 0, last = 0;
        const Handle(Geom_Curve) curve = BRep_Tool::Curve(it->second->edge, first, last);
        if (curve.IsNull()) continue;
        const Vec3 p = mesh.nodes[n].p;
        GeomAPI_ProjectPointOnCurve projector(gp_Pnt(p[0], p[1], p[2]), curve, first, last);
        if (projector.NbPoints() == 0) continue;
        const gp_Pnt q = projector.NearestPoint();
        report.max_move = std::max(report.max_move, projector.LowerDistance());
        mesh.nodes[n].p = Vec3{q.X(), q.Y(), q.Z()};
        on_curves.insert(static_cast<int>(n) + 1);
    }
    for (std::size_t e = 0; e < mesh.elements.size(); ++e) {
        const int element = static_cast<int>(e);
        if (min_scaled_jacobian(mesh, element) > 0 || min_scaled_jacobian(original, element) <= 0) continue;
        ++report.kept_for_validity;
        for (int n : mesh.elements[e].nodes) {
            mesh.nodes[n - 1].p = original.nodes[n - 1].p;
            on_curves.erase(n);
        }
    }
    moved.insert(on_curves.begin(), on_curves.end());
}

bool move_nodes(const std::string& m3d, const std::vector<ModelSubregion>& subregions,
                const std::vector<ModelCurve>& curves, ProjectionReport& report, std::string& error) {
    ResultMesh mesh;
    if (!output::read_result_mesh(m3d, mesh, error)) return false;
    std::set<int> moved;
    move_curve_nodes(mesh, curves, moved, report);
    std::map<std::string, std::size_t> index;
    for (std::size_t s = 0; s < subregions.size(); ++s) index[subregions[s].name] = s;
    std::vector<std::vector<int>> groups(subregions.size());
    std::vector<int> owner(mesh.nodes.size() + 1, -1);  // a node's group, -2 when several
    for (std::size_t e = 0; e < mesh.elements.size(); ++e) {
        const auto it = index.find(mesh.elements[e].subregion);
        const int g = it == index.end() ? -3 : static_cast<int>(it->second);
        if (g >= 0) groups[g].push_back(static_cast<int>(e));
        for (int n : mesh.elements[e].nodes) owner[n] = owner[n] == -1 || owner[n] == g ? g : -2;
    }
    const ResultMesh original = mesh;
    std::set<int> inside;  // interior nodes of curved faces, moved
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (!subregions[g].move_nodes || groups[g].empty()) continue;
        const double size = size_of(mesh, groups[g]);
        FaceProjector surface(subregions[g].face, kProjectionPrecision * size, size);
        const std::set<int> boundary = boundary_nodes(mesh, groups[g], owner, static_cast<int>(g));
        for (int e : groups[g])
            for (int n : mesh.elements[e].nodes) {
                if (boundary.count(n) || inside.count(n)) continue;
                Vec3 nearest;
                const double d = surface.project(mesh.at(n), nearest);
                mesh.nodes[n - 1].p = nearest;
                inside.insert(n);
                moved.insert(n);
                report.max_move = std::max(report.max_move, d);
            }
        // An element spoiled by the move gets its nodes back.
        for (int e : groups[g]) {
            if (min_scaled_jacobian(mesh, e) > 0 || min_scaled_jacobian(original, e) <= 0) continue;
            ++report.kept_for_validity;
            for (int n : mesh.elements[e].nodes) {
                mesh.nodes[n - 1].p = original.nodes[n - 1].p;
                if (inside.count(n)) moved.erase(n);
            }
        }
        if (subregions[g].type.empty()) {
            std::set<int> movable;
            for (int e : groups[g])
                for (int n : mesh.elements[e].nodes)
                    if (inside.count(n) && moved.count(n)) movable.insert(n);
            smooth_on_face(mesh, groups[g], movable, subregions[g].face, kProjectionPrecision * size);
        }
        for (int e : groups[g])
            for (int n : mesh.elements[e].nodes) {
                Vec3 nearest;
                report.max_distance = std::max(report.max_distance, surface.project(mesh.at(n), nearest));
            }
    }
    for (std::size_t e = 0; e < mesh.elements.size(); ++e)
        report.min_scaled_jacobian = std::min(report.min_scaled_jacobian, min_scaled_jacobian(mesh, static_cast<int>(e)));
    report.moved = static_cast<int>(moved.size());
    return moved.empty() || rewrite_nodes(m3d, mesh, moved, error);
}

}  // namespace

bool has_nodes_to_move(const std::vector<ModelSubregion>& subregions, const std::vector<ModelCurve>& curves) {
    return std::any_of(subregions.begin(), subregions.end(), [](const ModelSubregion& s) { return s.move_nodes; }) ||
           std::any_of(curves.begin(), curves.end(), [](const ModelCurve& c) { return !c.edge.IsNull(); });
}

bool move_nodes_onto_faces(const std::string& m3d, const std::vector<ModelSubregion>& subregions,
                           const std::vector<ModelCurve>& curves, ProjectionReport& report, std::string& error) {
    try {
        return move_nodes(m3d, subregions, curves, report, error);
    } catch (const Standard_Failure& failure) {
        error = m3d + ": moving the nodes onto the CAD faces failed (" + failure.GetMessageString() + ")";
        return false;
    }
}

}  // namespace korvex::cad
