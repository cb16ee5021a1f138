// The reference construction shared by the two plane recognisers (on mesh
// nodes and on control points): the reference triangle A, B, C that fixes
// the plane, and the orientation point D that decides which way the normal
// points so that the boundary runs counter-clockwise about it.
#pragma once

#include <vector>

#include "base/vec3.h"

namespace korvex {

// The closed loop loop[1..n]; loop[0] is a copy of loop[n].
struct ReferencePoints {
    int iA = 0, iB = 0, iC = 0;  // positions in the loop (iC = 0: none found)
    double perimeter = 0;
};

// A, B: the farthest pair (a later pair replaces only when strictly farther);
// the perimeter in the same pass; C: the other position with the largest
// |CA| + |CB| (strictly larger replaces).
ReferencePoints find_reference_points(const std::vector<Vec3>& loop, int n);

// The orientation point D: among the positions other than A and B whose
// distance from the line AB, measured from both ends, is at least h, the
// one farthest from it. When the two measures of one node disagree by more
// than 10 sqrt(eps) relatively, the details are returned for the caller's
// report and ok is false.
struct OrientationPoint {
    bool ok = true;
    int iD = 0;
    double dist_ort_A = 0, dist_ort_B = 0;
    double dist_i_A = 0, angle_A = 0, dist_i_B = 0, angle_B = 0;
};
OrientationPoint find_orientation_point(const std::vector<Vec3>& loop, int n, int iA, int iB, double h);

// m = (B - A) x (D - A), negated when D comes before B walking forward from A.
Vec3 reference_normal(const std::vector<Vec3>& loop, int iA, int iB, int iD);

// Compares the plane normal with the reference normal m.
enum class NormalCheck { AlreadyCorrect, Negate, Inconsistent };
NormalCheck check_normal_direction(const Vec3& normal, const Vec3& m, double& angle_unit_cross);

// The plane through the reference triangle: n = (B - A) x (C - A), d = n.A,
// stored unnormalised in raw[0..3], then returned normalised in n and d.
// Returns 0 after reporting when |n| is too small to normalise.
int plane_through_triangle(const Vec3& A, const Vec3& B, const Vec3& C, double raw[4], Vec3& n, double& d);

// How the orientation step names its caller in its reports.
struct OrientationReports {
    const char* unit;          // source named in the internal-error lines
    const char* routine;       // routine named when no orientation point exists
    bool fixed_point_details;  // asymmetry details as %lf (else %e)
};

// Finds the orientation point D (minimum distance h from AB) and turns the
// unit normal n and d so that the loop runs counter-clockwise about n.
// Returns 0 after reporting when D is missing or the check is inconsistent.
int orient_plane_normal(const std::vector<Vec3>& loop, int n_points, const ReferencePoints& ref, double h, Vec3& n,
                        double& d, const OrientationReports& names);

}  // namespace korvex
