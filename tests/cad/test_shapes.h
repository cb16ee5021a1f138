// CAD parts built with OpenCASCADE for the tests of the CAD front end and the
// example parts: each a shape, what its mesh must show, and a STEP writer.
#pragma once

#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

namespace korvex::test {

struct TestPart {
    std::string name;
    TopoDS_Shape shape;
    double size = 0;         // element size of the test
    int boundary_loops = 0;  // free-boundary loops of the part (0: closed skin)
};

TopoDS_Shape plate_with_bolt_holes();       // 160 x 100, four holes of diameter 16
TopoDS_Shape plate_with_elliptic_holes();   // 90 x 40, three holes whose circles are written as ellipses
TopoDS_Shape flanges_sharing_an_edge();     // two plates at right angles, one edge in common
TopoDS_Shape filleted_box();                // 40 x 30 x 20 box skin, every edge rounded (radius 5)
TopoDS_Shape pressure_vessel();             // cylinder R 10, length 30, hemispherical heads
TopoDS_Shape revolved_nozzle();             // flange, cone and throat revolved about z
TopoDS_Shape spline_panel();                // B-spline panel over 60 x 40
TopoDS_Shape wavy_spline_panel();           // over 60 x 40, every side curved, two of them S-shaped
TopoDS_Shape l_spline_panel();              // the spline panel less its corner [40, 60] x [25, 40]: six corners
TopoDS_Shape stepped_spline_panel();        // the spline panel less two steps: eight corners, two of them inward
TopoDS_Shape unsewn_box();                  // six separate faces of a 20 x 20 x 10 box
TopoDS_Shape torus_ring();                  // torus, radii 20 and 5: one face closed both ways
TopoDS_Shape branch_tee();                  // tube R 10 with a branch R 4 at 45 degrees, one closed solid

// The parts of the tests, each with its element size and loop count.
std::vector<TestPart> test_parts();

// Writes the shape as STEP; false when the writer fails.
bool write_step(const TopoDS_Shape& shape, const std::string& path);

}  // namespace korvex::test
