#include "support/m3d_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace korvex::test {

namespace {

bool parse_node(const std::string& line, M3dNode& n) {
    std::istringstream in(line);
    std::string word, colon;
    if (!(in >> word >> colon) || word != "Node" || colon != ":") return false;
    if (!(in >> n.number >> n.x >> n.y >> n.z)) return false;
    in >> n.name;
    return true;
}

bool parse_element(const std::string& line, M3dElement& e) {
    std::istringstream in(line);
    std::string word, colon;
    if (!(in >> word >> colon) || word != "Element" || colon != ":") return false;
    if (!(in >> e.number >> e.nodes[0] >> e.nodes[1] >> e.nodes[2] >> e.nodes[3])) return false;
    in >> e.name;
    return true;
}

}  // namespace

int M3dFile::count_named(const std::string& name) const {
    int n = 0;
    for (const M3dNode& node : nodes)
        if (node.name == name) ++n;
    return n;
}

M3dFile read_m3d(const std::string& path) {
    M3dFile f;
    std::ifstream in(path);
    if (!in) {
        f.error = "cannot open " + path;
        return f;
    }
    std::string line;
    if (!std::getline(in, f.title)) {
        f.error = "empty file";
        return f;
    }
    auto expect = [&](const char* keyword) {
        if (std::getline(in, line) && line == keyword) return true;
        if (f.error.empty()) f.error = std::string("expected ") + keyword + ", found \"" + line + "\"";
        return false;
    };
    if (!expect("NODES")) return f;
    while (std::getline(in, line) && line != "END_OF_NODES") {
        M3dNode n;
        if (!parse_node(line, n) || n.number != static_cast<int>(f.nodes.size()) + 1) {
            f.error = "bad node line \"" + line + "\"";
            return f;
        }
        f.nodes.push_back(n);
    }
    if (line != "END_OF_NODES") {
        f.error = "missing END_OF_NODES";
        return f;
    }
    if (!expect("ELEMENTS")) return f;
    while (std::getline(in, line) && line != "END_OF_ELEMENTS") {
        M3dElement e;
        if (!parse_element(line, e) || e.number != static_cast<int>(f.elements.size()) + 1) {
            f.error = "bad element line \"" + line + "\"";
            return f;
        }
        for (int k : e.nodes)
            if (k < 1 || k > static_cast<int>(f.nodes.size())) {
                f.error = "element refers to a missing node: \"" + line + "\"";
                return f;
            }
        f.elements.push_back(e);
    }
    if (line != "END_OF_ELEMENTS") {
        f.error = "missing END_OF_ELEMENTS";
        return f;
    }
    expect("END");
    return f;
}

}  // namespace korvex::test
