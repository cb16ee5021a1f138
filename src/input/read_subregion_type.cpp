// The surface type word of a subregion, recognised by its leading letters,
// with the CYLINDER axis angles and the SPHERE centre, and the curve lists of
// the subregion's edges.
#include <cmath>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "input/model_reader_sections.h"

namespace korvex {

namespace {

constexpr double kZeroCosine = 1e-12;

struct AngleKey {
    const char* keyword;
    const char* misplaced;  // format: subregion name
    const char* out_of_range;  // format: subregion name, angle
};

constexpr AngleKey kCylinderAngles[3] = {
    {"ANGLEX", " Subregion %s of CYLINDER type:\n  ANGLEX parameter not encountered  or misplaced.\n",
     " Subregion %s: ANGLEX=%g :\n angle value must be >-360. and <+360.\n"},
    {"ANGLEY", " Subregion %s of CYLINDER type:\n  ANGLEY parameter not encountered  or misplaced.\n",
     " Subregion %s: ANGLEY=%g :\n angle value must be >-360. and <+360.\n"},
    {"ANGLEZ", " Subregion %s of CYLINDER type:\n  ANGLEZ parameter not encountered  or misplaced.\n",
     " Subregion %s: ANGLEZ=%g :\n angle value must be >-360. and <+360.\n"},
};

struct CentreKey {
    const char* keyword;
    const char* misplaced;  // format: subregion name
};

constexpr CentreKey kSphereCentre[3] = {
    {"XC", " Subregion %s of SPHERE type:\n  XC parameter not encountered  or misplaced.\n"},
    {"YC", " Subregion %s of SPHERE type:\n  YC parameter not encountered  or misplaced.\n"},
    {"ZC", " Subregion %s of SPHERE type:\n  ZC parameter not encountered  or misplaced.\n"},
};

// ANGLEX, ANGLEY, ANGLEZ: the axis direction as the cosines of its angles
// with the coordinate axes, given in degrees.
int read_cylinder_axis(Subregion& s, ModelTokens& in) {
    for (int i = 0; i < 3; ++i) {
        if (!in.advance()) return unexpected_end_of_subregions();
        if (!in.is(kCylinderAngles[i].keyword)) {
            report(kCylinderAngles[i].misplaced, s.name.c_str());
            in.report_line();
            return 0;
        }
        double angle = 0;
        const std::string what = std::string(kCylinderAngles[i].keyword) + " of subregion " + s.name.c_str();
        if (read_strict_number(in, angle, what) == kNotANumber) return 0;
        if (!(angle > -360.0 && angle < 360.0)) {
            report(kCylinderAngles[i].out_of_range, s.name.c_str(), angle);
            in.report_line();
            return 0;
        }
        const double c = std::cos(angle * kPi / 180.0);
        s.axis_cos[i] = std::fabs(c) < kZeroCosine ? 0.0 : c;
    }
    return 1;
}

// XC, YC, ZC: the sphere centre.
int read_sphere_centre(Subregion& s, ModelTokens& in) {
    for (int i = 0; i < 3; ++i) {
        if (!in.advance()) return unexpected_end_of_subregions();
        if (!in.is(kSphereCentre[i].keyword)) {
            report(kSphereCentre[i].misplaced, s.name.c_str());
            in.report_line();
            return 0;
        }
        const std::string what = std::string(kSphereCentre[i].keyword) + " of subregion " + s.name.c_str();
        if (read_strict_number(in, s.centre[i], what) == kNotANumber) return 0;
    }
    return 1;
}

// The first edge keyword of an edged subregion. When it is missing the word
// found there is kept and read as if the keyword had stood before it, so no
// curve name is lost.
int open_first_edge(Subregion& s, ModelTokens& in) {
    if (!in.advance()) return unexpected_end_of_subregions();
    if (in.first() != 'E') {
        report(" EDGE keyword missing for patch %s\n", s.name.c_str());
        in.unread();
    }
    s.num_edges = 1;
    return 1;
}

bool starts_with(const std::string& w, std::string_view prefix) { return w.compare(0, prefix.size(), prefix) == 0; }

// Reports the edge-count failure of check_edge_count for an edge beyond the fourth.
int too_many_edges(const Subregion& s) {
    if (s.type == TYPE_PLANE || s.type == TYPE_CYLINDER)
        report(" Subregion %s: must not contain EDGE keyword.\n", s.name.c_str());
    else
        report(" Patch %s: invalid number of edges: %i\n", s.name.c_str(), s.num_edges + 1);
    return 0;
}

}  // namespace

int read_subregion_type(Run& run, ModelTokens& in, int k) {
    Subregion& s = run.patches[k];
    const std::string& w = in.word();
    if (w[0] == 'B') {
        s.type = TYPE_BILINEAR;
        return open_first_edge(s, in);
    }
    if (starts_with(w, "CY")) {
        s.type = TYPE_CYLINDER;
        s.num_edges = 1;
        return read_cylinder_axis(s, in);
    }
    if (starts_with(w, "CO")) {
        report(" Subregion %s: data type %s not supported.\n", s.name.c_str(), w.c_str());
        in.report_line();
        return 0;
    }
    if (w[0] == 'P') {
        s.type = TYPE_PLANE;
        s.num_edges = 1;
        return 1;
    }
    if (w[0] == 'R') {
        s.type = w.size() > 3 && w[3] == '2' ? TYPE_REV2 : TYPE_REV;
        return open_first_edge(s, in);
    }
    if (starts_with(w, "SP")) {
        s.type = TYPE_SPHERE;
        if (!read_sphere_centre(s, in)) return 0;
        return open_first_edge(s, in);
    }
    if (w[0] == 'E') {
        s.type = TYPE_NONE;
        s.num_edges = 1;
        return 1;
    }
    report(" Input data error for subregion %s:\n  non-existing type %s\n", s.name.c_str(), w.c_str());
    in.report_line();
    return 0;
}

int read_subregion_edges(Run& run, ModelTokens& in, int k) {
    Subregion& s = run.patches[k];
    s.curves_per_edge[s.num_edges] = 0;
    for (;;) {
        if (!in.advance()) return unexpected_end_of_subregions();
        const char c = in.first();
        if (c == '*') {
            in.skip_line();
        } else if (is_curve_word(c)) {
            if (name_too_long(in.word())) {
                // Ends the edges: the REF check that follows fails on this word.
                report(" Subregion %s curve %s: name too long.\n", s.name.c_str(), in.word().c_str());
                return 1;
            }
            if (s.num_curves + 1 > 4 * run.settings.MAX_CURVES_PER_EDGE) {
                report("Increase MAX_CURVES_PER_EDGE(=%i)\n  in KORVEX.H\n", run.settings.MAX_CURVES_PER_EDGE);
                in.report_line();
                return 0;
            }
            s.curve_names[static_cast<std::size_t>(++s.num_curves)] = in.word();
            ++s.curves_per_edge[s.num_edges];
        } else if (c == 'E') {
            if (s.num_edges == MAX_EDGES_PER_SUBREGION) {
                too_many_edges(s);
                in.report_line();
                return 0;
            }
            ++s.num_edges;
            s.curves_per_edge[s.num_edges] = 0;
        } else {
            return 1;
        }
    }
}

}  // namespace korvex
