// Corner fans: a corner whose edges meet at nearly 180 degrees in 3D (but at
// 90 degrees in the unit square) is meshed with its generator point pulled
// inwards; afterwards the true corner is put back with six elements that
// fan out from it between the two neighbouring boundary points.
#include <map>
#include <string>

#include "base/messages.h"
#include "patches/transfinite/transfinite_patch.h"

namespace korvex {

namespace {

constexpr int kFanNodes = 6;
constexpr int kFanElements = 6;

struct FanContext {
    const CornerFanInput& in;
    Array1<GenNode>& nodes;
    int& num_nodes;
    Array1<GenElement>& elements;
    int& num_elements;
    std::map<std::string, int> by_name;  // first node of each name
};

int find_node(const FanContext& f, const char* name) {
    const auto it = f.by_name.find(name);
    return it == f.by_name.end() ? 0 : it->second;
}

int add_node(FanContext& f, double u, double v, int kind, const char* name) {
    const int capacity = static_cast<int>(f.nodes.last());
    if (f.num_nodes + 1 > capacity) {
        report("Increase MAX_NODES in TRELMO.H (currently %i)\n", capacity);
        console("\nMAX_NODES_declared_in_trelmo_dot_h=%i\n\n", capacity);
        return 0;
    }
    GenNode& g = f.nodes[++f.num_nodes];
    g = GenNode{};
    g.x = u, g.y = v, g.kind = kind, g.name = name;
    return f.num_nodes;
}

void add_element(FanContext& f, int a, int b, int c, int d) {
    GenElement& e = f.elements[++f.num_elements];
    e = GenElement{};
    e.corner1 = a, e.corner2 = b, e.corner3 = c, e.corner4 = d;
    e.name = f.in.patch.name;
    e.subregion = 1;
}

void make_interior(FanContext& f, int node) {
    f.nodes[node].kind = NODE_KIND_INTERIOR;
    f.nodes[node].name = f.in.patch.name;
}

std::string entity_name(const PlaneUV& uv, int record) {
    std::string name = uv[record].name.c_str();
    if (!name.empty()) name[0] = 'L';
    return name;
}

int fan_corner(FanContext& f, int k) {
    const CornerFanInput& in = f.in;
    const int N = in.num_points;
    const int c = in.corners[k];
    const int c_prev = c == 1 ? N : c - 1, c_next = c == N ? 1 : c + 1;
    const std::string cut = "P^CUT" + std::to_string(k);
    const int X = find_node(f, cut.c_str());
    if (!X) {
        report("Error: after TRELMO, cannot identify\n the node corresponding to %s point.\n", cut.c_str());
        return 0;
    }
    const int L1 = find_node(f, entity_name(in.pointsUV, 2 * c).c_str());
    if (!L1) {
        report("Error: cannot find node 'nf1'.\n");
        return 0;
    }
    const int L0 = find_node(f, entity_name(in.pointsUV, c == 1 ? in.pointsUV.num_points : 2 * c - 2).c_str());
    if (!L0) {
        report(" Error: step k=%i : cannot find node 'nb1'.\n", k);
        return 0;
    }
    const int B1 = find_node(f, in.points[c_next].name.c_str());
    const int B0 = find_node(f, in.points[c_prev].name.c_str());
    if (!B1 || !B0) {
        report("Error: after TRELMO, cannot identify\n the node corresponding to %s point.\n",
               (!B1 ? in.points[c_next] : in.points[c_prev]).name.c_str());
        return 0;
    }
    make_interior(f, X);
    make_interior(f, L1);
    make_interior(f, L0);
    static const double corner_uv[5][2] = {{0, 0}, {0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const double xu = f.nodes[X].x, xv = f.nodes[X].y;
    const double ku = corner_uv[k][0], kv = corner_uv[k][1];
    const PointUV& e_rec = in.pointsUV[2 * c];
    const PointUV& f_rec = in.pointsUV[c == 1 ? in.pointsUV.num_points : 2 * c - 2];
    const double b1u = f.nodes[B1].x, b1v = f.nodes[B1].y, b0u = f.nodes[B0].x, b0v = f.nodes[B0].y;
    const int K = add_node(f, ku, kv, NODE_KIND_POINT, in.pointsUV[2 * c - 1].name.c_str());
    const int E = K ? add_node(f, e_rec.u, e_rec.v, NODE_KIND_ENTITY, e_rec.name.c_str()) : 0;
    const int F = E ? add_node(f, f_rec.u, f_rec.v, NODE_KIND_ENTITY, f_rec.name.c_str()) : 0;
    const int M = F ? add_node(f, (ku + xu) / 2, (kv + xv) / 2, NODE_KIND_INTERIOR, in.patch.name.c_str()) : 0;
    const int G1 = M ? add_node(f, (xu + ku + b1u) / 3, (xv + kv + b1v) / 3, NODE_KIND_INTERIOR, in.patch.name.c_str()) : 0;
    const int G2 = G1 ? add_node(f, (xu + ku + b0u) / 3, (xv + kv + b0v) / 3, NODE_KIND_INTERIOR, in.patch.name.c_str()) : 0;
    if (!G2) return 0;
    add_element(f, K, E, G1, M);
    add_element(f, M, G1, L1, X);
    add_element(f, E, B1, L1, G1);
    add_element(f, K, M, G2, F);
    add_element(f, M, X, L0, G2);
    add_element(f, F, G2, L0, B0);
    return 1;
}

}  // namespace

int generate_nodes_and_elements_in_corners(const CornerFanInput& in, Array1<GenNode>& nodes, int& num_nodes,
                                           Array1<GenElement>& elements, int& num_elements) {
    FanContext f{in, nodes, num_nodes, elements, num_elements, {}};
    for (int i = num_nodes; i >= 1; --i) f.by_name[nodes[i].name.c_str()] = i;
    for (int k = 1; k <= 4; ++k) {
        if (!in.patch.edge_flags[k]) continue;
        if (static_cast<long>(num_elements) + kFanElements > elements.last() ||
            static_cast<long>(num_nodes) + kFanNodes > nodes.last()) {
            report("Increase MAX_NODES in TRELMO.H (currently %i)\n", static_cast<int>(nodes.last()));
            return 0;
        }
        if (!fan_corner(f, k)) return 0;
    }
    return 1;
}

}  // namespace korvex
