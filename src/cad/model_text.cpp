// The model file's text: title, the table from CAD face to subregion as
// comments, then points, curves and subregions.
#include <cmath>
#include <cstdio>
#include <map>

#include "cad/model_builder.h"

namespace korvex::cad {

namespace {

// Comment lines are kept well below the reader's line length.
constexpr std::size_t kCommentWidth = 72;

// Rounding noise of the CAD kernel (1e-15 for 0) is written as 0.
std::string coordinate(double v, double size) {
    char text[40];
    std::snprintf(text, sizeof text, " %.12g", std::abs(v) < 1e-9 * size ? 0.0 : v);
    return text;
}

void append_chain(std::string& line, const Chain& chain, const std::vector<ModelCurve>& curves) {
    for (const ChainCurve& c : chain) line += " " + curves[c.curve].name;
}

void face_table(std::string& text, const std::vector<ModelSubregion>& subregions) {
    text += "* CAD face (surface kind): subregions\n";
    std::map<int, std::pair<std::string, std::vector<std::string>>> table;
    for (const ModelSubregion& s : subregions) {
        table[s.cad_face].first = s.kind;
        table[s.cad_face].second.push_back(s.name);
    }
    for (const auto& [face, entry] : table) {
        std::string line = std::string("* ") + std::to_string(face) + " (" + entry.first + "):";
        for (const std::string& name : entry.second) {
            if (line.size() + name.size() + 1 > kCommentWidth) {
                text += line + "\n";
                line = "*   ";
            }
            line += " " + name;
        }
        text += line + "\n";
    }
}

}  // namespace

std::string ModelBuilder::model_text(const std::string& title) const {
    std::string text = title + "\nSTEP CONSTANT\n";
    face_table(text, subregions_);
    text += "POINTS\n";
    for (const ModelPoint& p : points_) text += p.name + coordinate(p.p.X(), settings_.size) + coordinate(p.p.Y(), settings_.size) +
                coordinate(p.p.Z(), settings_.size) + "\n";
    text += "CURVES\n";
    char step[48];
    std::snprintf(step, sizeof step, " STEP %.6g\n", settings_.size);
    for (const ModelCurve& c : curves_) {
        std::string line = c.name;
        for (int p : c.points) line += " " + points_[p].name;
        text += line + step;
    }
    text += "SUBREGIONS\n";
    char ref[32];
    std::snprintf(ref, sizeof ref, " REF %.6g\n", settings_.ref);
    std::size_t hole = 0;
    for (const ModelSubregion& s : subregions_) {
        std::string line = s.name;
        if (!s.type.empty()) line += " " + s.type;
        if (!s.parameters.empty()) line += " " + s.parameters;
        const bool one_chain = s.type == "PLANE" || s.type == "CYLINDER";
        for (const Chain& edge : s.edges) {
            if (!one_chain) line += " EDGE";
            append_chain(line, edge, curves_);
        }
        text += line + ref;
        for (const Chain& h : s.holes) {
            std::string hole_line = numbered("H", ++hole);
            append_chain(hole_line, h, curves_);
            text += hole_line + "\n";
        }
    }
    text += "END\n";
    return text;
}

}  // namespace korvex::cad
