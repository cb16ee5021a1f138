#include "output/node_sets.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

namespace korvex::output {

namespace {

// The nodes joined to each node by an element edge.
class MeshGraph {
public:
    explicit MeshGraph(const ResultMesh& mesh) : neighbours_(mesh.nodes.size() + 1) {
        for (const MeshElement& e : mesh.elements)
            for (std::size_t i = 0; i < 4; ++i) {
                const int a = e.nodes[i], b = e.nodes[(i + 1) % 4];
                if (a == b) continue;
                neighbours_[static_cast<std::size_t>(a)].push_back(b);
                neighbours_[static_cast<std::size_t>(b)].push_back(a);
            }
        for (std::vector<int>& list : neighbours_) {
            std::sort(list.begin(), list.end());
            list.erase(std::unique(list.begin(), list.end()), list.end());
        }
    }
    const std::vector<int>& of(int node) const { return neighbours_[static_cast<std::size_t>(node)]; }

private:
    std::vector<std::vector<int>> neighbours_;
};

// Nodes by name and by place. Two places are one when they lie closer than
// a ten-millionth of the mesh's size: the engine puts a point's node at the
// point's coordinates, and the file keeps 15 digits.
class NodeFinder {
public:
    explicit NodeFinder(const ResultMesh& mesh) : mesh_(mesh) {
        Vec3 lo = mesh.nodes.empty() ? Vec3{} : mesh.nodes[0].p, hi = lo;
        for (std::size_t k = 0; k < mesh.nodes.size(); ++k) {
            const MeshNode& n = mesh.nodes[k];
            by_name_[n.name].push_back(static_cast<int>(k) + 1);
            by_x_.emplace_back(n.p.x, static_cast<int>(k) + 1);
            for (int c = 0; c < 3; ++c) {
                lo[c] = std::min(lo[c], n.p[c]);
                hi[c] = std::max(hi[c], n.p[c]);
            }
        }
        std::sort(by_x_.begin(), by_x_.end());
        tolerance_ = 1e-7 * std::sqrt((hi.x - lo.x) * (hi.x - lo.x) + (hi.y - lo.y) * (hi.y - lo.y) +
                                      (hi.z - lo.z) * (hi.z - lo.z));
    }

    std::vector<int> named(const std::string& name) const {
        const auto it = by_name_.find(name);
        return it == by_name_.end() ? std::vector<int>{} : it->second;
    }

    std::vector<int> at(const Vec3& p) const {
        std::vector<int> found;
        auto it = std::lower_bound(by_x_.begin(), by_x_.end(), std::make_pair(p.x - tolerance_, 0));
        for (; it != by_x_.end() && it->first <= p.x + tolerance_; ++it) {
            const Vec3& q = mesh_.at(it->second);
            if (std::abs(q.y - p.y) <= tolerance_ && std::abs(q.z - p.z) <= tolerance_) found.push_back(it->second);
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    // A named point's nodes: by its name, else the node an internal point
    // renamed at its place.
    std::vector<int> of_point(const OutlinePoint& p) const {
        std::vector<int> nodes = named(p.name);
        if (nodes.empty())
            for (int n : at(p.p))
                if (mesh_.nodes[static_cast<std::size_t>(n - 1)].name == "PINT") nodes.push_back(n);
        return nodes;
    }

private:
    const ResultMesh& mesh_;
    std::map<std::string, std::vector<int>> by_name_;
    std::vector<std::pair<double, int>> by_x_;
    double tolerance_ = 0;
};

struct CurveChain {
    std::set<int> nodes;
    std::set<int> ends;  // the nodes of the first and the last point
    bool closed = false;  // first and last point are one
};

int degree_within(const CurveChain& chain, const MeshGraph& graph, int node) {
    int d = 0;
    for (int n : graph.of(node)) d += chain.nodes.count(n) ? 1 : 0;
    return d;
}

// The point nodes that join loose ends of the chain (nodes with fewer
// neighbours along it than a chain gives them): first those touching two
// loose ends, else internal-point nodes touching one.
std::vector<int> gap_fillers(const CurveChain& chain, const ResultMesh& mesh, const MeshGraph& graph,
                             const std::set<int>& internal) {
    std::map<int, int> touches;
    for (int a : chain.nodes) {
        const int wanted = chain.ends.count(a) && !chain.closed ? 1 : 2;
        if (degree_within(chain, graph, a) >= wanted) continue;
        for (int n : graph.of(a))
            if (!chain.nodes.count(n) && mesh.nodes[static_cast<std::size_t>(n - 1)].name.starts_with("P")) ++touches[n];
    }
    std::vector<int> fillers;
    for (auto [n, count] : touches)
        if (count >= 2) fillers.push_back(n);
    if (fillers.empty())
        for (auto [n, count] : touches)
            if (internal.count(n)) fillers.push_back(n);
    return fillers;
}

// The chain's nodes from its first point along the curve; nodes the walk
// does not reach follow in their number order.
std::vector<int> walk_along(const CurveChain& chain, const MeshGraph& graph, const std::vector<int>& first) {
    std::vector<int> order;
    std::set<int> seen;
    int at = first.empty() ? *chain.nodes.begin() : first.front();
    while (at != 0 && seen.insert(at).second) {
        order.push_back(at);
        int next = 0;
        for (int n : graph.of(at))
            if (chain.nodes.count(n) && !seen.count(n)) {
                next = n;
                break;
            }
        at = next;
    }
    for (int n : chain.nodes)
        if (!seen.count(n)) order.push_back(n);
    return order;
}

NodeSet curve_set(const OutlineCurve& c, const std::map<std::string, const OutlinePoint*>& points,
                  const NodeFinder& finder, const ResultMesh& mesh, const MeshGraph& graph,
                  const std::set<int>& internal) {
    CurveChain chain;
    for (int n : finder.named(c.name)) chain.nodes.insert(n);
    const bool straight = c.name.starts_with("QL");
    std::vector<int> first;
    for (std::size_t k = 0; k < c.points.size(); ++k) {
        const bool end = k == 0 || k + 1 == c.points.size();
        const auto p = points.find(c.points[k]);
        if ((straight && !end) || p == points.end()) continue;
        const std::vector<int> nodes = finder.of_point(*p->second);
        if (k == 0) first = nodes;
        chain.nodes.insert(nodes.begin(), nodes.end());
        if (end) chain.ends.insert(nodes.begin(), nodes.end());
    }
    chain.closed = c.points.size() > 1 && c.points.front() == c.points.back();
    // Each round closes the gaps one node wide; a few rounds close wider ones.
    constexpr int kGapRounds = 8;
    for (int round = 0; round < kGapRounds && !chain.nodes.empty(); ++round) {
        const std::vector<int> fillers = gap_fillers(chain, mesh, graph, internal);
        if (fillers.empty()) break;
        chain.nodes.insert(fillers.begin(), fillers.end());
    }
    NodeSet set{c.name, NodeSetKind::curve, {}};
    if (!chain.nodes.empty()) set.nodes = walk_along(chain, graph, first);
    return set;
}

}  // namespace

std::vector<NodeSet> find_node_sets(const ResultMesh& mesh, const ModelOutline& model) {
    const MeshGraph graph(mesh);
    const NodeFinder finder(mesh);
    std::map<std::string, const OutlinePoint*> points;
    std::set<int> internal;  // the nodes of internal points
    for (const OutlinePoint& p : model.points) {
        points.emplace(p.name, &p);
        if (p.internal)
            for (int n : finder.at(p.p)) internal.insert(n);
    }
    std::vector<NodeSet> sets;
    for (const OutlineCurve& c : model.curves) sets.push_back(curve_set(c, points, finder, mesh, graph, internal));
    for (const OutlinePoint& p : model.points) {
        if (p.internal) sets.push_back({p.name, NodeSetKind::internal_point, finder.at(p.p)});
        else sets.push_back({p.name, NodeSetKind::point, finder.of_point(p)});
    }
    std::erase_if(sets, [](const NodeSet& s) { return s.nodes.empty(); });
    return sets;
}

std::vector<std::vector<std::array<int, 2>>> edges_within_sets(const ResultMesh& mesh) {
    const MeshGraph graph(mesh);
    std::vector<std::vector<std::array<int, 2>>> all;
    for (const NodeSet& set : mesh.node_sets) {
        std::map<int, std::size_t> position;
        for (std::size_t k = 0; k < set.nodes.size(); ++k) position.emplace(set.nodes[k], k);
        std::vector<std::array<int, 2>>& edges = all.emplace_back();
        for (std::size_t k = 0; k < set.nodes.size(); ++k)
            for (int n : graph.of(set.nodes[k])) {
                const auto it = position.find(n);
                if (it != position.end() && it->second > k) edges.push_back({set.nodes[k], n});
            }
    }
    return all;
}

const char* node_set_kind_word(NodeSetKind kind) {
    switch (kind) {
    case NodeSetKind::curve: return "curve";
    case NodeSetKind::point: return "point";
    case NodeSetKind::internal_point: return "internal";
    }
    return "";
}

bool attach_node_sets(ResultMesh& mesh, const std::string& model_path, std::string& error) {
    ModelOutline model;
    if (!read_model_outline(model_path, model, error)) return false;
    mesh.node_sets = find_node_sets(mesh, model);
    return true;
}

std::string model_beside(const std::string& mesh_path) {
    std::filesystem::path model(mesh_path);
    model.replace_extension(".sur");
    std::error_code ignored;
    return std::filesystem::is_regular_file(model, ignored) ? model.string() : "";
}

}  // namespace korvex::output
