// POINTS section: named control points, and internal points (PINT...) with
// their optional subregion, step and radius of a refined zone.
#include "base/messages.h"
#include "input/model_reader_sections.h"

namespace korvex {

namespace {

bool ends_points_section(const ModelTokens& in) {
    return in.is("END") || in.is("CURVES") || in.is("SUBREGIONS");
}

// After "R... STEP": the step, then RAD and the radius. Leaves the next word current.
int read_pint_parameters(ControlPoint& p, ModelTokens& in) {
    if (read_number(in, p.PINT_step, "STEP of internal point " + std::string(p.name.c_str())) == kNotANumber) return 0;
    p.PINT_step_work = p.PINT_step;
    if (!in.advance()) return unexpected_end();
    if (!in.is("RAD")) {
        report("Error in POINTS section: a PINT-point  \n    must have RAD keyword after STEP value.\n");
        in.report_line();
        return 0;
    }
    if (read_number(in, p.PINT_rad, "RAD of internal point " + std::string(p.name.c_str())) == kNotANumber) return 0;
    p.PINT_rad_work = p.PINT_rad;
    p.PINT = 1;
    return in.advance() ? 1 : unexpected_end();
}

// Result of an entry that hands the section back to the caller: a word
// beginning with C right after an internal point's coordinates.
constexpr int kHandBack = 2;

// The optional items after an internal point's coordinates. Leaves the next
// item of the section current.
int read_pint_items(ControlPoint& p, ModelTokens& in) {
    if (!in.advance()) return unexpected_end();
    const char c = in.first();
    if (c == 'C') return kHandBack;
    if (c == 'P' || c == '*' || ends_points_section(in)) return 1;
    if (c != 'R') {
        report("Error in POINTS section: a PINT-point  \n    with non-zero parameters must have subregion\n"
               "    name after Z-coordinate.\n");
        in.report_line();
        return 0;
    }
    p.subregion = in.word();
    p.subregion_work = in.word();
    if (!in.advance()) return unexpected_end();
    if (!in.is("STEP")) return 1;  // any other word is the next item
    return read_pint_parameters(p, in);
}

// One point entry; the current word is its name. Leaves the next item current
// and returns 1, or kHandBack, or 0 on failure.
int read_point(Run& run, ModelTokens& in) {
    if (name_too_long(in.word())) {
        report(" Point %s: name too long.\n", in.word().c_str());
        in.report_line();
        return 0;
    }
    if (run.nPoints + 1 > MAX_CONTROL_POINTS) {
        report(" Increase MAX_CONTROL_POINTS in KORVEX.H file.\n");
        in.report_line();
        return 0;
    }
    const int i = ++run.nPoints;
    run.points.ensure(i);
    ControlPoint& p = run.points[i];
    p = ControlPoint{};
    p.name = in.word();
    p.id = i;
    const char* const axes[] = {"x", "y", "z"};
    double* const values[] = {&p.x, &p.y, &p.z};
    for (int a = 0; a < 3; ++a) {
        const std::string what = std::string(axes[a]) + " coordinate of point " + std::string(p.name.c_str());
        if (read_number(in, *values[a], what) == kNotANumber) return 0;
    }
    if (p.name.starts_with("PINT")) return read_pint_items(p, in);
    return in.advance() ? 1 : unexpected_end();
}

}  // namespace

int read_points_section(Run& run, ModelTokens& in) {
    if (!in.advance()) return unexpected_end();
    for (;;) {
        if (ends_points_section(in)) return 1;
        if (in.first() == '*') {
            in.skip_line();
            if (!in.advance()) return unexpected_end();
        } else if (in.first() == 'P') {
            const int r = read_point(run, in);
            if (r == 0) return 0;
            if (r == kHandBack) return 1;
        } else {
            const std::string rest = in.rest_of_line();
            report("Illegal input line in POINTS block:\n%s%s", in.word().c_str(), rest.c_str());
            in.report_line();
            return 0;
        }
    }
}

}  // namespace korvex
