// A read CAD shape made ready to be written as a model: faces sewn so that
// neighbours share their edges, closed faces cut open and curved faces cut
// into pieces of at most a quarter turn, each piece traced back to the CAD
// face it came from.
#pragma once

#include <string>
#include <vector>

#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>

namespace korvex::cad {

struct CadFace {
    int number = 0;                   // 1-based, in the order OpenCASCADE lists the read shape's faces
    std::string kind;                 // "plane", "cylinder", "sphere", ... (surface_kind)
    std::vector<TopoDS_Face> pieces;  // the faces the model is made of
    std::string split_reason;         // empty when the face was not cut
};

struct PreparedShape {
    TopoDS_Shape shape;  // sewn and cut
    std::vector<CadFace> faces;
    double diagonal = 0;      // of the bounding box
    int free_edge_count = 0;  // edges bounding one face only after sewing
};

// The surface kind of a face, as the summary names it.
std::string surface_kind(const TopoDS_Face& face);

// Sews with the given tolerance (0: a millionth of the bounding-box
// diagonal) and cuts. Returns false with the reason when the shape has no
// face or a step of OpenCASCADE fails.
bool prepare_shape(const TopoDS_Shape& read, double sew_tolerance, PreparedShape& prepared, std::string& error);

}  // namespace korvex::cad
