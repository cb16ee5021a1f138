// Generator input built in a few lines, call_Trelmo run with its messages
// captured, small meshes built node by node for the unit tests, and the
// shared mesh checker applied to either.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "base/run_settings.h"
#include "support/mesh_checker.h"
#include "support/message_capture.h"
#include "trelmo/trelmo.h"
#include "trelmo/trelmo_internal.h"

namespace korvex::test {

struct TrelmoResult {
    int ok = 0;
    int code = 0;   // trelmo's own return code
    std::string messages;
    Array1<GenNode> nodes;
    int num_nodes = 0;
    Array1<GenElement> elements;
    int num_elements = 0;
    int all_singular_repaired = 1;

    int count_kind(int kind) const {
        int c = 0;
        for (int i = 1; i <= num_nodes; ++i) c += nodes[i].kind == kind;
        return c;
    }
    bool said(const std::string& s) const { return messages.find(s) != std::string::npos; }
};

class Region {
public:
    TrelmoLimits limits;

    void point(const std::string& name, double x, double y) {
        points_.ensure(++np_);
        points_[np_] = GenPoint{name.c_str(), x, y};
    }
    GenEntity& line(const std::string& name, const std::string& start, const std::string& end, int steps) {
        entities_.ensure(++ne_);
        GenEntity& e = entities_[ne_] = GenEntity{};
        e.name = name.c_str();
        e.start = start.c_str();
        e.end = end.c_str();
        e.division_mode = DIVISION_BY_COUNT;
        e.num_steps = steps;
        return e;
    }
    struct NamedPoint { std::string name; double x, y; };
    void points(const std::vector<NamedPoint>& list) {
        for (const NamedPoint& p : list) point(p.name, p.x, p.y);
    }
    struct NamedLine { std::string name, start, end; int steps; };
    void lines(const std::vector<NamedLine>& list) {
        for (const NamedLine& l : list) line(l.name, l.start, l.end, l.steps);
    }
    GenEntity& entity(int k) { return entities_[k]; }
    GenEntity& arc(const char* name, int type, const char* start, const char* end, const char* third, int arc_kind,
                   int steps) {
        GenEntity& e = line(name, start, end, steps);
        e.type = type;
        e.third = third;
        e.arc_kind = arc_kind;
        return e;
    }
    void subregion(const char* name, const std::vector<std::string>& entity_names, double REF = 0.0) {
        subs_.ensure(++ns_);
        GenSubregion& s = subs_[ns_];
        s.name = name;
        s.REF = REF;
        s.num_entities = static_cast<int>(entity_names.size());
        s.entity_names.reset(entity_names.size());
        for (int k = 1; k <= s.num_entities; ++k) s.entity_names[k] = entity_names[k - 1].c_str();
    }
    // call_Trelmo's result, with the code trelmo returns for the same input.
    TrelmoResult run() const {
        TrelmoResult r;
        MessageCapture capture;
        r.ok = call_Trelmo(points_, np_, entities_, ne_, subs_, ns_, r.nodes, r.num_nodes, r.elements, r.num_elements,
                           limits, r.all_singular_repaired);
        r.messages = capture.text();
        r.code = TM_OK;
        if (!r.ok) {
            TrelmoResult again;
            r.code = trelmo(points_, np_, entities_, ne_, subs_, ns_, again.nodes, again.num_nodes, again.elements,
                            again.num_elements, limits, again.all_singular_repaired);
        }
        return r;
    }

    // A context over this input with empty work arrays, for calling one phase.
    TrelmoContext context() const {
        TrelmoContext ctx{points_, np_, entities_, ne_, subs_, ns_, limits, {}, {}, {}, {}, {}, {}};
        ctx.point_work.reset(static_cast<std::size_t>(np_));
        ctx.entity_work.reset(static_cast<std::size_t>(ne_));
        ctx.sub_work.reset(static_cast<std::size_t>(ns_));
        ctx.layer_flags.reset(static_cast<std::size_t>(ns_));
        return ctx;
    }

    // The boundary chain along the given entities (L1..Ln when none are
    // given), each forward: its start point's node, then its own nodes.
    std::vector<int> chain(const TrelmoResult& r, std::vector<std::string> along = {}) const {
        if (along.empty())
            for (int k = 1; k <= ne_; ++k) along.push_back(entities_[k].name.c_str());
        std::vector<int> c;
        for (const std::string& name : along) {
            int k = 1;
            while (entities_[k].name.view() != name) ++k;   // an unknown name throws (bounds check)
            for (int i = 1; i <= r.num_nodes; ++i)
                if (r.nodes[i].kind == NODE_KIND_POINT && r.nodes[i].name.view() == entities_[k].start.view()) c.push_back(i);
            for (int i = 1; i <= r.num_nodes; ++i)
                if (r.nodes[i].kind == NODE_KIND_ENTITY && r.nodes[i].name.view() == name) c.push_back(i);
        }
        return c;
    }

private:
    Array1<GenPoint> points_;
    int np_ = 0;
    Array1<GenEntity> entities_;
    int ne_ = 0;
    Array1<GenSubregion> subs_;
    int ns_ = 0;
};

// A closed polygon P1..Pn with lines L1..Ln (Li from Pi to Pi+1) and
// steps[i % steps.size()] segments on Li, as subregion R1.
inline Region polygon(const std::vector<std::pair<double, double>>& corners, const std::vector<int>& steps,
                      double REF = 0.0) {
    Region r;
    const std::size_t n = corners.size();
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < n; ++i) {
        r.point("P" + std::to_string(i + 1), corners[i].first, corners[i].second);
        lines.push_back("L" + std::to_string(i + 1));
        r.line(lines.back(), "P" + std::to_string(i + 1), "P" + std::to_string((i + 1) % n + 1), steps[i % steps.size()]);
    }
    r.subregion("R1", lines, REF);
    return r;
}

// ---- small meshes for the unit tests -------------------------------------

inline TrelmoMesh mesh_of(const std::vector<std::pair<double, double>>& xy, int kind = NODE_KIND_INTERIOR) {
    TrelmoMesh m;
    m.allocate(TM_INITIAL_CAPACITY);
    for (const auto& [x, y] : xy) append_node(m, x, y, kind, "R1");
    return m;
}

// Node i of the mesh lies at (x, y).
inline ::testing::AssertionResult node_at(const TrelmoMesh& m, int i, double x, double y) {
    if (i > m.num_nodes) return ::testing::AssertionFailure() << "no node " << i;
    const GenNode& n = m.nodes[i];
    if (std::fabs(n.x - x) < 1e-12 && std::fabs(n.y - y) < 1e-12) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "node " << i << " at (" << n.x << ", " << n.y << "), not (" << x << ", " << y << ")";
}

inline std::vector<int> upto(int n) {
    std::vector<int> v;
    for (int i = 1; i <= n; ++i) v.push_back(i);
    return v;
}

inline NodeLoop loop_of(const std::vector<int>& nodes) {
    NodeLoop l;
    for (int n : nodes) l.push(n);
    return l;
}

inline NodeLoop loop_upto(int n) { return loop_of(upto(n)); }

// A loop table holding the loop 1..n of subregion R1.
inline LoopTable one_loop_table(int n, double REF = 0.0) {
    LoopTable t;
    t.capacity = MAX_LOOPS_PER_SUBREGION;
    t.loops.reset(MAX_LOOPS_PER_SUBREGION);
    t.count = 1;
    t.loops[1].loop = loop_upto(n);
    t.loops[1].name = "R1";
    t.loops[1].subregion = 1;
    t.loops[1].REF = REF;
    return t;
}

// Runs the mesh checker on a TrelmoMesh or a TrelmoResult; the failures
// become the assertion's message.
template <class Mesh>
::testing::AssertionResult valid_mesh(const Mesh& m, std::vector<std::vector<int>> chains = {}, bool convex = true) {
    std::vector<Point2> nodes;
    for (int i = 1; i <= m.num_nodes; ++i) nodes.push_back({m.nodes[i].x, m.nodes[i].y});
    std::vector<Quad> quads;
    for (int e = 1; e <= m.num_elements; ++e) {
        const GenElement& el = m.elements[e];
        quads.push_back({el.corner1, el.corner2, el.corner3, el.corner4});
    }
    MeshCheckOptions o;
    o.boundary_chains = std::move(chains);
    o.require_convex_corners = convex;
    const auto failures = check_quad_mesh(nodes, quads, o);
    if (failures.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << join_failures(failures);
}

}  // namespace korvex::test
