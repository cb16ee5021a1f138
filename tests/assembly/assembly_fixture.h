// Message capture and small builders of global meshes and patch meshes for
// the assembly tests.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assembly/global_merge.h"
#include "interface/run_settings.h"
#include "model/run.h"

namespace korvex::assembly_test {

// Collects every reported message while alive.
class Messages {
public:
    Messages() {
        store().clear();
        message_callback() = &Messages::on_message;
    }
    ~Messages() { message_callback() = nullptr; }
    Messages(const Messages&) = delete;
    Messages& operator=(const Messages&) = delete;

    std::string text() const {
        std::string t;
        for (const auto& m : store()) t += m;
        return t;
    }
    bool has(const std::string& m) const {
        for (const auto& s : store())
            if (s == m) return true;
        return false;
    }
    bool contains(const std::string& part) const { return text().find(part) != std::string::npos; }
    void clear() { store().clear(); }

private:
    static std::vector<std::string>& store() {
        static std::vector<std::string> s;
        return s;
    }
    static void on_message(const char* text) { store().emplace_back(text); }
};

inline int add_global_node(Run& run, const char* name, double x, double y, double z = 0) {
    const int i = run.num_nodes + 1;
    run.nodes3D.ensure(i);
    run.nodes3D[i] = Node3D{};
    run.nodes3D[i].name = name;
    run.nodes3D[i].set_pos({x, y, z});
    run.nodes3D[i].id = i;
    run.num_nodes = i;
    return i;
}

inline int add_global_element(Run& run, int a, int b, int c, int d, const char* name = "R1") {
    const int e = run.num_elements + 1;
    run.elements.ensure(e);
    run.elements[e].node = {a, b, c, d};
    run.elements[e].name = name;
    run.num_elements = e;
    return e;
}

// One patch mesh as a mesher hands it over: 3D nodes, generator nodes with
// owner names, elements.
struct PatchMesh {
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
    PlanePatchMesh plane() const {
        PlanePatchMesh p;
        p.num_nodes = n;
        p.nodes = nodes;
        p.gen_nodes = gen;
        p.num_elements = m;
        p.elements = elements;
        return p;
    }
};

inline int new_patch(Run& run, const char* name, int type, int id) {
    const int k = run.nPatches + 1;
    run.patches.ensure(k);
    run.patches[k] = Subregion{};
    run.patches[k].name = name;
    run.patches[k].original_name = name;
    run.patches[k].type = type;
    run.patches[k].id = id;
    run.nPatches = k;
    return k;
}

inline int merge(Run& run, int k, PatchMesh& p) {
    return add_to_global(run, run.patches[k], p.n, p.gen, p.nodes, p.m, p.elements);
}

}  // namespace korvex::assembly_test
