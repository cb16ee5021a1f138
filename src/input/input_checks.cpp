// check_input_data: duplicate names, coincident points, too-short curves and
// the rules of REV subregions, before any name is resolved to an index.
#include <algorithm>
#include <string_view>
#include <tuple>
#include <vector>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "input/coincident_points.h"
#include "input/input_stages.h"
#include "input/name_index.h"

namespace korvex {

namespace {

// Two input points closer than this in every axis are one point: 100·√ε.

int defining_point_count(const Curve& c) { return std::clamp(c.num_points, 0, CURVE_POINT_SLOTS - 1); }
int listed_curve_count(const Subregion& s) { return std::clamp(s.num_curves, 0, static_cast<int>(s.curve_names.size()) - 1); }

int check_point_names(Run& run) {
    const int dup = first_name_with_later_duplicate(
        name_table(run.nPoints, [&](int i) { return run.points[i].name.view(); }));
    const int last = dup != 0 ? dup : run.nPoints;
    for (int i = 1; i <= last; ++i) {
        run.points[i].id = i;
        run.points[i].new_id = 0;
    }
    if (dup != 0) {
        report(" Input data error: point %s encountered twice.\n", run.points[dup].name.c_str());
        return 0;
    }
    return 1;
}

int check_point_coincidence(const Run& run) {
    // Ordinary points must be apart; an internal point may sit on an ordinary
    // one, but two internal points may not sit on each other.
    auto [i, j] = first_coincident_pair(run.points, run.nPoints, kPointTolerance,
                                        [](const ControlPoint& p) { return !p.name.starts_with("PINT"); });
    if (i != 0) {
        report(" Input data error: points %s and %s coincide.\n", run.points[i].name.c_str(),
               run.points[j].name.c_str());
        return 0;
    }
    std::tie(i, j) = first_coincident_pair(run.points, run.nPoints, kPointTolerance,
                                           [](const ControlPoint& p) { return p.PINT == 1; });
    if (i != 0) {
        report(" Input data error: PINT-points %s and %s coincide.\n", run.points[i].name.c_str(),
               run.points[j].name.c_str());
        return 0;
    }
    return 1;
}

// The point count a curve needs for its kind; reports and returns 0 if short.
int check_curve_size(const Curve& c) {
    const int n = c.num_points;
    if (c.name.starts_with("C") && n < 3) {
        report(" Input data error:   arc curve %s contains less than 3 points.\n", c.name.c_str());
        return 0;
    }
    if (c.name.starts_with("Q") && !c.name.starts_with("QL") && n < 4) {
        report(" Input data error:   general Q-type curve %s contains less than 4 points.\n", c.name.c_str());
        return 0;
    }
    // A single point gives no direction and no length to divide.
    if (n < 2) {
        report(" Input data error:   curve %s contains less than 2 points.\n", c.name.c_str());
        return 0;
    }
    return 1;
}

int check_curve_names_and_sizes(Run& run) {
    const int dup = first_name_with_later_duplicate(
        name_table(run.nCurves, [&](int i) { return run.curves[i].name.view(); }));
    for (int i = 1; i <= run.nCurves; ++i) {
        Curve& c = run.curves[i];
        c.id = i;
        if (i == dup) {
            report(" Input data error: curve %s encountered twice.\n", c.name.c_str());
            return 0;
        }
        if (!check_curve_size(c)) return 0;
    }
    return 1;
}

int check_curve_point_names(const Run& run) {
    for (int i = 1; i <= run.nCurves; ++i) {
        const Curve& c = run.curves[i];
        const auto names = name_table(defining_point_count(c), [&](int k) {
            return c.point_names[static_cast<std::size_t>(k)].view();
        });
        if (const int dup = first_name_with_later_duplicate(names)) {
            report(" Input data error in curve %s: point %s encountered twice.\n", c.name.c_str(),
                   c.point_names[static_cast<std::size_t>(dup)].c_str());
            return 0;
        }
    }
    return 1;
}

// Number of edges of a subregion whose curves are all arcs.
int count_arc_edges(const Subregion& s) {
    int count = 0;
    int slot = 1;
    const int edges = std::clamp(s.num_edges, 0, MAX_EDGES_PER_SUBREGION);
    for (int e = 1; e <= edges; ++e) {
        const int m = s.curves_per_edge[e];
        bool all_arcs = m > 0;
        for (int k = 0; k < m; ++k, ++slot)
            if (slot >= static_cast<int>(s.curve_names.size()) || !s.curve_names[static_cast<std::size_t>(slot)].starts_with("C"))
                all_arcs = false;
        if (all_arcs) ++count;
    }
    return count;
}

int check_rev_edges(const Subregion& s) {
    if (s.num_edges != 4) {
        report(" Input data error: patch %s of REV type\n   has %i edges (must have 4).\n", s.name.c_str(),
               s.num_edges);
        return 0;
    }
    const int arc_edges = count_arc_edges(s);
    if (arc_edges < 2) {
        report(" Input data error: patch %s of REV type\n   has %i 'C'-type edges only    (must have at least 2).\n",
               s.name.c_str(), arc_edges);
        return 0;
    }
    return 1;
}

int check_subregions(Run& run) {
    for (int j = 1; j <= run.nPatches; ++j) {
        Subregion& s = run.patches[j];
        s.num_edges_original = s.num_edges;
        s.id = j;
        s.original_name = s.name;
        if ((s.type == TYPE_REV || s.type == TYPE_REV2) && !check_rev_edges(s)) return 0;
        const auto names = name_table(listed_curve_count(s), [&](int k) {
            return s.curve_names[static_cast<std::size_t>(k)].view();
        });
        if (const int dup = first_name_with_later_duplicate(names)) {
            report(" Input data error in patch %s: curve %s encountered twice.\n", s.name.c_str(),
                   s.curve_names[static_cast<std::size_t>(dup)].c_str());
            return 0;
        }
    }
    return 1;
}

}  // namespace

int check_input_data(Run& run) {
    report(" ... checking points: stage 1 ...\n");
    if (!check_point_names(run)) return 0;
    report(" ... checking points: stage 2 ...\n");
    if (!check_point_coincidence(run)) return 0;
    report(" ... checking curves: stage 1 ...\n");
    if (!check_curve_names_and_sizes(run)) return 0;
    report(" ... checking curves: stage 2 ...\n");
    if (!check_curve_point_names(run)) return 0;
    report(" ... checking subregions ...\n");
    return check_subregions(run);
}

}  // namespace korvex
