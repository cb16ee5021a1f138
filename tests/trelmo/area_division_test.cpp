// Area division: node placement on cuts, the choice of a cut, loop processing.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "trelmo/loop_geometry.h"
#include "trelmo_fixture.h"

namespace korvex::test {
namespace {

// Known node placements on a cut of length L between steps hA and hB.
TEST(Divline, PlacesTheNodesOfACut) {
    struct Case {
        const char* name;
        double L, hA, hB;
        bool parity;
        double REF;
        std::vector<double> ends;
        double D;
    };
    const std::vector<double> ref035 = {1.758519047831717, 3.2825688892858738, 4.603412085212808, 5.748142855016152,
                                        6.811107141262114, 7.874071427508076, 8.937035713754039, 10};
    const Case cases[] = {
        // 8 ends were made; 7 new nodes is odd while no parity is asked: the last end is dropped.
        {"ref0", 10, 1, 2, false, 0.0,
         {1.0540549970059567, 2.213515493712509, 3.488922040089717, 4.891869241104645, 6.435111162221067,
          8.13267727544913, 10},
         0.060196817365260724},
        // Parity asks for an odd number of new nodes (7 here).
        {"ref0_parity", 10, 1, 2, true, 0.0,
         {0.8744401757481345, 1.8363243690710824, 2.894396981726325, 4.058276855647092, 5.338544716959936,
          6.746839364404064, 8.295963476592604, 10},
         0.13677078127408376},
        // The smaller step is at B: the ends are made from B's side and mirrored.
        {"ref035", 10, 2, 1, true, 0.35, ref035, 0.09185238116505134},
        {"ref_above_035_is_035", 10, 2, 1, true, 0.9, ref035, 0.09185238116505134},
        // Short cuts (hA + hB >= L) get no node, or one in the middle.
        {"short", 2.4, 1, 1.5, false, 0.1, {2.4}, (std::fabs(1.5 - 2.4) / 1.5 + std::fabs(1 - 2.4) / 1) / 2},
        {"short_parity", 2.4, 1, 1.5, true, 0.1, {1.2, 2.4}, (std::fabs(1.5 - 1.2) / 1.5 + std::fabs(1 - 1.2) / 1) / 2},
        // With REF at most 0.05 the cut counts as short up to 0.9 of its length.
        {"short_ref005", 2.7, 1, 1.5, false, 0.05, {2.7}, (std::fabs(1.5 - 2.7) / 1.5 + std::fabs(1 - 2.7) / 1) / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DivlineResult r;
        int code = TM_OK;
        ASSERT_EQ(divline(c.L, c.hA, c.hB, c.parity, c.REF, r, code), 1);
        ASSERT_EQ(r.segments, static_cast<int>(c.ends.size()));
        for (int k = 1; k <= r.segments; ++k) EXPECT_NEAR(r.ends[k], c.ends[k - 1], 1e-12) << "end " << k;
        EXPECT_NEAR(r.D, c.D, 1e-12);
    }
    // REF 0.35: the smaller step is kept over the last 35 percent.
    for (int k = 6; k >= 5; --k) EXPECT_NEAR(ref035[k] - ref035[k - 1], 10 - ref035[6], 1e-12);
    // Above REF 0.05 the same cut is no longer short.
    DivlineResult r;
    int code = TM_OK;
    ASSERT_EQ(divline(2.7, 1, 1.5, false, 0.1, r, code), 1);
    EXPECT_GT(r.segments, 1);
}

TEST(Divline, TooManySegmentsAskForALargerCoordsArray) {
    DivlineResult r;
    int code = TM_OK;
    MessageCapture capture;
    EXPECT_EQ(divline(1e5, 1, 1, false, 0.35, r, code), 0);
    EXPECT_EQ(code, TM_COORDS_ARRAY);
    EXPECT_TRUE(capture.contains(" Increase SIZE_COORDS_ARRAY(currently 12000)   (A)\n"));
    code = TM_OK;
    EXPECT_EQ(divline(1e5, 1, 1, false, 0.0, r, code), 0);
    EXPECT_TRUE(capture.contains(" Increase SIZE_COORDS_ARRAY(currently 12000)   (B)\n"));
}

// Scoring a cut must agree with placing it to the last bit: the same D and
// segment count for short and long cuts, either parity, either step larger,
// REF from none to above its cap, and a trimmed count of one segment.
TEST(Divline, ScoreAgreesWithThePlacementBitForBit) {
    std::vector<std::array<double, 4>> cases = {
        {10, 1, 2, 0.0}, {10, 2, 1, 0.35}, {10, 2, 1, 0.9}, {2.4, 1, 1.5, 0.1}, {2.7, 1, 1.5, 0.05},
        {1.05, 0.5, 0.5, 0.0}, {3.0, 1.0, 1.0, 0.2}, {7.3, 0.37, 0.05, 0.2}, {0.0, 1, 1, 0.2},
    };
    unsigned seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return (seed >> 8) / double(1u << 24); };
    for (int k = 0; k < 400; ++k) cases.push_back({0.1 + 50 * next(), 0.01 + next(), 0.01 + next(), 0.4 * next()});
    for (const auto& c : cases) {
        for (const bool parity : {false, true}) {
            SCOPED_TRACE(testing::Message() << c[0] << " " << c[1] << " " << c[2] << " " << c[3] << " " << parity);
            DivlineResult r;
            int code = TM_OK, segments = 0;
            double D = -1;
            ASSERT_EQ(divline(c[0], c[1], c[2], parity, c[3], r, code), 1);
            ASSERT_EQ(divline_score(c[0], c[1], c[2], parity, c[3], D, segments, code), 1);
            EXPECT_EQ(segments, r.segments);
            EXPECT_EQ(std::memcmp(&D, &r.D, sizeof D), 0) << D << " != " << r.D;
        }
    }
    // The score reports an overlong cut exactly as the placement does.
    MessageCapture capture;
    int code = TM_OK, segments = 0;
    double D = 0;
    EXPECT_EQ(divline_score(1e5, 1, 1, false, 0.0, D, segments, code), 0);
    EXPECT_EQ(code, TM_COORDS_ARRAY);
    EXPECT_TRUE(capture.contains(" Increase SIZE_COORDS_ARRAY(currently 12000)   (B)\n"));
}

TEST(AngleEstimate, StaysWithinItsSlackOfTheExactAngle) {
    // The arc cosine over [-1, 1], densest where it is steepest (near +-1).
    double worst = 0;
    for (int k = 0; k <= 200000; ++k) {
        const double c = -1.0 + k * 1e-5;
        worst = std::max(worst, std::fabs(acos_estimate(c) - std::acos(std::clamp(c, -1.0, 1.0))));
    }
    for (int e = 1; e <= 52; ++e)
        for (const double c : {1.0 - std::ldexp(1.0, -e), -1.0 + std::ldexp(1.0, -e)})
            worst = std::max(worst, std::fabs(acos_estimate(c) - std::acos(c)));
    EXPECT_LT(worst, 1e-7);
    // Angles between random directions and lengths, nearly straight and
    // nearly closed turns included, against the exact angle_between.
    unsigned seed = 777;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return (seed >> 8) / double(1u << 24); };
    worst = 0;
    for (int k = 0; k < 200000; ++k) {
        const double ta = kTwoPi * next(), la = std::pow(10.0, 8 * next() - 4);
        const double turn = k % 3 == 0 ? (next() - 0.5) * 1e-6 + (k % 2) * kPi : kTwoPi * next();
        const double lb = std::pow(10.0, 8 * next() - 4);
        const double ax = la * std::cos(ta), ay = la * std::sin(ta);
        const double bx = lb * std::cos(ta + turn), by = lb * std::sin(ta + turn);
        const double exact = angle_between(ax, ay, bx, by, std::hypot(ax, ay), std::hypot(bx, by));
        double estimate = 0;
        ASSERT_TRUE(angle_estimate(ax, ay, bx, by, ax * ax + ay * ay, bx * bx + by * by, estimate));
        worst = std::max(worst, std::fabs(estimate - exact));
    }
    EXPECT_LT(worst, 1e-7);
    double phi = 0;
    EXPECT_FALSE(angle_estimate(1e-200, 0, 1, 0, 0, 1, phi));   // lengths too small for their squares
    EXPECT_FALSE(angle_estimate(1e200, 0, 1, 0, std::numeric_limits<double>::infinity(), 1, phi));
}

// The cut divide() chooses against a plain scoring of every partner: the
// partner of least C = 0.7 S + 0.3 D (ties by position), S from the four
// corners the cut makes. Convex loops need no crossing test.
double corner_deviation_reference(double phi) {
    double d = phi > 0.75 * kPi ? std::fabs(kPi - phi) : std::fabs(kPi / 2 - phi);
    if (phi < kPi / 8) d *= 2.0;
    if (phi < 0.08726646259971647) d = 100.0;
    return d;
}

int plain_choice(const TrelmoMesh& m, int n, double REF) {
    auto P = [&](int i) { return m.node(i); };
    NodeLoop loop = loop_upto(n);
    Array1<double> a;
    loop_angles(m, loop, a);
    const double hA = (distance(P(1), P(2)) + distance(P(1), P(n))) / 2;
    int best = 0;
    double best_c = 0;
    for (int j = 4; j <= n - 2; ++j) {
        const double L = distance(P(1), P(j));
        const double a1 = angle(P(1), P(j), P(n)), b1 = angle(P(j), P(1), P(j - 1));
        const double S = (corner_deviation_reference(a1) + corner_deviation_reference(a[1] - a1) +
                          corner_deviation_reference(b1) + corner_deviation_reference(a[j] - b1)) / kTwoPi;
        const double hB = (distance(P(j), P(j + 1)) + distance(P(j - 1), P(j))) / 2;
        double D = 0;
        int segments = 0, code = TM_OK;
        EXPECT_EQ(divline_score(L, hA, hB, (j - 2) % 2 != 0, REF, D, segments, code), 1);
        const double C = 0.7 * S + 0.3 * D;
        if (best == 0 || C < best_c) { best = j; best_c = C; }
    }
    return best;
}

TEST(Divide, ChoosesThePartnerOfLeastScoreOnRandomConvexLoops) {
    unsigned seed = 4242;
    DivideScratch scratch;  // shared by the trials, as by the cuts of one meshing
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return (seed >> 8) / double(1u << 24); };
    for (int trial = 0; trial < 300; ++trial) {
        // Sorted random angles on an ellipse: a convex loop with uneven steps.
        const int n = 8 + 2 * static_cast<int>(next() * 20);
        std::vector<double> t;
        for (int k = 0; k < n; ++k) t.push_back(kTwoPi * next());
        std::sort(t.begin(), t.end());
        const double rx = 1 + 3 * next(), ry = 1 + 3 * next();
        std::vector<std::pair<double, double>> xy;
        for (double v : t) xy.push_back({rx * std::cos(v), ry * std::sin(v)});
        // Every fifth loop is a regular polygon, whose scores tie.
        if (trial % 5 == 0)
            for (int k = 0; k < n; ++k) xy[k] = {std::cos(k * kTwoPi / n), std::sin(k * kTwoPi / n)};
        const TrelmoMesh m = mesh_of(xy);
        const double REF = 0.35 * next();
        const NodeLoop loop = loop_upto(n);
        Array1<double> a;
        loop_angles(m, loop, a);
        std::vector<double> seg(static_cast<std::size_t>(n) + 1, 0.0);
        for (int i = 1; i <= n; ++i) seg[i] = distance(m.node(i), m.node(i % n + 1));
        DivideResult r;
        int code = TM_OK;
        SCOPED_TRACE(trial);
        ASSERT_EQ(divide(true, loop, a, seg, m, REF, r, code, scratch), 1);
        EXPECT_EQ(r.position, plain_choice(m, n, REF));
    }
}

TEST(First, RotatesBothListsTogether) {
    Array1<int> list(5);
    Array1<double> reals(5);
    for (int i = 1; i <= 5; ++i) {
        list[i] = 10 * i;
        reals[i] = i + 0.5;
    }
    int code = TM_OK;
    ASSERT_EQ(first(40, 5, list, &reals, code), 1);
    EXPECT_EQ(std::vector<int>({list[1], list[2], list[3], list[4], list[5]}), std::vector<int>({40, 50, 10, 20, 30}));
    EXPECT_EQ(std::vector<double>({reals[1], reals[2], reals[3], reals[4], reals[5]}),
              std::vector<double>({4.5, 5.5, 1.5, 2.5, 3.5}));
}

TEST(DivLoop, CutsIntoTwoEvenLoopsNeverToASecondNeighbour) {
    std::vector<std::pair<double, double>> octagon;
    for (int k = 0; k < 8; ++k) octagon.push_back({std::cos(k * kPi / 4), std::sin(k * kPi / 4)});
    const std::vector<std::pair<double, double>> elongated = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 1},
                                                              {4, 2}, {3, 2}, {2, 2}, {2, 3}, {2, 4}, {1, 4},
                                                              {0, 4}, {0, 3}, {0, 2}, {0, 1}};
    const std::pair<std::vector<std::pair<double, double>>, double> cases[] = {{octagon, 0.0}, {elongated, 0.2}};
    for (const auto& [xy, REF] : cases) {
        const int n = static_cast<int>(xy.size());
        SCOPED_TRACE(n);
        TrelmoMesh m = mesh_of(xy);
        NodeLoop l1, l2;
        int code = TM_OK;
        ASSERT_EQ(div_loop(loop_upto(n), m, REF, "R1", l1, l2, code), 1);
        // Positions 3 and n - 1 are never partners: A and B are at least three apart.
        const int a = l1.at(1), b = l2.at(1);
        EXPECT_GE(std::min((a - b + n) % n, (b - a + n) % n), 3);
        EXPECT_EQ(l1.count % 2, 0);
        EXPECT_EQ(l2.count % 2, 0);
        EXPECT_GE(std::min(l1.count, l2.count), 4);
        EXPECT_EQ(l1.count + l2.count, n + 2 + 2 * (m.num_nodes - n));
        for (int i = n + 1; i <= m.num_nodes; ++i) EXPECT_EQ(m.nodes[i].kind, NODE_KIND_INTERIOR);
    }
}

TEST(DivArea, OddLoopFailsWithCode3) {
    TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0.5}});
    LoopTable t = one_loop_table(5);
    int code = TM_OK;
    MessageCapture capture;
    EXPECT_EQ(div_area(m, t, code), 0);
    EXPECT_EQ(code, TM_ODD_LOOP);
    EXPECT_TRUE(capture.contains(" Internal boundary loop 1 (subregion R1):\n the loop has an odd  number of nodes : 5.  Stop.\n"));
}

TEST(DivArea, FourByThreeNodeRectangleGoesToTheStructuredGrid) {
    TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {2, 2}, {1, 2}, {0, 2}, {0, 1}});
    LoopTable t = one_loop_table(10);
    int code = TM_OK;
    MessageCapture capture;
    ASSERT_EQ(div_area(m, t, code), 1);
    // 6 elements and the 2 interior nodes of the grid, no cut.
    EXPECT_EQ(m.num_elements, 6);
    EXPECT_EQ(m.num_nodes, 12);
    EXPECT_TRUE(node_at(m, 11, 1.0, 1.0));
    EXPECT_TRUE(node_at(m, 12, 2.0, 1.0));
    EXPECT_TRUE(valid_mesh(m, {upto(10)}));
    EXPECT_TRUE(capture.contains(" Processing internal boundary loop: 1  (subregion R1) ...\n"));
    EXPECT_TRUE(capture.contains(" ... processing completed.\n"));
}

TEST(DivArea, LargeIrregularLoopIsMeshedCompletely) {
    // A 24-node loop around an irregular hexagonal outline.
    TrelmoMesh m = mesh_of({});
    const double cx[] = {0, 6, 8, 5, 1, -2};
    const double cy[] = {0, -1, 3, 6, 5, 2};
    for (int s = 0; s < 6; ++s)
        for (int k = 0; k < 4; ++k)
            append_node(m, cx[s] + k / 4.0 * (cx[(s + 1) % 6] - cx[s]), cy[s] + k / 4.0 * (cy[(s + 1) % 6] - cy[s]),
                        NODE_KIND_ENTITY, "L1");
    LoopTable t = one_loop_table(24, 0.1);
    int code = TM_OK;
    MessageCapture capture;
    ASSERT_EQ(div_area(m, t, code), 1) << capture.text();
    EXPECT_TRUE(valid_mesh(m, {upto(24)}, false));
}

}  // namespace
}  // namespace korvex::test
