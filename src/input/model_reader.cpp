// The .sur reader: title line, optional step-mode line, then the POINTS,
// CURVES and SUBREGIONS sections in any order, closed by END.
#include <cstdio>
#include <memory>
#include <string>

#include "base/messages.h"
#include "input/input_stages.h"
#include "input/model_reader_sections.h"

namespace korvex {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool load_text(const std::string& path, std::string& text) {
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "r"));
    if (!f) return false;
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) text.append(chunk, n);
    return true;
}

// Line 2 may be a step-mode line: its first character is S or s, its first
// word is skipped, and the next character after the blanks must name the
// mode (CONSTANT or LINEAR). The mode is only validated. A line 2 that starts
// with the SUBREGIONS keyword is that keyword, not a step-mode line.
// Leaves the first section keyword as the current word.
int read_step_mode_line(ModelTokens& in) {
    const int c = in.peek();
    if (c == 'S' || c == 's') {
        in.advance();
        if (in.is("SUBREGIONS")) return 1;
        in.skip_blanks();
        const int mode = in.get();
        if (mode != 'C' && mode != 'c' && mode != 'L' && mode != 'l') {
            report("STEP: must be CONSTANT or LINEAR\n");
            in.report_line();
            return 0;
        }
        in.skip_line();
    }
    in.advance();
    return 1;
}

// What stood where a section keyword or END was expected, after the message
// that the file ended too soon. `read` tells which of POINTS, CURVES and
// SUBREGIONS have been read.
void explain_missing_end(const ModelTokens& in, bool blank, const bool (&read)[3]) {
    static const char* const kSections[3] = {"POINTS", "CURVES", "SUBREGIONS"};
    std::string missing;
    for (int i = 0; i < 3; ++i)
        if (!read[i]) missing += std::string(missing.empty() ? "" : ", ") + kSections[i];
    if (blank) {
        report(" The file %s is empty.\n", in.source().c_str());
    } else if (in.word().empty()) {  // every section ends in its own message at the end of the file
        report(" The file %s has no section keyword (POINTS, CURVES or SUBREGIONS).\n", in.source().c_str());
    } else if (in.is("END")) {
        report(" END comes before the sections %s", missing.c_str());
        in.report_line();
    } else {
        report(" '%s' stands where a section keyword (POINTS, CURVES, SUBREGIONS) or END was expected",
               in.word().c_str());
        in.report_line();
    }
}

}  // namespace

int unexpected_end() {
    report(" Unexpected end of file.\n");
    return 0;
}

int unexpected_end_of_subregions() {
    report(" Unexpected end of file in readPatches().\n");
    return 0;
}

int read_model(Run& run) {
    run.nPoints = run.nCurves = run.nPatches = 0;
    std::string text;
    if (!load_text(run.problem_path, text)) {
        report("Cannot open input data file %s\n", run.problem_path.c_str());
        return 0;
    }
    const bool blank = text.find_first_not_of(" \t\r\n\f\v") == std::string::npos;
    ModelTokens in(std::move(text), run.problem_path);
    in.read_line(run.title);
    if (!read_step_mode_line(in)) return 0;

    bool points = false, curves = false, subregions = false;
    for (;;) {
        if (in.first() == '*') {  // a comment line between sections
            in.skip_line();
            in.advance();
        } else if (in.is("POINTS")) {
            if (!read_points_section(run, in)) return 0;
            points = true;
        } else if (in.is("CURVES")) {
            if (!read_curves_section(run, in)) return 0;
            curves = true;
        } else if (in.is("SUBREGIONS")) {
            if (!read_subregions_section(run, in)) return 0;
            subregions = true;
        } else if (in.is("END") && points && curves && subregions) {
            return 1;
        } else {
            report("END keyword prematurely encountered.\n");
            explain_missing_end(in, blank, {points, curves, subregions});
            return 0;
        }
    }
}

}  // namespace korvex
