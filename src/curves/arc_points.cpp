// Division of a circular arc through three (or more) points into an even
// number of equal angular steps.
#include <cmath>
#include <cstdlib>
#include <new>

#include "base/messages.h"
#include "curves/arc_frame.h"
#include "curves/curve_division.h"
#include "curves/curve_points.h"
#include "curves/geometry_kernels.h"
#include "curves/node_coincidence.h"

namespace korvex {

namespace {

constexpr double kTinyCoordinate = 1e-10;
constexpr double kSnapFraction = 1e-6;       // of an angular step times the radius

int find_plane(const Curve& cv, const Array1<ControlPoint>& points, ArcFrame& f) {
    const double anorm = set_arc_plane_of(points, cv, f);
    if (!(anorm >= kMinArcPlaneNormal)) {
        report(" Error in generatePointsOnArcs():  anorm=%g\n", anorm);
        report(" Probable reason: points of arc %s inlined.\n", cv.name.c_str());
        return 0;
    }
    if (any_point_off_arc_plane(f, points, cv)) {
        report(" Check input data : not all points defining \n    arc curve %s belong to one and the same plane.\n",
               cv.name.c_str());
        return 0;
    }
    return 1;
}

int find_centre(const Curve& cv, ArcFrame& f) {
    int ierr = 0;
    double cond = 0.0;
    const int solved = solve_arc_centre(f, ierr, cond);
    if (solved < 0) {
        report(" Error in generatePointsOnArcs():   cannot initialize w_crout0():  ierr=%i\n", -1);
        return 0;
    }
    if (solved == 0) {
        report(" Error in generatePointsOnArcs():   cannot factorize the matrix in w_crout2():  ierr=%i   cond=%e\n",
               ierr, cond);
        report(" Probable reason: input data error in\n  arc curve %s: points may be inlined.\n", cv.name.c_str());
        return 0;
    }
    return 1;
}

int find_radius(const Curve& cv, const Array1<ControlPoint>& points, ArcFrame& f) {
    set_arc_radius(f);
    if (any_point_off_arc_circle(f, points, cv)) {
        report(" Check input data : definition of arc curve %s contains\n  point(s) that geometrically do(es) not "
               "belong\n  to the arc.\n",
               cv.name.c_str());
        return 0;
    }
    return 1;
}

int find_sweep(const Curve& cv, ArcFrame& f) {
    const double theta_M = angle_from_start(f, f.M);
    if (theta_M < 0.0) {
        report(" In generatePointsOnArc()  (file CURVE.C):  (message 1):\n");
        report(" Arc curve %s input data error:\n an intermediate point either coincides with\n the start point or "
               "doesn't belong to the arc.\n",
               cv.name.c_str());
        return 0;
    }
    const double theta_E = angle_from_start(f, f.E);
    if (theta_E < 0.0) {
        report(" In generatePointsOnArc() (file CURVE.C) (message 2):\n");
        report(" Arc curve %s input data error:\n the end point either coincides with\n the start point or doesn't "
               "belong to the arc.\n",
               cv.name.c_str());
        return 0;
    }
    set_arc_sweep(f, theta_M, theta_E);
    return 1;
}

// Point at angle phi from CA about the normal, built in a polar frame in the
// arc's plane around the foot P0 of the perpendicular from the origin. The
// frame's first axis points from P0 to the centre; when the centre is too
// near P0 for that, the construction is shifted by 2(A - C) and back.
Vec3 point_at_angle(const ArcFrame& f, double phi) {
    const Vec3 P0 = f.normal * f.d;
    const Vec3 shift = distance(f.C, P0) < f.R / 5.0 ? (f.A - f.C) * 2.0 : Vec3{};
    const Vec3 C = f.C + shift;
    const Vec3 A = f.A + shift;
    const double cx = distance(C, P0);
    const Vec3 ex = (C - P0) / cx;
    const Vec3 ey = cross(f.normal, ex);
    const double start = std::atan2(dot(A - P0, ey), dot(A - P0, ex) - cx);
    const double angle = start + phi;
    const double u = cx + f.R * std::cos(angle);
    const double v = f.R * std::sin(angle);
    Vec3 x = P0 + ex * u + ey * v - shift;
    for (int k = 0; k < 3; ++k)
        if (std::fabs(x[k]) < kTinyCoordinate) x[k] = 0.0;
    return x;
}

int place_arc_nodes(int c, Curve& cv, const ArcFrame& f, int N, Array1<ControlPoint>& points, NodeList& list) {
    const double delta = f.sweep / N;
    const int first = node_for_input_point(points, cv.points_id[1], list,
                                           " Increase MAX_NEW_POINTS in korvex.h (currently =%i) (5)\n");
    if (first == 0) return 0;
    cv.new_points_id[1] = first;
    for (int k = 1; k < N; ++k) {
        const Vec3 x = point_at_angle(f, f.sense * k * delta);
        const int node =
            append_generated_node(x, c, list, " Increase MAX_NEW_POINTS in korvex.h (currently =%i) (6)\n");
        if (node == 0) return 0;
        snap_to_definition_points(node, cv, points, list, kSnapFraction * f.R * delta);
        cv.new_points_id[static_cast<std::size_t>(k + 1)] = node;
    }
    const int last = node_for_input_point(points, cv.points_id[static_cast<std::size_t>(cv.num_points)], list,
                                          " Increase MAX_NEW_POINTS in korvex.h (currently =%i) (8)\n");
    if (last == 0) return 0;
    cv.new_points_id[static_cast<std::size_t>(N + 1)] = last;
    return 1;
}

int report_coincident_nodes(const Array1<ControlPoint>& nodes, const CoincidentPair& pair) {
    const ControlPoint& a = nodes[pair.i];
    const ControlPoint& b = nodes[pair.j];
    report("In CURVEARC.C: two coincident points:\n%s(%25.15lf,%25.10lf,%25.10lf)\n%s(%25.15lf,%25.10lf,%25.10lf)\n",
           a.name.c_str(), a.x, a.y, a.z, b.name.c_str(), b.x, b.y, b.z);
    return 0;
}

int divide_arc(int c, Array1<ControlPoint>& points, Array1<Curve>& curves, NodeList& list,
               NodeCoincidenceIndex& checked) {
    Curve& cv = curves[c];
    if (cv.num_points < 3) {
        report(" Input data error: arc curve %s must have at least    3 points.\n", cv.name.c_str());
        return 0;
    }
    if (cv.num_points > MAX_POINTS_PER_CURVE) {
        report(" Input data error: arc curve %s has more than %i points.\n", cv.name.c_str(), MAX_POINTS_PER_CURVE);
        return 0;
    }
    ArcFrame f;
    if (!find_plane(cv, points, f)) return 0;
    cv.plane[0] = f.normal.x;
    cv.plane[1] = f.normal.y;
    cv.plane[2] = f.normal.z;
    cv.plane[3] = f.d;
    if (!find_centre(cv, f)) return 0;
    for (int k = 0; k < 3; ++k) cv.center[k] = f.C[k];
    if (!find_radius(cv, points, f)) return 0;
    cv.radius = f.R;
    if (!find_sweep(cv, f)) return 0;
    cv.length = f.sweep * f.R;

    const int N = even_intervals(intervals_for(cv.length, cv.step), 2);
    if (N + 1 > MAX_POINTS_PER_CURVE) {
        report("%s: Increase  MAX_POINTS_PER_CURVE in korvex.h (currently =%i)\n", cv.name.c_str(),
               MAX_POINTS_PER_CURVE);
        return 0;
    }
    cv.num_new_points = N + 1;
    if (!place_arc_nodes(c, cv, f, N, points, list)) return 0;

    const CoincidentPair pair = checked.check(list.nodes, list.count);
    if (pair) return report_coincident_nodes(list.nodes, pair);
    return 1;
}

}  // namespace

int generatePointsOnArc(int curve_index, Array1<ControlPoint>& points, Array1<Curve>& curves, int& num_new_points,
                        Array1<ControlPoint>& new_points, int max_new_points, NodeCoincidenceIndex& checked) {
    NodeList list{new_points, num_new_points, max_new_points};
    try {
        return divide_arc(std::abs(curve_index), points, curves, list, checked);
    } catch (const std::bad_alloc&) {
        report(" Out of memory in generatePointsOnArcs().\n");
        return 0;
    }
}

int generatePointsOnArc(int curve_index, Array1<ControlPoint>& points, Array1<Curve>& curves, int& num_new_points,
                        Array1<ControlPoint>& new_points, int max_new_points) {
    NodeCoincidenceIndex checked;
    return generatePointsOnArc(curve_index, points, curves, num_new_points, new_points, max_new_points, checked);
}

}  // namespace korvex
