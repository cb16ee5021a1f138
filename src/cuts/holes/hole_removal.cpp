// MC_planar_processing: cuts every hole out of the PLANE subregions. A pass
// visits the subregions in order; the first subregion with a hole is cut in
// two along the shortest valid pair of connectors from its nearest hole to
// its outer boundary, and the pass starts again, until a pass cuts nothing.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "cuts/holes/hole_removal.h"
#include "base/messages.h"
#include "base/numeric_constants.h"
#include "cuts/cuts.h"

namespace korvex {

namespace {

constexpr double kConnectorDistanceFactor = 0.8;

enum class Outcome { Failed, NoPair, Cut };

// End nodes of every curve of a loop.
std::vector<int> loop_corners(const Run& run, const int* curves, int n) {
    std::vector<int> out;
    for (int i = 1; i <= n; ++i) {
        const Curve& c = run.curves[std::abs(curves[i])];
        out.push_back(c.new_points_id[1]);
        out.push_back(c.new_points_id[static_cast<std::size_t>(c.num_new_points)]);
    }
    return out;
}

// Holes 1..num_holes ordered by their nearest corner-to-corner distance to
// the outer boundary, nearest first (equal distances keep their order).
std::vector<int> holes_nearest_first(const Run& run, const Subregion& s) {
    const std::vector<int> outer = loop_corners(run, s.curves_id.data(), s.num_curves);
    std::vector<std::pair<double, int>> order;
    for (int j = 1; j <= s.num_holes; ++j) {
        const Hole& h = s.holes[static_cast<std::size_t>(j)];
        double best = kNotComputed;
        for (int a : loop_corners(run, h.curves.data(), h.num_curves))
            for (int b : outer) best = std::min(best, distance(run.new_points[a].pos(), run.new_points[b].pos()));
        order.emplace_back(best, j);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<int> out;
    for (const auto& o : order) out.push_back(o.second);
    return out;
}

// Enters the pair's two connectors into the model and cuts subregion k.
int cut_along_pair(Run& run, int k, int hole, double hole_angle, const std::vector<Connector>& DK,
                   const ConnectorPair& pair) {
    const Connector& a = DK[static_cast<std::size_t>(pair.iconn1 - 1)];
    const Connector& b = DK[static_cast<std::size_t>(pair.iconn2 - 1)];
    const int c1 = append_connector(run, run.patches[k], a, 'x', nullptr, 1);
    if (c1 == 0) return 0;
    char name[32];
    std::snprintf(name, sizeof name, "QLc%05i", run.nCurves + 1);
    const int c2 = append_connector(run, run.patches[k], b, 'w', name, 2);
    if (c2 == 0) return 0;
    if (!divide_PLANE_to_two_parts(run, k, hole, hole_angle, a, b, c1, c2)) {
        report("icand=%i:  Unsuccesful return from divide_PLANE_to_two_parts()\ninto MC_planar_processing().\n", 1);
        return 0;
    }
    return 1;
}

// Tries the holes of subregion k nearest first and cuts along the first hole
// that has a pair of connectors.
Outcome process_subregion(Run& run, int k) {
    Vec3 unit;
    if (!sequnce_unit_vector(run, run.patches[k].num_curves, run.patches[k].curves_id.data(), unit))
        return Outcome::Failed;
    std::vector<double> hole_angles;
    if (!restore_correct_order_of_curves_for_all_holes(run, k, unit, hole_angles)) {
        report("Unsuccessful return from \n   restore_correct_order_of_curves_for_all_holes()\n"
               "   into MC_planar_processing().\n");
        return Outcome::Failed;
    }
    const std::vector<int> order = holes_nearest_first(run, run.patches[k]);
    const int num_holes = run.patches[k].num_holes;
    std::vector<Connector> DK;
    std::vector<ConnectorPair> PCP;
    for (int j = 1; j <= num_holes; ++j) {
        const int hole = order[static_cast<std::size_t>(j - 1)];
        if (!build_possible_connectors(run, k, hole, DK)) {
            report("Unsuccessful return from build_possible_connectors()\nto MULT_CON.C\n");
            return Outcome::Failed;
        }
        if (!finalize_connector_candidates(run, k, DK, kConnectorDistanceFactor)) {
            report("Unsuccessful return fromfinalize_connector_candidates()\n");
            return Outcome::Failed;
        }
        if (!identify_connector_pairs(DK, PCP)) {
            report("Unsuccessful return fromidentify_connector_pairs()\n");
            return Outcome::Failed;
        }
        if (PCP.empty()) {
            const Subregion& s = run.patches[k];
            report("In MULT_CON.C:  j=%i  num_holes=%i\n", j, num_holes);
            report("No possible connector pairs \nfrom corner of hole[%i]=%s (patch[%i]=%s)  (Total num_holes =%i)\n",
                   hole, s.holes[static_cast<std::size_t>(hole)].name.c_str(), k, s.name.c_str(), num_holes);
            continue;
        }
        return cut_along_pair(run, k, hole, hole_angles[static_cast<std::size_t>(hole)], DK, PCP.front())
                   ? Outcome::Cut
                   : Outcome::Failed;
    }
    return Outcome::NoPair;
}

bool any_holes_left(const Run& run) {
    for (int k = 1; k <= run.nPatches; ++k)
        if (run.patches[k].num_holes > 0) return true;
    return false;
}

// One pass: 1 with `cut` set when a subregion was cut, 0 on failure.
int hole_pass(Run& run, bool& cut) {
    cut = false;
    for (int k = 1; k <= run.nPatches; ++k) {
        const Subregion& s = run.patches[k];
        if (s.type != TYPE_PLANE || s.num_holes < 1) continue;
        if (s.num_trees > MAX_TREES_PER_SUBREGION) {
            report("Increase MAX_TREES_PER_SUBREGION (currently =%i)\n", MAX_TREES_PER_SUBREGION);
            return 0;
        }
        const Outcome r = process_subregion(run, k);
        if (r == Outcome::Cut) {
            cut = true;
            return 1;
        }
        if (r == Outcome::NoPair) {
            report("Unsuccessful completion of MC_planar_processing():\n   num_possible_connector_pairs=%i\n", 0);
            report("Consider step size variations.\n");
        }
        return 0;
    }
    return 1;
}

}  // namespace

int MC_planar_processing(Run& run) {
    for (int k = 1; k <= run.nPatches; ++k) {
        const Subregion& s = run.patches[k];
        if (s.num_holes < 0) {
            report("Data error (MULT_CON.C): for subregion[%i] (%s) num_holes=%i<0\n", k, s.name.c_str(), s.num_holes);
            return 0;
        }
    }
    if (!any_holes_left(run)) {
        run.all_holes_processed = 1;
        return 1;
    }
    for (bool cut = true; cut;)
        if (!hole_pass(run, cut)) return 0;
    // Holes left now lie in subregions that are not PLANE: nothing here removes them.
    run.all_holes_processed = any_holes_left(run) ? 0 : 1;
    return 1;
}

}  // namespace korvex
