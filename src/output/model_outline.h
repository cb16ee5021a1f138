// What a picture needs from the model file beside a result: the curves of
// the internal trees and the internal points with their own names. The
// result file alone names tree nodes after their curves but does not say
// which curves are trees, and names every internal point's node "PINT".
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/vec3.h"

namespace korvex::output {

struct ModelOutline {
    std::map<std::string, std::vector<std::string>> curve_points;  // curve name -> its point names
    std::set<std::string> tree_curves;                              // curves listed under a tree
    struct NamedPoint {
        std::string name;
        Vec3 p;
    };
    std::vector<NamedPoint> internal_points;  // PINT... points in file order
};

// Reads the outline from model text. Lenient: it gathers what it recognises
// and skips the rest; the engine's reader is the judge of a model's validity.
ModelOutline read_model_outline(const std::string& text);

// The model file of a result, MODEL.m3d -> MODEL.sur (or MODEL.SUR), when
// one exists; an empty string otherwise.
std::string model_beside(const std::string& result_path);

// Reads `path`; false when it cannot be read.
bool load_model_outline(const std::string& path, ModelOutline& outline);

}  // namespace korvex::output
