// The boundary layer: one row of quadrilaterals along the whole boundary of
// every subregion, leaving an inner loop for the later phases.
#include <cmath>
#include <new>

#include "base/messages.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

constexpr double kCornerAngle = 1.9198621771937625;     // 110 degrees: below is a corner
constexpr double kReflexAngle = 4.1887902047863905;     // 240 degrees: above is a reflex node
constexpr double kSlitAngle = 5.235987755982989;        // 300 degrees
constexpr double kSharpCorner = 1.3089969389957472;     // 75 degrees
constexpr double kSharpNextMax = 3.316125578789226;     // 190 degrees
constexpr double kFoldedAngle = 1e-12;
constexpr int kSharpCornerSpacing = 5;

// The walk around one subregion's boundary.
struct LayerWalk {
    TrelmoMesh& mesh;
    const NodeLoop& b;         // boundary, rotated to the start node
    NodeLoop& inner;
    std::string_view name;
    int s;
    double f;
    int start_flag;
    int& code;
    Array1<double> alfa;       // angle slots of the walk (radians)
    int o_prev = 0;            // inner node standing for the previous boundary node
    int last_sharp = -1000;

    int n() const { return b.count; }
    int node(int i) const { return b.at(shift_pos(i, 0, n())); }
    const GenNode& at(int i) const { return mesh.node(node(i)); }

    int make_node(double x, double y) {
        const int k = append_node(mesh, x, y, NODE_KIND_INTERIOR, name);
        if (k == 0) {
            report("Out of memory in loop_elm() for nodes[]\n");
            code = TM_NO_MEMORY;
        }
        return k;
    }
    bool element(int a, int b2, int c, int d) {
        if (add_elem(mesh, a, b2, c, d, name, s)) return true;
        report("Out of memory in loop_elm()\n");
        code = TM_NO_MEMORY;
        return false;
    }
};

void compute_angles(LayerWalk& w) {
    const int n = w.n();
    w.alfa.reset(static_cast<std::size_t>(n) + 2);
    for (int i = 1; i <= n; ++i) {
        const GenNode& p = w.at(i - 1);
        const GenNode& q = w.at(i + 1);
        const bool slit_tip = w.node(i - 1) == w.node(i + 1) || (p.x == q.x && p.y == q.y);
        w.alfa[i] = slit_tip ? kTwoPi : node_angle(w.mesh, w.b, i);
    }
}

double dir_x(double phi) { return std::cos(phi); }
double dir_y(double phi) { return std::sin(phi); }

// A node of moderate angle: one inner node on its bisector.
bool moderate_node(LayerWalk& w, int i, double a, bool first_node) {
    const GenNode c = w.at(i), p = w.at(i - 1), q = w.at(i + 1);
    const double d = (distance(c, q) + distance(c, p)) / 2;
    const double theta = std::atan2(q.y - c.y, q.x - c.x);
    const int o = w.make_node(c.x + w.f * d * dir_x(theta + a / 2), c.y + w.f * d * dir_y(theta + a / 2));
    if (o == 0) return false;
    w.inner.push(o);
    if (!first_node && !w.element(w.node(i - 1), w.node(i), o, w.o_prev)) return false;
    w.o_prev = o;
    return true;
}

// A reflex node: a fan of one or two elements around it.
bool reflex_node(LayerWalk& w, int i, double a) {
    const GenNode c = w.at(i), p = w.at(i - 1), q = w.at(i + 1);
    const double d = (distance(c, q) + distance(c, p)) / 2;
    const double theta = std::atan2(q.y - c.y, q.x - c.x);
    const bool slit = a > kSlitAngle;
    const double sd = (slit ? 1.0 : 1.25 * w.f) * d;
    double x1 = c.x + sd * dir_x(theta + 0.73 * a), y1 = c.y + sd * dir_y(theta + 0.73 * a);
    double x2 = c.x + sd * dir_x(theta + 0.27 * a), y2 = c.y + sd * dir_y(theta + 0.27 * a);
    if (w.node(i - 1) == w.node(i + 1) || (p.x == q.x && p.y == q.y)) {
        // Tip of a slit: both nodes perpendicular to the slit.
        const double len = distance(c, p), r = 1.25 * w.f * len;
        const double ux = (c.x - p.x) / len, uy = (c.y - p.y) / len;
        x1 = c.x - uy * r; y1 = c.y + ux * r;
        x2 = c.x + uy * r; y2 = c.y - ux * r;
    }
    const int r1 = w.make_node(x1, y1);
    if (r1 == 0 || !w.element(w.node(i - 1), w.node(i), r1, w.o_prev)) return false;
    if (slit) {
        const int r2 = w.make_node(x2, y2);
        if (r2 == 0) return false;
        w.inner.push(r1);
        w.inner.push(w.node(i));
        w.inner.push(r2);
        w.o_prev = r2;
        return true;
    }
    const double sm = 1.65 * w.f * d;
    const int rm = w.make_node(c.x + sm * dir_x(theta + 0.5 * a), c.y + sm * dir_y(theta + 0.5 * a));
    if (rm == 0) return false;
    const int r2 = w.make_node(x2, y2);
    if (r2 == 0 || !w.element(w.node(i), r2, rm, r1)) return false;
    w.inner.push(r1);
    w.inner.push(rm);
    w.inner.push(r2);
    w.o_prev = r2;
    return true;
}

// Whether the sharp-corner rule applies at position i.
bool sharp_corner(const LayerWalk& w, int i) {
    const int n = w.n();
    if (!(3 < i && i < n - 2) || w.alfa[i] >= kSharpCorner || w.alfa[i - 1] == kTwoPi) return false;
    if (i - w.last_sharp < kSharpCornerSpacing || w.start_flag != 1) return false;
    if (w.alfa[i - 2] < kCornerAngle) return false;
    const double a_q2 = angle(w.at(i + 2), w.at(i + 3), w.at(i + 1));
    const double a_q = angle(w.at(i + 1), w.at(i + 2), w.at(i));
    return a_q2 >= kCornerAngle && a_q2 <= kSharpNextMax && a_q <= kReflexAngle;
}

// A sharp corner: the inner node o' of p moves onto c's bisector at the full
// step and a second node N is made on the bisector turned towards q2; the
// elements (p, c, q, o') and (q, q2, N, o') cover the tip and the next edge,
// and the inner loop goes on from o' to N. (The layer elements made before
// keep o': it is the node they share with the tip element.)
bool sharp_corner_node(LayerWalk& w, int i) {
    const GenNode c = w.at(i), p = w.at(i - 1), q = w.at(i + 1), p2 = w.at(i - 2), q2 = w.at(i + 2);
    const double a = w.alfa[i];
    const double theta = std::atan2(q.y - c.y, q.x - c.x);
    const double d = (distance(c, q) + distance(c, p)) / 2;
    GenNode& o = w.mesh.node(w.o_prev);
    o.x = c.x + d * dir_x(theta + a / 2);
    o.y = c.y + d * dir_y(theta + a / 2);
    const double tq2 = std::atan2(q2.y - c.y, q2.x - c.x);
    const double dn = (distance(c, p2) + distance(c, q2)) / 2;
    const int N = w.make_node(c.x + dn * dir_x(tq2 + a / 2), c.y + dn * dir_y(tq2 + a / 2));
    if (N == 0) return false;
    if (!w.element(w.node(i - 1), w.node(i), w.node(i + 1), w.o_prev)) return false;
    if (!w.element(w.node(i + 1), w.node(i + 2), N, w.o_prev)) return false;
    w.inner.push(N);
    w.o_prev = N;
    w.last_sharp = i;
    return true;
}

// A corner: the inner node of p covers both boundary edges at c.
bool corner_node(LayerWalk& w, int i) {
    const int n = w.n();
    if (w.alfa[i - 1] == kTwoPi && i > 1) {
        // The previous node is the tip of a fold: it joins the inner loop and
        // a fresh inner node takes over.
        w.inner.push(w.node(i - 1));
        const int fresh = w.make_node(w.at(i - 1).x, w.at(i - 1).y);
        if (fresh == 0) return false;
        w.inner.push(fresh);
        w.o_prev = fresh;
    }
    const GenNode c = w.at(i), p = w.at(i - 1), q = w.at(i + 1);
    const double px = c.x + 1.5 * w.f * ((q.x - c.x) + (p.x - c.x));
    const double py = c.y + 1.5 * w.f * ((q.y - c.y) + (p.y - c.y));
    GenNode& o = w.mesh.node(w.o_prev);
    if (i >= 3 && w.alfa[i - 2] < kCornerAngle) {
        o.x = (px + o.x) / 2;
        o.y = (py + o.y) / 2;
    } else {
        o.x = px;
        o.y = py;
    }
    if (!w.element(w.node(i), w.node(i + 1), w.o_prev, w.node(i - 1))) return false;
    if (i + 1 <= n) {
        double aq = angle(q, w.at(i + 2), c);
        if (aq < kFoldedAngle) aq = kTwoPi;
        w.alfa[i + 1] = aq;
        if (aq >= kReflexAngle && aq < kTwoPi && i + 1 < n) {
            const double lq = (distance(c, q) + distance(q, w.at(i + 2))) / 2 * w.f;
            const double cq = distance(c, q);
            const double gx = lq * (q.x - c.x) / cq, gy = lq * (q.y - c.y) / cq;
            const GenNode op = w.mesh.node(w.o_prev);
            const int og = w.make_node(op.x + gx, op.y + gy);
            if (og == 0) return false;
            const int qg = w.make_node(q.x + gx, q.y + gy);
            if (qg == 0 || !w.element(w.node(i + 1), qg, og, w.o_prev)) return false;
            w.inner.push(og);
            w.inner.push(qg);
            w.o_prev = qg;
        }
    }
    return true;
}

bool walk(LayerWalk& w) {
    const int n = w.n();
    compute_angles(w);
    int i = 1;
    while (i <= n) {
        const double a = w.alfa[i];
        if (i == 1 || i == n) {
            if (!(a >= kCornerAngle && a < kReflexAngle)) {
                if (i == 1) {
                    report(" Internal error in 'loop_elm': i=1, alfa=%7.0lf degs.\n", rad_to_deg(a));
                    w.code = TM_LAYER_FIRST;
                } else {
                    report(" LOOP_ELM: Internal error: i=1, alfa=%7.0lf degs.\n", rad_to_deg(a));
                    w.code = TM_LAYER_LAST;
                }
                return false;
            }
        }
        if (a >= kCornerAngle && a < kReflexAngle) {
            if (!moderate_node(w, i, a, i == 1)) return false;
            ++i;
        } else if (a >= kReflexAngle) {
            if (!reflex_node(w, i, a)) return false;
            ++i;
        } else if (sharp_corner(w, i)) {
            if (!sharp_corner_node(w, i)) return false;
            i += 3;
        } else {
            if (!corner_node(w, i)) return false;
            i += 2;
        }
    }
    const int first_inner = w.inner.at(1);
    return w.element(w.node(n), w.node(1), first_inner, w.o_prev);
}

}  // namespace

int loop_elm(double fraction, TrelmoContext& ctx, int& code) {
    TrelmoMesh& mesh = ctx.mesh;
    for (int s = 1; s <= ctx.num_subregions; ++s) {
        SubregionWork& sw = ctx.sub_work[s];
        const std::string_view name = ctx.subregions[s].name.view();
        sw.inner.clear();
        ctx.layer_flags[s] = 0;
        const int n = sw.boundary.count;
        if (n == 4 || n == 6) {
            if (loop_46(mesh, sw.boundary, name, s, code)) continue;
            code = TM_OK;
        }
        if (is_rectangular(sw.boundary, mesh, name, s, code)) continue;
        if (code != TM_OK) return 0;
        int flag = 0;
        if (!find_start_node(sw.boundary, mesh, flag, 75.0)) {
            sw.inner = sw.boundary;
            continue;
        }
        try {
            LayerWalk w{mesh, sw.boundary, sw.inner, name, s, fraction, flag, code, {}};
            if (!walk(w)) return 0;
        } catch (const std::bad_alloc&) {
            report("Out of memory in loop_elm()\n");
            code = TM_NO_MEMORY;
            return 0;
        }
        ctx.layer_flags[s] = 1;
    }
    return 1;
}

}  // namespace korvex
