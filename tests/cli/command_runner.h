// Runs the korvex command in a folder and checks the meshes it writes.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/m3d_file.h"
#include "support/mesh_checker.h"
#include "support/model_builder.h"

namespace korvex::test {

struct CommandResult {
    int status = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// `korvex ARGS` with the current folder `dir` (arguments are single-quoted).
inline CommandResult run_korvex(const std::filesystem::path& dir, const std::vector<std::string>& args) {
    std::string command = "cd '" + dir.string() + "' && '" KORVEX_CLI_PATH "'";
    for (const std::string& a : args) command += " '" + a + "'";
    command += " > .stdout 2> .stderr";
    const int raw = std::system(command.c_str());
    CommandResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = read_file(dir / ".stdout");
    r.err = read_file(dir / ".stderr");
    return r;
}

// The result file holds a valid flat mesh (elements counter-clockwise about +z).
inline void expect_valid_flat_m3d(const std::filesystem::path& m3d) {
    const M3dFile f = read_m3d(m3d.string());
    ASSERT_TRUE(f.ok()) << m3d << ": " << f.error;
    ASSERT_FALSE(f.elements.empty()) << m3d;
    std::vector<Point3> nodes;
    for (const M3dNode& n : f.nodes) nodes.push_back({n.x, n.y, n.z});
    std::vector<Quad> quads;
    for (const M3dElement& e : f.elements) quads.push_back(e.nodes);
    const auto failures = check_quad_mesh(nodes, quads, Point3{0, 0, 1});
    EXPECT_TRUE(failures.empty()) << m3d << "\n" << join_failures(failures);
}

// A log's text (or a run's printed messages) without the processing-time
// line, which differs from run to run.
inline std::string log_without_time_text(std::string text) {
    const std::size_t at = text.find(" Total processing time:");
    if (at != std::string::npos) text.erase(at, text.find('\n', at) - at);
    return text;
}

inline std::string log_without_time(const std::filesystem::path& log) { return log_without_time_text(read_file(log)); }

// k x k square plates of side 10 sharing their curves, each its own PLANE subregion.
inline std::string grid_of_plates(int k, double step) {
    SurModel m;
    m.title = std::to_string(k * k) + " plates";
    const auto p = [](int i, int j) { return "P" + std::to_string(i) + "_" + std::to_string(j); };
    const auto h = [](int i, int j) { return "QLH" + std::to_string(i) + "_" + std::to_string(j); };
    const auto v = [](int i, int j) { return "QLV" + std::to_string(i) + "_" + std::to_string(j); };
    const std::string st = " STEP " + num(step) + "\n";
    for (int i = 0; i <= k; ++i) {
        for (int j = 0; j <= k; ++j) {
            m.points += p(i, j) + " " + num(10.0 * i) + " " + num(10.0 * j) + " 0\n";
            if (i < k) m.curves += h(i, j) + " " + p(i, j) + " " + p(i + 1, j) + st;
            if (j < k) m.curves += v(i, j) + " " + p(i, j) + " " + p(i, j + 1) + st;
        }
    }
    for (int i = 0; i < k; ++i)
        for (int j = 0; j < k; ++j) {
            std::string name = "R";  // appended piece by piece: g++ 12 misreads "R" + to_string as overlapping
            name += std::to_string(i);
            name += '_';
            name += std::to_string(j);
            m.subregions += name + " PLANE " + h(i, j) + " " + v(i + 1, j) + " " + h(i, j + 1) + " " + v(i, j) +
                            " REF 0.2\n";
        }
    return m.text();
}

}  // namespace korvex::test
