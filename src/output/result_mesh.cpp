#include "output/result_mesh.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

namespace korvex::output {

namespace {

// Reads the word "Node :" or "Element :" followed by the record's number;
// `rest` points after the number.
bool read_head(const std::string& line, const char* word, long expected, const char*& rest) {
    const std::size_t n = std::strlen(word);
    if (line.compare(0, n, word) != 0) return false;
    const char* s = line.c_str() + n;
    while (*s == ' ') ++s;
    if (*s++ != ':') return false;
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(s, &end, 10);
    if (end == s || errno != 0 || number != expected) return false;
    rest = end;
    return true;
}

// The last word of the line, or "" when the line ends after the numbers.
std::string trailing_name(const char* s) {
    while (*s == ' ' || *s == '\t') ++s;
    std::string name(s);
    while (!name.empty() && (name.back() == '\r' || name.back() == ' ' || name.back() == '\t')) name.pop_back();
    return name;
}

bool parse_node(const std::string& line, long number, MeshNode& node) {
    const char* s = nullptr;
    if (!read_head(line, "Node", number, s)) return false;
    for (int c = 0; c < 3; ++c) {
        char* end = nullptr;
        node.p[c] = std::strtod(s, &end);
        if (end == s) return false;
        s = end;
    }
    node.name = trailing_name(s);
    return true;
}

bool parse_element(const std::string& line, long number, long node_count, MeshElement& e) {
    const char* s = nullptr;
    if (!read_head(line, "Element", number, s)) return false;
    for (int c = 0; c < 4; ++c) {
        char* end = nullptr;
        const long v = std::strtol(s, &end, 10);
        if (end == s || v < 1 || v > node_count) return false;
        e.nodes[static_cast<std::size_t>(c)] = static_cast<int>(v);
        s = end;
    }
    e.subregion = trailing_name(s);
    return true;
}

}  // namespace

bool read_result_mesh(const std::string& path, ResultMesh& mesh, std::string& error) {
    mesh = ResultMesh{};
    std::ifstream in(path);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    long line_number = 0;
    std::string line;
    auto next = [&]() {
        if (!std::getline(in, line)) return false;
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    };
    auto fail = [&](const std::string& what) {
        error = path + ":" + std::to_string(line_number) + ": " + what;
        return false;
    };
    if (!next()) return fail("empty file");
    mesh.title = line;
    if (!next() || line != "NODES") return fail("expected NODES");
    while (next() && line != "END_OF_NODES") {
        MeshNode node;
        if (!parse_node(line, static_cast<long>(mesh.nodes.size()) + 1, node)) return fail("bad node line");
        mesh.nodes.push_back(std::move(node));
    }
    if (line != "END_OF_NODES") return fail("expected END_OF_NODES");
    if (!next() || line != "ELEMENTS") return fail("expected ELEMENTS");
    const long node_count = static_cast<long>(mesh.nodes.size());
    while (next() && line != "END_OF_ELEMENTS") {
        MeshElement e;
        if (!parse_element(line, static_cast<long>(mesh.elements.size()) + 1, node_count, e))
            return fail("bad element line");
        mesh.elements.push_back(std::move(e));
    }
    if (line != "END_OF_ELEMENTS") return fail("expected END_OF_ELEMENTS");
    if (!next() || line != "END") return fail("expected END");
    return true;
}

SubregionNumbering number_subregions(const ResultMesh& mesh) {
    SubregionNumbering s;
    std::map<std::string, int> number;
    s.of_element.reserve(mesh.elements.size());
    for (const MeshElement& e : mesh.elements) {
        auto [it, added] = number.try_emplace(e.subregion, static_cast<int>(s.names.size()) + 1);
        if (added) s.names.push_back(e.subregion);
        s.of_element.push_back(it->second);
    }
    return s;
}

}  // namespace korvex::output
