// recognize_plane_patch: orders the boundary of a subregion, fixes its plane
// from three well-spread boundary nodes, tests that every node lies in it and
// orients the normal so that the boundary runs counter-clockwise about it.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "planar/plane_geometry.h"
#include "planar/plane_recognition.h"
#include "planar/plane_reference.h"

namespace korvex {

namespace {

constexpr double kMinTriangleAngle = 0.5;        // degrees

const Curve& curve_of(const Run& run, int signed_id) { return run.curves[std::abs(signed_id)]; }

// Step 2: one curve listed twice.
bool has_duplicate_curves(const Run& run, const Subregion& patch) {
    bool found = false;
    for (int i = 1; i <= patch.num_curves; ++i)
        for (int j = i + 1; j <= patch.num_curves; ++j)
            if (std::abs(patch.curves_id[i]) == std::abs(patch.curves_id[j])) {
                report("...Input error: one and the same curve[id=%i]=%s curve[id=%i]=%s\n     encountered twice in patch %s\n",
                       patch.curves_id[i], curve_of(run, patch.curves_id[i]).name.c_str(), patch.curves_id[j],
                       curve_of(run, patch.curves_id[j]).name.c_str(), patch.name.c_str());
                found = true;
            }
    return found;
}

// The nodes of the chain in curves_id order, each curve without its last
// node in walking order: ip[1..num_vertices].
void walk_boundary(const Run& run, const Subregion& patch, std::vector<int>& ip) {
    int j = 0;
    for (int i = 1; i <= patch.num_curves; ++i) {
        const Curve& c = curve_of(run, patch.curves_id[i]);
        if (patch.curves_id[i] > 0) {
            for (int m = 1; m <= c.num_new_points - 1; ++m) ip.at(static_cast<std::size_t>(++j)) = c.new_points_id[m];
        } else {
            for (int m = c.num_new_points; m >= 2; --m) ip.at(static_cast<std::size_t>(++j)) = c.new_points_id[m];
        }
    }
}

// Finds the unplaced curve m (2..nc) that continues the chain at the node
// named `last` and walks it: `last` becomes its far end, j grows by its
// nodes and ordered_id is its id signed by the walking direction. Returns m,
// nc + 1 when no curve continues the chain, or 0 after reporting that the
// chain has more nodes than the boundary count.
int next_chain_curve(const Run& run, const Subregion& patch, const std::vector<bool>& placed, int num_vertices,
                     PointName& last, int& j, int& ordered_id) {
    const int nc = patch.num_curves;
    int m = 2;
    for (; m <= nc; ++m) {
        if (placed[static_cast<std::size_t>(m)]) continue;
        const Curve& c = curve_of(run, patch.curves_id[m]);
        const ControlPoint& head = run.new_points[c.new_points_id[1]];
        const ControlPoint& tail = run.new_points[c.new_points_id[c.num_new_points]];
        if (head.name == last) {
            j += c.num_new_points - 1;
            if (j > num_vertices + 1) {
                report("Internal error in PLANE_P1.C: \n");
                report("j=(%i) > (num_vertices+1)=%i    (1)\n", j, num_vertices + 1);
                return 0;
            }
            ordered_id = std::abs(patch.curves_id[m]);
            last = tail.name;
            return m;
        }
        if (tail.name == last) {
            j += c.num_new_points - 1;
            if (j > num_vertices + 1) {
                report("Internal error in PLANE_P1.C: \n");
                report("j=%i > (num_vertices+1)=%i    (2)\n", j, num_vertices + 1);
                return 0;
            }
            ordered_id = -std::abs(patch.curves_id[m]);
            last = head.name;
            return m;
        }
    }
    return m;
}

// A PLANE subregion's curves may come in any order and direction: chain them
// by the names of their end nodes, starting with the first curve forward.
int chain_plane_curves(const Run& run, Subregion& patch, int k, int num_vertices) {
    const int nc = patch.num_curves;
    if (patch.curves_id[1] < 0 && patch.num_edges > 1) {
        for (int a = 2, b = patch.num_edges; a < b; ++a, --b) std::swap(patch.curves_per_edge[a], patch.curves_per_edge[b]);
    }
    std::vector<int> ordered(static_cast<std::size_t>(nc) + 1, 0);
    std::vector<bool> placed(static_cast<std::size_t>(nc) + 1, false);
    ordered[1] = std::abs(patch.curves_id[1]);
    placed[1] = true;
    const Curve& first = run.curves[ordered[1]];
    int j = first.num_new_points;
    if (j > num_vertices + 1) {
        report("Internal error in PLANE_P1.C: \n");
        report("j=%i > (num_vertices+1)=%i    (1)\n", j, num_vertices + 1);
        return 0;
    }
    PointName last = run.new_points[first.new_points_id[first.num_new_points]].name;
    for (int pos = 2; pos <= nc; ++pos) {
        const int m = next_chain_curve(run, patch, placed, num_vertices, last, j, ordered[static_cast<std::size_t>(pos)]);
        if (m == 0) return 0;
        if (m > nc) {
            report("Error in PLANE_P1.C: m(=%i)>patch->num_curves(=%i)\n", m, nc);
            report("patch[i=%i].name=%s  num_curves=%i\n", k, patch.name.c_str(), nc);
            report("m=%i   k=%i\n", m, pos);
            return 0;
        }
        placed[static_cast<std::size_t>(m)] = true;
    }
    for (int i = 1; i <= nc; ++i) {
        patch.curves_id[i] = ordered[static_cast<std::size_t>(i)];
        patch.curve_names[i] = run.curves[std::abs(ordered[static_cast<std::size_t>(i)])].name;
    }
    return 1;
}

// Step 5: the boundary node list ip[1..num_vertices], ip[0] = ip[num_vertices].
// Reads the model and writes only the subregion's own record (`patch`).
int boundary_nodes(const Run& run, Subregion& patch, int k, int num_vertices, std::vector<int>& ip) {
    if (patch.type != TYPE_PLANE) {
        if (patch.preprocessed_marker != PREPROCESSED_MARKER) {
            report("Internal error in PLANE_P1.C:\n  for patch %s the INPREPRO.C not run yet.\n", patch.name.c_str());
            return 0;
        }
        if (!(patch.num_curves > 1 && patch.curves_id[1] != 0)) {
            report("Internal error in PLANE_P1.C:\n patch->num_curves==%i   patch->curves_id[1]=%i\n", patch.num_curves,
                   patch.curves_id[1]);
            return 0;
        }
    } else if (!chain_plane_curves(run, patch, k, num_vertices)) {
        return 0;
    }
    walk_boundary(run, patch, ip);
    ip[0] = ip.at(static_cast<std::size_t>(num_vertices));
    return 1;
}

// Step 9: every node of every curve within the tolerance of the plane.
bool all_nodes_in_plane(const Run& run, const Subregion& patch, const Vec3& n, double d) {
    for (int i = 1; i <= patch.num_curves; ++i) {
        const Curve& c = curve_of(run, patch.curves_id[i]);
        for (int m = 1; m <= c.num_new_points; ++m)
            if (plane_distance_measure(n, d, run.new_points[c.new_points_id[m]].pos()) > kPlaneRecognitionTolerance)
                return false;
    }
    return true;
}

constexpr OrientationReports kReportNames{"PLANE_P1.C", "'recognize_plane_patch()'", false};

// Steps 6 to 13 on the ordered boundary.
int fix_plane(const Run& run, Subregion& patch, const std::vector<int>& ip, int num_vertices, PlaneCoeffs& plane, int& planar) {
    std::vector<Vec3> loop(static_cast<std::size_t>(num_vertices) + 1);
    for (int i = 0; i <= num_vertices; ++i) loop[static_cast<std::size_t>(i)] = run.new_points[ip[static_cast<std::size_t>(i)]].pos();

    const ReferencePoints ref = find_reference_points(loop, num_vertices);
    if (ref.iC == 0) {
        report(" Internal error in 'recognize_plane_patch()':\n     ip_max=%i\n", ref.iC);
        return 0;
    }
    const Vec3 A = loop[static_cast<std::size_t>(ref.iA)], B = loop[static_cast<std::size_t>(ref.iB)],
               C = loop[static_cast<std::size_t>(ref.iC)];
    const double abc = degrees(vertex_angle(A, B, C));
    if (abc < kMinTriangleAngle || abc > 180.0 - kMinTriangleAngle) {
        report("Input data error (PLANE_P1.C):\n angle_between_abc=%6.2lf - points could be\n inlined or almost inlined.\n", abc);
        report(" (tol=%6.2lf degs.)\n", kMinTriangleAngle);
        report("Consider dividing the subregion to 'shorter' parts.\n");
        return 0;
    }
    Vec3 n;
    double d = 0;
    if (!plane_through_triangle(A, B, C, patch.plane, n, d)) return 0;

    if (!all_nodes_in_plane(run, patch, n, d)) {
        planar = 0;
        report("Patch %s is not plane.    (In PLANE_P1.C)\n", patch.name.c_str());
        plane = PlaneCoeffs{n.x, n.y, n.z, d};
        return 1;
    }

    if (num_vertices > MAX_BOUNDARY_POINTS) {
        report("Increase size of patches[].points_id[] arrays\n (currently %i)   (1)\n", SUBREGION_POINT_SLOTS);
        return 0;
    }
    for (int i = 1; i <= num_vertices; ++i) patch.points_id[i] = ip[static_cast<std::size_t>(i)];
    patch.num_points = num_vertices;

    const double h = 0.001 * ref.perimeter / num_vertices;
    if (!orient_plane_normal(loop, num_vertices, ref, h, n, d, kReportNames)) return 0;
    plane = PlaneCoeffs{n.x, n.y, n.z, d};
    planar = 1;
    return 1;
}

// Reads the model and writes only the subregion's own record (`patch`),
// so that subregions may be recognised side by side.
int recognize(const Run& run, Subregion& patch, int k, PlaneCoeffs& plane, int& planar) {
    planar = 0;
    report("\n\n Processing in recognize_plane_patch() (PLANE_P1.C) begins ...\n");
    if (has_duplicate_curves(run, patch)) return 0;
    if (patch.num_curves > run.settings.MAX_CURVES_PER_EDGE) {
        report("Increase MAX_CURVES_PER_EDGE (currently =%i) to at least %i.\n", run.settings.MAX_CURVES_PER_EDGE,
               patch.num_curves + 10);
        return 0;
    }
    int num_vertices = 0;
    for (int i = 1; i <= patch.num_curves; ++i) num_vertices += curve_of(run, patch.curves_id[i]).num_new_points - 1;
    if (num_vertices < 3) {
        report(" Internal error in 'recognize_plane_patch()':\n     ip_max=%i\n", 0);
        return 0;
    }
    std::vector<int> ip(static_cast<std::size_t>(num_vertices) + 100, 0);
    if (!boundary_nodes(run, patch, k, num_vertices, ip)) return 0;
    return fix_plane(run, patch, ip, num_vertices, plane, planar);
}

}  // namespace

int recognize_plane_patch(Run& run, int k, PlaneCoeffs& plane, int& planar) {
    return recognize(run, run.patches[k], k, plane, planar);
}

}  // namespace korvex
