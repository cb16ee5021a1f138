// Refinement squares around internal points with STEP and RAD: the plane
// frame and boundary polygons of a subregion, and the square cut around one
// point (or the point's conversion to a plain internal point).
#pragma once

#include <vector>

#include "model/run.h"
#include "planar/plane_recognition.h"
#include "planar/plane_uv.h"

namespace korvex {

// The (u, v) frame of a plane subregion: origin O, unit axis e1 towards the
// frame's axis point, e2 = n x e1 with n the subregion's unit normal.
struct RefinementFrame {
    Vec3 O, e1, e2, n;
    void to_uv(const Vec3& P, double& u, double& v) const {
        u = dot(P - O, e1);
        v = dot(P - O, e2);
    }
    Vec3 to_xyz(double u, double v) const { return O + e1 * u + e2 * v; }
};

// One closed polygon in the frame: vertices[1..count] (vertices[0] is
// rewritten by polypoin); spacing_after[i] is the length the vertex-to-
// vertex segment from i to i + 1 stands for (0.8 x the step along a general
// curve, whose polygon has only its definition points).
struct BoundaryPolygon {
    std::vector<PointUV> vertices;
    std::vector<double> spacing_after;
    int count = 0;
};

// Polygons of the outer boundary (loop 0) and of every hole.
struct SubregionPolygons {
    RefinementFrame frame;
    std::vector<BoundaryPolygon> loops;
};

// Builds the frame and the polygons of PLANE subregion k, whose plane is
// `plane` (unit normal). Returns 1, or 0 after a report.
int parameterize_boundary_and_holes(const Run& run, int k, const PlaneCoeffs& plane, SubregionPolygons& sp);
int small_step_boundaries_parameterization(const Run& run, int k, SubregionPolygons& sp);

// Turns internal point ip into a plain internal point (no refined zone).
void convert_to_zero_radius_point(ControlPoint& p);

// Sets too_close when the corner (u, v) lies within 1.8 mean neighbouring
// spacings of the loop's nearest vertex. Returns 1, or 0 on an empty loop.
int activate_conversion_of_points_near_boundary(const PointUV& corner, const BoundaryPolygon& loop, bool& too_close);

// Cuts the square of half side factor x PINT_rad around internal point ip
// (centre (u, v)) out of subregion k: four corners "P**", four sides "QL*",
// a hole "HR@" of k and a new 4-edged subregion "RH@". A square that does
// not fit turns the point into a plain internal point and leaves the model
// as it was (converted is set). Returns 1, or 0 after a report.
int introduce_refinement_square_subregion(Run& run, int k, int ip, double u, double v, SubregionPolygons& sp,
                                          double factor, bool& converted);

}  // namespace korvex
