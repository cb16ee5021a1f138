// The model file's text: title, the table from CAD face to subregion as
// comments, then points, curves and subregions.
#include <cmath>
#include <cstdio>
#include <algorithm>
#include <map>
#include <set>

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

// Length of the arc through three points (start, middle, end).
double arc_length(const gp_Pnt& a, const gp_Pnt& m, const gp_Pnt& b) {
    const gp_Vec u(m, a), v(m, b);
    const double chord = a.Distance(b);
    const double sine = u.Crossed(v).Magnitude() / (u.Magnitude() * v.Magnitude());
    if (sine < 1e-12) return chord;
    const double radius = chord / (2 * sine);
    return 2 * radius * std::asin(std::min(1.0, chord / (2 * radius)));
}

// Arcs around a hole are divided into a whole number of steps, rounded
// down (a quarter circle of 2.5 H gets two steps, not three): the plane
// mesher then meets a hole with elements no smaller than the element size
// and keeps its corners square. The step is a hair over the exact division
// so that the reader's rounding keeps the count.
double hole_arc_step(double length, double size) {
    const double steps = std::max(1.0, std::floor(length / size + 1e-9));
    return length / (steps + 0.2);
}

}  // namespace

std::string ModelBuilder::model_text(const std::string& title) const {
    std::string text = title + "\nSTEP CONSTANT\n";
    face_table(text, subregions_);
    text += "POINTS\n";
    for (const ModelPoint& p : points_) text += p.name + coordinate(p.p.X(), settings_.size) + coordinate(p.p.Y(), settings_.size) +
                coordinate(p.p.Z(), settings_.size) + "\n";
    text += "CURVES\n";
    std::set<int> hole_curves;
    for (const ModelSubregion& s : subregions_)
        for (const Chain& h : s.holes)
            for (const ChainCurve& c : h) hole_curves.insert(c.curve);
    for (std::size_t k = 0; k < curves_.size(); ++k) {
        const ModelCurve& c = curves_[k];
        std::string line = c.name;
        for (int p : c.points) line += " " + points_[p].name;
        double step = settings_.size;
        if (c.name[0] == 'C' && hole_curves.count(static_cast<int>(k)))
            step = hole_arc_step(arc_length(points_[c.points[0]].p, points_[c.points[1]].p, points_[c.points[2]].p), step);
        char text_of_step[48];
        std::snprintf(text_of_step, sizeof text_of_step, " STEP %.6g\n", step);
        text += line + text_of_step;
    }
    text += "SUBREGIONS\n";
    std::size_t hole = 0;
    for (const ModelSubregion& s : subregions_) {
        const double coefficient = settings_.ref >= 0 ? settings_.ref : kDefaultRef;
        char ref[32];
        std::snprintf(ref, sizeof ref, " REF %.6g\n", coefficient);
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
