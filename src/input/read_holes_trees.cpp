// The holes and internal trees of a subregion, after its REF value. Their
// curves are resolved at once against the curves read so far.
#include "base/messages.h"
#include "input/model_reader_sections.h"

namespace korvex {

namespace {

// Reads the next word of a hole's or tree's curve list, skipping comment
// lines. Returns 1 with a curve name current, 2 when the list has ended
// (another word is current), 0 on failure.
int next_listed_curve(const Subregion& s, ModelTokens& in) {
    for (;;) {
        if (!in.advance()) return unexpected_end_of_subregions();
        if (in.first() == '*') {
            in.skip_line();
            continue;
        }
        if (!is_curve_word(in.first())) return 2;
        if (name_too_long(in.word())) {
            report(" Subregion %s  curve %s: name too long.\n", s.name.c_str(), in.word().c_str());
            in.report_line();
            return 0;
        }
        return 1;
    }
}

int read_hole(Run& run, ModelTokens& in, Subregion& s) {
    if (name_too_long(in.word())) {
        report(" Subregion %s, hole %s: name too long.\n", s.name.c_str(), in.word().c_str());
        in.report_line();
        return 0;
    }
    if (s.num_holes + 1 > MAX_HOLES_PER_SUBREGION) {
        report("Increase MAX_HOLES_PER_SUBREGION(currently=%i)\n", MAX_HOLES_PER_SUBREGION);
        in.report_line();
        return 0;
    }
    Hole& h = s.holes[static_cast<std::size_t>(++s.num_holes)];
    h.name = in.word();
    h.id = s.num_holes;
    for (;;) {
        const int r = next_listed_curve(s, in);
        if (r != 1) return r == 2 ? 1 : 0;
        const int c = find_curve(run, in.word());
        if (c == 0) {
            report(" Input data error:\n  curve %s not found in CURVES section.\n", in.word().c_str());
            report(" Hole %s of subregion %s names it (line %i of %s)\n", h.name.c_str(), s.name.c_str(), in.line(),
                   in.source().c_str());
            return 0;
        }
        if (h.num_curves + 1 > MAX_CURVES_PER_HOLE) {
            report("Increase MAX_CURVES_PER_HOLE(currently=%i)\n", MAX_CURVES_PER_HOLE);
            in.report_line();
            return 0;
        }
        h.curves[static_cast<std::size_t>(++h.num_curves)] = c;
    }
}

int read_tree(Run& run, ModelTokens& in, Subregion& s) {
    if (name_too_long(in.word())) {
        report(" Subregion %s, tree %s: name too long.\n", s.name.c_str(), in.word().c_str());
        in.report_line();
        return 0;
    }
    if (s.num_trees + 1 > MAX_TREES_PER_SUBREGION) {
        report("Increase MAX_TREES_PER_SUBREGION(currently=%i)\n", MAX_TREES_PER_SUBREGION);
        in.report_line();
        return 0;
    }
    Tree& t = s.trees[static_cast<std::size_t>(++s.num_trees)];
    t.name = in.word();
    t.id = s.num_trees;
    for (;;) {
        const int r = next_listed_curve(s, in);
        if (r != 1) return r == 2 ? 1 : 0;
        if (find_curve(run, in.word()) == 0) {
            report("Input data error:\n  curve %s not found in CURVES section.\n", in.word().c_str());
            report(" Tree %s of subregion %s names it (line %i of %s)\n", t.name.c_str(), s.name.c_str(), in.line(),
                   in.source().c_str());
            return 0;
        }
        if (t.num_curves + 1 > t.curve_capacity()) {
            report("Increase MAX_CURVES_PER_TREE(currently=%i)\n", run.settings.MAX_CURVES_PER_TREE);
            in.report_line();
            return 0;
        }
        t.curve_names[static_cast<std::size_t>(++t.num_curves)] = in.word();
    }
}

}  // namespace

int read_holes_and_trees(Run& run, ModelTokens& in, int k) {
    Subregion& s = run.patches[k];
    if (!in.advance()) return unexpected_end_of_subregions();
    for (;;) {
        if (in.first() == '*') {
            in.skip_line();
            if (!in.advance()) return unexpected_end_of_subregions();
        } else if (in.first() == 'H') {
            if (!read_hole(run, in, s)) return 0;
        } else if (in.first() == 'T') {
            if (!read_tree(run, in, s)) return 0;
        } else {
            return 1;  // the next subregion, a section keyword, END or an illegal line
        }
    }
}

}  // namespace korvex
