// Area division: node placement on cuts, the choice of a cut, loop processing.
#include <gtest/gtest.h>

#include <cmath>

#include "mesh_builder.h"
#include "trelmo/loop_geometry.h"
#include "trelmo_fixture.h"

namespace korvex::test {
namespace {

std::vector<double> ends_of(const DivlineResult& r) {
    std::vector<double> v;
    for (int k = 1; k <= r.segments; ++k) v.push_back(r.ends[k]);
    return v;
}

void expect_ends(const DivlineResult& r, const std::vector<double>& expected, double D) {
    const auto got = ends_of(r);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t k = 0; k < got.size(); ++k) EXPECT_NEAR(got[k], expected[k], 1e-12) << "end " << k + 1;
    EXPECT_NEAR(r.D, D, 1e-12);
}

TEST(Divline, RefZeroGradesTheWholeCut) {
    DivlineResult r;
    int code = TM_OK;
    ASSERT_EQ(divline(10, 1, 2, false, 0.0, r, code), 1);
    // 8 ends were made; 7 new nodes is odd while no parity is asked: the last end is dropped.
    expect_ends(r, {1.0540549970059567, 2.213515493712509, 3.488922040089717, 4.891869241104645, 6.435111162221067,
                    8.13267727544913, 10},
                0.060196817365260724);
}

TEST(Divline, ParityKeepsAnOddNumberOfNewNodes) {
    DivlineResult r;
    int code = TM_OK;
    ASSERT_EQ(divline(10, 1, 2, true, 0.0, r, code), 1);
    EXPECT_EQ((r.segments - 1) % 2, 1);
    expect_ends(r, {0.8744401757481345, 1.8363243690710824, 2.894396981726325, 4.058276855647092, 5.338544716959936,
                    6.746839364404064, 8.295963476592604, 10},
                0.13677078127408376);
}

TEST(Divline, Ref035KeepsTheSmallerStepOverTheFirst35PercentFromItsEnd) {
    DivlineResult r;
    int code = TM_OK;
    // The smaller step is at B: the ends are made from B's side and mirrored.
    ASSERT_EQ(divline(10, 2, 1, true, 0.35, r, code), 1);
    expect_ends(r, {1.758519047831717, 3.2825688892858738, 4.603412085212808, 5.748142855016152, 6.811107141262114,
                    7.874071427508076, 8.937035713754039, 10},
                0.09185238116505134);
    const double uniform = 10 - r.ends[7];
    EXPECT_NEAR(r.ends[7] - r.ends[6], uniform, 1e-12);
    EXPECT_NEAR(r.ends[6] - r.ends[5], uniform, 1e-12);
    // REF above 0.35 is used as 0.35.
    DivlineResult clamped;
    ASSERT_EQ(divline(10, 2, 1, true, 0.9, clamped, code), 1);
    EXPECT_EQ(ends_of(clamped), ends_of(r));
}

TEST(Divline, ShortCutsGetNoNodeOrOneInTheMiddle) {
    DivlineResult r;
    int code = TM_OK;
    ASSERT_EQ(divline(2.4, 1, 1.5, false, 0.1, r, code), 1);   // 1 + 1.5 >= 2.4
    expect_ends(r, {2.4}, (std::fabs(1.5 - 2.4) / 1.5 + std::fabs(1 - 2.4) / 1) / 2);
    ASSERT_EQ(divline(2.4, 1, 1.5, true, 0.1, r, code), 1);
    expect_ends(r, {1.2, 2.4}, (std::fabs(1.5 - 1.2) / 1.5 + std::fabs(1 - 1.2) / 1) / 2);
    // With REF at most 0.05 the cut counts as short up to 0.9 of its length.
    ASSERT_EQ(divline(2.7, 1, 1.5, false, 0.05, r, code), 1);
    EXPECT_EQ(r.segments, 1);
    ASSERT_EQ(divline(2.7, 1, 1.5, false, 0.1, r, code), 1);
    EXPECT_GT(r.segments, 1);
}

TEST(Divline, TooManySegmentsAskForALargerCoordsArray) {
    DivlineResult r;
    int code = TM_OK;
    MessageCapture capture;
    EXPECT_EQ(divline(1e5, 1, 1, false, 0.35, r, code), 0);
    EXPECT_EQ(code, TM_COORDS_ARRAY);
    EXPECT_NE(MessageCapture::text().find(" Increase SIZE_COORDS_ARRAY(currently 12000)   (A)\n"), std::string::npos);
    code = TM_OK;
    EXPECT_EQ(divline(1e5, 1, 1, false, 0.0, r, code), 0);
    EXPECT_NE(MessageCapture::text().find(" Increase SIZE_COORDS_ARRAY(currently 12000)   (B)\n"), std::string::npos);
}

TEST(First, RotatesBothListsTogether) {
    Array1<int> list(5);
    Array1<double> reals(5);
    for (int i = 1; i <= 5; ++i) { list[i] = 10 * i; reals[i] = i + 0.5; }
    int code = TM_OK;
    ASSERT_EQ(first(40, 5, list, &reals, code), 1);
    const int want[] = {40, 50, 10, 20, 30};
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(list[i], want[i - 1]);
        EXPECT_EQ(reals[i], want[i - 1] / 10 + 0.5);
    }
}

TEST(DivLoop, OctagonIsNeverCutToASecondNeighbour) {
    TrelmoMesh m;
    m.allocate(100);
    for (int k = 0; k < 8; ++k) append_node(m, std::cos(k * kPi / 4), std::sin(k * kPi / 4), NODE_KIND_INTERIOR, "R1");
    NodeLoop l1, l2;
    int code = TM_OK;
    ASSERT_EQ(div_loop(loop_upto(8), m, 0.0, "R1", l1, l2, code), 1);
    // Positions 3 and n - 1 are never partners: A and B are at least three apart.
    const int a = l1.at(1), b = l2.at(1);
    EXPECT_GE(std::min((a - b + 8) % 8, (b - a + 8) % 8), 3);
    EXPECT_EQ(l1.count % 2, 0);
    EXPECT_EQ(l2.count % 2, 0);
    EXPECT_EQ(l1.count + l2.count, 8 + 2 + 2 * (m.num_nodes - 8));
    for (int i = 9; i <= m.num_nodes; ++i) EXPECT_EQ(m.nodes[i].kind, NODE_KIND_INTERIOR);
}

TEST(DivLoop, SubLoopsStayEvenWhateverThePartner) {
    // An elongated non-convex loop of 16 nodes: each sub-loop is even.
    TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 1}, {4, 2}, {3, 2}, {2, 2}, {2, 3}, {2, 4},
                            {1, 4}, {0, 4}, {0, 3}, {0, 2}, {0, 1}});
    NodeLoop l1, l2;
    int code = TM_OK;
    ASSERT_EQ(div_loop(loop_upto(16), m, 0.2, "R1", l1, l2, code), 1);
    EXPECT_EQ(l1.count % 2, 0);
    EXPECT_EQ(l2.count % 2, 0);
    EXPECT_GE(l1.count, 4);
    EXPECT_GE(l2.count, 4);
}

TEST(DivArea, OddLoopFailsWithCode3) {
    TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0.5}});
    LoopTable t;
    t.capacity = 25;
    t.count = 1;
    t.loops.reset(25);
    t.loops[1].loop = loop_upto(5);
    t.loops[1].name = "R1";
    t.loops[1].subregion = 1;
    int code = TM_OK;
    MessageCapture capture;
    EXPECT_EQ(div_area(m, t, code), 0);
    EXPECT_EQ(code, TM_ODD_LOOP);
    EXPECT_NE(MessageCapture::text().find(" Internal boundary loop 1 (subregion R1):\n the loop has an odd  number of "
                                          "nodes : 5.  Stop.\n"),
              std::string::npos);
}

TEST(DivArea, RectangleGoesToTheStructuredGridWithoutCuts) {
    TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {2, 2}, {1, 2}, {0, 2}, {0, 1}});
    LoopTable t;
    t.capacity = 25;
    t.count = 1;
    t.loops.reset(25);
    t.loops[1].loop = loop_upto(10);
    t.loops[1].name = "R1";
    t.loops[1].subregion = 1;
    int code = TM_OK;
    MessageCapture capture;
    ASSERT_EQ(div_area(m, t, code), 1);
    EXPECT_EQ(m.num_elements, 6);
    EXPECT_EQ(m.num_nodes, 12);
    EXPECT_NE(MessageCapture::text().find(" Processing internal boundary loop: 1  (subregion R1) ...\n"), std::string::npos);
    EXPECT_NE(MessageCapture::text().find(" ... processing completed.\n"), std::string::npos);
}

TEST(DivArea, LargeIrregularLoopIsMeshedCompletely) {
    // A 24-node loop around an irregular hexagonal outline.
    TrelmoMesh m;
    m.allocate(200);
    const double cx[] = {0, 6, 8, 5, 1, -2};
    const double cy[] = {0, -1, 3, 6, 5, 2};
    for (int s = 0; s < 6; ++s)
        for (int k = 0; k < 4; ++k) {
            const double t = k / 4.0;
            append_node(m, cx[s] + t * (cx[(s + 1) % 6] - cx[s]), cy[s] + t * (cy[(s + 1) % 6] - cy[s]),
                        NODE_KIND_ENTITY, "L1");
        }
    LoopTable t;
    t.capacity = 25;
    t.count = 1;
    t.loops.reset(25);
    t.loops[1].loop = loop_upto(24);
    t.loops[1].name = "R1";
    t.loops[1].subregion = 1;
    t.loops[1].REF = 0.1;
    int code = TM_OK;
    MessageCapture capture;
    ASSERT_EQ(div_area(m, t, code), 1) << MessageCapture::text();
    const auto failures = check_mesh(m, {chain_upto(24)}, false);
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
}

}  // namespace
}  // namespace korvex::test
