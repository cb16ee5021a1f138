// Laplacian smoothing: every interior node moves to the mean of its
// neighbours, sweep after sweep, with no relaxation and no convergence test.
#include <algorithm>
#include <new>
#include <vector>

#include "base/messages.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

constexpr int kRawNeighbourEntries = 2 * MAX_NODES_CONNECTED;   // two per element corner
constexpr int kSweeps = 8;
constexpr int kPlaneSweeps = 4;

using Neighbours = std::vector<std::vector<int>>;

// The nodes and elements the smoothing works on.
struct SmoothView {
    Array1<GenNode>& nodes;
    int num_nodes;
    const Array1<GenElement>& elements;
    int num_elements;
};

// Neighbour lists from the elements. False (after reporting with `limit_format`)
// when a node collects more raw entries than the limit.
bool build_neighbours(const SmoothView& mesh, Neighbours& nb, const char* limit_format) {
    nb.assign(static_cast<std::size_t>(mesh.num_nodes) + 1, {});
    for (int e = 1; e <= mesh.num_elements; ++e) {
        const GenElement& el = mesh.elements[e];
        for (int k = 1; k <= 4; ++k) {
            const int v = el.corner(k);
            if (v < 1 || v > mesh.num_nodes) continue;
            auto& list = nb[static_cast<std::size_t>(v)];
            if (static_cast<int>(list.size()) + 2 > kRawNeighbourEntries) {
                report(limit_format, MAX_NODES_CONNECTED);
                return false;
            }
            list.push_back(el.corner(k % 4 + 1));
            list.push_back(el.corner((k + 2) % 4 + 1));
        }
    }
    for (auto& list : nb) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }
    return true;
}

void sweep(SmoothView& mesh, const Neighbours& nb, const std::vector<int>& tag, int t) {
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        if (tag[static_cast<std::size_t>(i)] != t) continue;
        const auto& list = nb[static_cast<std::size_t>(i)];
        if (list.empty()) continue;
        double x = 0, y = 0;
        for (int j : list) { x += mesh.nodes[j].x; y += mesh.nodes[j].y; }
        mesh.nodes[i].x = x / static_cast<double>(list.size());
        mesh.nodes[i].y = y / static_cast<double>(list.size());
    }
}

}  // namespace

int laplas(const Array1<GenSubregion>& subregions, int num_subregions, TrelmoMesh& mesh) {
    std::vector<int> tag;
    Neighbours nb;
    try {
        tag.assign(static_cast<std::size_t>(mesh.num_nodes) + 1, 0);
        for (int i = 1; i <= mesh.num_nodes; ++i) {
            const GenNode& n = mesh.nodes[i];
            if (n.kind != NODE_KIND_INTERIOR) continue;
            for (int s = 1; s <= num_subregions; ++s)
                if (subregions[s].name.view() == n.name.view()) { tag[static_cast<std::size_t>(i)] = s; break; }
        }
        const SmoothView view{mesh.nodes, mesh.num_nodes, mesh.elements, mesh.num_elements};
        if (!build_neighbours(view, nb, " Increase MAX_NODES_CONNECTED (currently =%i) in trelmo.h\n")) return 0;
    } catch (const std::bad_alloc&) {
        report(" Can't allocate nodes1[] array in laplas.c .\n");
        return 0;
    }
    SmoothView view{mesh.nodes, mesh.num_nodes, mesh.elements, mesh.num_elements};
    for (int t = 1; t <= num_subregions; ++t)
        for (int k = 0; k < kSweeps; ++k) sweep(view, nb, tag, t);
    return 1;
}

int laplas_plane(int num_nodes, Array1<GenNode>& nodes, int num_elements, const Array1<GenElement>& elements) {
    SmoothView view{nodes, num_nodes, elements, num_elements};
    try {
        std::vector<int> tag(static_cast<std::size_t>(num_nodes) + 1, 0);
        for (int i = 1; i <= num_nodes; ++i)
            if (nodes[i].kind == NODE_KIND_INTERIOR) tag[static_cast<std::size_t>(i)] = 1;
        Neighbours nb;
        if (!build_neighbours(view, nb, " Increase MAX_NODES_CONNECTED_P (currently =%i) in trelmo.h\n")) return 0;
        for (int k = 0; k < kPlaneSweeps; ++k) sweep(view, nb, tag, 1);
    } catch (const std::bad_alloc&) {
        report(" Can't allocate nodes1[] array in laplas.c .\n");
        return 0;
    }
    return 1;
}

}  // namespace korvex
