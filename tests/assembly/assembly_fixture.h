// Small builders of global meshes and patch meshes for the assembly tests.
#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assembly/global_merge.h"
#include "model/run.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::assembly_test {

using Messages = test::MessageCapture;
using test::add_element;
using test::add_node;

// One patch mesh as a mesher hands it over: 3D nodes, generator nodes with
// owner names, elements.
struct TestPatch {
    int n = 0;
    int m = 0;
    Array1<Node3D> nodes;
    Array1<GenNode> gen;
    Array1<GenElement> elements;

    // name: the 3D name; owner: the generator's name (defaults to name).
    int node(const char* name, double x, double y, double z = 0, const char* owner = nullptr) {
        ++n;
        nodes.ensure(n);
        gen.ensure(n);
        nodes[n] = Node3D{};
        nodes[n].name = name;
        nodes[n].name_saved = name;
        nodes[n].set_pos({x, y, z});
        nodes[n].id = n;
        gen[n] = GenNode{};
        gen[n].name = owner ? owner : name;
        return n;
    }
    int element(int a, int b, int c, int d, const char* name) {
        ++m;
        elements.ensure(m);
        elements[m] = GenElement{};
        elements[m].corner1 = a;
        elements[m].corner2 = b;
        elements[m].corner3 = c;
        elements[m].corner4 = d;
        elements[m].name = name;
        return m;
    }
    // The patch mesh a mesher would return.
    korvex::PatchMesh mesh() const {
        korvex::PatchMesh out;
        out.num_nodes = n;
        out.nodes = nodes;
        out.gen_nodes = gen;
        out.num_elements = m;
        out.elements = elements;
        return out;
    }
};

// A node given by value: name, position, and the generator's owner name
// (defaults to the name).
struct N {
    const char* name;
    double x, y;
    const char* owner = nullptr;
};

// A patch mesh of the given nodes and one element over `corners`.
inline TestPatch patch(std::initializer_list<N> nodes, std::array<int, 4> corners = {1, 2, 3, 4},
                       const char* region = "R1") {
    TestPatch p;
    for (const N& n : nodes) p.node(n.name, n.x, n.y, 0, n.owner);
    p.element(corners[0], corners[1], corners[2], corners[3], region);
    return p;
}

inline void add_global_nodes(Run& run, std::initializer_list<N> nodes) {
    for (const N& n : nodes) add_node(run, n.name, n.x, n.y);
}

inline int new_patch(Run& run, const char* name, int type, int id) {
    const int k = ++run.nPatches;
    run.patches.ensure(k);
    run.patches[k] = Subregion{};
    run.patches[k].name = name;
    run.patches[k].original_name = name;
    run.patches[k].type = type;
    run.patches[k].id = id;
    return k;
}

inline int merge(Run& run, int k, const TestPatch& p) {
    korvex::PatchMesh mesh = p.mesh();
    return add_to_global(run, run.patches[k], mesh);
}

inline int merge_plane(Run& run, int k, const TestPatch& p) {
    korvex::PatchMesh mesh = p.mesh();
    return add_to_global_plane(run, run.patches[k], mesh);
}

// The names of the global nodes in order.
inline std::vector<std::string> node_names(const Run& run) {
    std::vector<std::string> out;
    for (int k = 1; k <= run.num_nodes; ++k) out.emplace_back(run.nodes3D[k].name.view());
    return out;
}
using Names = std::vector<std::string>;

// Curve 1, named `name` and read as `name_original`, with its one generated
// node P$000001 at (1, 0).
inline void add_curve_with_node(Run& run, const char* name, const char* name_original) {
    run.nCurves = 1;
    run.curves.ensure(1);
    run.curves[1].name = name;
    run.curves[1].name_original = name_original;
    run.curves[1].step = 1;
    run.curves[1].num_new_points = 1;
    run.curves[1].new_points_id[1] = 1;
    run.new_points.ensure(1);
    run.new_points[1].name = "P$000001";
    run.new_points[1].set_pos({1, 0, 0});
    run.num_new_points = 1;
}

}  // namespace korvex::assembly_test
