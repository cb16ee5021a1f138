// The pieces a picture is assembled from: the screen frame, colours, the
// legend band under the drawing and the internal point marks.
#pragma once

#include <string>
#include <vector>

namespace korvex::output {

constexpr double kDrawingSize = 800;  // the longer side of the model, in pixels
constexpr double kMargin = 20;
constexpr const char* kTreeColour = "#1f3fbf";

// screen = ((s - left) * scale + margin, (top - t) * scale + margin)
struct Screen {
    double scale = 1, left = 0, top = 0;
    double width = 0, height = 0, drawing_height = 0;
    double x(double s) const { return (s - left) * scale + kMargin; }
    double y(double t) const { return (top - t) * scale + kMargin; }
};

std::string screen_point(double x, double y);
std::string svg_head(const Screen& screen, const std::string& title);

// Red at a scaled Jacobian of 0 and below, through yellow at 0.5, to green at 1.
std::string shade(double scaled_jacobian);
// A colour per subregion number (1, 2, ...), repeating after twelve.
std::string subregion_colour(int subregion_number);

struct Legend {
    double width = 0, height = 0;
    std::string body;  // drawn from (0, 0)
    std::string svg_at(double x, double y) const;
};
Legend quality_legend();
Legend subregion_legend(const std::vector<std::string>& names);

// The line under the legend explaining tree lines and point marks, if any.
double legend_marks_height(bool trees, bool points);
std::string legend_marks(double x, double y, bool trees, bool points);

struct MarkedPoint {
    int node = 0;      // node number
    std::string name;  // shown as the mark's tooltip
};

template <class At>
std::string marked_points(const std::vector<MarkedPoint>& points, const At& at) {
    if (points.empty()) return {};
    std::string s = "<g class=\"internal-points\" fill=\"white\" stroke=\"#c00000\" stroke-width=\"2\">\n";
    for (const MarkedPoint& p : points) {
        const std::string xy = at(p.node);
        const std::size_t comma = xy.find(',');
        s.append("<circle cx=\"").append(xy.substr(0, comma)).append("\" cy=\"").append(xy.substr(comma + 1));
        s.append("\" r=\"4.5\"><title>").append(p.name).append("</title></circle>\n");
    }
    return s + "</g>\n";
}

}  // namespace korvex::output
