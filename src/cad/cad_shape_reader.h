// Reading a CAD part: STEP (.step, .stp), IGES (.iges, .igs) and OpenCASCADE's
// own BREP files, chosen by the file's extension.
#pragma once

#include <string>

#include <TopoDS_Shape.hxx>

namespace korvex::cad {

// True when the path ends in one of the extensions above (any letter case).
bool is_cad_part(const std::string& path);

// Reads the part into one shape. Returns false with a message naming the
// file when it cannot be read or holds no shape.
bool read_cad_shape(const std::string& path, TopoDS_Shape& shape, std::string& error);

}  // namespace korvex::cad
