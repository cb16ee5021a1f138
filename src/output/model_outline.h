// The points and curves of a model file (.sur), as far as the node sets of
// an export and the picture need them: each point's name and place, each
// curve's name and point names, the curves of the internal trees. Steps,
// refined zones and the rest of the subregions are skipped. The model
// is one the engine has meshed, so the reader is lenient: it follows the
// sections and takes what it needs.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "base/vec3.h"

namespace korvex::output {

struct OutlinePoint {
    std::string name;
    Vec3 p;
    bool internal = false;  // an internal point: its name begins with PINT
};

struct OutlineCurve {
    std::string name;
    std::vector<std::string> points;  // the point names in the order given
};

struct ModelOutline {
    std::vector<OutlinePoint> points;  // in the order of the file
    std::vector<OutlineCurve> curves;
    std::set<std::string> tree_curves;  // curves listed under a tree of a subregion

    // The curve of that name, or nullptr.
    const OutlineCurve* curve(const std::string& name) const;
};

// Reads the outline of the model at `path`; false with the reason (file
// name and line) in `error`.
bool read_model_outline(const std::string& path, ModelOutline& outline, std::string& error);

// The same from the text of a model; `source` names it in errors.
bool parse_model_outline(const std::string& text, const std::string& source, ModelOutline& outline,
                         std::string& error);

}  // namespace korvex::output
