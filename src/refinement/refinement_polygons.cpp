// The plane frame of a subregion and the polygons of its outer boundary and
// holes that the refinement squares are tested against. Curves are followed
// through their definition points: straight curves and arcs are divided at
// about their step, so that a polygon's vertex spacing is the boundary's
// mesh size; a general curve keeps only its definition points, and the
// spacing it stands for is taken from its step instead.
#include <cmath>
#include <cstdlib>

#include "base/messages.h"
#include "refinement/refinement_squares.h"
#include "refinement/vertex_loops.h"

namespace korvex {

namespace {

constexpr double kGeneralCurveSpacing = 0.8;  // share of a general curve's step
constexpr double kTinyLength = 1e-12;

// Centre of the circle through A, B, C; false when they are (almost) in line.
bool circle_centre(const Vec3& A, const Vec3& B, const Vec3& C, Vec3& centre) {
    const Vec3 a = A - C, b = B - C;
    const Vec3 axb = cross(a, b);
    const double den = 2.0 * dot(axb, axb);
    if (den <= kTinyLength * kTinyLength * dot(a, a) * dot(b, b)) return false;
    centre = C + cross(b * dot(a, a) - a * dot(b, b), axb) / den;
    return true;
}

// The points of a curve in walking order (signed id), last one excluded,
// appended to the polygon with the spacing each following segment stands for.
// A segment would be cut into more pieces than the mesh may have nodes:
// false after the node limit's message, before anything is added.
bool add_curve(const Run& run, const RefinementFrame& f, int sid, BoundaryPolygon& poly) {
    const Curve& c = run.curves[std::abs(sid)];
    const int n = c.num_points;
    std::vector<Vec3> P;
    for (int m = 1; m <= n; ++m) P.push_back(run.points[c.points_id[static_cast<std::size_t>(sid > 0 ? m : n + 1 - m)]].pos());
    const bool straight = c.name.starts_with("QL");
    const bool arc = c.name[0] == 'C';
    Vec3 centre;
    const bool on_circle = arc && n >= 3 && circle_centre(P[0], P[static_cast<std::size_t>(n / 2)], P.back(), centre);
    for (std::size_t i = 0; i + 1 < P.size(); ++i) {
        const double chord = distance(P[i], P[i + 1]);
        int pieces = 1;
        if ((straight || on_circle) && c.step > 0) {
            const double wanted = std::ceil(chord / c.step);
            if (!(wanted <= run.settings.MAX_NEW_POINTS)) {
                report(" Increase MAX_NEW_POINTS in korvex.h (currently =%i)\n", run.settings.MAX_NEW_POINTS);
                return false;
            }
            pieces = std::max(1, static_cast<int>(wanted));
        }
        for (int j = 0; j < pieces; ++j) {
            const double t = static_cast<double>(j) / pieces;
            Vec3 X = P[i] + (P[i + 1] - P[i]) * t;
            if (on_circle) {
                const double R = distance(P[i], centre);
                const Vec3 r = (P[i] - centre) * (1 - t) + (P[i + 1] - centre) * t;
                if (norm(r) > kTinyLength) X = centre + r * (R / norm(r));
            }
            PointUV v;
            f.to_uv(X, v.u, v.v);
            v.curve_id = sid;
            v.name = c.name;
            poly.vertices.push_back(v);
            poly.spacing_after.push_back(straight || arc ? -1.0 : kGeneralCurveSpacing * c.step);
        }
    }
    return true;
}

// Spacings left at -1 are the actual distances to the next vertex.
void fill_spacings(BoundaryPolygon& poly) {
    for (int i = 1; i <= poly.count; ++i) {
        auto& s = poly.spacing_after[static_cast<std::size_t>(i)];
        if (s >= 0) continue;
        const PointUV& a = poly.vertices[static_cast<std::size_t>(i)];
        const PointUV& b = poly.vertices[static_cast<std::size_t>(i == poly.count ? 1 : i + 1)];
        s = std::hypot(b.u - a.u, b.v - a.v);
    }
}

}  // namespace

int parameterize_boundary_and_holes(const Run& run, int k, const PlaneCoeffs& plane, SubregionPolygons& sp) {
    std::vector<VertexLoop> loops;
    if (!build_vertex_loops(run, k, loops) || loops.empty() || loops[0].count < 2) return 0;
    const Vec3 n{plane.a, plane.b, plane.c};
    const double nn = norm(n);
    if (!(nn > 0)) return 0;
    RefinementFrame& f = sp.frame;
    f.n = n / nn;
    f.O = run.points[loops[0].vertices[1].point].pos();
    // The axis runs to the first vertex that is not at the origin.
    Vec3 axis{};
    for (int i = 2; i <= loops[0].count && norm(axis) <= kTinyLength; ++i)
        axis = run.points[loops[0].vertices[static_cast<std::size_t>(i)].point].pos() - f.O;
    axis = axis - f.n * dot(axis, f.n);
    if (norm(axis) <= kTinyLength) return 0;
    f.e1 = axis / norm(axis);
    f.e2 = cross(f.n, f.e1);
    sp.loops.assign(loops.size(), BoundaryPolygon{});
    for (std::size_t h = 0; h < loops.size(); ++h) {
        // Slot 0 of the chain is unused; it stays empty for a loop without curves.
        sp.loops[h].vertices.assign(1, PointUV{});
        sp.loops[h].spacing_after.assign(1, 0.0);
        for (std::size_t i = 1; i < loops[h].chain.size(); ++i)
            if (!add_curve(run, f, loops[h].chain[i], sp.loops[h])) return 0;
        sp.loops[h].count = static_cast<int>(sp.loops[h].vertices.size()) - 1;
    }
    return 1;
}

int small_step_boundaries_parameterization(const Run& run, int k, SubregionPolygons& sp) {
    report("Entered small_step_boundaries_parameterization() (MULT_C17.C)\n");
    (void)run;
    for (BoundaryPolygon& poly : sp.loops) {
        if (poly.count == 0) continue;
        if (poly.count < 3) {
            report("Subregion %s: a boundary loop has fewer than three vertices.\n", run.patches[k].name.c_str());
            return 0;
        }
        fill_spacings(poly);
        poly.vertices[0] = poly.vertices[static_cast<std::size_t>(poly.count)];
    }
    return 1;
}

}  // namespace korvex
