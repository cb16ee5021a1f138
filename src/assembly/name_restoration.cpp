// restore_original_names: maps the generated '!' names of global nodes (made
// when two-edged spheres are transformed) and the subregion names of
// elements back to the names under which the user's records were read.
#include <map>
#include <string>
#include <string_view>

#include "assembly/assembly.h"
#include "assembly/merge_index.h"
#include "base/messages.h"

namespace korvex {

namespace {

// First index (1..count) of every name, as a scan in index order finds it.
template <class Get>
std::map<std::string, int, std::less<>> first_index_by_name(int count, Get get) {
    std::map<std::string, int, std::less<>> out;
    for (int k = 1; k <= count; ++k) out.try_emplace(std::string(get(k)), k);
    return out;
}

int find(const std::map<std::string, int, std::less<>>& table, std::string_view name) {
    auto it = table.find(name);
    return it == table.end() ? 0 : it->second;
}

std::string_view cut_at_blank(std::string_view s) { return s.substr(0, s.find(' ')); }

struct NameTables {
    std::map<std::string, int, std::less<>> curves, points, patches, patches_cut;
};

NameTables build_tables(const Run& run) {
    NameTables t;
    t.curves = first_index_by_name(run.nCurves, [&](int k) { return run.curves[k].name.view(); });
    t.points = first_index_by_name(run.nPoints, [&](int k) { return run.points[k].name.view(); });
    t.patches = first_index_by_name(run.nPatches, [&](int k) { return run.patches[k].name.view(); });
    t.patches_cut =
        first_index_by_name(run.nPatches, [&](int k) { return cut_at_blank(run.patches[k].name.view()); });
    return t;
}

// New name of a global node with a '!' name; returns 0 after an error report,
// 2 when the node keeps its name.
int restored_node_name(const Run& run, const NameTables& t, int i, const Node3D& node, std::string& out) {
    const std::string_view name = node.name.view();
    switch (name[0]) {
    case 'C':
    case 'Q': {
        const int c = find(t.curves, name);
        if (c == 0) {
            report(" Error in postprocessing of node belonging\n    to dividing curve %s: curve not found in the "
                   "global list.\n", node.name.c_str());
            return 0;
        }
        out = run.curves[c].name_original.view();
        return 1;
    }
    case 'P': {
        const int p = find(t.points, name);
        if (p == 0) {
            report(" Error in postprocessing of node belonging\n    to point %s: no original 'P!...' point found.\n",
                   node.name.c_str());
            return 0;
        }
        const int c = find(t.curves, run.points[p].name_original.view());
        if (c == 0) {
            report(" Error in postprocessing of node belonging\n    to point %s: no 'C!...' curve found.\n",
                   node.name.c_str());
            return 0;
        }
        out = run.curves[c].name_original.view();
        return 1;
    }
    case 'R': {
        const int k = find(t.patches, name);
        if (k == 0) {
            report(" Error in postprocessing of node belonging\n    to subregion %s: no original found.\n",
                   node.name.c_str());
            return 0;
        }
        out = run.patches[k].original_name.view();
        return 1;
    }
    default:
        report(" Warning: Global node %i named %s\n  has the first letter of the name wrong.\n  (Must be R, P, C or "
               "Q).\n", i, node.name.c_str());
        return 2;
    }
}

int restore_node_names(Run& run, const NameTables& t) {
    std::string name;
    for (int i = 1; i <= run.num_nodes; ++i) {
        Node3D& node = run.nodes3D[i];
        if (node.name.length() < 2 || node.name[1] != '!') continue;
        const int r = restored_node_name(run, t, i, node, name);
        if (r == 0) return 0;
        if (r == 1) node.name = name;
    }
    report("\n");
    return 1;
}

void restore_element_names(Run& run, const NameTables& t) {
    for (int e = 1; e <= run.num_elements; ++e) {
        Element& el = run.elements[e];
        int k = find(t.patches, el.name.view());
        if (k == 0) k = find(t.patches_cut, cut_at_blank(el.name.view()));
        if (k == 0) {
            report(" Warning: For element %i belonging to patch %s:\n no corresponing patch name found.\n", e,
                   el.name.c_str());
            continue;
        }
        el.name = run.patches[k].original_name;
    }
}

}  // namespace

int restore_original_names(Run& run) {
    invalidate_merge_index(run);
    const NameTables t = build_tables(run);
    if (!restore_node_names(run, t)) return 0;
    restore_element_names(run, t);
    return 1;
}

}  // namespace korvex
