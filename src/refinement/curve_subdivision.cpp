// activate_entities_subdivisions: connectors between holes, trees and the
// outer boundary can only end at corners, so long straight and arc curves on
// the outer boundaries and holes of PLANE subregions (and long straight tree
// curves) are cut into short pieces first, each piece ending at a new corner.
// A cut curve keeps its index for the first piece; the remainder is a new
// curve inserted right after it, and every other subregion, hole or tree
// that uses the curve is given both pieces, so shared curves stay shared.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "curves/arc_frame.h"
#include "curves/dense_solver.h"
#include "input/input_stages.h"
#include "refinement/curve_subdivision.h"
#include "refinement/refinement.h"

namespace korvex {

namespace {

constexpr double kCountSlack = 1.0000001;   // L/s is rounded down with this slack
constexpr double kCountTol = 1e-5;          // ... and up when it falls short by this much
constexpr double kStepSlack = 1.000001;     // new step s' = L * slack / n
constexpr double kReuseFraction = 1e-3;     // an existing point this close (x step) is reused

std::string formatted(const char* fmt, int value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, fmt, value);
    return buf;
}

// A curve list of a subregion that a cut can extend: the outer boundary
// (curves_id with its names and edge counts) or one hole.
struct CurveList {
    Subregion& patch;
    int hole;  // 0: outer boundary

    int size() const { return hole ? patch.holes[static_cast<std::size_t>(hole)].num_curves : patch.num_curves; }
    int& entry(int i) {
        return hole ? patch.holes[static_cast<std::size_t>(hole)].curves[static_cast<std::size_t>(i)]
                    : patch.curves_id[static_cast<std::size_t>(i)];
    }
    bool full() const {
        return hole ? size() + 1 > MAX_CURVES_PER_HOLE : size() + 1 > static_cast<int>(patch.curves_id.size()) - 1;
    }
    // The outer list holds 4 x MAX_CURVES_PER_EDGE + 5 curves.
    void report_full() const {
        if (hole) report("Increase MAX_CURVES_PER_HOLE(currently %i)\n", MAX_CURVES_PER_HOLE);
        else report("Increase MAX_CURVES_PER_EDGE(currently %i)\n", (static_cast<int>(patch.curves_id.size()) - 6) / 4);
    }
    // Inserts the new second piece so that the list still runs as a chain:
    // after the cut curve when it is walked forward, before it when reversed.
    void insert_after(const Run& run, int pos, int new_id) {
        const int n = size();
        const int old = entry(pos);
        for (int m = n; m > pos; --m) {
            entry(m + 1) = entry(m);
            if (!hole) patch.curve_names[static_cast<std::size_t>(m + 1)] = patch.curve_names[static_cast<std::size_t>(m)];
        }
        if (old > 0) {
            entry(pos + 1) = new_id;
        } else {
            entry(pos + 1) = old;
            entry(pos) = -new_id;
        }
        if (hole) {
            ++patch.holes[static_cast<std::size_t>(hole)].num_curves;
            return;
        }
        patch.curve_names[static_cast<std::size_t>(pos)] = run.curves[std::abs(entry(pos))].name;
        patch.curve_names[static_cast<std::size_t>(pos + 1)] = run.curves[std::abs(entry(pos + 1))].name;
        ++patch.num_curves;
        int last = 0;
        for (int e = 1; e <= patch.num_edges && e <= MAX_EDGES_PER_SUBREGION; ++e) {
            last += patch.curves_per_edge[e];
            if (pos <= last || e == patch.num_edges) {
                ++patch.curves_per_edge[e];
                break;
            }
        }
    }
};

// Appends a new point; the caller has checked the limit.
int add_point(Run& run, const std::string& name, const Vec3& p, const Name& subregion, const Name& name_original) {
    const int i = ++run.nPoints;
    run.points.ensure(i);
    ControlPoint& pt = run.points[i];
    pt = ControlPoint{};
    pt.name = name;
    pt.set_pos(p);
    pt.id = i;
    pt.subregion = subregion;
    pt.subregion_work = subregion;
    pt.name_original = name_original;
    return i;
}

void set_points(Run& run, Curve& c, const std::vector<int>& ids) {
    c.num_points = static_cast<int>(ids.size());
    for (int m = 1; m <= c.num_points; ++m) {
        c.points_id[static_cast<std::size_t>(m)] = ids[static_cast<std::size_t>(m - 1)];
        c.point_names[static_cast<std::size_t>(m)] = run.points[ids[static_cast<std::size_t>(m - 1)]].name;
    }
    const ControlPoint& second = run.points[c.points_id[2]];
    c.second_point[0] = second.x;
    c.second_point[1] = second.y;
    c.second_point[2] = second.z;
    c.second_point_name = second.name;
}

// Appends a curve (name_original, step taken from the cut curve).
int add_curve(Run& run, const std::string& name, const Curve& from, double step, const std::vector<int>& point_ids) {
    const int i = ++run.nCurves;
    run.curves.ensure(i);
    Curve& c = run.curves[i];
    c = Curve{};
    c.name = name;
    c.id = i;
    c.step = step;
    c.name_original = from.name_original;
    set_points(run, c, point_ids);
    return i;
}

int first_point(const Curve& c) { return c.points_id[1]; }
int last_point(const Curve& c) { return c.points_id[static_cast<std::size_t>(c.num_points)]; }

// The limits checked before a cut adds a point or a curve.
bool room_for_point(const Run& run) {
    if (run.nPoints + 1 <= MAX_CONTROL_POINTS) return true;
    report("Increase MAX_CONTROL_POINTS (curr.%i) (MULT_CO5.C)\n", MAX_CONTROL_POINTS);
    return false;
}

bool room_for_curve(const Run& run) {
    if (run.nCurves + 1 <= run.settings.MAX_CURVES) return true;
    report("Increase MAX_CURVES (now=%i) in KORVEX.H\n   (MULT_CO5.C)\n", run.settings.MAX_CURVES);
    return false;
}

// A straight curve measured for cutting: its end positions, its length
// (stored in the curve too) and its number of steps.
struct LineSpan {
    Vec3 P1, P2;
    double L = 0;
    int n = 0;
};

LineSpan measure_line(const Run& run, Curve& c) {
    LineSpan span{run.points[first_point(c)].pos(), run.points[last_point(c)].pos()};
    span.L = distance(span.P1, span.P2);
    c.length = span.L;
    span.n = subdivision_step_count(span.L, c.step);
    return span;
}

// Cuts the straight curve cid at the new point `cut`: the first piece keeps
// cid, the second is appended as a new curve; both get step s. Returns the
// new curve's index.
int split_line(Run& run, int cid, const LineSpan& span, const Vec3& cut, double s, const std::string& point_name,
               const Name& subregion) {
    const int old_last = last_point(run.curves[cid]);
    const int p = add_point(run, point_name, cut, subregion, run.curves[cid].name_original);
    const Curve old = run.curves[cid];
    const int nc = add_curve(run, formatted("QLq%05i", run.nCurves + 1), old, s, {p, old_last});
    Curve& first = run.curves[cid];
    set_points(run, first, {first_point(old), p});
    first.step = s;
    first.length = distance(span.P1, cut);
    run.curves[nc].length = distance(cut, span.P2);
    return nc;
}

// The circle of an arc: centre, radius, unit normal and sweep from first to last point.
struct ArcGeometry {
    Vec3 C, e1, e2;
    double R = 0, sweep = 0;
};

int arc_geometry(const Run& run, const Curve& c, ArcGeometry& g) {
    const Vec3 A = run.points[first_point(c)].pos();
    const Vec3 E = run.points[last_point(c)].pos();
    const Vec3 M = run.points[c.points_id[static_cast<std::size_t>(1 + c.num_points / 2)]].pos();
    Vec3 w = cross(M - A, E - A);
    const double anorm = norm(w);
    if (anorm < 1e-12) {
        report(" Error in divide_arc_to_2():  anorm=%g\n", anorm);
        report(" Probable reason: input data error in\n  arc curve %s: points may be inlined.\n", c.name.c_str());
        return 0;
    }
    w = w / anorm;
    DenseSolver solver;
    if (solver.w_crout0(3) != 0) {
        report(" Error in divide_arc_to_2():   cannot initialize w_crout0():  ierr=%i\n", -1);
        return 0;
    }
    const Vec3 rows[3] = {A - M, M - E, w};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) solver.w_crout1(i + 1, j + 1, rows[i][j]);
    int ierr = 0;
    double cond = 0;
    solver.w_crout2(ierr, cond);
    if (ierr != 0 || cond > kMaxArcCondition) {
        report(" Error in divide_arc_to_2():   cannot factorize the matrix in w_crout2():  ierr=%i   cond=%e\n", ierr, cond);
        report(" Probable reason: input data error in\n  arc curve %s: points may be inlined.\n", c.name.c_str());
        return 0;
    }
    std::vector<double> rhs{0, (dot(A, A) - dot(M, M)) / 2, (dot(M, M) - dot(E, E)) / 2, dot(w, A)};
    solver.w_crout3(rhs);
    g.C = Vec3{rhs[1], rhs[2], rhs[3]};
    g.R = (distance(A, g.C) + distance(M, g.C) + distance(E, g.C)) / 3.0;
    g.e1 = (A - g.C) / distance(A, g.C);
    g.e2 = cross(w, g.e1);
    // (M - A) x (E - A) along w: A, M, E run counter-clockwise about w.
    double theta = std::atan2(dot(E - g.C, g.e2), dot(E - g.C, g.e1));
    if (theta <= 0) theta += kTwoPi;
    g.sweep = theta;
    return 1;
}

// The points of the two pieces of an arc cut into n steps: the cut at step 4
// (P@K), steps 1-3 for the first piece (P@R) and 5..n-1 for the second (P@S),
// made in that order; an existing point within a small fraction of a step is
// reused. Returns false after reporting a full point array.
bool arc_piece_points(Run& run, const ArcGeometry& g, int n, const Curve& old, const Name& subregion,
                      NearPointIndex& near, std::vector<int>& first_ids, std::vector<int>& second_ids) {
    const double delta = g.sweep / n;
    const double reuse_tol = kReuseFraction * g.R * delta;
    auto point_at = [&](int step_no, const char* form, const char* limit_message) -> int {
        const double a = step_no * delta;
        const Vec3 p = g.C + (g.e1 * std::cos(a) + g.e2 * std::sin(a)) * g.R;
        if (const int existing = near.first_near(run, p, reuse_tol)) return existing;
        if (run.nPoints + 1 > MAX_CONTROL_POINTS) {
            report(limit_message, MAX_CONTROL_POINTS);
            return 0;
        }
        return add_point(run, formatted(form, run.nPoints + 1), p, subregion, old.name_original);
    };
    const int cut = point_at(4, "P@K%05i", "Increase MAX_CONTROL_POINTS (curr.  %i) (MULT_CO6.C)\n");
    if (!cut) return false;
    first_ids.push_back(first_point(old));
    for (int m = 1; m <= 3; ++m) {
        const int r = point_at(m, "P@R%05i", "Increase MAX_CONTROL_POINTS (curr.%i) (MULT_CO6.C; 2)\n");
        if (!r) return false;
        first_ids.push_back(r);
    }
    first_ids.push_back(cut);
    second_ids.push_back(cut);
    for (int m = 5; m <= n - 1; ++m) {
        const int sp = point_at(m, "P@S%05i", "Increase MAX_CONTROL_POINTS (curr.%i) (MULT_CO6.C; 3)\n");
        if (!sp) return false;
        second_ids.push_back(sp);
    }
    second_ids.push_back(last_point(old));
    return true;
}

}  // namespace

bool NearPointIndex::cell_of(const Vec3& p, Cell& c) const {
    constexpr double kLargestCell = 1e15;  // beyond this a cell number is no longer exact
    double q[3];
    for (int a = 0; a < 3; ++a) {
        q[a] = std::floor(p[a] / width_);
        if (!(std::fabs(q[a]) < kLargestCell)) return false;
    }
    c = Cell{static_cast<std::int64_t>(q[0]), static_cast<std::int64_t>(q[1]), static_cast<std::int64_t>(q[2])};
    return true;
}

void NearPointIndex::rebuild(const Run& run, double width) {
    width_ = width;
    indexed_ = 0;
    cells_.clear();
    add_points_up_to(run, run.nPoints);
}

void NearPointIndex::add_points_up_to(const Run& run, int last) {
    for (int i = indexed_ + 1; i <= last; ++i) {
        Cell c;
        if (cell_of(run.points[i].pos(), c)) cells_[c].push_back(i);
        else width_ = 0;  // a point too far out for the grid: scan instead
    }
    indexed_ = last;
}

int NearPointIndex::first_near(const Run& run, const Vec3& p, double tol) {
    if (!(tol > 0)) return 0;  // no distance is below zero (or NaN)
    constexpr double kWidthRange = 64.0;
    if (run.nPoints < indexed_ || width_ <= 0 || tol > width_ || tol * kWidthRange < width_) rebuild(run, 2.0 * tol);
    add_points_up_to(run, run.nPoints);
    Cell lo, hi;
    const Vec3 d{1.5 * tol, 1.5 * tol, 1.5 * tol};  // wider than tol: rounding of p ± tol never hides a cell
    if (width_ <= 0 || !cell_of(p - d, lo) || !cell_of(p + d, hi)) {
        for (int i = 1; i <= run.nPoints; ++i)
            if (distance(run.points[i].pos(), p) < tol) return i;
        return 0;
    }
    int first = 0;
    for (std::int64_t i = lo.i; i <= hi.i; ++i)
        for (std::int64_t j = lo.j; j <= hi.j; ++j)
            for (std::int64_t k = lo.k; k <= hi.k; ++k) {
                const auto it = cells_.find(Cell{i, j, k});
                if (it == cells_.end()) continue;
                for (const int m : it->second)
                    if ((first == 0 || m < first) && distance(run.points[m].pos(), p) < tol) first = m;
            }
    return first;
}

int subdivision_step_count(double length, double step) {
    if (step <= 0) return 0;
    const double ratio = length / step;
    int n = static_cast<int>(length * kCountSlack / step);
    if (std::fabs(n - ratio) >= kCountTol) ++n;
    if (n % 2 != 0) ++n;
    return n;
}

int divide_line_to_2_on_MC_boundary(Run& run, int k, int hole, int pos, bool& divided) {
    CurveList list{run.patches[k], hole};
    const int cid = std::abs(list.entry(pos));
    if (!run.curves[cid].name.starts_with("QL")) return 1;
    if (!room_for_point(run)) return 0;
    const LineSpan span = measure_line(run, run.curves[cid]);
    if (span.n < 5) return 1;
    if (!room_for_curve(run)) return 0;
    if (list.full()) {
        list.report_full();
        return 0;
    }
    const double s = span.L * kStepSlack / span.n;
    const Vec3 cut = span.P1 + (span.P2 - span.P1) * (4.0 * s / span.L);
    const int nc = split_line(run, cid, span, cut, s, formatted("P@H%05i", run.nPoints + 1), run.patches[k].name);
    const int signed_old = list.entry(pos);
    list.insert_after(run, pos, nc);
    divided = true;
    return propagate_curve_split(run, signed_old, nc, k);
}

int divide_arc_to_2_on_MC_boundary(Run& run, int k, int hole, int pos, bool& divided, NearPointIndex& near) {
    CurveList list{run.patches[k], hole};
    const int cid = std::abs(list.entry(pos));
    if (run.curves[cid].name[0] != 'C') return 1;
    ArcGeometry g;
    if (!arc_geometry(run, run.curves[cid], g)) return 0;
    const double L = g.R * g.sweep;
    run.curves[cid].length = L;
    const int n = subdivision_step_count(L, run.curves[cid].step);
    if (n <= 4) return 1;
    if (n - 3 > MAX_POINTS_PER_CURVE) {
        report("Increase MAX_POINTS_PER_CURVE (curr.=%i)\n", MAX_POINTS_PER_CURVE);
        return 0;
    }
    if (!room_for_curve(run)) return 0;
    if (list.full()) {
        list.report_full();
        return 0;
    }
    const Curve old = run.curves[cid];
    const double delta = g.sweep / n;
    std::vector<int> first_ids, second_ids;
    if (!arc_piece_points(run, g, n, old, run.patches[k].name, near, first_ids, second_ids)) return 0;
    const double s = L * kStepSlack / n;
    const int nc = add_curve(run, formatted("C@%06i", run.nCurves + 1), old, s, second_ids);
    run.curves[nc].length = (n - 4) * delta * g.R;
    Curve& first = run.curves[cid];
    set_points(run, first, first_ids);
    first.step = s;
    first.length = 4 * delta * g.R;
    const int signed_old = list.entry(pos);
    list.insert_after(run, pos, nc);
    divided = true;
    return propagate_curve_split(run, signed_old, nc, k);
}

int divide_line_2_on_tree(Run& run, int k, int t, int m, bool& divided) {
    Subregion& patch = run.patches[k];
    if (patch.num_edges != 1) {
        report("MULT_CL5.C internal error: patches[%i].num_edges=%i; must be =1\n", k, patch.num_edges);
        return 0;
    }
    Tree& tree = patch.trees[static_cast<std::size_t>(t)];
    const int cid = tree.curve_ids[static_cast<std::size_t>(m)];
    if (!run.curves[cid].name.starts_with("QL")) return 1;
    const LineSpan span = measure_line(run, run.curves[cid]);
    if (span.n < 3) return 1;
    if (!room_for_point(run) || !room_for_curve(run)) return 0;
    if (tree.num_curves + 1 > tree.curve_capacity()) {
        report("Increase MAX_CURVES_PER_TREE(currently=%i)\n", tree.curve_capacity());
        return 0;
    }
    const double s = span.L * kStepSlack / span.n;
    const Vec3 cut = span.P1 + (span.P2 - span.P1) * (2.0 * s / span.L);
    for (int i = 1; i <= run.nPoints; ++i) {
        const ControlPoint& q = run.points[i];
        if (q.name == "PINT" || distance(q.pos(), cut) >= kPointTolerance) continue;
        const std::string name = formatted("P@%06i", run.nPoints + 1);
        report("In MULT_CL5.C: two coincident points:\n%s(%25.15lf,%25.10lf,%25.10lf)\n%s(%25.15lf,%25.10lf,%25.10lf)\n",
               q.name.c_str(), q.x, q.y, q.z, name.c_str(), cut.x, cut.y, cut.z);
        return 0;
    }
    const int nc = split_line(run, cid, span, cut, s, formatted("P@%06i", run.nPoints + 1), patch.name);
    Tree& tr = run.patches[k].trees[static_cast<std::size_t>(t)];
    const auto slot = static_cast<std::size_t>(++tr.num_curves);
    tr.curve_names[slot] = run.curves[nc].name;
    tr.curve_ids[slot] = nc;
    divided = true;
    return propagate_curve_split(run, cid, nc, k);
}

}  // namespace korvex
