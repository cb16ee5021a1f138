#include "cad/shape_preparation.h"

#include <algorithm>
#include <cmath>

#include <BRepAdaptor_Surface.hxx>
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
#include <TopoDS_Wire.hxx>

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
// the first surface parameter.
class SplitAtValues : public ShapeUpgrade_SplitSurface {
public:
    explicit SplitAtValues(std::vector<double> u) : u_(std::move(u)) {}
    void Compute(const Standard_Boolean) override {
        Handle(TColStd_HSequenceOfReal) values = new TColStd_HSequenceOfReal;
        for (double u : u_) values->Append(u);
        SetUSplitValues(values);
    }

private:
    std::vector<double> u_;
};

// A curved face with openings (a branch meeting a tube) is cut along the
// line of constant first parameter through the middle of each opening, so
// that every piece has one boundary. The cuts of shared edges go into the
// context, which carries them to the neighbouring faces.
TopoDS_Shape cut_openings(const TopoDS_Shape& shape, const Handle(ShapeBuild_ReShape)& context) {
    TopTools_IndexedMapOfShape faces;
    TopExp::MapShapes(shape, TopAbs_FACE, faces);
    for (int i = 1; i <= faces.Extent(); ++i) {
        const TopoDS_Face face = TopoDS::Face(faces(i));
        if (BRepAdaptor_Surface(face, false).GetType() == GeomAbs_Plane) continue;
        const TopoDS_Wire outer = BRepTools::OuterWire(face);
        std::vector<double> cuts;
        for (TopExp_Explorer ex(face, TopAbs_WIRE); ex.More(); ex.Next()) {
            if (ex.Current().IsSame(outer)) continue;
            double u0 = 0, u1 = 0, v0 = 0, v1 = 0;
            BRepTools::UVBounds(face, TopoDS::Wire(ex.Current()), u0, u1, v0, v1);
            cuts.push_back(0.5 * (u0 + u1));
        }
        if (cuts.empty()) continue;
        std::sort(cuts.begin(), cuts.end());
        ShapeUpgrade_FaceDivide divide(face);
        divide.SetSplitSurfaceTool(new SplitAtValues(cuts));
        divide.SetContext(context);
        if (divide.Perform()) context->Replace(face, divide.Result());
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
        prepared.shape = cut_openings(angle.Result(), openings);

        for (int i = 1; i <= cad_faces.Extent(); ++i) {
            CadFace face;
            face.number = i;
            face.kind = surface_kind(TopoDS::Face(cad_faces(i)));
            TopoDS_Shape now = cad_faces(i);
            if (sewing.IsModified(now)) now = sewing.Modified(now);
            const TopoDS_Shape after_closed = closed.GetContext()->Apply(now);
            const TopoDS_Shape after_angle = angle.GetContext()->Apply(after_closed);
            const TopoDS_Shape after_openings = openings->Apply(after_angle);
            collect_faces(after_openings, face.pieces);
            if (face.pieces.size() > 1) {
                std::vector<std::string> reasons;
                if (!after_closed.IsSame(now)) reasons.push_back("closed surface");
                if (count_faces(after_angle) > count_faces(after_closed)) reasons.push_back("wider than a quarter turn");
                if (count_faces(after_openings) > count_faces(after_angle)) reasons.push_back("opening in a curved face");
                for (const std::string& r : reasons) face.split_reason += (face.split_reason.empty() ? "" : ", ") + r;
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
