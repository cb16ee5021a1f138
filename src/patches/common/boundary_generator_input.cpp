#include "patches/common/boundary_generator_input.h"

#include <cmath>

#include "base/messages.h"

namespace korvex {

namespace {

constexpr double kTinyUV = 1e-14;

double zero_tiny(double x) { return std::fabs(x) < kTinyUV ? 0.0 : x; }

}  // namespace

void build_boundary_generator_input(const Subregion& patch, const PlaneUV& uv, BoundaryGeneratorInput& in) {
    const int N = uv.num_points / 2;
    in.N = N;
    in.points = Array1<GenPoint>(static_cast<std::size_t>(N));
    in.entities = Array1<GenEntity>(static_cast<std::size_t>(N));
    for (int k = 1; k <= N; ++k) {
        const PointUV& r = uv[2 * k - 1];
        in.points[k].name = r.name;
        in.points[k].x = zero_tiny(r.u);
        in.points[k].y = zero_tiny(r.v);
    }
    for (int k = 1; k <= N; ++k) {
        GenEntity& e = in.entities[k];
        std::string name = uv[2 * k].name.c_str();
        if (!name.empty()) name[0] = 'L';
        e.name = name;
        e.type = ENTITY_TYPE_LINE;
        e.start = in.points[k].name;
        e.end = in.points[k == N ? 1 : k + 1].name;
        e.division_mode = DIVISION_BY_COUNT;
        e.num_steps = 2;
    }
    in.subregions = Array1<GenSubregion>(1);
    GenSubregion& s = in.subregions[1];
    s.name = patch.name;
    s.num_entities = N;
    s.entity_names = Array1<FixedName<12>>(static_cast<std::size_t>(N));
    for (int k = 1; k <= N; ++k) s.entity_names[k] = in.entities[k].name;
    s.REF = patch.REF;
}

std::map<std::string, int> boundary_records_by_name(const PlaneUV& uv) {
    std::map<std::string, int> by_name;
    for (int j = uv.num_points; j >= 1; --j) by_name[uv[j].name.c_str()] = j;  // first record wins
    return by_name;
}

int restore_boundary_positions(const PlaneUV& uv, const std::map<std::string, int>& by_name, RestoredNodes which,
                               const char* missing_record_message, int num_nodes, Array1<GenNode>& nodes) {
    for (int i = 1; i <= num_nodes; ++i) {
        GenNode& g = nodes[i];
        if (g.name == "PINT" || g.kind == NODE_KIND_INTERIOR) continue;
        if (which == RestoredNodes::EntitiesOnly && g.kind != NODE_KIND_ENTITY) continue;
        if (!g.name.empty()) g.name[0] = 'P';
        const auto it = by_name.find(g.name.c_str());
        if (it == by_name.end()) {
            report("%s", missing_record_message);
            return 0;
        }
        g.x = uv[it->second].u;
        g.y = uv[it->second].v;
    }
    return 1;
}

int restore_boundary_node_names(const Run& run, const Subregion& patch, const PlaneUV& uv,
                                const std::map<std::string, int>& by_name, bool split_subregion_names, int num_nodes,
                                Array1<GenNode>& nodes, int num_elements, Array1<GenElement>& elements) {
    for (int i = 1; i <= num_nodes; ++i) {
        GenNode& g = nodes[i];
        if (g.name[1] == '$') {
            const auto it = by_name.find(g.name.c_str());
            const int j = it == by_name.end() ? 0 : it->second;
            const int cid = j ? uv[j].curve_id : 0;
            if (cid <= 0) {
                report(" Wrong curve_id=%i  when i=%i j=%i\n", cid, i, j);
                return 0;
            }
            g.name = run.curves[cid].name_original;
        } else if (split_subregion_names && (g.name[1] == 'p' || g.name.starts_with("RH@"))) {
            g.name = patch.original_name;
            g.kind = NODE_KIND_INTERIOR;
        } else if (g.name.starts_with("P@")) {
            const ControlPoint* match = nullptr;
            for (int p = 1; p <= run.num_new_points && !match; ++p)
                if (run.new_points[p].name == g.name) match = &run.new_points[p];
            if (!match || match->name_original.empty())
                report(" Warning : Original curve name for point %s   \n  could not be restored.\n", g.name.c_str());
            g.name = match ? match->name_original.c_str() : "";
            g.kind = NODE_KIND_ENTITY;
        }
    }
    if (split_subregion_names)
        for (int e = 1; e <= num_elements; ++e)
            if (elements[e].name[1] == 'p') elements[e].name = patch.original_name;
    return 1;
}

}  // namespace korvex
