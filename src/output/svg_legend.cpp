// Colours, the document head and the legend band of the SVG pictures.
#include <algorithm>
#include <cstdio>
#include <utility>

#include "output/svg_picture_parts.h"

namespace korvex::output {

namespace {

constexpr double kLegendWrap = kDrawingSize - 40;  // a subregion legend row is at most this wide
constexpr std::size_t kMostNamedSubregions = 60;

std::string escape_xml(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

std::string text_at(double x, double y, const std::string& text) {
    char head[64];
    std::snprintf(head, sizeof head, "<text x=\"%.0f\" y=\"%.0f\">", x, y);
    std::string s = head;
    s += escape_xml(text);
    s += "</text>";
    return s;
}

std::string swatch(double x, double y, double w, double h, const std::string& fill) {
    char row[160];
    std::snprintf(row, sizeof row, "<rect x=\"%.0f\" y=\"%.0f\" width=\"%.0f\" height=\"%.0f\" fill=\"%s\" stroke=\"#303030\" stroke-width=\"0.5\"/>",
                  x, y, w, h, fill.c_str());
    return row;
}

}  // namespace

std::string screen_point(double x, double y) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f,%.2f", x, y);
    return text;
}

std::string svg_head(const Screen& screen, const std::string& title) {
    char head[256];
    std::snprintf(head, sizeof head,
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\">\n",
                  screen.width, screen.height, screen.width, screen.height);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + std::string(head) + "<title>" + escape_xml(title) +
           "</title>\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
}

std::string shade(double sj) {
    const double t = std::clamp(sj, 0.0, 1.0);
    const int red = t < 0.5 ? 220 : static_cast<int>(220 * (1 - t) * 2);
    const int green = t < 0.5 ? static_cast<int>(60 + 140 * t * 2) : 200;
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", red, green, 60);
    return text;
}

std::string subregion_colour(int number) {
    static const char* const palette[] = {"#8dd3c7", "#ffffb3", "#bebada", "#fb8072", "#80b1d3", "#fdb462",
                                          "#b3de69", "#fccde5", "#d9d9d9", "#bc80bd", "#ccebc5", "#ffed6f"};
    constexpr int count = sizeof palette / sizeof palette[0];
    return palette[((number - 1) % count + count) % count];
}

std::string Legend::svg_at(double x, double y) const {
    char head[160];
    std::snprintf(head, sizeof head, "<g class=\"legend\" transform=\"translate(%.0f,%.0f)\" font-family=\"sans-serif\" font-size=\"12\">\n", x, y);
    std::string s = head;
    s += body;
    s += "</g>\n";
    return s;
}

// Eleven swatches from 0 or less on the left to 1 on the right.
Legend quality_legend() {
    Legend legend{240, 58, text_at(0, 12, "scaled Jacobian") + "\n"};
    constexpr int kSteps = 10;
    for (int i = 0; i <= kSteps; ++i) legend.body += swatch(20.0 * i, 20, 20, 16, shade(static_cast<double>(i) / kSteps));
    legend.body += "\n";
    for (const auto& [x, label] : {std::pair{0, "0 or less"}, {104, "0.5"}, {204, "1"}}) legend.body += text_at(x, 52, label);
    legend.body += "\n";
    return legend;
}

// One swatch and name per subregion, in rows of at most kLegendWrap pixels.
Legend subregion_legend(const std::vector<std::string>& names) {
    Legend legend{0, 0, text_at(0, 12, "subregions") + "\n"};
    double x = 0, y = 20;
    const std::size_t shown = std::min(names.size(), kMostNamedSubregions);
    for (std::size_t k = 0; k < shown; ++k) {
        const double width = 14 + 6 + 7.5 * static_cast<double>(names[k].size()) + 14;
        if (x > 0 && x + width > kLegendWrap) x = 0, y += 20;
        legend.body += swatch(x, y, 14, 14, subregion_colour(static_cast<int>(k + 1))) + text_at(x + 20, y + 12, names[k]);
        x += width;
        legend.width = std::max(legend.width, x);
    }
    if (shown < names.size()) {
        if (x > 0) x = 0, y += 20;
        legend.body += text_at(0, y + 12, "and " + std::to_string(names.size() - shown) + " more");
        legend.width = std::max(legend.width, 120.0);
    }
    legend.body += "\n";
    legend.height = y + 22;
    return legend;
}

double legend_marks_height(bool trees, bool points) { return trees || points ? 24 : 0; }

std::string legend_marks(double x, double y, bool trees, bool points) {
    if (!trees && !points) return {};
    Legend marks{0, 24, ""};
    double at = 0;
    if (trees) {
        char line[160];
        std::snprintf(line, sizeof line, "<path d=\"M0,12L24,12\" stroke=\"%s\" stroke-width=\"3.5\"/>", kTreeColour);
        marks.body += line;
        marks.body += text_at(30, 16, "internal tree");
        at = 130;
    }
    if (points) {
        char mark[200];
        std::snprintf(mark, sizeof mark, "<circle cx=\"%.0f\" cy=\"12\" r=\"4.5\" fill=\"white\" stroke=\"#c00000\" stroke-width=\"2\"/>", at + 6);
        marks.body += mark;
        marks.body += text_at(at + 16, 16, "internal point");
    }
    marks.body += "\n";
    return marks.svg_at(x, y + 2);
}

}  // namespace korvex::output
