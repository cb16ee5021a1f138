// A CAD part turned into a model file: read, sewn, cut, written. The one
// entry point of the CAD front end for the command.
#pragma once

#include <string>
#include <vector>

#include "cad/model_builder.h"
#include "cad/shape_preparation.h"

namespace korvex::cad {

struct ImportOptions {
    double size = 0;           // target element size; 0: kDefaultSizeFraction of the bounding-box diagonal
    double ref = -1;           // refinement coefficient of every subregion; negative: the defaults of ModelSettings
    double sew_tolerance = 0;  // 0: a millionth of the bounding-box diagonal
};

// The default element size as a fraction of the part's bounding-box diagonal.
constexpr double kDefaultSizeFraction = 1.0 / 40.0;

struct ImportedPart {
    std::string part, model;  // paths
    double size = 0;          // the size used
    PreparedShape prepared;
    std::vector<ModelSubregion> subregions;
    std::vector<ModelCurve> curves;
    std::string summary;      // printed by `korvex import`
};

// Reads the part and writes the model to `model` (written whole or not at
// all). Returns false with a message naming the part (and, where it
// applies, the CAD face and its surface kind).
bool import_part(const std::string& part, const std::string& model, const ImportOptions& options,
                 ImportedPart& imported, std::string& error);

}  // namespace korvex::cad
