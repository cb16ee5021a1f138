// An SVG picture of a mesh: every element a polygon, shaded by its scaled
// Jacobian (or coloured by subregion), faces drawn back to front, boundary
// edges bold, internal trees as bold lines and internal points marked. The
// picture is cropped to the projected model, with its legend underneath.
#pragma once

#include <string>

#include "output/model_outline.h"
#include "output/result_mesh.h"

namespace korvex::output {

enum class View { automatic, top, front, side, iso };

// "top", "front", "side", "iso"; false for another word.
bool parse_view(const std::string& word, View& view);

// The viewing frame: screen right `u`, screen up `v`, toward the viewer `w`.
struct ViewFrame {
    Vec3 u, v, w;
};

// automatic: a flat mesh is seen face on (along its normal); a curved one
// from the oblique direction, among a fixed set, in which its elements cover
// the largest projected area (the first such direction on a tie), so that no
// large part of it is seen edge on. top looks down the z axis, front along
// +y, side along -x, iso from (1, -1, 1).
ViewFrame view_frame(const ResultMesh& mesh, View view);

// The sum over the elements of the area of their projection along `w`.
double projected_area(const ResultMesh& mesh, const Vec3& w);

// True when every node lies within a tiny fraction of the mesh's extent of
// one plane; `normal` then holds that plane's unit normal.
bool flat_mesh(const ResultMesh& mesh, Vec3& normal);

struct PictureOptions {
    View view = View::automatic;
    bool subregions = false;               // fill by subregion, not by scaled Jacobian
    const ModelOutline* model = nullptr;   // trees and internal point names, when known
};

std::string svg_picture(const ResultMesh& mesh, const PictureOptions& options);
inline std::string svg_picture(const ResultMesh& mesh, View view) { return svg_picture(mesh, PictureOptions{view}); }

}  // namespace korvex::output
