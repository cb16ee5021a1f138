// Test models in the two forms the tests need: records filled in memory as
// the reader would fill them (ModelBuilder, plus nodes and elements of the
// global mesh), and the text of a .sur file (SurModel) written to a
// temporary folder (TempDir, ModelFile). Header-only.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "model/run.h"

namespace korvex::test {

// ---- in memory -------------------------------------------------------------

// Appends point nPoints + 1 as the reader would (PINT set by its name).
inline int add_point(Run& run, const char* name, double x, double y, double z = 0.0) {
    const int i = ++run.nPoints;
    run.points.ensure(i);
    ControlPoint& p = run.points[i];
    p.name = name;
    p.set_pos({x, y, z});
    p.id = i;
    p.PINT = p.name.starts_with("PINT") ? 1 : 0;
    return i;
}

struct ModelBuilder {
    Run run;

    int point(const char* name, double x, double y, double z = 0.0) { return add_point(run, name, x, y, z); }

    // A curve by point names; the names are resolved by restore_curves.
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

    // The 10 x 10 square P1..P4 (counter-clockwise from the origin) with its sides QL1..QL4.
    void square() {
        point("P1", 0, 0);
        point("P2", 10, 0);
        point("P3", 10, 10);
        point("P4", 0, 10);
        curve("QL1", {"P1", "P2"});
        curve("QL2", {"P2", "P3"});
        curve("QL3", {"P3", "P4"});
        curve("QL4", {"P4", "P1"});
    }

    int curve_index(const char* name) const {
        for (int i = 1; i <= run.nCurves; ++i)
            if (run.curves[i].name == name) return i;
        return 0;
    }

    // Subregion k's boundary as signed curve names ("-QL3" for a reversed curve).
    std::vector<std::string> signed_names(int k) const {
        const Subregion& s = run.patches[k];
        std::vector<std::string> out;
        for (int m = 1; m <= s.num_curves; ++m) {
            const std::string name = s.curve_names[static_cast<std::size_t>(m)].c_str();
            out.push_back((s.curves_id[static_cast<std::size_t>(m)] < 0 ? "-" : "") + name);
        }
        return out;
    }

    std::vector<int> edge_counts(int k) const {
        const Subregion& s = run.patches[k];
        return std::vector<int>(s.curves_per_edge + 1, s.curves_per_edge + 1 + s.num_edges);
    }
};

// A node and an element appended to the global mesh of a run.
inline int add_node(Run& run, const char* name, double x, double y, double z = 0.0) {
    const int i = run.num_nodes + 1;
    run.nodes3D.ensure(i);
    run.nodes3D[i] = Node3D{};
    run.nodes3D[i].name = name;
    run.nodes3D[i].set_pos({x, y, z});
    run.nodes3D[i].id = i;
    run.num_nodes = i;
    return i;
}

inline int add_element(Run& run, int a, int b, int c, int d, const char* name = "R1") {
    const int e = run.num_elements + 1;
    run.elements.ensure(e);
    run.elements[e].node = {a, b, c, d};
    run.elements[e].name = name;
    run.num_elements = e;
    return e;
}

// ---- as .sur text ----------------------------------------------------------

// A number as a model file would hold it ("10", "2.5", "-0.001").
inline std::string num(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

// A .sur model section by section; text() assembles the file.
struct SurModel {
    std::string title = "Plate";
    std::string head;        // lines between the title and POINTS, e.g. "STEP CONSTANT\n"
    std::string points;      // the lines of each section
    std::string curves;
    std::string subregions;

    std::string text() const {
        return title + "\n" + head + "POINTS\n" + points + "CURVES\n" + curves + "SUBREGIONS\n" + subregions + "END\n";
    }
};

// A w x h rectangle at height z: P1 (0, 0), P2 (w, 0), P3 (w, h), P4 (0, h),
// sides QL1..QL4 counter-clockwise with the given step, and R1 = PLANE of them.
inline SurModel rectangle_sur(double w = 10, double h = 10, double step = 1, double z = 0) {
    SurModel m;
    const std::string zs = " " + num(z) + "\n";
    m.points = "P1 0 0" + zs + "P2 " + num(w) + " 0" + zs + "P3 " + num(w) + " " + num(h) + zs + "P4 0 " + num(h) + zs;
    const std::string st = " STEP " + num(step) + "\n";
    m.curves = "QL1 P1 P2" + st + "QL2 P2 P3" + st + "QL3 P3 P4" + st + "QL4 P4 P1" + st;
    m.subregions = "R1 PLANE QL1 QL2 QL3 QL4 REF 0.2\n";
    return m;
}

// ---- files -----------------------------------------------------------------

inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void write_file(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
public:
    explicit TempDir(const std::string& tag = "test") {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("korvex_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Model text written as model.sur in a TempDir of its own.
class ModelFile {
public:
    explicit ModelFile(const std::string& text) : dir_("model") { write_file(path(), text); }
    std::string path() const { return dir_.file("model.sur"); }

private:
    TempDir dir_;
};

}  // namespace korvex::test
