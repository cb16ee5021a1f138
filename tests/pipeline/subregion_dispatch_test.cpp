// The dispatch of a subregion to its mesher by type and edge count, and what
// it reports before the mesher runs.
#include <gtest/gtest.h>

#include "pipeline/subregion_dispatch.h"
#include "support/message_capture.h"

namespace korvex::test {
namespace {

TEST(SubregionDispatch, RouteByTypeAndEdgeCount) {
    struct Case {
        int type, edges;
        MesherRoute route;
    };
    const Case cases[] = {
        {TYPE_REV, 4, MesherRoute::Revolution},
        {TYPE_REV2, 4, MesherRoute::Revolution2},
        {TYPE_CYLINDER, 1, MesherRoute::Cylinder},
        {TYPE_BILINEAR, 4, MesherRoute::BilinearPatch},
        {TYPE_BILINEAR, 3, MesherRoute::BilinearEdgeError},
        {TYPE_SPHERE, 4, MesherRoute::SpherePatch},
        {TYPE_SPHERE, 3, MesherRoute::PlanarityTest},
        {TYPE_SPHERE, 2, MesherRoute::EdgeCountError},
        {TYPE_NONE, 4, MesherRoute::PlanarityTest},
        {TYPE_NONE, 3, MesherRoute::EdgeCountError},
        {TYPE_TRIANGULAR, 3, MesherRoute::PlanarityTest},
        {TYPE_TRIANGULAR, 4, MesherRoute::PlanarityTest},
        {TYPE_PLANE, 4, MesherRoute::PlanarityTest},
        {TYPE_PLANE, 1, MesherRoute::PlanarityTest},
        {TYPE_PLANE, 3, MesherRoute::EdgeCountError},
        {TYPE_NONE, 1, MesherRoute::EdgeCountError},
        {3, 4, MesherRoute::EdgeCountError},  // no such type
    };
    for (const Case& c : cases)
        EXPECT_EQ(choose_mesher_route(c.type, c.edges), c.route) << "type " << c.type << " edges " << c.edges;
}

Run run_with_subregion(int type, int edges) {
    korvex::Run run;
    run.problem_path = "m.sur";
    run.title = "Title\n";
    run.patches.ensure(1);
    run.nPatches = 1;
    run.patches[1].name = "RONE";
    run.patches[1].type = type;
    run.patches[1].num_edges = edges;
    return run;
}

TEST(SubregionDispatch, TypeLinesBeforeTheMeshers) {
    const std::pair<int, std::vector<std::string>> cases[] = {
        {TYPE_REV,
         {" Subregion type: REV.\n", "infile=m.sur\n", "problem_name=Title\n\n", "patches[1]=RONE\n",
          "Calling process_REV_patch() from KORVEX.C\n"}},
        {TYPE_REV2, {" Subregion type: REV2.\n"}},
        {TYPE_CYLINDER, {" Subregion type: CYLINDER.\n"}},
        {TYPE_BILINEAR, {" Subregion type: BILINEAR .\n"}},
        {TYPE_SPHERE, {" Subregion type: SPHERE .\n"}},
        {TYPE_PLANE, {" Subregion type: PLANE.\n", "Second call of PLANE_P1.C from KORVEX.C:\n"}},
        {TYPE_TRIANGULAR, {" Subregion type: TRIANGULAR.\n", "Second call of PLANE_P1.C from KORVEX.C:\n"}},
        {TYPE_NONE, {"Second call of PLANE_P1.C from KORVEX.C:\n"}},
    };
    for (const auto& [type, lead] : cases) {
        SCOPED_TRACE(lead.front());
        korvex::Run run = run_with_subregion(type, type == TYPE_CYLINDER ? 1 : 4);
        MessageCapture messages;
        // The meshers behind the dispatch are not under test here: whatever
        // they do with this bare record, including throwing, is ignored.
        try {
            mesh_subregion(run, 1);
        } catch (...) {
        }
        ASSERT_GE(messages.all().size(), lead.size());
        EXPECT_EQ(std::vector<std::string>(messages.all().begin(), messages.all().begin() + lead.size()), lead);
    }
}

TEST(SubregionDispatch, EdgeCountErrors) {
    const std::tuple<int, int, const char*> cases[] = {
        {TYPE_BILINEAR, 3,
         " Input data error: BILINEAR patch RONE: \n    must have 4 edges  not 3\n    (after the preprocessing ).\n"},
        {TYPE_NONE, 2, " Error: patch RONE has 2 edges;\n    4 edges only are allowed.\n"},
    };
    for (const auto& [type, edges, text] : cases) {
        korvex::Run run = run_with_subregion(type, edges);
        MessageCapture messages;
        EXPECT_EQ(mesh_subregion(run, 1), 0);
        EXPECT_EQ(messages.text(), text);
    }
}

}  // namespace
}  // namespace korvex::test
