// Plates whose generator output holds an inverted or degenerate element: the
// plane mesher repairs it before merging, by moving free nodes or, where the
// element's nodes are all fixed, by re-pairing it with its neighbours.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "meshed_model.h"

namespace korvex::test {
namespace {

TEST(ElementValidity, SharpCornersAreRepairedBeforeMerging) {
    const struct {
        const char* model;
        const char* repaired;
    } cases[] = {
        {"plane_sharp_corner.sur", " Subregion R1: 1 of 1 inverted or degenerate elements repaired.\n"},
        {"plane_two_plates_sharp_corner.sur", " Subregion R2: 1 of 1 inverted or degenerate elements repaired.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const Meshed r = mesh_test_model(c.model);
        expect_valid_plane_mesh(r, {0, 0, 1}, 0);
        EXPECT_NE(r.log.find(c.repaired), std::string::npos) << r.log;
    }
}

// A plate with an internal point at (px, py); with a sharp corner, the
// corner's angle is `angle` degrees at the origin between two 10-long edges.
std::string plate_with_point(double angle, double px, double py) {
    const double r = angle * 3.14159265358979323846 / 180.0;
    std::string text = "Plate with a point by a corner\nSTEP CONSTANT\nPOINTS\nP1 0 0 0\n";
    if (angle == 90.0) {
        text += "P2 10 0 0\nP3 10 10 0\nP4 0 10 0\n";
    } else {
        text += "P2 10 0 0\nP3 " + num(12 * std::cos(r / 2)) + " " + num(12 * std::sin(r / 2)) + " 0\nP4 " +
                num(10 * std::cos(r)) + " " + num(10 * std::sin(r)) + " 0\n";
    }
    if (px >= 0) text += "PINT1 " + num(px) + " " + num(py) + " 0\n";
    return text + "CURVES\nQL1 P1 P2 STEP 1\nQL2 P2 P3 STEP 1\nQL3 P3 P4 STEP 1\nQL4 P4 P1 STEP 1\n"
                  "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nEND\n";
}

TEST(ElementValidity, ElementsOfFixedNodesAreRePairedWithTheirNeighbours) {
    // The internal point lies inside the triangle of a corner and its two
    // boundary neighbours: no node of the corner element can move, so the
    // corner is joined to the point and the elements around it re-paired.
    const Meshed shipped = mesh_test_model("plane_internal_point_near_corner.sur");
    expect_valid_plane_mesh(shipped, {0, 0, 1}, 0);
    EXPECT_NE(shipped.log.find(" Subregion R1: 1 of 1 inverted or degenerate elements repaired.\n"),
              std::string::npos) << shipped.log;

    const double d30 = 30 * 3.14159265358979323846 / 180, d20 = 20 * 3.14159265358979323846 / 180;
    const struct {
        double angle, px, py;  // px < 0: no internal point
    } cases[] = {
        {90, 0.2, 9.9},  {90, 0.7, 9.8},  {90, 0.5, 9.5},  {90, 0.2, 9.3},  // in a right-angled corner's triangle
        {10, -1, 0},     {20, -1, 0},     {30, -1, 0},                      // sharp corners alone
        {10, 1.0 * std::cos(d30 / 6), 1.0 * std::sin(d30 / 6)},              // and with a point near them
        {20, 0.8 * std::cos(d20 / 2), 0.8 * std::sin(d20 / 2)},
        {30, 0.5 * std::cos(d30 / 2), 0.5 * std::sin(d30 / 2)},
        {30, 0.8 * std::cos(d30 / 2), 0.8 * std::sin(d30 / 2)},
        {30, 1.2 * std::cos(d30 / 5), 1.2 * std::sin(d30 / 5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plate_with_point(c.angle, c.px, c.py));
        const TempDir dir("validity");
        write_file(dir.path() / "plate.sur", plate_with_point(c.angle, c.px, c.py));
        expect_valid_plane_mesh(mesh_model(dir.path() / "plate.sur"), {0, 0, 1}, 0);
    }
}

}  // namespace
}  // namespace korvex::test
