#include "test_shapes.h"

#include <cmath>

#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepFilletAPI_MakeFillet.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <BRepPrimAPI_MakeSphere.hxx>
#include <BRepPrimAPI_MakeTorus.hxx>
#include <BRepPrim_Cylinder.hxx>
#include <BRepPrim_Sphere.hxx>
#include <BRep_Builder.hxx>
#include <GeomAPI_PointsToBSplineSurface.hxx>
#include <Geom_BSplineSurface.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <STEPControl_Writer.hxx>
#include <TColgp_Array2OfPnt.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Circ.hxx>
#include <gp_Elips.hxx>

// Under LeakSanitizer (the sanitized test build): the memory OpenCASCADE's
// libraries keep until the process ends (static tables, handles) is not a
// leak of ours.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() { return "leak:libTK\n"; }

namespace korvex::test {

namespace {

TopoDS_Wire polygon(std::initializer_list<gp_Pnt> points) {
    BRepBuilderAPI_MakePolygon p;
    for (const gp_Pnt& q : points) p.Add(q);
    p.Close();
    return p.Wire();
}

TopoDS_Face flat(std::initializer_list<gp_Pnt> points) { return BRepBuilderAPI_MakeFace(polygon(points)).Face(); }

TopoDS_Compound compound(std::initializer_list<TopoDS_Shape> shapes) {
    BRep_Builder b;
    TopoDS_Compound c;
    b.MakeCompound(c);
    for (const TopoDS_Shape& s : shapes) b.Add(c, s);
    return c;
}

}  // namespace

TopoDS_Shape plate_with_bolt_holes() {
    BRepBuilderAPI_MakeFace face(polygon({{0, 0, 0}, {160, 0, 0}, {160, 100, 0}, {0, 100, 0}}));
    for (const auto& [x, y] : {std::pair{20.0, 20.0}, {140.0, 20.0}, {140.0, 80.0}, {20.0, 80.0}}) {
        const gp_Circ circle(gp_Ax2(gp_Pnt(x, y, 0), gp::DZ()), 8);
        const TopoDS_Wire hole = BRepBuilderAPI_MakeWire(BRepBuilderAPI_MakeEdge(circle).Edge()).Wire();
        face.Add(TopoDS::Wire(hole.Reversed()));
    }
    return face.Face();
}

TopoDS_Shape plate_with_elliptic_holes() {
    BRepBuilderAPI_MakeFace face(polygon({{0, 0, 0}, {90, 0, 0}, {90, 40, 0}, {0, 40, 0}}));
    for (const double x : {20.0, 45.0, 70.0}) {
        const gp_Elips circle(gp_Ax2(gp_Pnt(x, 20, 0), gp::DZ()), 6, 6);
        const TopoDS_Wire hole = BRepBuilderAPI_MakeWire(BRepBuilderAPI_MakeEdge(circle).Edge()).Wire();
        face.Add(TopoDS::Wire(hole.Reversed()));
    }
    return face.Face();
}

TopoDS_Shape flanges_sharing_an_edge() {
    return compound({flat({{0, 0, 0}, {80, 0, 0}, {80, 30, 0}, {0, 30, 0}}),
                     flat({{0, 30, 0}, {80, 30, 0}, {80, 30, 25}, {0, 30, 25}})});
}

TopoDS_Shape filleted_box() {
    BRepPrimAPI_MakeBox box(40, 30, 20);
    BRepFilletAPI_MakeFillet fillet(box.Shape());
    for (TopExp_Explorer ex(box.Shape(), TopAbs_EDGE); ex.More(); ex.Next()) fillet.Add(5, TopoDS::Edge(ex.Current()));
    return fillet.Shape();
}

TopoDS_Shape pressure_vessel() {
    BRepPrimAPI_MakeCylinder cylinder(10, 30);
    BRepPrimAPI_MakeSphere bottom(gp_Pnt(0, 0, 0), 10, -M_PI / 2, 0);
    BRepPrimAPI_MakeSphere top(gp_Pnt(0, 0, 30), 10, 0, M_PI / 2);
    return compound({cylinder.Cylinder().LateralFace(), bottom.Sphere().LateralFace(), top.Sphere().LateralFace()});
}

TopoDS_Shape revolved_nozzle() {
    BRepBuilderAPI_MakePolygon profile;
    for (const gp_Pnt& p : {gp_Pnt(30, 0, 0), gp_Pnt(15, 0, 0), gp_Pnt(8, 0, 20), gp_Pnt(8, 0, 35)}) profile.Add(p);
    return BRepPrimAPI_MakeRevol(profile.Wire(), gp_Ax1(gp_Pnt(0, 0, 0), gp::DZ()), 2 * M_PI).Shape();
}

TopoDS_Shape spline_panel() {
    TColgp_Array2OfPnt grid(1, 6, 1, 5);
    for (int i = 1; i <= 6; ++i)
        for (int j = 1; j <= 5; ++j) {
            const double x = 12.0 * (i - 1), y = 10.0 * (j - 1);
            grid.SetValue(i, j, gp_Pnt(x, y, 6 * std::sin(x / 60 * M_PI) * std::cos(y / 80 * M_PI)));
        }
    const Handle(Geom_BSplineSurface) surface = GeomAPI_PointsToBSplineSurface(grid).Surface();
    return BRepBuilderAPI_MakeFace(surface, 1e-7).Face();
}

TopoDS_Shape wavy_spline_panel() {
    TColgp_Array2OfPnt grid(1, 9, 1, 9);
    for (int i = 1; i <= 9; ++i)
        for (int j = 1; j <= 9; ++j) {
            const double x = 7.5 * (i - 1), y = 5.0 * (j - 1);
            grid.SetValue(i, j, gp_Pnt(x, y, 6 * std::sin(x / 60 * M_PI) * std::cos(y / 80 * M_PI) + 1.8 * std::sin(y / 20 * M_PI)));
        }
    return BRepBuilderAPI_MakeFace(GeomAPI_PointsToBSplineSurface(grid).Surface(), 1e-7).Face();
}

TopoDS_Shape l_spline_panel() {
    return BRepAlgoAPI_Cut(spline_panel(), BRepPrimAPI_MakeBox(gp_Pnt(40, 25, -20), gp_Pnt(70, 50, 20)).Shape()).Shape();
}

TopoDS_Shape stepped_spline_panel() {
    const TopoDS_Shape lower = BRepAlgoAPI_Cut(spline_panel(), BRepPrimAPI_MakeBox(gp_Pnt(45, 15, -20), gp_Pnt(70, 50, 20)).Shape()).Shape();
    return BRepAlgoAPI_Cut(lower, BRepPrimAPI_MakeBox(gp_Pnt(30, 28, -20), gp_Pnt(70, 50, 20)).Shape()).Shape();
}

TopoDS_Shape unsewn_box() {
    const gp_Pnt p[8] = {{0, 0, 0}, {20, 0, 0}, {20, 20, 0}, {0, 20, 0}, {0, 0, 10}, {20, 0, 10}, {20, 20, 10}, {0, 20, 10}};
    return compound({flat({p[0], p[3], p[2], p[1]}), flat({p[4], p[5], p[6], p[7]}), flat({p[0], p[1], p[5], p[4]}),
                     flat({p[1], p[2], p[6], p[5]}), flat({p[2], p[3], p[7], p[6]}), flat({p[3], p[0], p[4], p[7]})});
}

TopoDS_Shape torus_ring() { return BRepPrimAPI_MakeTorus(20, 5).Shape(); }

TopoDS_Shape branch_tee() {
    const TopoDS_Shape tube = BRepPrimAPI_MakeCylinder(10, 40).Shape();
    const TopoDS_Shape branch = BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(0, 0, 20), gp_Dir(1, 1, 0)), 4, 20).Shape();
    return BRepAlgoAPI_Fuse(tube, branch).Shape();
}

std::vector<TestPart> test_parts() {
    return {
        {"plate_with_bolt_holes", plate_with_bolt_holes(), 5.0, 5},
        {"plate_with_elliptic_holes", plate_with_elliptic_holes(), 3.0, 4},
        {"flanges", flanges_sharing_an_edge(), 4.0, 1},
        {"filleted_box", filleted_box(), 2.5, 0},
        {"pressure_vessel", pressure_vessel(), 2.0, 0},
        {"revolved_nozzle", revolved_nozzle(), 2.0, 2},
        {"spline_panel", spline_panel(), 3.0, 1},
        {"wavy_spline_panel", wavy_spline_panel(), 3.0, 1},
        {"l_spline_panel", l_spline_panel(), 3.0, 1},
        {"stepped_spline_panel", stepped_spline_panel(), 2.5, 1},
        {"unsewn_box", unsewn_box(), 2.0, 0},
        {"branch_tee", branch_tee(), 2.0, 0},
        {"torus_ring", torus_ring(), 2.0, 0},
    };
}

bool write_step(const TopoDS_Shape& shape, const std::string& path) {
    // The writer's statistics are of no use in test output.
    const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
    if (!messenger.IsNull()) messenger->ChangePrinters().Clear();
    STEPControl_Writer writer;
    if (writer.Transfer(shape, STEPControl_AsIs) != IFSelect_RetDone) return false;
    return writer.Write(path.c_str()) == IFSelect_RetDone;
}

}  // namespace korvex::test
