#include <gtest/gtest.h>

#include "message_capture.h"
#include "pipeline/subregion_dispatch.h"

namespace korvex {
namespace {

using test_support::MessageCapture;

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

// Runs the dispatch for subregion 1. The meshers behind it are not under test
// here (only what the dispatch reports before them), so whatever they do with
// this bare record, including throwing, is ignored.
void dispatch(korvex::Run& run) {
    try {
        mesh_subregion(run, 1);
    } catch (...) {
    }
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

TEST(SubregionDispatch, RevolutionReportsTheModelBeforeItsMesher) {
    korvex::Run run = run_with_subregion(TYPE_REV, 4);
    MessageCapture messages;
    dispatch(run);
    const std::vector<std::string> expected = {
        " Subregion type: REV.\n", "infile=m.sur\n", "problem_name=Title\n\n", "patches[1]=RONE\n",
        "Calling process_REV_patch() from KORVEX.C\n",
    };
    ASSERT_GE(messages.all().size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(messages.all().begin(), messages.all().begin() + 5), expected);
}

TEST(SubregionDispatch, TypeLinesBeforeTheMeshers) {
    const std::pair<korvex::Run, const char*> cases[] = {
        {run_with_subregion(TYPE_REV2, 4), " Subregion type: REV2.\n"},
        {run_with_subregion(TYPE_CYLINDER, 1), " Subregion type: CYLINDER.\n"},
        {run_with_subregion(TYPE_BILINEAR, 4), " Subregion type: BILINEAR .\n"},
        {run_with_subregion(TYPE_SPHERE, 4), " Subregion type: SPHERE .\n"},
    };
    for (const auto& [model, line] : cases) {
        korvex::Run run = model;
        MessageCapture messages;
        dispatch(run);
        ASSERT_FALSE(messages.all().empty());
        EXPECT_EQ(messages.all().front(), line);
    }
}

TEST(SubregionDispatch, EdgeCountErrors) {
    {
        korvex::Run run = run_with_subregion(TYPE_BILINEAR, 3);
        MessageCapture messages;
        EXPECT_EQ(mesh_subregion(run, 1), 0);
        EXPECT_EQ(messages.text(),
                  " Input data error: BILINEAR patch RONE: \n    must have 4 edges  not 3\n"
                  "    (after the preprocessing ).\n");
    }
    {
        korvex::Run run = run_with_subregion(TYPE_NONE, 2);
        MessageCapture messages;
        EXPECT_EQ(mesh_subregion(run, 1), 0);
        EXPECT_EQ(messages.text(), " Error: patch RONE has 2 edges;\n    4 edges only are allowed.\n");
    }
}

TEST(SubregionDispatch, PlanarityCandidatesNameTheirTypeFirst) {
    const std::pair<int, std::vector<std::string>> cases[] = {
        {TYPE_PLANE, {" Subregion type: PLANE.\n", "Second call of PLANE_P1.C from KORVEX.C:\n"}},
        {TYPE_TRIANGULAR, {" Subregion type: TRIANGULAR.\n", "Second call of PLANE_P1.C from KORVEX.C:\n"}},
        {TYPE_NONE, {"Second call of PLANE_P1.C from KORVEX.C:\n"}},
    };
    for (const auto& [type, lead] : cases) {
        korvex::Run run = run_with_subregion(type, 4);
        MessageCapture messages;
        dispatch(run);
        ASSERT_GE(messages.all().size(), lead.size());
        EXPECT_EQ(std::vector<std::string>(messages.all().begin(), messages.all().begin() + lead.size()), lead);
    }
}

}  // namespace
}  // namespace korvex
