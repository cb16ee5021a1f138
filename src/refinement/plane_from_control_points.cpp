// recognize_plane_patch_using_control_points: before any mesh point exists,
// tests a PLANE subregion for flatness and fixes its plane from the control
// points of its outer boundary, together with the internal points assigned
// to it; the normal is oriented so that the boundary runs counter-clockwise.
#include <cmath>
#include <cstdlib>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "planar/plane_geometry.h"
#include "planar/plane_recognition.h"
#include "planar/plane_reference.h"
#include "refinement/refinement.h"
#include "refinement/vertex_loops.h"

namespace korvex {

namespace {

constexpr double kNarrowAngle = 5.0;       // degrees: ANGLE_BETWEEEN_3_INLINED_POINTS_RECOGNITION_TOLERANCE
constexpr double kInlinedAngle = 0.5;      // degrees: below this the subregion is refused

// Step 6: the reference triangle must not be (almost) flat.
bool triangle_acceptable(const Subregion& patch, double angle_deg) {
    if (angle_deg >= kNarrowAngle && angle_deg <= 180.0 - kNarrowAngle) return true;
    report("Warning: subregion %s is too 'long-and-narrow':\n angle_between_abc=%6.2lf degs.\n Points could be inlined or almost inlined, since\n ANGLE_BETWEEEN_3_INLINED_POINTS_RECOGNITION_TOLERANCE=%6.2lf degs.\n",
           patch.name.c_str(), angle_deg, kNarrowAngle);
    if (angle_deg >= kInlinedAngle && angle_deg <= 180.0 - kInlinedAngle) return true;
    report("Consider dividing the subregion\n to several 'shorter' parts.\n");
    return false;
}

// Step 8: every defining point of every boundary curve in the plane.
bool boundary_in_plane(const Run& run, const Subregion& patch, const Vec3& n, double d) {
    for (int i = 1; i <= patch.num_curves; ++i) {
        const Curve& c = run.curves[std::abs(patch.curves_id[i])];
        for (int m = 1; m <= c.num_points; ++m)
            if (plane_distance_measure(n, d, run.points[c.points_id[m]].pos()) > kPlaneRecognitionTolerance)
                return false;
    }
    return true;
}

// Step 9: the internal points with STEP and RAD assigned to this subregion.
bool internal_points_in_plane(const Run& run, const Subregion& patch, const Vec3& n, double d) {
    for (int i = 1; i <= run.nPoints; ++i) {
        const ControlPoint& p = run.points[i];
        if (!p.name.starts_with("PINT") || p.PINT_rad == 0 || p.PINT_step == 0) continue;
        if (!(p.subregion == patch.name) && !(p.subregion == patch.original_name)) continue;
        const double sum = plane_distance_measure(n, d, p.pos());
        if (sum > kPlaneRecognitionTolerance) {
            report("Point %s doesn't belong to subregion %s\n   although declared as such.\n", p.name.c_str(),
                   patch.name.c_str());
            report("  (X,Y,Z)=(%g,%g,%g): sum(=%g) against   PLANE_RECOGNITION_TOLERANCE(=%g)\n", p.x, p.y, p.z, sum,
                   kPlaneRecognitionTolerance);
            return false;
        }
    }
    return true;
}

constexpr OrientationReports kReportNames{"MULT_CO8.C", "recognize_plane_patch_using_control_points()", true};

// Steps 5 to 11 on loop 0.
int fix_plane(Run& run, int k, const VertexLoop& outer, PlaneCoeffs& plane, int& planar) {
    Subregion& patch = run.patches[k];
    const int nv = outer.count;
    std::vector<Vec3> loop(static_cast<std::size_t>(nv) + 1);
    for (int i = 0; i <= nv; ++i) loop[static_cast<std::size_t>(i)] = run.points[outer.vertices[static_cast<std::size_t>(i)].point].pos();

    const ReferencePoints ref = find_reference_points(loop, nv);
    if (ref.iC == 0) {
        report(" Internal error in recognize_plane_patch_using_control_points():\n     ip_max=%i\n", ref.iC);
        return 0;
    }
    const Vec3 A = loop[static_cast<std::size_t>(ref.iA)], B = loop[static_cast<std::size_t>(ref.iB)],
               C = loop[static_cast<std::size_t>(ref.iC)];
    if (!triangle_acceptable(patch, degrees(vertex_angle(A, B, C)))) return 0;

    Vec3 n;
    double d = 0;
    if (!plane_through_triangle(A, B, C, patch.plane, n, d)) return 0;
    plane = PlaneCoeffs{n.x, n.y, n.z, d};
    if (!boundary_in_plane(run, patch, n, d)) {
        report("Patch %s is not plane.\n", patch.name.c_str());
        return 1;
    }
    if (!internal_points_in_plane(run, patch, n, d)) return 1;

    const double mean_segment = ref.perimeter / nv;
    if (!orient_plane_normal(loop, nv, ref, 0.001 * mean_segment, n, d, kReportNames)) return 0;
    plane = PlaneCoeffs{n.x, n.y, n.z, d};
    planar = 1;
    return 1;
}

}  // namespace

int recognize_plane_patch_using_control_points(Run& run, int k, PlaneCoeffs& plane, int& planar) {
    const Subregion& patch = run.patches[k];
    planar = 0;
    report("\n\n Processing in recognize_plane_patch_using_control_points() begins ...\n");
    if (patch.num_curves > run.settings.MAX_CURVES_PER_EDGE) {
        report("Increase MAX_CURVES_PER_EDGE (currently =%i) to at least %i.\n", run.settings.MAX_CURVES_PER_EDGE,
               patch.num_curves + 10);
        return 0;
    }
    for (int ih = 0; ih <= patch.num_holes; ++ih) {
        const int count = ih == 0 ? count_loop_vertices(run, patch.curves_id.data(), patch.num_curves)
                                  : count_loop_vertices(run, patch.holes[static_cast<std::size_t>(ih)].curves.data(),
                                                        patch.holes[static_cast<std::size_t>(ih)].num_curves);
        if (count > MAX_CONTROL_POINTS - 1) {
            report("Increase MAX_CONTROL_POINTS (currently %i)\n", MAX_CONTROL_POINTS);
            return 0;
        }
    }
    std::vector<VertexLoop> loops;
    if (!build_vertex_loops(run, k, loops)) {
        report("Unsuccessful return from MULT_C15.C into MULT_C08.C\n");
        return 0;
    }
    if (loops[0].count < 3) {
        report(" Internal error in recognize_plane_patch_using_control_points():\n     ip_max=%i\n", 0);
        return 0;
    }
    return fix_plane(run, k, loops[0], plane, planar);
}

}  // namespace korvex
