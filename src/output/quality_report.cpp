// The quality report as text for a reader and as JSON for a program.
#include <cmath>
#include <cstdio>
#include <string>

#include "output/node_sets.h"
#include "output/quality_figures.h"

namespace korvex::output {

namespace {

std::string number(double v) {
    if (!std::isfinite(v)) return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

std::string json_string(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += code;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string json_extreme(const Extreme& e) {
    return "{\"value\": " + number(e.value) + ", \"element\": " + std::to_string(e.element) + "}";
}

std::string json_figures(const QualityFigures& f, const std::string& indent) {
    std::string s;
    const auto field = [&](const char* key, const std::string& value) {
        s += (s.empty() ? "" : ",\n") + indent + "\"" + key + "\": " + value;
    };
    if (!f.name.empty()) field("name", json_string(f.name));
    field("nodes", std::to_string(f.nodes));
    field("elements", std::to_string(f.elements));
    field("min_angle", json_extreme(f.min_angle));
    field("max_angle", json_extreme(f.max_angle));
    field("share_angles_45_135", number(f.share_angles_45_135));
    field("min_scaled_jacobian", json_extreme(f.min_scaled_jacobian));
    field("mean_scaled_jacobian", number(f.mean_scaled_jacobian));
    field("max_aspect_ratio", json_extreme(f.max_aspect_ratio));
    field("max_warpage", json_extreme(f.max_warpage));
    return s;
}

std::string text_figures(const QualityFigures& f) {
    char buffer[1024];
    const auto worst = [](const Extreme& e) { return e.element; };
    std::snprintf(buffer, sizeof buffer,
                  "  nodes %ld, elements %ld\n"
                  "  corner angle          smallest %8.3f deg (element %d), largest %8.3f deg (element %d)\n"
                  "  angles in [45, 135]   %6.2f %% of the elements\n"
                  "  scaled Jacobian       smallest %8.5f (element %d), mean %8.5f\n"
                  "  aspect ratio          largest  %8.4g (element %d)\n"
                  "  warpage               largest  %8.3f deg (element %d)\n",
                  f.nodes, f.elements, f.min_angle.value, worst(f.min_angle), f.max_angle.value, worst(f.max_angle),
                  100.0 * f.share_angles_45_135, f.min_scaled_jacobian.value, worst(f.min_scaled_jacobian),
                  f.mean_scaled_jacobian, f.max_aspect_ratio.value, worst(f.max_aspect_ratio), f.max_warpage.value,
                  worst(f.max_warpage));
    return buffer;
}

std::string json_node_set(const NodeSet& set) {
    std::string s = "{\"name\": " + json_string(set.name) + ", \"kind\": \"" + node_set_kind_word(set.kind) +
                    "\", \"count\": " + std::to_string(set.nodes.size()) + ", \"nodes\": [";
    for (std::size_t k = 0; k < set.nodes.size(); ++k) s += (k ? ", " : "") + std::to_string(set.nodes[k]);
    return s + "]}";
}

}  // namespace

std::string quality_json(const QualityReport& r) {
    std::string s = "{\n" + json_figures(r.mesh, "  ") + ",\n  \"subregions\": [";
    for (std::size_t i = 0; i < r.subregions.size(); ++i)
        s += std::string(i ? "," : "") + "\n    {\n" + json_figures(r.subregions[i], "      ") + "\n    }";
    s += r.subregions.empty() ? "],\n  \"node_sets\": [" : "\n  ],\n  \"node_sets\": [";
    for (std::size_t i = 0; i < r.node_sets.size(); ++i) s += (i ? ",\n    " : "\n    ") + json_node_set(r.node_sets[i]);
    return s + (r.node_sets.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

std::string quality_text(const QualityReport& r) {
    std::string s = "Whole mesh\n" + text_figures(r.mesh);
    for (const QualityFigures& f : r.subregions) s += "Subregion " + f.name + "\n" + text_figures(f);
    if (!r.node_sets.empty()) s += "Node sets\n";
    for (const NodeSet& set : r.node_sets) {
        char line[160];
        std::snprintf(line, sizeof line, "  %-10s %-9s %6zu node%s\n", set.name.c_str(), node_set_kind_word(set.kind),
                      set.nodes.size(), set.nodes.size() == 1 ? "" : "s");
        s += line;
    }
    return s;
}

}  // namespace korvex::output
