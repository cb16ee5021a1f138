// A model meshed through the library's entry point in a folder of its own,
// with its messages, its result file and the shared validity checks.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "korvex/korvex.h"
#include "support/m3d_file.h"
#include "support/mesh_checker.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {

struct Meshed {
    int rc = -1;
    std::vector<std::string> messages;
    std::string log;        // the messages joined
    std::string m3d_bytes;  // empty when no result file was written
    M3dFile m3d;
};

// Copies the model file into a fresh folder (as `as`, default its own name) and runs GenerateQuads on it.
inline Meshed mesh_model(const std::filesystem::path& source, const std::string& as = "") {
    const TempDir dir("end_to_end");
    const std::filesystem::path model = dir.path() / (as.empty() ? source.filename().string() : as);
    std::filesystem::copy_file(source, model);
    const MessageCapture capture;
    std::string path = model.string();
    char name[] = "korvex";
    char* argv[] = {name, path.data()};
    Meshed r;
    r.rc = GenerateQuads(2, argv);
    r.messages = capture.all();
    r.log = capture.text();
    std::filesystem::path result = model;
    result.replace_extension(".m3d");
    if (std::filesystem::exists(result)) r.m3d_bytes = read_file(result);
    r.m3d = read_m3d(result.string());
    return r;
}

inline Meshed mesh_test_model(const std::string& name, const std::string& as = "") {
    return mesh_model(std::filesystem::path(KORVEX_TEST_MODELS) / name, as);
}

// A successful run whose result is a valid quad mesh with every node in the
// plane n·x = d (n a unit normal, elements counter-clockwise about it) and no
// coincident-node report.
inline void expect_valid_plane_mesh(const Meshed& r, const Point3& n, double d) {
    ASSERT_EQ(r.rc, 0) << r.log;
    ASSERT_TRUE(r.m3d.ok()) << r.m3d.error;
    ASSERT_FALSE(r.m3d.elements.empty());
    std::vector<Point3> nodes;
    for (const auto& node : r.m3d.nodes) {
        nodes.push_back({node.x, node.y, node.z});
        EXPECT_NEAR(n[0] * node.x + n[1] * node.y + n[2] * node.z, d, 1e-9) << "node " << node.number;
    }
    std::vector<Quad> quads;
    for (const auto& e : r.m3d.elements) quads.push_back(e.nodes);
    const auto failures = check_quad_mesh(nodes, quads, n);
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
    EXPECT_EQ(r.log.find("Output data error"), std::string::npos);
    EXPECT_EQ(r.log.find("A pair of possibly coinciding nodes identified"), std::string::npos);
}

// A successful run whose result is a valid quad mesh on a curved surface:
// every element valid in 3D against its mean normal, orientation consistent
// within each subregion, nodes within check.max_distance of the surface
// (per subregion through check.surface_of), and no coincident-node report.
inline CurvedMeshReport expect_valid_curved_mesh(const Meshed& r, const CurvedMeshCheck& check) {
    EXPECT_EQ(r.rc, 0) << r.log;
    EXPECT_TRUE(r.m3d.ok()) << r.m3d.error;
    EXPECT_FALSE(r.m3d.elements.empty());
    std::vector<Point3> nodes;
    for (const auto& node : r.m3d.nodes) nodes.push_back({node.x, node.y, node.z});
    std::vector<Quad> quads;
    std::vector<std::string> groups;
    for (const auto& e : r.m3d.elements) {
        quads.push_back(e.nodes);
        groups.push_back(e.name);
    }
    CurvedMeshReport report = check_curved_quad_mesh(nodes, quads, groups, check);
    EXPECT_TRUE(report.ok()) << join_failures(report.failures);
    EXPECT_EQ(r.log.find("Output data error"), std::string::npos);
    EXPECT_EQ(r.log.find("A pair of possibly coinciding nodes identified"), std::string::npos);
    return report;
}

// Area of the mesh: each element's area as half the cross product of its diagonals.
inline double mesh_area(const Meshed& r) {
    auto pos = [&](int number) {
        const M3dNode& n = r.m3d.nodes.at(static_cast<std::size_t>(number - 1));
        return Point3{n.x, n.y, n.z};
    };
    double a = 0;
    for (const auto& e : r.m3d.elements) {
        const Point3 p0 = pos(e.nodes[0]), p1 = pos(e.nodes[1]), p2 = pos(e.nodes[2]), p3 = pos(e.nodes[3]);
        const Point3 d1{p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        const Point3 d2{p3[0] - p1[0], p3[1] - p1[1], p3[2] - p1[2]};
        const Point3 c{d1[1] * d2[2] - d1[2] * d2[1], d1[2] * d2[0] - d1[0] * d2[2], d1[0] * d2[1] - d1[1] * d2[0]};
        a += 0.5 * std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
    }
    return a;
}

// Connected loops formed by the edges used by one element only.
inline int boundary_loops(const Meshed& r) {
    std::map<std::pair<int, int>, int> uses;
    for (const auto& e : r.m3d.elements)
        for (int i = 0; i < 4; ++i) {
            const int a = e.nodes[i], b = e.nodes[(i + 1) % 4];
            ++uses[{std::min(a, b), std::max(a, b)}];
        }
    std::map<int, std::vector<int>> next;
    for (const auto& [edge, n] : uses)
        if (n == 1) {
            next[edge.first].push_back(edge.second);
            next[edge.second].push_back(edge.first);
        }
    std::set<int> seen;
    int loops = 0;
    for (const auto& [start, unused] : next) {
        if (seen.count(start)) continue;
        ++loops;
        std::vector<int> stack{start};
        while (!stack.empty()) {
            const int v = stack.back();
            stack.pop_back();
            if (!seen.insert(v).second) continue;
            for (int w : next[v]) stack.push_back(w);
        }
    }
    return loops;
}

}  // namespace korvex::test
