// An SVG picture of a mesh: every element a polygon shaded by its scaled
// Jacobian (with a legend), faces drawn back to front, boundary edges bold.
#pragma once

#include <string>

#include "output/result_mesh.h"

namespace korvex::output {

enum class View { automatic, top, front, side, iso };

// "top", "front", "side", "iso"; false for another word.
bool parse_view(const std::string& word, View& view);

// The viewing frame: screen right `u`, screen up `v`, toward the viewer `w`.
struct ViewFrame {
    Vec3 u, v, w;
};

// automatic: a flat mesh is seen face on (along its normal), a curved one
// from the oblique (iso) direction. top looks down the z axis, front along
// +y, side along -x.
ViewFrame view_frame(const ResultMesh& mesh, View view);

// True when every node lies within a tiny fraction of the mesh's extent of
// one plane; `normal` then holds that plane's unit normal.
bool flat_mesh(const ResultMesh& mesh, Vec3& normal);

std::string svg_picture(const ResultMesh& mesh, View view);

}  // namespace korvex::output
