// Mapping generated '!' node names and element subregion names back to the
// names under which the records were read.
#include <gtest/gtest.h>

#include "assembly_fixture.h"
#include "pipeline/stages.h"

namespace korvex {
namespace {

using assembly_test::add_global_element;
using assembly_test::add_global_node;
using assembly_test::Messages;
using assembly_test::new_patch;

// A transformed two-edged sphere: curve C!000001 read as "CS", point
// P!000002 made for it, subregion R!000003 read as "RS".
korvex::Run sphere_model() {
    korvex::Run run;
    run.nCurves = 2;
    run.curves.ensure(2);
    run.curves[1].name = "QL1";
    run.curves[1].name_original = "QL1";
    run.curves[2].name = "C!000001";
    run.curves[2].name_original = "CS";
    run.nPoints = 1;
    run.points.ensure(1);
    run.points[1].name = "P!000002";
    run.points[1].name_original = "C!000001";
    const int k = new_patch(run, "R!000003", TYPE_SPHERE, 1);
    run.patches[k].original_name = "RS";
    new_patch(run, "R2", TYPE_PLANE, 2);
    run.patches[2].original_name = "RX";
    return run;
}

TEST(NameRestoration, GeneratedNodeNamesTakeReadNames) {
    Messages msg;
    korvex::Run run = sphere_model();
    add_global_node(run, "C!000001", 0, 0);
    add_global_node(run, "P!000002", 1, 0);
    add_global_node(run, "R!000003", 1, 1);
    add_global_node(run, "X!000004", 0, 1);
    add_global_node(run, "QL1", 2, 1);
    ASSERT_EQ(restore_original_names(run), 1);
    EXPECT_TRUE(run.nodes3D[1].name == "CS");
    EXPECT_TRUE(run.nodes3D[2].name == "CS");
    EXPECT_TRUE(run.nodes3D[3].name == "RS");
    EXPECT_TRUE(run.nodes3D[4].name == "X!000004");
    EXPECT_TRUE(run.nodes3D[5].name == "QL1");
    EXPECT_TRUE(msg.has(" Warning: Global node 4 named X!000004\n  has the first letter of the name wrong.\n"
                        "  (Must be R, P, C or Q).\n"));
}

TEST(NameRestoration, MissingOriginalsFail) {
    struct Case {
        const char* node;
        const char* message;
    } cases[] = {
        {"C!000009", " Error in postprocessing of node belonging\n    to dividing curve C!000009: curve not found in "
                     "the global list.\n"},
        {"P!000009", " Error in postprocessing of node belonging\n    to point P!000009: no original 'P!...' point "
                     "found.\n"},
        {"R!000009", " Error in postprocessing of node belonging\n    to subregion R!000009: no original found.\n"},
    };
    for (const auto& c : cases) {
        Messages msg;
        korvex::Run run = sphere_model();
        add_global_node(run, c.node, 0, 0);
        EXPECT_EQ(restore_original_names(run), 0) << c.node;
        EXPECT_TRUE(msg.has(c.message)) << c.node;
    }
    Messages msg;
    korvex::Run run = sphere_model();
    run.points[1].name_original = "C!000077";
    add_global_node(run, "P!000002", 0, 0);
    EXPECT_EQ(restore_original_names(run), 0);
    EXPECT_TRUE(msg.has(" Error in postprocessing of node belonging\n    to point P!000002: no 'C!...' curve found.\n"));
}

TEST(NameRestoration, ElementNamesFollowedByBlanksFindTheirSubregion) {
    Messages msg;
    korvex::Run run = sphere_model();
    for (int i = 0; i < 4; ++i) add_global_node(run, "R2", i, 0);
    add_global_element(run, 1, 2, 3, 4, "R!000003");
    add_global_element(run, 1, 2, 3, 4, "R2   ");
    add_global_element(run, 1, 2, 3, 4, "R7");
    ASSERT_EQ(restore_original_names(run), 1);
    EXPECT_TRUE(run.elements[1].name == "RS");
    EXPECT_TRUE(run.elements[2].name == "RX");
    EXPECT_TRUE(run.elements[3].name == "R7");
    EXPECT_TRUE(msg.has(" Warning: For element 3 belonging to patch R7:\n no corresponing patch name found.\n"));
}

}  // namespace
}  // namespace korvex
