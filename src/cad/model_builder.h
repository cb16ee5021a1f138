// A prepared CAD shape written as a model: every vertex a point, every edge
// one chain of curves that all faces along it share (so their meshes meet
// node for node), every face piece a subregion of the matching type.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Vertex.hxx>
#include <gp_Pnt.hxx>
#include <gp_Vec.hxx>

#include "cad/shape_preparation.h"

namespace korvex::cad {

// A generated name: the prefix and a number ("P12", "QL3", "R7").
inline std::string numbered(const char* prefix, std::size_t n) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%zu", prefix, n);
    return text;
}

struct ModelPoint {
    std::string name;
    gp_Pnt p;
};

// One curve of the model: a straight segment (QL), an arc of at most a
// quarter turn through three points (C) or a smooth curve through its points
// (Q). The tangents are unit vectors along the point order.
struct ModelCurve {
    std::string name;
    std::vector<int> points;  // indexes into the points
    gp_Vec start_tangent, end_tangent;
    TopoDS_Edge edge;  // for a smooth curve, the CAD edge it follows (its nodes go back onto it after meshing)
};

struct ChainCurve {
    int curve = 0;
    bool reversed = false;  // run against its point order
};
using Chain = std::vector<ChainCurve>;

struct ModelSubregion {
    std::string name;
    std::string type;  // "PLANE", "CYLINDER", "SPHERE", "REV" or "" (untyped)
    std::string parameters;  // the angles of a cylinder, the centre of a sphere
    std::vector<Chain> edges;  // one closed chain for PLANE and CYLINDER
    std::vector<Chain> holes;
    int cad_face = 0;
    std::string kind;       // surface kind of the CAD face
    TopoDS_Face face;
    bool move_nodes = false;  // curved: interior nodes go onto the face after meshing
};

// The refinement coefficient of every subregion unless one is given. With
// the hole arcs cut into whole steps, plates with holes keep a scaled
// Jacobian above 0.3 around the holes from sizes of a quarter of the hole
// radius to about 0.7 of it.
constexpr double kDefaultRef = 0.2;

struct ModelSettings {
    double size = 0;             // the step of every curve
    double ref = -1;             // refinement coefficient of every subregion; negative: the defaults below
    double curve_tolerance = 0;  // largest gap between a smooth curve's polygon and the CAD edge
};

class ModelBuilder {
public:
    ModelBuilder(const PreparedShape& prepared, const ModelSettings& settings);

    // Builds the subregions of every face piece. Returns false with a
    // message naming the CAD face and its surface kind when a face cannot
    // be expressed.
    bool build(std::string& error);

    // The model file's text; the first line is the title.
    std::string model_text(const std::string& title) const;

    const std::vector<ModelPoint>& points() const { return points_; }
    const std::vector<ModelCurve>& curves() const { return curves_; }
    const std::vector<ModelSubregion>& subregions() const { return subregions_; }

private:
    int point_of_vertex(const TopoDS_Vertex& v);
    int new_point(const gp_Pnt& p);
    int add_curve(const char* prefix, std::vector<int> points, const gp_Vec& t0, const gp_Vec& t1);
    const std::vector<int>& curves_of_edge(const TopoDS_Edge& edge);
    void add_arc_curves(const TopoDS_Edge& edge, int first, int last, double turn, std::vector<int>& out);
    void add_smooth_curves(const TopoDS_Edge& edge, int first, int last, std::vector<int>& out);
    bool chain_of_wire(const TopoDS_Face& face, const TopoDS_Shape& wire, Chain& chain, std::string& why);
    bool add_piece(const CadFace& cad, const TopoDS_Face& piece, const std::string& name, std::string& error);

    const PreparedShape& prepared_;
    ModelSettings settings_;
    TopTools_IndexedMapOfShape vertices_, edges_;
    std::map<int, int> point_of_vertex_;
    std::map<int, std::vector<int>> curves_of_edge_;
    std::vector<ModelPoint> points_;
    std::vector<ModelCurve> curves_;
    std::vector<ModelSubregion> subregions_;
};

// The edges of a curved subregion from its closed chain of curves: split at
// the joints where the boundary turns most, two to four of them.
std::vector<Chain> edges_at_corners(const Chain& loop, const std::vector<ModelCurve>& curves, bool want_four);

}  // namespace korvex::cad
