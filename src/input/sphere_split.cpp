// transform_2edged_SPHEREs: a SPHERE subregion given with two edges (made
// four-edged by prepro23) is split along a great-circle arc between two
// opposite corners into two three-edged SPHERE subregions. The diagonal
// whose corners are the flatter ones is taken, so that both halves keep
// their sharp corners.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/messages.h"
#include "curves/geometry_kernels.h"
#include "input/curve_ends.h"
#include "input/edge_conversion.h"

namespace korvex {

namespace {

constexpr double kMinCentreDistance = 1e-6;  // joined corners' midpoint this near the centre: too opened

// The slot range of each edge and its signed curves.
struct EdgeLists {
    std::vector<int> edge[5];
};

EdgeLists edge_lists(const Subregion& s) {
    EdgeLists out;
    int slot = 1;
    for (int e = 1; e <= 4; ++e)
        for (int m = 0; m < s.curves_per_edge[e]; ++m) out.edge[e].push_back(s.curves_id[static_cast<std::size_t>(slot++)]);
    return out;
}

int next_defining_point(const Run& run, int signed_id) {
    const Curve& c = run.curves[std::abs(signed_id)];
    return c.points_id[static_cast<std::size_t>(signed_id > 0 ? 2 : c.num_points - 1)];
}

int previous_defining_point(const Run& run, int signed_id) {
    const Curve& c = run.curves[std::abs(signed_id)];
    return c.points_id[static_cast<std::size_t>(signed_id > 0 ? c.num_points - 1 : 2)];
}

struct Corner {
    int point = 0;
    double angle = 0;
    int first_curve = 0;  // first curve of the edge it starts
    int last_curve = 0;   // last curve of the edge before it
};

void find_corners(const Run& run, const EdgeLists& edges, Corner corner[5]) {
    for (int k = 1; k <= 4; ++k) {
        Corner& c = corner[k];
        c.first_curve = edges.edge[k].front();
        c.last_curve = edges.edge[k == 1 ? 4 : k - 1].back();
        c.point = traversal_start(run.curves, c.first_curve);
        c.angle = ANGLEXYZ(run.points[c.point].pos(), run.points[next_defining_point(run, c.first_curve)].pos(),
                           run.points[previous_defining_point(run, c.last_curve)].pos());
    }
}

// Writes the edges (each a list of signed curves) as the subregion's lists.
void set_edges(Run& run, Subregion& s, const std::vector<std::vector<int>>& edges) {
    s.num_edges = static_cast<int>(edges.size());
    s.num_curves = 0;
    for (std::size_t e = 0; e < edges.size(); ++e) {
        s.curves_per_edge[e + 1] = static_cast<int>(edges[e].size());
        for (const int id : edges[e]) {
            const auto slot = static_cast<std::size_t>(++s.num_curves);
            s.curves_id[slot] = id;
            s.curve_names[slot] = run.curves[std::abs(id)].name;
        }
    }
}

// The arc over the sphere from corner a to corner b through the point above
// their midpoint; returns its index, or 0 after reporting.
int make_dividing_arc(Run& run, int k, const Corner& a, const Corner& b, const Vec3& top) {
    if (run.nCurves + 1 > run.settings.MAX_CURVES) {
        report("Increase MAX_CURVES(curr.=%i) in KORVEX.H\n   (PREP_SPH.C   1)\n", run.settings.MAX_CURVES);
        return 0;
    }
    const int arc = ++run.nCurves;
    run.curves.ensure(arc);
    run.curves[arc] = Curve{};
    char name[16];
    std::snprintf(name, sizeof name, "C!%06i", arc);
    run.curves[arc].name = name;
    run.curves[arc].name_original = run.patches[k].name;
    run.curves[arc].id = arc;

    const int p = append_generated_point(run, top, "P!%06i", run.curves[arc].name,
                                         "Increase MAX_CONTROL_POINTS(curr.=%i) (PREP_SPH.C)\n");
    if (p == 0) return 0;
    run.points[p].new_id = 0;
    run.points[p].curve_id = -1;
    set_curve_points(run, arc, {a.point, p, b.point});
    const auto step = [&](int signed_id) { return run.curves[std::abs(signed_id)].step; };
    run.curves[arc].step =
        (step(a.last_curve) + step(a.first_curve) + step(b.last_curve) + step(b.first_curve)) / 4.0;
    return arc;
}

// The second half "R!..." of subregion k: a three-edged SPHERE with the
// same original name, REF and centre. Returns its index, or 0 after reporting.
int append_half_subregion(Run& run, int k) {
    if (run.nPatches + 1 > run.settings.MAX_SUBREGIONS) {
        report("Increase MAX_SUBREGIONS(curr.=%i) in KORVEX.H\n (PREP_SPH.C)\n", run.settings.MAX_SUBREGIONS);
        return 0;
    }
    const int n = run.new_patch_slot();
    run.nPatches = n;
    const Subregion& old = run.patches[k];
    Subregion& half = run.patches[n];
    char name[16];
    std::snprintf(name, sizeof name, "R!%06i", n);
    half.name = name;
    half.id = n;
    half.type = TYPE_SPHERE;
    half.num_edges_original = 3;
    half.original_name = old.original_name;
    half.REF = old.REF;
    for (int i = 0; i < 3; ++i) half.centre[i] = old.centre[i];
    return n;
}

int split_sphere(Run& run, int k) {
    const Subregion& s = run.patches[k];
    if (s.num_edges != 4) {
        report(" Error in input for transform_2edged_SPHEREs():\n  patch %s with num_edges_original=%i\n  must have "
               "already been transformed to\n  a 4-edged SPHERE patch.\n",
               s.name.c_str(), s.num_edges_original);
        return 0;
    }
    const EdgeLists edges = edge_lists(s);
    Corner corner[5];
    find_corners(run, edges, corner);
    const Vec3 centre{s.centre[0], s.centre[1], s.centre[2]};
    const double R = distance(centre, run.points[corner[1].point].pos());
    const bool join_2_4 = corner[1].angle + corner[3].angle <= corner[2].angle + corner[4].angle;
    const Corner& a = join_2_4 ? corner[2] : corner[1];
    const Corner& b = join_2_4 ? corner[4] : corner[3];
    const Vec3 M = (run.points[a.point].pos() + run.points[b.point].pos()) * 0.5;
    const double h = distance(M, centre);
    if (!(h >= kMinCentreDistance)) {
        report(" SPHERE subregion %s input data error:\n   it is too 'opened'. \n", s.name.c_str());
        return 0;
    }
    const int arc = make_dividing_arc(run, k, a, b, centre + (M - centre) * (R / h));
    if (arc == 0) return 0;

    const int n = append_half_subregion(run, k);
    if (n == 0) return 0;
    Subregion& old = run.patches[k];
    Subregion& half = run.patches[n];
    if (join_2_4) {
        set_edges(run, half, {edges.edge[2], edges.edge[3], {-arc}});
        set_edges(run, old, {edges.edge[1], {arc}, edges.edge[4]});
    } else {
        set_edges(run, half, {edges.edge[3], edges.edge[4], {arc}});
        set_edges(run, old, {edges.edge[1], edges.edge[2], {-arc}});
    }
    return 1;
}

}  // namespace

int transform_2edged_SPHEREs(Run& run) {
    const int n = run.nPatches;
    for (int k = 1; k <= n; ++k) {
        const Subregion& s = run.patches[k];
        if (s.type != TYPE_SPHERE || s.num_edges_original != 2) continue;
        if (!split_sphere(run, k)) return 0;
    }
    return 1;
}

}  // namespace korvex
