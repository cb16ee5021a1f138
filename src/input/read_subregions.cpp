// SUBREGIONS section: each subregion's name, surface type, edges of curves,
// refinement coefficient, holes and trees.
#include "base/messages.h"
#include "base/numeric_constants.h"
#include "input/model_reader_sections.h"

namespace korvex {

namespace {


bool ends_subregions_section(const ModelTokens& in) {
    return in.is("END") || in.is("POINTS") || in.is("CURVES");
}

// REF and its value; the current word must be REF.
int read_ref(Subregion& s, ModelTokens& in) {
    if (!in.is("REF")) {
        report(" REF keyword missing for patch %s\n", s.name.c_str());
        in.report_line();
        return 0;
    }
    if (read_number(in, s.REF, "REF of subregion " + std::string(s.name.c_str())) == kNotANumber) return 0;
    if (!(s.REF >= 0 && s.REF <= kMaxREF)) {
        report(" Subregion %s : Illegal value of the refinement coefficient: %g\n (must be within range "
               "[0.,%5.3lf]).\n",
               s.name.c_str(), s.REF, kMaxREF);
        in.report_line();
        return 0;
    }
    return 1;
}

// PLANE and CYLINDER are one closed chain of curves; the others have 2 to 4 edges.
int check_edge_count(const Subregion& s) {
    if (s.type == TYPE_PLANE || s.type == TYPE_CYLINDER) {
        if (s.num_edges != 1) {
            report(" Subregion %s: must not contain EDGE keyword.\n", s.name.c_str());
            return 0;
        }
    } else if (s.num_edges < 2 || s.num_edges > MAX_EDGES_PER_SUBREGION) {
        report(" Patch %s: invalid number of edges: %i\n", s.name.c_str(), s.num_edges);
        return 0;
    }
    return 1;
}

// One subregion entry; the current word is its name. Leaves the word after
// its holes and trees current.
int read_subregion(Run& run, ModelTokens& in) {
    if (name_too_long(in.word())) {
        report(" Subregion %s: name too long.\n", in.word().c_str());
        in.report_line();
        return 0;
    }
    if (run.nPatches + 1 > run.settings.MAX_SUBREGIONS) {
        report(" Increase MAX_SUBREGIONS in KORVEX.H file.\n");
        in.report_line();
        return 0;
    }
    const int k = run.new_patch_slot();
    run.nPatches = k;
    run.patches[k].name = in.word();
    run.patches[k].id = k;
    do {  // comment lines may follow the name
        if (in.first() == '*') in.skip_line();
        if (!in.advance()) return unexpected_end_of_subregions();
    } while (in.first() == '*');
    if (!read_subregion_type(run, in, k)) return 0;
    if (!read_subregion_edges(run, in, k)) return 0;
    if (!read_ref(run.patches[k], in)) return 0;
    if (!check_edge_count(run.patches[k])) return 0;
    return read_holes_and_trees(run, in, k);
}

}  // namespace

int read_subregions_section(Run& run, ModelTokens& in) {
    report(" Reading input data: SUBREGIONS section ...\n");
    if (!in.advance()) return unexpected_end_of_subregions();
    for (;;) {
        if (ends_subregions_section(in)) {
            report(" ... complete.\n\n");
            return 1;
        }
        if (in.first() == '*') {
            in.skip_line();
            if (!in.advance()) return unexpected_end_of_subregions();
        } else if (in.first() == 'R') {
            if (!read_subregion(run, in)) return 0;
        } else {
            const std::string rest = in.rest_of_line();
            report("Illegal input line in SUBREGIONS block:\n%s%s", in.word().c_str(), rest.c_str());
            in.report_line();
            return 0;
        }
    }
}

}  // namespace korvex
