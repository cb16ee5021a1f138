// Repairing singular elements: an element whose corner on the boundary is
// flat is split into four by three new nodes.
#include <set>

#include "base/messages.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

constexpr double kSingularAngle = 3.106686068549907;   // 178 degrees

bool entity_marker_node(const GenNode& n) { return n.kind == NODE_KIND_ENTITY && n.name[1] == '$'; }

// The corner position (1..4) at which element e is singular, 0 when none.
int singular_corner(const TrelmoMesh& mesh, const GenElement& el) {
    for (int k = 1; k <= 4; ++k) {
        const GenNode& A = mesh.node(el.corner(k));
        const GenNode& B = mesh.node(el.corner(k % 4 + 1));
        const GenNode& D = mesh.node(el.corner((k + 2) % 4 + 1));
        if (angle(A, B, D) <= kSingularAngle) continue;
        const bool boundary = A.kind != NODE_KIND_INTERIOR && B.kind != NODE_KIND_INTERIOR && D.kind != NODE_KIND_INTERIOR;
        if (boundary || entity_marker_node(A) || entity_marker_node(B) || entity_marker_node(D)) return k;
        return 0;
    }
    return 0;
}

// The element holding the directed edge from -> to, and the corner that
// follows `to` (follow = true) or precedes `from` (follow = false).
int neighbour(const TrelmoMesh& mesh, int skip, int from, int to, bool follow, int& corner) {
    for (int f = 1; f <= mesh.num_elements; ++f) {
        if (f == skip) continue;
        const GenElement& el = mesh.elements[f];
        for (int k = 1; k <= 4; ++k) {
            if (el.corner(k) != from || el.corner(k % 4 + 1) != to) continue;
            corner = follow ? el.corner((k + 1) % 4 + 1) : el.corner((k + 2) % 4 + 1);
            return f;
        }
    }
    return 0;
}

void replace_corner(GenElement& el, int from, int to) {
    for (int k = 1; k <= 4; ++k)
        if (el.corner(k) == from) el.corner(k) = to;
}

// 1 = repaired, 0 = not repairable (reported), -1 = stop at once.
int repair(TrelmoMesh& mesh, int e, int k) {
    const GenElement el = mesh.elements[e];
    const int A = el.corner(k), B = el.corner(k % 4 + 1), C = el.corner((k + 1) % 4 + 1), D = el.corner((k + 2) % 4 + 1);
    int X = 0, Y = 0;
    const int L = neighbour(mesh, e, D, C, true, X);
    const int R = neighbour(mesh, e, C, B, false, Y);
    if (L == 0) {
        report("WARNING in TM_SING.C ! element to the left \nfrom the singular %i could not be found. (A)\n", e);
        return 0;
    }
    if (R == 0) {
        report("Warning in TM_SING.C: element to the RIGHT \nfrom the singular %i could not be found.(B)\n", e);
        return 0;
    }
    if (mesh.num_nodes + 3 >= MAX_NODES_TM_SING) {
        report("Increase MAX_NODES in TRELMO.H (currently %i)\n", MAX_NODES_TM_SING);
        return -1;
    }
    GenNode& c = mesh.node(C);
    const GenNode a = mesh.node(A);
    c.x = a.x + 0.7 * (c.x - a.x);
    c.y = a.y + 0.7 * (c.y - a.y);
    const GenNode cn = mesh.node(C), b = mesh.node(B), d = mesh.node(D), x = mesh.node(X), y = mesh.node(Y);
    const FixedName<10> name = cn.name.view();
    const int N1 = append_node(mesh, (a.x + cn.x) / 2, (a.y + cn.y) / 2, cn.kind, name.view());
    const int N2 = append_node(mesh, (d.x + a.x + cn.x + x.x) / 4, (d.y + a.y + cn.y + x.y) / 4, cn.kind, name.view());
    const int N3 = append_node(mesh, (b.x + a.x + cn.x + y.x) / 4, (b.y + a.y + cn.y + y.y) / 4, cn.kind, name.view());
    if (N1 == 0 || N2 == 0 || N3 == 0) return -1;
    replace_corner(mesh.elements[L], C, N2);
    replace_corner(mesh.elements[R], C, N3);
    GenElement& s = mesh.elements[e];
    s.corner1 = A; s.corner2 = B; s.corner3 = N3; s.corner4 = N1;
    const FixedName<12> ename = el.name;
    const int sub = el.subregion;
    if (!add_elem(mesh, A, N1, N2, D, ename.view(), sub) || !add_elem(mesh, N1, C, X, N2, ename.view(), sub) ||
        !add_elem(mesh, N1, N3, Y, C, ename.view(), sub))
        return -1;
    return 1;
}

}  // namespace

int tm_sing(TrelmoMesh& mesh) {
    std::set<int> unrepaired;
    int result = 1;
    int e = 1;
    while (e <= mesh.num_elements) {
        const int k = singular_corner(mesh, mesh.elements[e]);
        if (k == 0) { ++e; continue; }
        const int r = repair(mesh, e, k);
        if (r < 0) return 0;
        if (r == 1) { e = 1; continue; }
        if (unrepaired.count(e)) {
            report("Element already encountred; preventing infine loop.\n");
            return 0;
        }
        report("Unprocessed element not encountered previously.\n");
        unrepaired.insert(e);
        result = 0;
        ++e;
    }
    return result;
}

}  // namespace korvex
