// Quality figures: known answers on single elements, and the report's
// extremes, shares and per-subregion figures on a small mesh.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "output/quality_figures.h"

namespace korvex::output {
namespace {

constexpr double kTol = 1e-12;
const double kInf = std::numeric_limits<double>::infinity();

TEST(QualityFigures, KnownElements) {
    const struct {
        const char* what;
        std::array<Vec3, 4> corners;
        std::array<double, 4> angle;
        double min_scaled_jacobian, aspect_ratio, warpage;
    } cases[] = {
        {"unit square", {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}}, {90, 90, 90, 90}, 1, 1, 0},
        {"2 x 1 rectangle, clockwise seen from +z", {{{0, 0, 0}, {0, 1, 0}, {2, 1, 0}, {2, 0, 0}}}, {90, 90, 90, 90}, 1, 2, 0},
        {"rhombus", {{{0, 0, 0}, {1, 0, 0}, {1.5, std::sqrt(0.75), 0}, {0.5, std::sqrt(0.75), 0}}},
         {60, 120, 60, 120}, std::sqrt(0.75), 1, 0},
        // The third corner is reflex: its angle is above 180 and its value negative.
        {"dart", {{{0, 0, 0}, {2, 0, 0}, {0.5, 0.5, 0}, {0, 2, 0}}},
         {90, 18.434948822922010, 360 - 126.86989764584402, 18.434948822922010}, -0.8, 2 / std::sqrt(2.5), 180},
        // Lifting one corner: the 0-2 split folds by 60 degrees, the 1-3 split
        // by 54.7 degrees. Seen along the mean normal, the right angle at
        // corner 0 and the 60 degrees at corner 2 both come to sqrt(2/3).
        {"warped", {{{0, 0, 0}, {1, 0, 0}, {1, 1, 1}, {0, 1, 0}}}, {90, 90, 60, 90}, std::sqrt(2.0 / 3), std::sqrt(2), 60},
        {"collapsed edge", {{{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, {90, 0, 0, 45}, 0, kInf, 0},
    };
    for (const auto& c : cases) {
        const ElementQuality q = element_quality(c.corners);
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(q.angle[i], c.angle[i], 1e-9) << c.what << " corner " << i;
        EXPECT_NEAR(q.min_scaled_jacobian, c.min_scaled_jacobian, kTol) << c.what;
        if (std::isinf(c.aspect_ratio)) {
            EXPECT_TRUE(std::isinf(q.aspect_ratio)) << c.what;
        } else {
            EXPECT_NEAR(q.aspect_ratio, c.aspect_ratio, kTol) << c.what;
        }
        EXPECT_NEAR(q.warpage, c.warpage, 1e-9) << c.what;
    }
}

// Elements 1 and 3 of R1 are unit squares, element 2 of R2 a parallelogram
// leaning by 45 degrees; node 9 is used by no element.
ResultMesh small_mesh() {
    ResultMesh m;
    const Vec3 xyz[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {3, 0, 0}, {4, 1, 0}, {3, 1, 0}, {2, 0, 0}, {9, 9, 9}};
    for (const Vec3& p : xyz) m.nodes.push_back({p, "P"});
    m.elements = {{{1, 2, 3, 4}, "R1"}, {{8, 5, 6, 7}, "R2"}, {{1, 2, 3, 4}, "R1"}};
    return m;
}

TEST(QualityFigures, ReportKeepsTheFirstWorstElementAndSplitsBySubregion) {
    const QualityReport r = quality_report(small_mesh());
    EXPECT_EQ(r.mesh.nodes, 9);
    EXPECT_EQ(r.mesh.elements, 3);
    EXPECT_NEAR(r.mesh.min_angle.value, 45, 1e-9);
    EXPECT_EQ(r.mesh.min_angle.element, 2);
    EXPECT_NEAR(r.mesh.max_angle.value, 135, 1e-9);
    EXPECT_EQ(r.mesh.max_angle.element, 2);
    EXPECT_NEAR(r.mesh.share_angles_45_135, 1.0, kTol);  // the bounds belong to the range
    EXPECT_NEAR(r.mesh.min_scaled_jacobian.value, std::sqrt(0.5), kTol);
    EXPECT_NEAR(r.mesh.mean_scaled_jacobian, (2 + std::sqrt(0.5)) / 3, kTol);
    EXPECT_NEAR(r.mesh.max_aspect_ratio.value, std::sqrt(2), kTol);
    EXPECT_EQ(r.mesh.max_warpage.element, 1);  // all zero: the first element
    ASSERT_EQ(r.subregions.size(), 2u);
    EXPECT_EQ(r.subregions[0].name, "R1");
    EXPECT_EQ(r.subregions[0].nodes, 4);
    EXPECT_EQ(r.subregions[0].elements, 2);
    EXPECT_EQ(r.subregions[0].min_scaled_jacobian.value, 1);
    EXPECT_EQ(r.subregions[1].name, "R2");
    EXPECT_EQ(r.subregions[1].min_angle.element, 2);

    const std::string json = quality_json(r);
    EXPECT_NE(json.find("\"min_angle\": {\"value\": 45"), std::string::npos) << json;
    EXPECT_NE(json.find("\"name\": \"R2\""), std::string::npos) << json;
    EXPECT_NE(quality_text(r).find("Subregion R2"), std::string::npos);
}

TEST(QualityFigures, JsonWritesInfiniteFiguresAsNull) {
    ResultMesh m = small_mesh();
    m.elements = {{{1, 2, 2, 4}, "A\"B"}};
    const std::string json = quality_json(quality_report(m));
    EXPECT_NE(json.find("\"max_aspect_ratio\": {\"value\": null, \"element\": 1}"), std::string::npos) << json;
    EXPECT_NE(json.find("\"name\": \"A\\\"B\""), std::string::npos) << json;
}

}  // namespace
}  // namespace korvex::output
