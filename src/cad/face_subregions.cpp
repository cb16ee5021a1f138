// Face pieces as subregions: the type from the surface, the boundary from the
// wires, the edges of curved pieces from the corners of their boundary.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include <BRepAdaptor_Surface.hxx>
#include <BRepTools.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Tool.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Wire.hxx>

#include "cad/model_builder.h"

namespace korvex::cad {

namespace {

// A joint where the boundary turns by more than this is a corner.
constexpr double kCornerTurn = 25.0 * M_PI / 180.0;

std::string number_text(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.12g", std::abs(v) < 1e-13 ? 0.0 : v);
    return text;
}

double angle_with_axis(double cosine) {
    return std::acos(std::clamp(cosine, -1.0, 1.0)) * 180.0 / M_PI;
}

// Turn of the boundary from curve a into curve b, in radians.
double turn_between(const ChainCurve& a, const ChainCurve& b, const std::vector<ModelCurve>& curves) {
    gp_Vec out = a.reversed ? -curves[a.curve].start_tangent : curves[a.curve].end_tangent;
    gp_Vec in = b.reversed ? -curves[b.curve].end_tangent : curves[b.curve].start_tangent;
    if (out.Magnitude() == 0 || in.Magnitude() == 0) return M_PI;
    return out.Angle(in);
}

}  // namespace

std::vector<Chain> edges_at_corners(const Chain& loop, const std::vector<ModelCurve>& curves, bool want_four) {
    const std::size_t n = loop.size();
    std::vector<std::pair<double, std::size_t>> turns;  // joint k: after curve k
    for (std::size_t k = 0; k < n; ++k) turns.emplace_back(turn_between(loop[k], loop[(k + 1) % n], curves), k);
    std::vector<std::size_t> corners;
    for (const auto& [turn, k] : turns)
        if (turn > kCornerTurn) corners.push_back(k);
    const bool usable = want_four ? corners.size() == 4 : corners.size() >= 2 && corners.size() <= 4;
    if (!usable) {
        corners.clear();
        if (n <= 4) {
            for (std::size_t k = 0; k < n; ++k) corners.push_back(k);
        } else {
            std::stable_sort(turns.begin(), turns.end(), [](auto& a, auto& b) { return a.first > b.first; });
            for (std::size_t k = 0; k < 4; ++k) corners.push_back(turns[k].second);
            std::sort(corners.begin(), corners.end());
        }
    }
    std::vector<Chain> edges;
    for (std::size_t c = 0; c < corners.size(); ++c) {
        Chain edge;
        const std::size_t from = corners[c] + 1, to = corners[(c + 1) % corners.size()] + 1;
        for (std::size_t k = from; k != to + (to <= from ? n : 0); ++k) edge.push_back(loop[k % n]);
        edges.push_back(edge);
    }
    return edges;
}

bool ModelBuilder::chain_of_wire(const TopoDS_Face& face, const TopoDS_Shape& wire, Chain& chain, std::string& why) {
    std::set<int> seen;
    for (BRepTools_WireExplorer ex(TopoDS::Wire(wire), face); ex.More(); ex.Next()) {
        const TopoDS_Edge& edge = ex.Current();
        if (BRep_Tool::Degenerated(edge)) continue;
        if (!seen.insert(edges_.FindIndex(edge)).second) {
            why = "its boundary runs twice along one edge (a seam)";
            return false;
        }
        const std::vector<int>& list = curves_of_edge(edge);
        const bool reversed = edge.Orientation() == TopAbs_REVERSED;
        for (std::size_t k = 0; k < list.size(); ++k)
            chain.push_back(ChainCurve{list[reversed ? list.size() - 1 - k : k], reversed});
    }
    if (chain.empty()) why = "it has a boundary without edges";
    return !chain.empty();
}

bool ModelBuilder::add_piece(const CadFace& cad, const TopoDS_Face& piece, const std::string& name, std::string& error) {
    ModelSubregion s;
    s.name = name;
    s.cad_face = cad.number;
    s.kind = cad.kind;
    s.face = piece;
    const auto fail = [&](const std::string& why) {
        error = std::string("CAD face ") + std::to_string(cad.number) + " (" + cad.kind + ") cannot be expressed: " + why;
        return false;
    };
    const TopoDS_Wire outer = BRepTools::OuterWire(piece);
    if (outer.IsNull()) return fail("it has no outer boundary");
    Chain loop;
    std::string why;
    if (!chain_of_wire(piece, outer, loop, why)) return fail(why);
    for (TopExp_Explorer ex(piece, TopAbs_WIRE); ex.More(); ex.Next()) {
        if (ex.Current().IsSame(outer)) continue;
        Chain hole;
        if (!chain_of_wire(piece, ex.Current(), hole, why)) return fail(why);
        s.holes.push_back(hole);
    }
    const BRepAdaptor_Surface surface(piece, false);
    const GeomAbs_SurfaceType type = surface.GetType();
    if (type != GeomAbs_Plane && !s.holes.empty()) return fail("a curved face with an opening is not supported");
    if (type == GeomAbs_Plane || type == GeomAbs_Cylinder) {
        if (loop.size() < 2) return fail("its boundary is a single curve");
        s.edges.push_back(loop);
        s.type = type == GeomAbs_Plane ? "PLANE" : "CYLINDER";
        if (type == GeomAbs_Cylinder) {
            const gp_Dir axis = surface.Cylinder().Axis().Direction();
            s.parameters = std::string("ANGLEX ") + number_text(angle_with_axis(axis.X())) + std::string(" ANGLEY ") +
                           number_text(angle_with_axis(axis.Y())) + std::string(" ANGLEZ ") + number_text(angle_with_axis(axis.Z()));
        }
    } else {
        // A torus piece is bounded by arcs on both pairs of sides, which the
        // REV mesher does not take: it is meshed untyped and moved onto the face.
        const bool rev = type == GeomAbs_Cone || type == GeomAbs_SurfaceOfRevolution;
        s.edges = edges_at_corners(loop, curves_, rev);
        if (s.edges.size() < 2) return fail("its boundary has fewer than two edges");
        if (type == GeomAbs_Sphere) {
            const gp_Pnt c = surface.Sphere().Location();
            s.type = "SPHERE";
            s.parameters = std::string("XC ") + number_text(c.X()) + std::string(" YC ") + number_text(c.Y()) + std::string(" ZC ") + number_text(c.Z());
        } else {
            s.type = rev && s.edges.size() == 4 ? "REV" : "";
            s.move_nodes = true;
        }
    }
    // The typed meshers of curved pieces place interior nodes on a surface
    // of their own making, which strays from the CAD face by up to a few
    // thousandths of the element size where a boundary is not a circle (a
    // branch's saddle curve): every curved piece gets its nodes moved.
    s.move_nodes = type != GeomAbs_Plane;
    subregions_.push_back(s);
    return true;
}

bool ModelBuilder::build(std::string& error) {
    for (const CadFace& cad : prepared_.faces) {
        for (std::size_t k = 0; k < cad.pieces.size(); ++k) {
            std::string name = numbered("R", static_cast<std::size_t>(cad.number));
            if (cad.pieces.size() > 1) name += numbered("_", k + 1);
            if (name.size() > 8) {
                error = std::string("CAD face ") + std::to_string(cad.number) + ": too many faces for subregion names of 8 characters";
                return false;
            }
            if (!add_piece(cad, cad.pieces[k], name, error)) return false;
        }
    }
    if (subregions_.empty()) {
        error = "the shape has no faces";
        return false;
    }
    return true;
}

}  // namespace korvex::cad
