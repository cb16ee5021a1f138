// CURVES section: each curve's name, the names of its defining points and
// its target step size.
#include "base/messages.h"
#include "input/model_reader_sections.h"

namespace korvex {

namespace {

bool ends_curves_section(const ModelTokens& in) {
    return in.is("END") || in.is("POINTS") || in.is("SUBREGIONS");
}

// The defining point names of curve c; leaves the first other word current.
int read_curve_points(Curve& c, ModelTokens& in) {
    for (;;) {
        if (!in.advance()) return unexpected_end();
        if (in.first() != 'P') return 1;
        if (name_too_long(in.word())) {
            report(" Curve %s point %s: name too long.\n", c.name.c_str(), in.word().c_str());
            in.report_line();
            return 0;
        }
        if (c.num_points + 1 > MAX_POINTS_PER_CURVE) {
            report("Increase MAX_POINTS_PER_CURVE in KORVEX.H\n");
            in.report_line();
            return 0;
        }
        c.point_names[static_cast<std::size_t>(++c.num_points)] = in.word();
    }
}

// One curve entry; the current word is its name. Leaves the next item current.
// A curve after an illegal line of the section ends the section in failure.
int read_curve(Run& run, ModelTokens& in, bool illegal_line_met) {
    if (name_too_long(in.word())) {
        report(" Curve %s: name too long.\n", in.word().c_str());
        in.report_line();
        return 0;
    }
    if (run.nCurves + 1 > run.settings.MAX_CURVES) {
        report(" Increase MAX_CURVES in KORVEX.H  file.\n");
        in.report_line();
        return 0;
    }
    const int i = ++run.nCurves;
    run.curves.ensure(i);
    Curve& c = run.curves[i];
    c = Curve{};
    c.name = in.word();
    c.id = i;
    if (!read_curve_points(c, in)) return 0;
    if (illegal_line_met) return 0;
    if (c.num_points == 0) {
        report(" Curve %s: no points defined.\n", c.name.c_str());
        in.report_line();
        return 0;
    }
    if (!in.is("STEP")) {
        report(" Incorrect point name '%s' ,\n or STEP keyword missing for curve %s\n", in.word().c_str(),
               c.name.c_str());
        in.report_line();
        return 0;
    }
    if (read_number(in, c.step, "STEP of curve " + std::string(c.name.c_str())) == kNotANumber) return 0;
    if (!(c.step >= 0)) {
        report(" Curve %s: negative value of the step size   =%g\n", c.name.c_str(), c.step);
        in.report_line();
        return 0;
    }
    return in.advance() ? 1 : unexpected_end();
}

}  // namespace

int read_curves_section(Run& run, ModelTokens& in) {
    bool illegal_line_met = false;
    if (!in.advance()) return unexpected_end();
    for (;;) {
        if (ends_curves_section(in)) return illegal_line_met ? 0 : 1;
        if (in.first() == '*') {
            in.skip_line();
            if (!in.advance()) return unexpected_end();
        } else if (!is_curve_word(in.first())) {
            // Reported and remembered, so that every illegal line of the section is shown.
            const std::string rest = in.rest_of_line();
            report("Illegal input line in CURVES block:\n%s%s", in.word().c_str(), rest.c_str());
            in.report_line();
            illegal_line_met = true;
            if (!in.advance()) return unexpected_end();
        } else if (!read_curve(run, in, illegal_line_met)) {
            return 0;
        }
    }
}

}  // namespace korvex
