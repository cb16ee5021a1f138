// Small models built in memory for the tests of the input checks and the
// general preprocessor, and a capture of the messages a stage reports.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "interface/run_settings.h"
#include "model/run.h"

namespace korvex::test {

// Routes every message of its lifetime into text(); restores the previous
// callback when it ends.
class MessageCapture {
public:
    MessageCapture() : previous_(message_callback()) {
        buffer().clear();
        message_callback() = &collect;
    }
    ~MessageCapture() { message_callback() = previous_; }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    const std::string& text() const { return buffer(); }
    bool contains(const std::string& s) const { return buffer().find(s) != std::string::npos; }
    void clear() { buffer().clear(); }

private:
    static std::string& buffer() {
        static std::string b;
        return b;
    }
    static void collect(const char* msg) { buffer() += msg; }
    MessageCallback previous_;
};

// Fills points, curves and subregions of a Run directly, as the reader would.
struct ModelBuilder {
    Run run;

    int point(const char* name, double x, double y, double z = 0.0) {
        const int i = ++run.nPoints;
        run.points.ensure(i);
        ControlPoint& p = run.points[i];
        p.name = name;
        p.x = x;
        p.y = y;
        p.z = z;
        p.id = i;
        p.PINT = p.name.starts_with("PINT") ? 1 : 0;
        return i;
    }

    int curve(const char* name, std::initializer_list<const char*> point_names, double step = 1.0) {
        const int i = ++run.nCurves;
        run.curves.ensure(i);
        Curve& c = run.curves[i];
        c.name = name;
        c.id = i;
        c.step = step;
        for (const char* p : point_names) c.point_names[static_cast<std::size_t>(++c.num_points)] = p;
        return i;
    }

    // One vector of curve names per edge; PLANE and CYLINDER have one edge.
    int patch(const char* name, int type, const std::vector<std::vector<const char*>>& edges) {
        const int k = run.new_patch_slot();
        run.nPatches = k;
        Subregion& s = run.patches[k];
        s.name = name;
        s.type = type;
        s.id = k;
        s.num_edges = static_cast<int>(edges.size());
        for (std::size_t e = 0; e < edges.size(); ++e) {
            s.curves_per_edge[e + 1] = static_cast<int>(edges[e].size());
            for (const char* c : edges[e]) s.curve_names[static_cast<std::size_t>(++s.num_curves)] = c;
        }
        return k;
    }

    int curve_index(const char* name) const {
        for (int i = 1; i <= run.nCurves; ++i)
            if (run.curves[i].name == name) return i;
        return 0;
    }

    // The subregion's boundary list as signed curve names ("-QL3" for a
    // reversed curve), for compact expectations.
    std::vector<std::string> signed_names(int k) const {
        const Subregion& s = run.patches[k];
        std::vector<std::string> out;
        for (int m = 1; m <= s.num_curves; ++m) {
            const int id = s.curves_id[static_cast<std::size_t>(m)];
            const std::string name = s.curve_names[static_cast<std::size_t>(m)].c_str();
            out.push_back((id < 0 ? "-" : "") + name);
        }
        return out;
    }

    std::vector<int> edge_counts(int k) const {
        const Subregion& s = run.patches[k];
        return std::vector<int>(s.curves_per_edge + 1, s.curves_per_edge + 1 + s.num_edges);
    }
};

// The 10 x 10 square P1..P4 with its sides QL1..QL4.
inline void add_square(ModelBuilder& m) {
    m.point("P1", 0, 0);
    m.point("P2", 10, 0);
    m.point("P3", 10, 10);
    m.point("P4", 0, 10);
    m.curve("QL1", {"P1", "P2"});
    m.curve("QL2", {"P2", "P3"});
    m.curve("QL3", {"P3", "P4"});
    m.curve("QL4", {"P4", "P1"});
}

}  // namespace korvex::test
