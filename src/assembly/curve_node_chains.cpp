// The global nodes of every curve, ordered along it as a nearest-neighbour
// chain.
#include <algorithm>
#include <limits>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "assembly/internal_points.h"
#include "base/messages.h"

namespace korvex {

namespace {

using NodesByName = std::map<std::string, std::vector<int>, std::less<>>;

// Global nodes per saved name, each list ascending.
NodesByName nodes_by_saved_name(const Run& run) {
    NodesByName out;
    for (int j = 1; j <= run.num_nodes; ++j) {
        const auto name = run.nodes3D[j].name_original.view();
        if (name.empty() || name[0] == 'R') continue;
        out[std::string(name)].push_back(j);
    }
    return out;
}

void add_named(const NodesByName& by_name, std::string_view name, std::vector<int>& out) {
    auto it = by_name.find(name);
    if (it != by_name.end()) out.insert(out.end(), it->second.begin(), it->second.end());
}

// Nodes of curve c in global index order, and the start node (0 if none).
std::vector<int> curve_nodes(const Run& run, const Curve& cv, const NodesByName& by_name, int& start) {
    std::vector<int> nodes;
    const bool straight = cv.name.starts_with("QL");
    if (cv.name[0] != 'P') add_named(by_name, cv.name.view(), nodes);
    const int np = std::min(cv.num_points, CURVE_POINT_SLOTS - 1);
    for (int k = 1; k <= np; ++k) {
        if (straight && k != 1 && k != np) continue;
        const auto& pname = cv.point_names[static_cast<std::size_t>(k)];
        if (pname[0] == 'P') add_named(by_name, pname.view(), nodes);
    }
    std::sort(nodes.begin(), nodes.end());
    nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
    start = 0;
    if (np >= 1 && cv.point_names[1][0] == 'P')
        for (int j : nodes)
            if (run.nodes3D[j].name_original == cv.point_names[1]) {
                start = j;
                break;
            }
    return nodes;
}

// Orders nodes (ascending global numbers) as a nearest-neighbour chain from start.
std::vector<int> nearest_neighbour_chain(const Run& run, std::vector<int> rest, int start) {
    std::vector<int> chain{0};
    if (rest.empty()) return chain;
    std::size_t at = 0;
    if (start != 0) at = static_cast<std::size_t>(std::find(rest.begin(), rest.end(), start) - rest.begin());
    while (!rest.empty()) {
        const int cur = rest[at];
        chain.push_back(cur);
        rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(at));
        double best = std::numeric_limits<double>::infinity();
        at = 0;
        for (std::size_t k = 0; k < rest.size(); ++k) {
            const double d = distance(run.nodes3D[rest[k]].pos(), run.nodes3D[cur].pos());
            if (d < best) {
                best = d;
                at = k;
            }
        }
    }
    return chain;
}

}  // namespace

int collect_curve_nodes(Run& run) {
    const NodesByName by_name = nodes_by_saved_name(run);
    for (int c = 1; c <= run.nCurves; ++c) {
        Curve& cv = run.curves[c];
        try {
            int start = 0;
            std::vector<int> nodes = curve_nodes(run, cv, by_name, start);
            cv.indexes_of_nodes = nearest_neighbour_chain(run, std::move(nodes), start);
        } catch (const std::bad_alloc&) {
            report("No RAM for curves[%i].indexes_of_nodes[] in KORVEX.C\n", c);
            return 0;
        }
        cv.num_indexes_of_nodes = static_cast<int>(cv.indexes_of_nodes.size()) - 1;
    }
    return 1;
}

}  // namespace korvex
