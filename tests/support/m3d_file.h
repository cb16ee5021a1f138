// A reader of result (.m3d) files for tests: the title, the NODES block and
// the ELEMENTS block, with the first format error found.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace korvex::test {

struct M3dNode {
    int number = 0;
    double x = 0, y = 0, z = 0;
    std::string name;
};

struct M3dElement {
    int number = 0;
    std::array<int, 4> nodes{};
    std::string name;
};

struct M3dFile {
    std::string title;                 // the title line without its newline
    std::vector<M3dNode> nodes;        // in file order (node k at index k - 1)
    std::vector<M3dElement> elements;  // in file order
    std::string error;                 // empty when the whole file was well formed

    bool ok() const { return error.empty(); }
    // Nodes whose name is exactly this.
    int count_named(const std::string& name) const;
};

// Reads path; a missing file or any deviation from the format sets error.
M3dFile read_m3d(const std::string& path);

}  // namespace korvex::test
