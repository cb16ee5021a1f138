// REV patches whose meridians consist of several curves: the patch is cut
// along new arcs through the junctions of the meridians' curves into strips
// of one curve per side, each meshed on its own and corrected onto the
// surface; the generated names are given back to the patch at the end.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/messages.h"
#include "curves/curve_points.h"
#include "patches/meshers.h"
#include "patches/revolution/rev_patch.h"

namespace korvex {

namespace {

constexpr double kSameAxial = 1e-4;
constexpr double kSameRadius = 1e-4;
constexpr double kOnAxis = 1e-8;
constexpr int kStripIdBase = 10000;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

std::string numbered(const char* prefix, int i) { return prefix + std::to_string(i); }

// Node at the end (in boundary order) of the curve at position pos of the curve list.
int curve_end_node(const Run& run, const Subregion& patch, int pos) {
    const int c = patch.curves_id[at(pos)];
    const Curve& cv = run.curves[std::abs(c)];
    return cv.new_points_id[at(c > 0 ? cv.num_new_points : 1)];
}

int curve_middle_node(const Run& run, const Subregion& patch, int pos) {
    const Curve& cv = run.curves[std::abs(patch.curves_id[at(pos)])];
    return cv.new_points_id[at((cv.num_new_points + 1) / 2)];
}

// The control point standing for node `node` (appended when there is none).
int control_point_of_node(Run& run, int node) {
    for (int p = 1; p <= run.nPoints; ++p)
        if (run.points[p].new_id == node) return p;
    if (run.nPoints + 1 > MAX_CONTROL_POINTS) {
        report(" Increase MAX_CONTROL_POINTS in KORVEX.H file.\n");
        return 0;
    }
    const int p = ++run.nPoints;
    run.points.ensure(p);
    ControlPoint cp = run.new_points[node];
    cp.id = p;
    cp.new_id = node;
    run.points[p] = cp;
    return p;
}

// One new arc through the junction nodes R (right) and L (left).
struct Junction {
    int R = 0, L = 0;
    double step = 0;
};

int check_junction(const Run& run, const Subregion& patch, const RevEdges& e, const RevAxis& axis, const Junction& j,
                   Vec3& A, Vec3& M, double& r) {
    const Vec3 R = run.new_points[j.R].pos(), L = run.new_points[j.L].pos();
    const double hR = dot(R, axis.dir), hL = dot(L, axis.dir);
    if (std::fabs(hR - hL) > kSameAxial) {
        report(" Input data error for REV subregion %s:\n the 'left' and the 'right' edges' curves\n don't have identical projections on the axis of rotation.\n",
               patch.name.c_str());
        return 0;
    }
    const double s = (hR + hL) / 2;
    A = axis.point + axis.dir * (s - dot(axis.point, axis.dir));
    const Vec3 Mb = run.new_points[curve_middle_node(run, patch, e.first[1])].pos();
    const Vec3 Mt = run.new_points[curve_middle_node(run, patch, e.first[3])].pos();
    const double span = dot(Mt - Mb, axis.dir);
    M = span != 0 ? Mb + (Mt - Mb) * ((s - dot(Mb, axis.dir)) / span) : Mb;
    const double rR = distance(R, A), rL = distance(L, A);
    if (std::fabs(rR - rL) > kSameRadius) {
        report(" Input data error for REV subregion %s:\n some 'vertically corresponding' point(s) \n on the 'left' and on the 'right' edges\n are not placed at equal distances from\n the axis of rotation.\n",
               patch.name.c_str());
        return 0;
    }
    r = (rR + rL) / 2;
    if (distance(M, A) / r < kOnAxis) {
        report(" REV subregion %s: internal error\n (for a new arc, the intersecting point \n belongs to the axis of rotation)\n",
               patch.name.c_str());
        return 0;
    }
    return 1;
}

int append_arc(Run& run, int number, const Junction& j, const Vec3& mid, int& curve_index) {
    const int pR = control_point_of_node(run, j.R), pL = control_point_of_node(run, j.L);
    if (!pR || !pL) return 0;
    if (run.nPoints + 1 > MAX_CONTROL_POINTS) {
        report(" Increase MAX_CONTROL_POINTS in KORVEX.H file.\n");
        return 0;
    }
    const int pM = ++run.nPoints;
    run.points.ensure(pM);
    run.points[pM] = ControlPoint{};
    run.points[pM].name = numbered("P~", number).c_str();
    run.points[pM].set_pos(mid);
    run.points[pM].id = pM;
    if (run.nCurves + 1 > MAX_CURVES) {
        report(" Increase MAX_CURVES in KORVEX.H  file.\n");
        return 0;
    }
    curve_index = ++run.nCurves;
    run.curves.ensure(curve_index);
    Curve& cv = run.curves[curve_index];
    cv = Curve{};
    cv.name = numbered("C~", number).c_str();
    cv.name_original = cv.name;
    cv.id = curve_index;
    cv.step = j.step;
    cv.num_points = 3;
    const int ids[3] = {pR, pM, pL};
    for (int i = 0; i < 3; ++i) {
        cv.points_id[at(i + 1)] = ids[i];
        cv.point_names[at(i + 1)] = run.points[ids[i]].name;
    }
    return generatePointsOnArc(curve_index, run.points, run.curves, run.num_new_points, run.new_points);
}

}  // namespace

int add_new_arcs(Run& run, int k, const RevEdges& e, const RevAxis& axis, std::vector<int>& arcs) {
    const int n = run.patches[k].curves_per_edge[2];
    arcs.assign(at(n), 0);
    for (int jn = 1; jn < n; ++jn) {
        const Subregion& patch = run.patches[k];
        Junction j;
        j.R = curve_end_node(run, patch, e.first[2] + jn - 1);
        j.L = curve_end_node(run, patch, e.first[4] + n - jn - 1);
        const auto step_at = [&](int pos) { return run.curves[std::abs(patch.curves_id[at(pos)])].step; };
        j.step = (step_at(e.first[2] + jn - 1) + step_at(e.first[2] + jn) + step_at(e.first[4] + n - jn - 1) +
                  step_at(e.first[4] + n - jn)) / 4;
        Vec3 A, M;
        double r = 0;
        if (!check_junction(run, patch, e, axis, j, A, M, r)) return 0;
        const Vec3 mid = A + (M - A) * (r / distance(M, A));
        if (!append_arc(run, jn, j, mid, arcs[at(jn)])) return 0;
    }
    return 1;
}

namespace {

// Curve lists of strip s (1..n): bottom, right, top, left.
void strip_edges(const Subregion& patch, const RevEdges& e, const std::vector<int>& arcs, int s, int n,
                 std::vector<int> edges[5]) {
    const auto copy_edge = [&](int k) {
        std::vector<int> v;
        for (int pos = e.first[k]; pos < e.first[k + 1]; ++pos) v.push_back(patch.curves_id[at(pos)]);
        return v;
    };
    edges[1] = s == 1 ? copy_edge(1) : std::vector<int>{-arcs[at(s - 1)]};
    edges[2] = {patch.curves_id[at(e.first[2] + s - 1)]};
    edges[3] = s == n ? copy_edge(3) : std::vector<int>{arcs[at(s)]};
    edges[4] = {patch.curves_id[at(e.first[4] + n - s)]};
}

// Appends the strip as a temporary subregion; returns its index, 0 on failure.
int append_strip(Run& run, int k, const RevEdges& e, const std::vector<int>& arcs, int s, int n) {
    if (run.nPatches + 1 > run.settings.MAX_SUBREGIONS) {
        report(" Increase MAX_SUBREGIONS in KORVEX.H file.\n");
        return 0;
    }
    std::vector<int> edges[5];
    strip_edges(run.patches[k], e, arcs, s, n, edges);
    const int idx = run.new_patch_slot();
    run.nPatches = idx;
    const Subregion& patch = run.patches[k];
    Subregion& strip = run.patches[idx];
    strip.name = numbered("R~", s).c_str();
    strip.original_name = patch.original_name;
    strip.type = patch.type;
    strip.id = kStripIdBase + s;
    strip.num_edges = 4;
    strip.REF = patch.REF;
    strip.preprocessed_marker = patch.preprocessed_marker;
    int pos = 0, np = 0;
    for (int edge = 1; edge <= 4; ++edge) {
        strip.curves_per_edge[edge] = static_cast<int>(edges[edge].size());
        for (int c : edges[edge]) {
            strip.curves_id[at(++pos)] = c;
            const Curve& cv = run.curves[std::abs(c)];
            strip.curve_names[at(pos)] = cv.name;
            if (np + cv.num_new_points >= SUBREGION_POINT_SLOTS) {
                report("Increase MAX_POINTS in KORVEX.H\n (too many boundary points in strip %s)\n", strip.name.c_str());
                return 0;
            }
            for (int i = 1; i < cv.num_new_points; ++i)
                strip.points_id[at(++np)] = cv.new_points_id[at(c > 0 ? i : cv.num_new_points + 1 - i)];
        }
    }
    strip.num_curves = pos;
    strip.num_points = np;
    return idx;
}

// Generated '~' names of the nodes and elements added for the patch become its name.
void rename_strip_results(Run& run, const Subregion& patch, int first_node, int first_element) {
    for (int i = first_node; i <= run.num_nodes; ++i)
        if (run.nodes3D[i].name[1] == '~') run.nodes3D[i].name = patch.name;
    for (int i = first_element; i <= run.num_elements; ++i)
        if (run.elements[i].name[1] == '~') {
            run.elements[i].name = patch.name;
            run.elements[i].id = patch.id;
        }
}

}  // namespace

int mesh_REV_strips(Run& run, int k, const RevEdges& e, const RevAxis& axis, const MergePatchMesh& merge_transfinite) {
    std::vector<int> arcs;
    if (!add_new_arcs(run, k, e, axis, arcs)) {
        report("Unsuccessful return from add_new_arcs()\n");
        return 0;
    }
    const int n = run.patches[k].curves_per_edge[2];
    const int patches_before = run.nPatches;
    const int first_node = run.num_nodes + 1, first_element = run.num_elements + 1;
    int ok = 1;
    for (int s = 1; s <= n && ok; ++s) {
        const int idx = append_strip(run, k, e, arcs, s, n);
        if (!idx) {
            ok = 0;
            break;
        }
        const int strip_first_node = run.num_nodes + 1;
        PatchMesh mesh;
        if (!meshPatch(run, idx, mesh) || !merge_transfinite(run, run.patches[idx], mesh)) {
            report(" In rev_pa.c: (2) Patch %s: ret_val=FALSE\n", run.patches[idx].name.c_str());
            ok = 0;
        } else if (!adjust_coordinates(run, run.patches[idx], axis, strip_first_node)) {
            report("Unsuccessful return from adjust_coordinates()\n");
            ok = 0;
        }
    }
    // The strips were meshed here; the pipeline must not mesh them again.
    run.nPatches = patches_before;
    if (ok) rename_strip_results(run, run.patches[k], first_node, first_element);
    return ok;
}

}  // namespace korvex
