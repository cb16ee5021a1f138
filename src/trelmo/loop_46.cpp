// Closing the smallest loops: one element for a 4-node loop, one of six
// patterns for a 6-node loop.
#include <cmath>

#include "base/messages.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

constexpr double kSmallOppositeAngle = 0.8;   // a4 <= 0.8 a3 (or a5): centre pattern

// The hexagon being closed: its six nodes p[1..6] in loop order.
struct Hexagon {
    TrelmoMesh& mesh;
    int p[7];
    std::string_view name;
    int subregion;
    int& code;

    const GenNode& n(int i) const { return mesh.node(p[i]); }
};

void report_oom(int k) {
    if (k >= 6 && k <= 15) report(" Out of memory in (%i) loop_46()\n", k);
    else report(" Out of memory (%i) in loop_46()\n", k);
}

bool element(Hexagon& h, int a, int b, int c, int d, int oom) {
    if (add_elem(h.mesh, a, b, c, d, h.name, h.subregion)) return true;
    report_oom(oom);
    h.code = TM_NO_MEMORY;
    return false;
}

int midpoint(Hexagon& h, int a, int b, int oom) {
    const GenNode& A = h.mesh.node(a);
    const GenNode& B = h.mesh.node(b);
    const int k = append_node(h.mesh, (A.x + B.x) / 2, (A.y + B.y) / 2, NODE_KIND_INTERIOR, h.name);
    if (k == 0) {
        report_oom(oom);
        h.code = TM_NO_MEMORY;
    }
    return k;
}

// Node positions of the hexagon rotated to start at position `from`.
void rotated(const Hexagon& h, int from, int q[6]) {
    for (int i = 0; i < 6; ++i) q[i] = h.p[shift_pos(from, i, 6)];
}

bool diagonal_split(Hexagon& h) {
    return element(h, h.p[1], h.p[2], h.p[3], h.p[4], 2) && element(h, h.p[4], h.p[5], h.p[6], h.p[1], 3);
}

bool centre_pattern(Hexagon& h) {
    double x = 0, y = 0;
    for (int i = 1; i <= 6; ++i) { x += h.n(i).x; y += h.n(i).y; }
    const int c = append_node(h.mesh, x / 6, y / 6, NODE_KIND_INTERIOR, h.name);
    if (c == 0) { report_oom(4); h.code = TM_NO_MEMORY; return false; }
    return element(h, h.p[1], h.p[2], h.p[3], c, 5) && element(h, h.p[3], h.p[4], h.p[5], c, 6) &&
           element(h, h.p[5], h.p[6], h.p[1], c, 7);
}

bool triangle_pattern(Hexagon& h) {
    const double x = (h.n(1).x + h.n(3).x + h.n(5).x) / 3, y = (h.n(1).y + h.n(3).y + h.n(5).y) / 3;
    const int c = append_node(h.mesh, x, y, NODE_KIND_INTERIOR, h.name);
    if (c == 0) { report_oom(8); h.code = TM_NO_MEMORY; return false; }
    return element(h, h.p[1], h.p[2], h.p[3], c, 9) && element(h, h.p[3], h.p[4], h.p[5], c, 10) &&
           element(h, h.p[6], h.p[1], c, h.p[5], 11);
}

// q[0..5] = p0..p5 of the pattern tables.
bool two_node_pattern(Hexagon& h, int from) {
    int q[6];
    rotated(h, from, q);
    const int m1 = midpoint(h, q[0], q[4], 12);
    if (!m1) return false;
    const int m2 = midpoint(h, q[1], q[3], 12);
    if (!m2) return false;
    return element(h, q[0], q[1], m2, m1, 13) && element(h, q[3], q[4], m1, m2, 14) &&
           element(h, q[1], q[2], q[3], m2, 15) && element(h, q[4], q[5], q[0], m1, 16);
}

// Split patterns keep a boundary node p2 of a subregion or of a layer line
// without new nodes.
bool split_without_nodes(const Hexagon& h, const int q[6]) {
    const GenNode& n2 = h.mesh.node(q[2]);
    return n2.name.starts_with("R") || n2.name.starts_with("L$");
}

bool split_a(Hexagon& h, int from) {
    int q[6];
    rotated(h, from, q);
    if (split_without_nodes(h, q)) return element(h, q[0], q[1], q[2], q[3], 12) && element(h, q[0], q[3], q[4], q[5], 13);
    const int a = midpoint(h, q[3], q[5], 12);
    if (!a) return false;
    const int b = midpoint(h, q[2], q[0], 12);
    if (!b) return false;
    return element(h, q[4], q[5], a, q[3], 13) && element(h, q[5], q[0], b, a, 14) &&
           element(h, q[0], q[1], q[2], b, 15) && element(h, a, b, q[2], q[3], 16);
}

bool split_b(Hexagon& h, int from) {
    int q[6];
    rotated(h, from, q);
    if (split_without_nodes(h, q)) return element(h, q[0], q[1], q[2], q[3], 12) && element(h, q[0], q[3], q[4], q[5], 13);
    const int a = midpoint(h, q[0], q[4], 12);
    if (!a) return false;
    const int b = midpoint(h, q[1], q[3], 12);
    if (!b) return false;
    return element(h, q[4], q[5], q[0], a, 13) && element(h, q[0], q[1], b, a, 14) &&
           element(h, q[1], q[2], q[3], b, 15) && element(h, a, b, q[3], q[4], 16);
}

bool is_pi(double a, double tol) { return std::fabs(a - kPi) < tol; }

void report_nodes(const Hexagon& h, const double a[7], const char* angle_format) {
    for (int i = 1; i <= 6; ++i) {
        report(angle_format, h.p[i], h.n(i).name.c_str(), rad_to_deg(a[i]));
        report("   coords: (%+15.7lf, %+15.7lf)\n", h.n(i).x, h.n(i).y);
    }
}

bool diagonal_or_centre(Hexagon& h, const double a[7]) {
    if (a[4] <= kSmallOppositeAngle * a[3] || a[4] <= kSmallOppositeAngle * a[5]) return centre_pattern(h);
    return diagonal_split(h);
}

// Two flat nodes besides node 1.
bool two_flat(Hexagon& h, const double a[7]) {
    auto pi = [&](int i) { return is_pi(a[i], kTolB); };
    if (pi(3) && pi(5)) return triangle_pattern(h);
    if (pi(1)) {
        if (pi(3) && pi(4)) return split_a(h, 1);
        if (pi(4) && pi(5)) return split_b(h, 1);
        if (pi(2) && pi(5)) return split_a(h, 5);
        if (pi(3) && pi(6)) return split_b(h, 3);
        if (pi(4) && pi(6)) return split_a(h, 4);
        if (pi(2) && pi(4)) return split_b(h, 4);
    }
    report("Three consequent angles = PI\n");
    report_nodes(h, a, "node %i (belongs to %s): angle=%16.12lf\n");
    for (int c : {2, 3, 4, 5, 6, 1}) {
        if (is_pi(a[prev_pos(c, 6)], kTolA) && is_pi(a[c], kTolA) && is_pi(a[next_pos(c, 6)], kTolA)) {
            int q[6];
            rotated(h, c, q);
            for (int i = 0; i < 6; ++i) h.p[i + 1] = q[i];
            return diagonal_split(h);
        }
    }
    report("Internal error (A) in loop_46()\n");
    h.code = TM_LOOP_46;
    return false;
}

bool hexagon(Hexagon& h, int& ipi) {
    double a[7];
    int largest = 1;
    for (int i = 1; i <= 6; ++i) {
        a[i] = angle(h.n(i), h.mesh.node(h.p[next_pos(i, 6)]), h.mesh.node(h.p[prev_pos(i, 6)]));
        if (a[i] > a[largest]) largest = i;
    }
    int q[6];
    double b[6];
    for (int i = 0; i < 6; ++i) { q[i] = h.p[shift_pos(largest, i, 6)]; b[i] = a[shift_pos(largest, i, 6)]; }
    for (int i = 0; i < 6; ++i) { h.p[i + 1] = q[i]; a[i + 1] = b[i]; }

    if (std::fabs(a[1] - kPi) > kTolA) return diagonal_or_centre(h, a);
    ipi = 0;
    for (int i = 2; i <= 6; ++i)
        if (is_pi(a[i], kTolB)) ++ipi;
    if (ipi == 0) return diagonal_or_centre(h, a);
    if (ipi == 1) {
        if (is_pi(a[2], kTolB)) return two_node_pattern(h, 1);
        if (is_pi(a[6], kTolB)) return two_node_pattern(h, 6);
        if (is_pi(a[4], kTolB)) return diagonal_split(h);
        return centre_pattern(h);
    }
    if (ipi == 2) return two_flat(h, a);
    if (ipi == 3) {
        report(" In  loop_46(): four angles in 6-edged loop = PI.\n ");
        report_nodes(h, a, "node %i (belongs to %s): angle=%6.2lf\n");
    } else {
        report("Internal error in loop_46(): ipi=%i\n", ipi);
        report("    More than 4 angles in 6-edged loop = PI\n");
        report_nodes(h, a, "node %i (belongs to %s): angle=%6.2lf\n");
    }
    h.code = TM_LOOP_46;
    return false;
}

}  // namespace

int loop_46(TrelmoMesh& mesh, const NodeLoop& loop, std::string_view name, int subregion, int& code) {
    const int on_entry = mesh.num_elements;
    if (loop.count == 4) {
        if (!add_elem(mesh, loop.at(1), loop.at(2), loop.at(3), loop.at(4), name, subregion)) {
            report(" Out of memory (1) in loop_46()\n");
            code = TM_NO_MEMORY;
            return 0;
        }
        return 1;
    }
    if (loop.count != 6) {
        report(" Internal error in loop_46() : not a 4- or 6-noded\n loop has been passed into the procedure.\n"
               " n46=%i\n", loop.count);
        code = TM_LOOP_46;
        return 0;
    }
    Hexagon h{mesh, {0, loop.at(1), loop.at(2), loop.at(3), loop.at(4), loop.at(5), loop.at(6)}, name, subregion, code};
    int ipi = 0;
    if (!hexagon(h, ipi)) return 0;
    if (mesh.num_elements == on_entry) {
        report(" Internal error in loop_46(): \n num_elements_on_entry = %i ; num_elements_on_completion = %i\n",
               on_entry, mesh.num_elements);
        report("(ipi=%i)\n", ipi);
        code = TM_LOOP_46;
        return 0;
    }
    return 1;
}

}  // namespace korvex
