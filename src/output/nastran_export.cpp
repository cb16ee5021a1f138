// Nastran bulk data: a comment per property naming its subregion, GRID and
// CQUAD4 cards, then the node sets as comment blocks. No materials or
// properties are invented: the analyst adds the PSHELL cards for the
// property ids. The node sets also go to a plain list beside the deck.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/number_format.h"
#include "output/export_formats.h"
#include "output/node_sets.h"

namespace korvex::output {

namespace {

constexpr int kSmallField = 8;

// Shortens "1.5e+03" to "1.5e+3" and makes sure a mantissa has its point.
std::string compact_real(const char* text) {
    std::string s = text;
    const std::size_t e = s.find('e');
    std::string mantissa = s.substr(0, e);
    if (mantissa.find('.') == std::string::npos) mantissa += '.';
    // "0.25" as ".25": a column more for digits.
    const std::size_t zero = mantissa[0] == '-' ? 1 : 0;
    if (mantissa.compare(zero, 2, "0.") == 0 && mantissa.size() > zero + 2) mantissa.erase(zero, 1);
    if (e == std::string::npos) return mantissa;
    std::string exponent = s.substr(e + 2);  // digits after the sign
    while (exponent.size() > 1 && exponent[0] == '0') exponent.erase(0, 1);
    return mantissa + 'e' + s[e + 1] + exponent;
}

std::string field8(const std::string& text) {
    std::string f = text;
    f.resize(kSmallField, ' ');
    return f;
}

void small_field_card(std::ostream& out, const char* name, const std::string* fields, int count) {
    std::string line = field8(name);
    for (int i = 0; i < count; ++i) line += field8(fields[i]);
    while (line.back() == ' ') line.pop_back();
    out << line << '\n';
}

void free_field_card(std::ostream& out, const char* name, const std::string* fields, int count) {
    out << name;
    for (int i = 0; i < count; ++i) out << ',' << fields[i];
    out << '\n';
}

// Free field: every significant digit the result file has, with the point
// Nastran needs to read a real.
std::string real_free(double value) { return compact_real(general_text(value, 15).c_str()); }

}  // namespace

std::string nastran_real8(double value) {
    if (value == 0.0) return "0.";
    for (int digits = 8; digits >= 1; --digits) {
        const std::string s = compact_real(general_text(value, digits).c_str());
        if (s.size() <= static_cast<std::size_t>(kSmallField)) return s;
    }
    return compact_real("0");  // not reached: one digit and an exponent always fit
}

void write_nastran(const ResultMesh& mesh, std::ostream& out, bool small_field) {
    const auto card = small_field ? small_field_card : free_field_card;
    const auto real = small_field ? nastran_real8 : real_free;
    const SubregionNumbering subregions = number_subregions(mesh);
    out << "$ " << mesh.title << '\n';
    for (std::size_t s = 0; s < subregions.names.size(); ++s)
        out << "$ Property " << s + 1 << ": subregion " << subregions.names[s] << '\n';
    out << "BEGIN BULK\n";
    for (std::size_t k = 0; k < mesh.nodes.size(); ++k) {
        const Vec3& p = mesh.nodes[k].p;
        const std::string f[] = {std::to_string(k + 1), "", real(p.x), real(p.y), real(p.z)};
        card(out, "GRID", f, 5);
    }
    for (std::size_t k = 0; k < mesh.elements.size(); ++k) {
        const auto& n = mesh.elements[k].nodes;
        const std::string f[] = {std::to_string(k + 1), std::to_string(subregions.of_element[k]),
                                 std::to_string(n[0]), std::to_string(n[1]), std::to_string(n[2]),
                                 std::to_string(n[3])};
        card(out, "CQUAD4", f, 6);
    }
    // Comments only: the deck means the same to every reader, and a person
    // or a script finds each set between its two delimiting lines.
    constexpr std::size_t kNumbersPerLine = 10;
    for (const NodeSet& set : mesh.node_sets) {
        out << "$ Node set " << set.name << " (" << node_set_kind_word(set.kind) << "): " << set.nodes.size()
            << (set.nodes.size() == 1 ? " node\n" : " nodes\n");
        for (std::size_t k = 0; k < set.nodes.size(); ++k)
            out << (k % kNumbersPerLine == 0 ? "$ " : " ") << set.nodes[k]
                << (k + 1 == set.nodes.size() || (k + 1) % kNumbersPerLine == 0 ? "\n" : "");
        out << "$ End of node set " << set.name << '\n';
    }
    out << "ENDDATA\n";
}

void write_node_set_list(const ResultMesh& mesh, std::ostream& out) {
    out << "# Node sets, one a line: name, kind (curve, point, internal), node count, node numbers\n";
    for (const NodeSet& set : mesh.node_sets) {
        out << set.name << ' ' << node_set_kind_word(set.kind) << ' ' << set.nodes.size();
        for (int n : set.nodes) out << ' ' << n;
        out << '\n';
    }
}

}  // namespace korvex::output
