#include "cad/shape_preparation.h"

#include <algorithm>
#include <cmath>

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_Sewing.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <BRepTools.hxx>
#include <ShapeBuild_ReShape.hxx>
#include <ShapeUpgrade_FaceDivide.hxx>
#include <ShapeUpgrade_SplitSurface.hxx>
#include <TColStd_HSequenceOfReal.hxx>
#include <ShapeUpgrade_ShapeDivideAngle.hxx>
#include <ShapeUpgrade_ShapeDivideClosed.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Pnt2d.hxx>

namespace korvex::cad {

namespace {

// Curved faces are cut into pieces of at most this angle about their axis:
// every piece is then bounded by arcs of at most a quarter turn.
constexpr double kMaxPieceAngle = M_PI / 2;

double diagonal_of(const TopoDS_Shape& shape) {
    Bnd_Box box;
    BRepBndLib::Add(shape, box);
    if (box.IsVoid()) return 0;
    return std::sqrt(box.SquareExtent());
}

int count_free_edges(const TopoDS_Shape& shape) {
    TopTools_IndexedDataMapOfShapeListOfShape faces_of_edge;
    TopExp::MapShapesAndAncestors(shape, TopAbs_EDGE, TopAbs_FACE, faces_of_edge);
    int free = 0;
    for (int i = 1; i <= faces_of_edge.Extent(); ++i)
        if (faces_of_edge(i).Extent() == 1 && !BRep_Tool::Degenerated(TopoDS::Edge(faces_of_edge.FindKey(i)))) ++free;
    return free;
}

int count_faces(const TopoDS_Shape& shape) {
    TopTools_IndexedMapOfShape map;
    TopExp::MapShapes(shape, TopAbs_FACE, map);
    return map.Extent();
}

void collect_faces(const TopoDS_Shape& shape, std::vector<TopoDS_Face>& faces) {
    TopTools_IndexedMapOfShape map;
    TopExp::MapShapes(shape, TopAbs_FACE, map);
    for (int i = 1; i <= map.Extent(); ++i) faces.push_back(TopoDS::Face(map(i)));
}

// OpenCASCADE's surface splitter, told where to cut: at the given values of
// the two surface parameters.
class SplitAtValues : public ShapeUpgrade_SplitSurface {
public:
    SplitAtValues(std::vector<double> u, std::vector<double> v) : u_(std::move(u)), v_(std::move(v)) {}
    void Compute(const Standard_Boolean) override {
        Handle(TColStd_HSequenceOfReal) us = new TColStd_HSequenceOfReal, vs = new TColStd_HSequenceOfReal;
        for (double u : u_) us->Append(u);
        for (double v : v_) vs->Append(v);
        if (!u_.empty()) SetUSplitValues(us);
        if (!v_.empty()) SetVSplitValues(vs);
    }

private:
    std::vector<double> u_, v_;
};

// A corner is a joint of the boundary that turns by more than this.
constexpr double kCornerTurn = 25.0 * M_PI / 180.0;
// Rounds of corner cuts at most: each round cuts every piece that still has
// more than four corners once, and each clean cut removes an inward corner.
constexpr int kMaxCornerRounds = 8;

struct Corner {
    gp_Pnt2d uv;
    bool inward = false;  // the boundary turns inwards there (a re-entrant corner)
};

// The corners of the face's outer boundary, in boundary order.
std::vector<Corner> corners_of(const TopoDS_Face& face) {
    std::vector<gp_Vec> start, end;  // unit tangents along the boundary at each edge's ends
    std::vector<TopoDS_Vertex> first;
    for (BRepTools_WireExplorer ex(BRepTools::OuterWire(face), face); ex.More(); ex.Next()) {
        if (BRep_Tool::Degenerated(ex.Current())) continue;
        const BRepAdaptor_Curve c(ex.Current());
        gp_Pnt p;
        gp_Vec a, b;
        c.D1(c.FirstParameter(), p, a);
        c.D1(c.LastParameter(), p, b);
        if (ex.Current().Orientation() == TopAbs_REVERSED) {
            const gp_Vec t = a;
            a = -b;
            b = -t;
        }
        start.push_back(a);
        end.push_back(b);
        first.push_back(ex.CurrentVertex());
    }
    const BRepAdaptor_Surface surface(face);
    std::vector<Corner> corners;
    for (std::size_t k = 0; k < start.size(); ++k) {
        const gp_Vec& out = end[k];
        const gp_Vec& in = start[(k + 1) % start.size()];
        if (out.Magnitude() == 0 || in.Magnitude() == 0 || out.Angle(in) <= kCornerTurn) continue;
        Corner corner;
        corner.uv = BRep_Tool::Parameters(first[(k + 1) % start.size()], face);
        gp_Pnt p;
        gp_Vec du, dv;
        surface.D1(corner.uv.X(), corner.uv.Y(), p, du, dv);
        gp_Vec normal = du.Crossed(dv);
        if (face.Orientation() == TopAbs_REVERSED) normal.Reverse();
        corner.inward = out.Crossed(in).Dot(normal) < 0;
        corners.push_back(corner);
    }
    return corners;
}

bool is_free_form(GeomAbs_SurfaceType type) {
    return type != GeomAbs_Plane && type != GeomAbs_Cylinder && type != GeomAbs_Sphere && type != GeomAbs_Cone &&
           type != GeomAbs_SurfaceOfRevolution;
}

// The face divided along lines of constant parameter, the cuts of shared
// edges recorded in the context; null when the division fails.
TopoDS_Shape divide(const TopoDS_Face& face, const std::vector<double>& u, const std::vector<double>& v,
                    const Handle(ShapeBuild_ReShape)& context) {
    ShapeUpgrade_FaceDivide division(face);
    division.SetSplitSurfaceTool(new SplitAtValues(u, v));
    division.SetContext(context);
    return division.Perform() ? division.Result() : TopoDS_Shape();
}

// Two pieces or more, each with one boundary and fewer corners than the face had.
bool divides_cleanly(const TopoDS_Shape& division, std::size_t corners) {
    if (division.IsNull()) return false;
    std::vector<TopoDS_Face> pieces;
    collect_faces(division, pieces);
    if (pieces.size() < 2) return false;
    for (const TopoDS_Face& piece : pieces) {
        int wires = 0;
        for (TopExp_Explorer ex(piece, TopAbs_WIRE); ex.More(); ex.Next()) ++wires;
        if (wires != 1 || corners_of(piece).size() >= corners) return false;
    }
    return true;
}

// One cut of a free-form face (meshed with two to four edges) that has more
// than four corners: the first line of constant parameter through an inward
// corner that divides it cleanly (an L-shaped panel becomes two
// four-cornered pieces; a notch in a side is cut off along its sides); on
// the first round, a face with no inward corner is cut through the middle.
// Null when the face is not cut.
TopoDS_Shape cut_at_a_corner(const TopoDS_Face& face, bool first_round, const Handle(ShapeBuild_ReShape)& context) {
    const std::vector<Corner> corners = corners_of(face);
    if (corners.size() <= 4) return {};
    bool inward = false;
    for (const Corner& c : corners) {
        if (!c.inward) continue;
        inward = true;
        for (const bool along_v : {true, false}) {
            const std::vector<double> u = along_v ? std::vector<double>{c.uv.X()} : std::vector<double>{};
            const std::vector<double> v = along_v ? std::vector<double>{} : std::vector<double>{c.uv.Y()};
            if (divides_cleanly(divide(face, u, v, new ShapeBuild_ReShape), corners.size()))
                return divide(face, u, v, context);
        }
    }
    if (inward || !first_round) return {};
    double u0 = 0, u1 = 0, v0 = 0, v1 = 0;
    BRepTools::UVBounds(face, u0, u1, v0, v1);
    return divide(face, {0.5 * (u0 + u1)}, {}, context);
}

// One round of corner cuts over the shape's free-form faces; false when no
// face was cut.
bool cut_at_corners(const TopoDS_Shape& shape, bool first_round, const Handle(ShapeBuild_ReShape)& context) {
    TopTools_IndexedMapOfShape faces;
    TopExp::MapShapes(shape, TopAbs_FACE, faces);
    bool cut = false;
    for (int i = 1; i <= faces.Extent(); ++i) {
        const TopoDS_Face face = TopoDS::Face(faces(i));
        if (!is_free_form(BRepAdaptor_Surface(face, false).GetType())) continue;
        const TopoDS_Shape pieces = cut_at_a_corner(face, first_round, context);
        if (pieces.IsNull()) continue;
        context->Replace(face, pieces);
        cut = true;
    }
    return cut;
}

// The cuts of one face beyond those of the angle division: the line of
// constant first parameter through the middle of each opening of a curved
// face (so that every piece has one boundary), and for a torus the tube's
// circle into quarter turns (the angle division cuts only around the axis).
void cuts_of_face(const TopoDS_Face& face, GeomAbs_SurfaceType type, std::vector<double>& u, std::vector<double>& v) {
    const TopoDS_Wire outer = BRepTools::OuterWire(face);
    for (TopExp_Explorer ex(face, TopAbs_WIRE); ex.More(); ex.Next()) {
        if (ex.Current().IsSame(outer)) continue;
        double u0 = 0, u1 = 0, v0 = 0, v1 = 0;
        BRepTools::UVBounds(face, TopoDS::Wire(ex.Current()), u0, u1, v0, v1);
        u.push_back(0.5 * (u0 + u1));
    }
    if (type == GeomAbs_Torus) {
        double u0 = 0, u1 = 0, v0 = 0, v1 = 0;
        BRepTools::UVBounds(face, u0, u1, v0, v1);
        const int pieces = static_cast<int>(std::ceil((v1 - v0) / kMaxPieceAngle - 1e-9));
        for (int k = 1; k < pieces; ++k) v.push_back(v0 + (v1 - v0) * k / pieces);
    }
    std::sort(u.begin(), u.end());
}

// Makes the cuts of cuts_of_face. The cuts of shared edges go into the
// context, which carries them to the neighbouring faces.
TopoDS_Shape cut_further(const TopoDS_Shape& shape, const Handle(ShapeBuild_ReShape)& context) {
    TopTools_IndexedMapOfShape faces;
    TopExp::MapShapes(shape, TopAbs_FACE, faces);
    for (int i = 1; i <= faces.Extent(); ++i) {
        const TopoDS_Face face = TopoDS::Face(faces(i));
        const GeomAbs_SurfaceType type = BRepAdaptor_Surface(face, false).GetType();
        if (type == GeomAbs_Plane) continue;
        std::vector<double> u, v;
        cuts_of_face(face, type, u, v);
        if (u.empty() && v.empty()) continue;
        const TopoDS_Shape pieces = divide(face, u, v, context);
        if (!pieces.IsNull()) context->Replace(face, pieces);
    }
    return context->Apply(shape);
}

}  // namespace

std::string surface_kind(const TopoDS_Face& face) {
    switch (BRepAdaptor_Surface(face, false).GetType()) {
    case GeomAbs_Plane: return "plane";
    case GeomAbs_Cylinder: return "cylinder";
    case GeomAbs_Cone: return "cone";
    case GeomAbs_Sphere: return "sphere";
    case GeomAbs_Torus: return "torus";
    case GeomAbs_BezierSurface: return "Bezier surface";
    case GeomAbs_BSplineSurface: return "B-spline surface";
    case GeomAbs_SurfaceOfRevolution: return "surface of revolution";
    case GeomAbs_SurfaceOfExtrusion: return "surface of extrusion";
    case GeomAbs_OffsetSurface: return "offset surface";
    default: return "other surface";
    }
}

bool prepare_shape(const TopoDS_Shape& read, double sew_tolerance, PreparedShape& prepared, std::string& error) {
    TopTools_IndexedMapOfShape cad_faces;
    TopExp::MapShapes(read, TopAbs_FACE, cad_faces);
    if (cad_faces.Extent() == 0) {
        error = "the shape has no faces";
        return false;
    }
    prepared.diagonal = diagonal_of(read);
    const double tolerance = sew_tolerance > 0 ? sew_tolerance : 1e-6 * prepared.diagonal;
    try {
        BRepBuilderAPI_Sewing sewing(tolerance);
        for (int i = 1; i <= cad_faces.Extent(); ++i) sewing.Add(cad_faces(i));
        sewing.Perform();
        const TopoDS_Shape sewn = sewing.SewedShape();
        prepared.free_edge_count = count_free_edges(sewn);

        // Closed faces (a whole cylinder, a sphere, a torus) are cut open
        // first, then every curved face into pieces of at most a quarter turn.
        ShapeUpgrade_ShapeDivideClosed closed(sewn);
        closed.SetNbSplitPoints(1);
        closed.Perform();
        const TopoDS_Shape opened = closed.Result();
        ShapeUpgrade_ShapeDivideAngle angle(kMaxPieceAngle, opened);
        angle.Perform();
        const Handle(ShapeBuild_ReShape) openings = new ShapeBuild_ReShape;
        TopoDS_Shape shape = cut_further(angle.Result(), openings);
        std::vector<Handle(ShapeBuild_ReShape)> corner_rounds;
        for (int round = 0; round < kMaxCornerRounds; ++round) {
            const Handle(ShapeBuild_ReShape) context = new ShapeBuild_ReShape;
            if (!cut_at_corners(shape, round == 0, context)) break;
            shape = context->Apply(shape);
            corner_rounds.push_back(context);
        }
        prepared.shape = shape;

        for (int i = 1; i <= cad_faces.Extent(); ++i) {
            CadFace face;
            face.number = i;
            face.kind = surface_kind(TopoDS::Face(cad_faces(i)));
            TopoDS_Shape now = cad_faces(i);
            if (sewing.IsModified(now)) now = sewing.Modified(now);
            const TopoDS_Shape after_closed = closed.GetContext()->Apply(now);
            const TopoDS_Shape after_angle = angle.GetContext()->Apply(after_closed);
            const TopoDS_Shape after_openings = openings->Apply(after_angle);
            TopoDS_Shape after_corners = after_openings;
            for (const Handle(ShapeBuild_ReShape)& round : corner_rounds) after_corners = round->Apply(after_corners);
            collect_faces(after_corners, face.pieces);
            if (face.pieces.size() > 1) {
                std::vector<std::string> reasons;
                if (!after_closed.IsSame(now)) reasons.push_back("closed surface");
                if (count_faces(after_angle) > count_faces(after_closed)) reasons.push_back("wider than a quarter turn");
                if (count_faces(after_openings) > count_faces(after_angle)) reasons.push_back("opening or torus tube");
                if (count_faces(after_corners) > count_faces(after_openings)) reasons.push_back("more than four corners");
                for (const std::string& r : reasons) {
                    if (!face.split_reason.empty()) face.split_reason += ", ";
                    face.split_reason += r;
                }
            }
            prepared.faces.push_back(face);
        }
    } catch (const Standard_Failure& failure) {
        error = std::string("sewing or cutting the faces failed (") + failure.GetMessageString() + ")";
        return false;
    }
    return true;
}

}  // namespace korvex::cad
