// Mapping generated '!' node names and element subregion names back to the
// names under which the records were read.
#include <gtest/gtest.h>

#include "assembly/assembly.h"
#include "assembly_fixture.h"

namespace korvex {
namespace {

using namespace assembly_test;

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
    add_global_nodes(run, {{"C!000001", 0, 0}, {"P!000002", 1, 0}, {"R!000003", 1, 1}, {"X!000004", 0, 1}, {"QL1", 2, 1}});
    ASSERT_EQ(restore_original_names(run), 1);
    EXPECT_EQ(node_names(run), (Names{"CS", "CS", "RS", "X!000004", "QL1"}));
    EXPECT_TRUE(msg.has(" Warning: Global node 4 named X!000004\n  has the first letter of the name wrong.\n"
                        "  (Must be R, P, C or Q).\n"));
}

TEST(NameRestoration, MissingOriginalsFail) {
    struct Case {
        const char* node;
        const char* point_read_as;  // the name_original of point P!000002
        const char* message;
    } cases[] = {
        {"C!000009", "C!000001", " Error in postprocessing of node belonging\n    to dividing curve C!000009: curve not found "
                                 "in the global list.\n"},
        {"P!000009", "C!000001", " Error in postprocessing of node belonging\n    to point P!000009: no original 'P!...' "
                                 "point found.\n"},
        {"R!000009", "C!000001", " Error in postprocessing of node belonging\n    to subregion R!000009: no original found.\n"},
        {"P!000002", "C!000077", " Error in postprocessing of node belonging\n    to point P!000002: no 'C!...' curve found.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.node);
        Messages msg;
        korvex::Run run = sphere_model();
        run.points[1].name_original = c.point_read_as;
        add_node(run, c.node, 0, 0);
        EXPECT_EQ(restore_original_names(run), 0);
        EXPECT_TRUE(msg.has(c.message));
    }
}

TEST(NameRestoration, ElementNamesFollowedByBlanksFindTheirSubregion) {
    Messages msg;
    korvex::Run run = sphere_model();
    for (int i = 0; i < 4; ++i) add_node(run, "R2", i, 0);
    add_element(run, 1, 2, 3, 4, "R!000003");
    add_element(run, 1, 2, 3, 4, "R2   ");
    add_element(run, 1, 2, 3, 4, "R7");
    ASSERT_EQ(restore_original_names(run), 1);
    EXPECT_TRUE(run.elements[1].name == "RS");
    EXPECT_TRUE(run.elements[2].name == "RX");
    EXPECT_TRUE(run.elements[3].name == "R7");
    EXPECT_TRUE(msg.has(" Warning: For element 3 belonging to patch R7:\n no corresponing patch name found.\n"));
}

}  // namespace
}  // namespace korvex
