// Neighbour distances of patch nodes and the appending of new global nodes
// and elements, shared by both merge entry points.
#include <algorithm>
#include <new>

#include "assembly/merge_steps.h"
#include "base/messages.h"

namespace korvex::merge {

namespace {
constexpr int kNodesGlobalSlack = 1000;
// Neighbours tried on each side when a node coincides with its predecessor.
constexpr int kNeighbourSearch = 64;
}

double neighbour_distance(const Array1<Node3D>& nodes, int n, int i, double fallback) {
    if (n < 2) return fallback;
    const int first = i == 1 ? 2 : i - 1;
    const double h = distance(nodes[first].pos(), nodes[i].pos());
    if (h > 0) return h;
    for (int k = 1; k < n && k <= kNeighbourSearch; ++k) {
        for (int j : {i - k, i + k}) {
            if (j < 1 || j > n) continue;
            const double d = distance(nodes[j].pos(), nodes[i].pos());
            if (d > 0) return d;
        }
    }
    return fallback;
}

double typical_spacing(const Array1<Node3D>& nodes, int n) {
    std::vector<double> d;
    d.reserve(static_cast<std::size_t>(std::max(n, 0)));
    for (int i = 2; i <= n; ++i) {
        const double h = distance(nodes[i - 1].pos(), nodes[i].pos());
        if (h > 0 && std::isfinite(h)) d.push_back(h);
    }
    if (d.empty()) return 0;
    auto mid = d.begin() + static_cast<std::ptrdiff_t>(d.size() / 2);
    std::nth_element(d.begin(), mid, d.end());
    return *mid;
}

bool check_patch_arrays(Variant v, int n, const Array1<Node3D>& nodes, const Array1<GenNode>& gen_nodes, int m,
                        const Array1<GenElement>& elements) {
    if (n >= 0 && m >= 0 && nodes.last() >= n && gen_nodes.last() >= n && elements.last() >= m) return true;
    report(v == Variant::Curved ? "Internal error in ADDTOGLO.C: patch arrays hold fewer than %i nodes or %i elements\n"
                                : "Internal error in ADDTOG_P.C: patch arrays hold fewer than %i nodes or %i elements\n",
           n, m);
    return false;
}

bool allocate_nodes_global(std::vector<int>& nodes_global, int n) {
    try {
        nodes_global.assign(static_cast<std::size_t>(n) + kNodesGlobalSlack + 1, 0);
    } catch (const std::bad_alloc&) {
        report(" Out of memory in add_to_global() for array  nodes_global[].\n");
        return false;
    }
    return true;
}

namespace {
// Room for `count` records past `used`, for this patch and as many more of
// the same size as subregions are left, within `limit` records: the global
// arrays then grow once per run rather than copying (and faulting in) their
// records again at every growth.
template <class T>
void reserve_for_patches(std::vector<T>& storage, std::size_t used, std::size_t count, std::size_t patches_left,
                         std::size_t limit) {
    if (storage.capacity() >= used + count + 1) return;
    std::size_t want = used + count * std::max<std::size_t>(patches_left, 1) + 1;
    want = std::min(want, limit + 1);
    want = std::max(want, used + count + 1);
    try {
        storage.reserve(want);
    } catch (const std::bad_alloc&) {
        // Growing record by record still works, only more slowly.
    }
}
}  // namespace

void reserve_global_room(Run& run, int n, int m) {
    const auto left = static_cast<std::size_t>(std::max(run.nPatches - run.current_patch + 1, 1));
    const auto limit = static_cast<std::size_t>(std::max(run.settings.MAX_NODEL_3D, 0));
    reserve_for_patches(run.nodes3D.storage(), static_cast<std::size_t>(std::max(run.num_nodes, 0)),
                        static_cast<std::size_t>(std::max(n, 0)), left, limit);
    reserve_for_patches(run.elements.storage(), static_cast<std::size_t>(std::max(run.num_elements, 0)),
                        static_cast<std::size_t>(std::max(m, 0)), left, limit);
}

int append_global_node(Run& run, Variant v, const Node3D& src, int patch_index) {
    const int limit = run.settings.MAX_NODEL_3D;
    if (run.num_nodes + 1 > limit) {
        report("Increase MAX_NODEL_3D(currently=%i)\n", limit);
        report(v == Variant::Curved ? "(Identified in ADDTOGLO.C for *globalNumNodes)\n"
                                    : "(Identified in QUAD_TMI.C for *globalNumNodes)\n");
        return 0;
    }
    if (marked(src.name, '@')) {
        if (v == Variant::Curved)
            report("Internal error in ADDTOGLO.C: \n  nodes3D[%i].name=%s\n", patch_index, src.name.c_str());
        else
            report("Internal error in ADDTOG_P.C:\n---- nodes3D[%i].name=%s\n", patch_index, src.name.c_str());
        return 0;
    }
    const int j = run.num_nodes + 1;
    // A new record is made once, in place (not made and then overwritten):
    // on a large mesh this is a pass over fresh memory less.
    std::vector<Node3D>& storage = run.nodes3D.storage();
    if (storage.size() == static_cast<std::size_t>(j)) {
        storage.emplace_back();
    } else {
        run.nodes3D.ensure(j);
        run.nodes3D[j] = Node3D{};
    }
    Node3D& g = run.nodes3D[j];
    g.name = src.name;
    g.set_pos(src.pos());
    g.PINT_step = src.PINT_step;
    g.PINT_rad = src.PINT_rad;
    if (v == Variant::Plane) g.name_saved = src.name_saved;
    g.id = j;
    run.num_nodes = j;
    return j;
}

int append_elements(Run& run, Variant v, const Subregion& patch, int m, const Array1<GenElement>& elements,
                    const std::vector<int>& nodes_global, int n) {
    const int limit = run.settings.MAX_NODEL_3D;
    for (int e = 1; e <= m; ++e) {
        const GenElement& ge = elements[e];
        if (run.num_elements + 1 > limit) {
            report("Increase MAX_NODEL_3D(currently=%i)\n", limit);
            return 0;
        }
        Element out;
        for (int k = 1; k <= 4; ++k) {
            const int c = ge.corner(k);
            if (c < 1 || c > n || nodes_global[static_cast<std::size_t>(c)] < 1) {
                report(v == Variant::Curved ? "Internal error in ADDTOGLO.C: element %i has corner %i outside the patch nodes\n"
                                            : "Internal error in ADDTOG_P.C: element %i has corner %i outside the patch nodes\n",
                       e, c);
                return 0;
            }
            out.node[static_cast<std::size_t>(k - 1)] = nodes_global[static_cast<std::size_t>(c)];
        }
        out.name = ge.name;
        out.id = patch.id;
        const int k = run.num_elements + 1;
        std::vector<Element>& storage = run.elements.storage();
        if (storage.size() == static_cast<std::size_t>(k)) {
            storage.push_back(out);
        } else {
            run.elements.ensure(k);
            run.elements[k] = out;
        }
        run.num_elements = k;
    }
    return 1;
}

}  // namespace korvex::merge
