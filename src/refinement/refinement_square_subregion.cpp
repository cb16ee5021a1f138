// introduce_refinement_square_subregion: the square around one internal
// point becomes a hole of its subregion and a new 4-edged PLANE subregion of
// its own, or, when it does not fit, the point becomes a plain internal
// point and the corners made for it are taken back.
#include <cmath>
#include <cstdio>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "refinement/refinement_squares.h"

namespace korvex {

namespace {

constexpr double kTooCloseFactor = 1.8;  // nearest vertex within this many mean spacings
constexpr int kCorners = 4;

// Corner offsets in units of the half side, counter-clockwise in the frame.
constexpr double kCornerDu[kCorners] = {-1, 1, 1, -1};
constexpr double kCornerDv[kCorners] = {-1, -1, 1, 1};

int new_corner(Run& run, const RefinementFrame& f, double u, double v) {
    const int i = run.nPoints + 1;
    if (i > MAX_CONTROL_POINTS) {
        report(" Increase MAX_CONTROL_POINTS in KORVEX.H file.\n");
        return 0;
    }
    run.points.ensure(i);
    ControlPoint p;
    char name[32];
    std::snprintf(name, sizeof name, "P**%05i", i);
    p.name = name;
    p.set_pos(f.to_xyz(u, v));
    p.id = i;
    run.points[i] = p;
    run.nPoints = i;
    return i;
}

// Step 2: inside the outer boundary and outside every hole. Sets fits;
// returns 0 after a report when a corner lies on a hole's edge.
int corner_inside(const Run& run, int k, SubregionPolygons& sp, const PointUV& c, int corner, bool& fits) {
    fits = polypoin(sp.loops[0].count, sp.loops[0].vertices, c) == 1;
    for (std::size_t h = 1; fits && h < sp.loops.size(); ++h) {
        if (sp.loops[h].count == 0) continue;
        const int where = polypoin(sp.loops[h].count, sp.loops[h].vertices, c);
        if (where == 2) {
            report("Internal error in MULT_C11.C:   (1)\n  polypoin_hole_result==E for ihole=%i(%s)  ipolt_h=%i\n",
                   static_cast<int>(h), run.patches[k].holes[h].name.c_str(), corner);
            return 0;
        }
        if (where == 0) {
            report("Internal error in MULT_C11.C:   (2)\n  polypoin_hole_result==E for ihole=%i  ipolt_h=%i\n",
                   static_cast<int>(h), corner);
            return 0;
        }
        if (where == 1) fits = false;
    }
    return 1;
}

// Step 3: no corner within reach of any loop.
bool corners_clear_of_loops(const SubregionPolygons& sp, const PointUV* corners) {
    for (int i = 0; i < kCorners; ++i) {
        for (const BoundaryPolygon& loop : sp.loops) {
            bool too_close = false;
            if (loop.count == 0 || !activate_conversion_of_points_near_boundary(corners[i], loop, too_close)) continue;
            if (too_close) {
                report("Too close : conversion to zero-point performed\n in activate_conversion_of_points_near_boundary().\n");
                report(" ('too_close'=TRUE)\n");
                report("Too close to boundary (case %i).\n", i + 1);
                return false;
            }
        }
        report("Not too close to boundary (case %i).\n", i + 1);
    }
    return true;
}

int new_side(Run& run, const Subregion& parent, int a, int b, double step) {
    const int id = run.nCurves + 1;
    if (id > run.settings.MAX_CURVES) {
        report("Increase MAX_CURVES (now=%i) in KORVEX.H\n", run.settings.MAX_CURVES);
        return 0;
    }
    run.curves.ensure(id);
    Curve& c = run.curves[id];
    c = Curve{};
    char name[32];
    std::snprintf(name, sizeof name, "QL*%05i", id);
    c.name = name;
    c.id = id;
    c.num_points = 2;
    c.point_names[1] = run.points[a].name;
    c.point_names[2] = run.points[b].name;
    c.points_id[1] = a;
    c.points_id[2] = b;
    c.step = step;
    c.length = distance(run.points[a].pos(), run.points[b].pos());
    c.name_original = parent.original_name;
    run.nCurves = id;
    return id;
}

// Steps 4 to 6: the corners' names, the four sides, the hole and the new subregion.
int build_square(Run& run, int k, const int* corner, double step) {
    if (run.patches[k].num_holes + 1 > MAX_HOLES_PER_SUBREGION) {
        report("Increase MAX_HOLES_PER_SUBREGION(currently=%i)\n", MAX_HOLES_PER_SUBREGION);
        return 0;
    }
    if (run.nPatches + 1 > run.settings.MAX_SUBREGIONS) {
        report(" Increase MAX_SUBREGIONS in KORVEX.H file.\n");
        return 0;
    }
    for (int i = 0; i < kCorners; ++i) run.points[corner[i]].name_original = run.patches[k].original_name;
    int side[kCorners];
    for (int i = 0; i < kCorners; ++i) {
        side[i] = new_side(run, run.patches[k], corner[i], corner[(i + 1) % kCorners], step);
        if (side[i] == 0) return 0;
    }
    const int np = run.new_patch_slot();
    char name[32];
    Subregion& parent = run.patches[k];
    Hole& hole = parent.holes[static_cast<std::size_t>(++parent.num_holes)];
    std::snprintf(name, sizeof name, "HR@%05i", np);
    hole = Hole{};
    hole.name = name;
    hole.id = parent.num_holes;
    hole.num_curves = kCorners;
    for (int i = 0; i < kCorners; ++i) hole.curves[static_cast<std::size_t>(i) + 1] = side[i];

    Subregion& s = run.patches[np];
    std::snprintf(name, sizeof name, "RH@%05i", np);
    s.name = name;
    s.original_name = parent.original_name;
    s.type = TYPE_PLANE;
    s.num_edges = kCorners;
    s.num_edges_original = kCorners;
    s.num_curves = kCorners;
    for (int i = 0; i < kCorners; ++i) {
        s.curves_per_edge[i + 1] = 1;
        s.curve_names[static_cast<std::size_t>(i) + 1] = run.curves[side[i]].name;
        s.curves_id[static_cast<std::size_t>(i) + 1] = side[i];
    }
    s.REF = 0;
    s.id = parent.id;
    s.preprocessed_marker = parent.preprocessed_marker;
    for (int a = 0; a < 4; ++a) s.plane[a] = parent.plane[a];
    run.nPatches = np;
    return 1;
}

}  // namespace

int activate_conversion_of_points_near_boundary(const PointUV& corner, const BoundaryPolygon& loop, bool& too_close) {
    too_close = false;
    if (loop.count < 1) return 0;
    double nearest = kNotComputed;
    int j = 0;
    for (int i = 1; i <= loop.count; ++i) {
        const PointUV& p = loop.vertices[static_cast<std::size_t>(i)];
        const double d = std::hypot(p.u - corner.u, p.v - corner.v);
        if (d < nearest) {
            nearest = d;
            j = i;
        }
    }
    const int before = j == 1 ? loop.count : j - 1;
    const double d1 = loop.spacing_after[static_cast<std::size_t>(before)];
    const double d2 = loop.spacing_after[static_cast<std::size_t>(j)];
    too_close = nearest <= kTooCloseFactor * (d1 + d2) / 2;
    return 1;
}

int introduce_refinement_square_subregion(Run& run, int k, int ip, double u, double v, SubregionPolygons& sp,
                                          double factor, bool& converted) {
    report("\nEntering MULT_C11.C\n\n");
    converted = false;
    const int points_before = run.nPoints;
    const double h = factor * run.points[ip].PINT_rad;
    int corner[kCorners];
    PointUV uv[kCorners];
    for (int i = 0; i < kCorners; ++i) {
        uv[i].u = u + kCornerDu[i] * h;
        uv[i].v = v + kCornerDv[i] * h;
        corner[i] = new_corner(run, sp.frame, uv[i].u, uv[i].v);
        if (corner[i] == 0) return 0;
        bool fits = false;
        if (!corner_inside(run, k, sp, uv[i], i + 1, fits)) return 0;
        if (!fits) {
            converted = true;
            break;
        }
    }
    if (!converted && !corners_clear_of_loops(sp, uv)) converted = true;
    if (converted) {
        // The corners made for this square are taken back.
        run.nPoints = points_before;
        convert_to_zero_radius_point(run.points[ip]);
        return 1;
    }
    if (!build_square(run, k, corner, run.points[ip].PINT_step)) return 0;
    ControlPoint& p = run.points[ip];
    p.subregion = Name{};
    p.PINT_step = 0;
    p.PINT_rad = 0;
    p.PINT = 1;
    return 1;
}

}  // namespace korvex
