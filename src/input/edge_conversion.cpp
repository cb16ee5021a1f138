// prepro23: every two-edged subregion, and every three-edged BILINEAR one,
// becomes four-edged -- curves are promoted to edges, edges are divided at
// their sharpest inner corners, or curves are cut in two. Other three-edged
// subregions become TRIANGULAR (SPHERE ones stay SPHERE), for the mesher of
// three-sided patches.
#include <cstdlib>

#include "input/edge_conversion.h"
#include "base/messages.h"
#include "input/input_stages.h"

namespace korvex {

namespace {

constexpr int kMaxEdgeTable = 1000;  // entries of the table of first slots per edge

void every_curve_an_edge(Subregion& s) {
    s.num_edges = s.num_curves;
    for (int e = 1; e <= s.num_edges; ++e) s.curves_per_edge[e] = 1;
}

// Slot `slot` of subregion k gets the second half new_curve of the curve
// cut there, as a new edge at the end of the list; the other users of the
// cut curve get both halves.
void add_cut_half_as_edge(Run& run, int k, int cut_slot, int new_curve) {
    Subregion& s = run.patches[k];
    const int cut = s.curves_id[static_cast<std::size_t>(cut_slot)];
    const int e = ++s.num_edges;
    s.curves_per_edge[e] = 1;
    s.num_curves = e;
    s.curves_id[static_cast<std::size_t>(e)] = cut > 0 ? new_curve : -new_curve;
    s.curve_names[static_cast<std::size_t>(e)] = run.curves[new_curve].name;
    propagate_curve_split(run, cut, new_curve, k);
}

// Slot of the longest of the three one-curve edges; later curves win ties.
int longest_of_three(const Run& run, const Subregion& s) {
    double L[4];
    for (int m = 1; m <= 3; ++m) L[m] = polyline_length(run, std::abs(s.curves_id[static_cast<std::size_t>(m)]));
    int longest = 1;
    if (L[2] >= L[1] && L[2] >= L[3]) longest = 2;
    if (L[3] >= L[1] && L[3] >= L[2]) longest = 3;
    return longest;
}

int cut_three_edged(Run& run, int k) {
    const int slot = longest_of_three(run, run.patches[k]);
    const int cut = run.patches[k].curves_id[static_cast<std::size_t>(slot)];
    if (run.curves[std::abs(cut)].num_points == 2) {
        cut_straight_curve(run, k, cut);
        return 1;
    }
    int new_curve = 0;
    if (!divide_curve_to_2(run, cut, new_curve)) {
        report(" Unsuccessful return from divide_curve_to_2()\n");
        return 0;
    }
    add_cut_half_as_edge(run, k, slot, new_curve);
    return 1;
}

int cut_two_edged(Run& run, int k) {
    int new_curve = 0;
    if (!divide_curve_to_2(run, run.patches[k].curves_id[1], new_curve)) {
        report(" Unsuccessful return from divide_curve_to_2()   (2)\n");
        return 0;
    }
    add_cut_half_as_edge(run, k, 1, new_curve);
    if (!divide_curve_to_2(run, run.patches[k].curves_id[2], new_curve)) {
        report(" Unsuccessful return from divide_curve_to_2()  (3)\n");
        return 0;
    }
    add_cut_half_as_edge(run, k, 2, new_curve);
    return 1;
}

// Every edge holds one curve: the new edges are the second halves of cut
// curves, left at the end of the edge list for the next ordering run.
int curve_cut(Run& run, int k) {
    return run.patches[k].num_edges == 3 ? cut_three_edged(run, k) : cut_two_edged(run, k);
}

int corner_division(Run& run, int k) {
    if (run.patches[k].num_curves > run.settings.MAX_CURVES) {
        report("Increase MAX_CURVES in KORVEX.H\n");
        return 0;
    }
    if (!input_data_preprocessor(run)) return 0;
    if (run.patches[k].num_edges > kMaxEdgeTable - 1) {
        report("Increase MAX_SIZE_OF_XADJ(curr.=%i) in PREPRO23.C\n", kMaxEdgeTable);
        return 0;
    }
    std::vector<double> angles = slot_corner_angles(run, k);
    Subregion& s = run.patches[k];
    const bool two_edged = s.num_edges == 2;
    if (!divide_edge_at_sharpest_corner(s, angles)) {
        report(" Error in prepro23(): no candidate\n angles for edge division.\n");
        return 0;
    }
    if (s.num_edges < 4 && !divide_edge_at_sharpest_corner(s, angles)) {
        report(" Error in prepro23(): no candidate\n angles for edge division.\n");
        if (two_edged) report(" (For 2-edged patch.)\n");
        return 0;
    }
    return 1;
}

int convert_subregion(Run& run, int k) {
    Subregion& s = run.patches[k];
    if (s.type == TYPE_PLANE || s.type == TYPE_CYLINDER || s.num_edges >= 4) return 1;
    if (s.num_edges < 2) {
        report(" Input data error: patch %s must have\n  at least 2 edges.\n", s.name.c_str());
        return 0;
    }
    if (s.num_curves < s.num_edges) {
        report(" Input data error: patch %s has %i curves and %i edges: \n  must have:  num_curves > =num_edges\n",
               s.name.c_str(), s.num_curves, s.num_edges);
        return 0;
    }
    if (s.num_edges == 3 && s.type != TYPE_BILINEAR) {
        if (s.type != TYPE_SPHERE) s.type = TYPE_TRIANGULAR;
        return 1;
    }
    if (s.num_curves == 4) {
        every_curve_an_edge(s);
        return 1;
    }
    if (s.num_curves == s.num_edges) return curve_cut(run, k);
    if (s.num_edges == 2 && s.num_curves == 3) {
        every_curve_an_edge(s);
        return curve_cut(run, k);
    }
    return corner_division(run, k);
}

}  // namespace

int prepro23(Run& run) {
    // The curves of SPHERE subregions are checked while they are still the
    // model's own: the conversion adds points along them.
    if (!check_sphere_points(run)) return 0;
    for (int k = 1; k <= run.nPatches; ++k)
        if (!convert_subregion(run, k)) return 0;
    return 1;
}

}  // namespace korvex
