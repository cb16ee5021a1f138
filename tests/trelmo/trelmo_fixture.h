// Building generator input in a few lines, running call_Trelmo with the
// messages captured, and checking the result with the mesh checker.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "interface/run_settings.h"
#include "support/mesh_checker.h"
#include "trelmo/trelmo.h"

namespace korvex::test {

// Captures every message of the generator while alive.
class MessageCapture {
public:
    MessageCapture() {
        text().clear();
        saved_ = message_callback();
        message_callback() = &MessageCapture::append;
    }
    ~MessageCapture() { message_callback() = saved_; }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;
    static std::string& text() {
        static std::string t;
        return t;
    }

private:
    static void append(const char* s) { text() += s; }
    MessageCallback saved_;
};

struct TrelmoResult {
    int ok = 0;
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
    void point(const char* name, double x, double y) {
        points_.ensure(++np_);
        points_[np_] = GenPoint{name, x, y};
    }
    GenEntity& line(const char* name, const char* start, const char* end, int steps) {
        GenEntity& e = add(name, start, end);
        e.division_mode = DIVISION_BY_COUNT;
        e.num_steps = steps;
        return e;
    }
    GenEntity& line_step(const char* name, const char* start, const char* end, double step) {
        GenEntity& e = add(name, start, end);
        e.division_mode = DIVISION_BY_STEP;
        e.step = step;
        return e;
    }
    GenEntity& arc(const char* name, int type, const char* start, const char* end, const char* third, int arc_kind,
                   int steps) {
        GenEntity& e = line(name, start, end, steps);
        e.type = type;
        e.third = third;
        e.arc_kind = arc_kind;
        return e;
    }
    void subregion(const char* name, std::initializer_list<const char*> entity_names, double REF = 0.0) {
        subs_.ensure(++ns_);
        GenSubregion& s = subs_[ns_];
        s.name = name;
        s.REF = REF;
        s.num_entities = static_cast<int>(entity_names.size());
        s.entity_names.reset(entity_names.size());
        int k = 0;
        for (const char* n : entity_names) s.entity_names[++k] = n;
    }
    // A closed polygon P1..Pn with lines L1..Ln (Li from Pi to Pi+1), `steps`
    // segments on each, as subregion R1 (CCW when the points are).
    void polygon(const std::vector<std::pair<double, double>>& corners, const std::vector<int>& steps,
                 double REF = 0.0) {
        const int n = static_cast<int>(corners.size());
        for (int i = 0; i < n; ++i) point(("P" + std::to_string(i + 1)).c_str(), corners[static_cast<std::size_t>(i)].first, corners[static_cast<std::size_t>(i)].second);
        for (int i = 0; i < n; ++i)
            line(("L" + std::to_string(i + 1)).c_str(), ("P" + std::to_string(i + 1)).c_str(),
                 ("P" + std::to_string((i + 1) % n + 1)).c_str(), steps[static_cast<std::size_t>(i) % steps.size()]);
        subs_.ensure(++ns_);
        GenSubregion& s = subs_[ns_];
        s.name = "R1";
        s.REF = REF;
        s.num_entities = n;
        s.entity_names.reset(static_cast<std::size_t>(n));
        for (int i = 1; i <= n; ++i) s.entity_names[i] = ("L" + std::to_string(i)).c_str();
    }

    TrelmoResult run(TrelmoLimits limits = {}) const {
        TrelmoResult r;
        MessageCapture capture;
        r.ok = call_Trelmo(points_, np_, entities_, ne_, subs_, ns_, r.nodes, r.num_nodes, r.elements, r.num_elements,
                           limits, r.all_singular_repaired);
        r.messages = MessageCapture::text();
        return r;
    }

    // The boundary chain along the given entities (name, forward) in order:
    // the start point's node, then the entity's nodes from start to end
    // (reversed for a backward entity).
    std::vector<int> chain(const TrelmoResult& r, const std::vector<std::pair<std::string, bool>>& along) const {
        std::vector<int> c;
        for (const auto& [name, forward] : along) {
            const GenEntity* e = find(name);
            if (!e) continue;
            c.push_back(node_named(r, forward ? e->start.c_str() : e->end.c_str(), NODE_KIND_POINT));
            std::vector<int> inner;
            for (int i = 1; i <= r.num_nodes; ++i)
                if (r.nodes[i].kind == NODE_KIND_ENTITY && r.nodes[i].name.view() == name) inner.push_back(i);
            if (!forward) std::reverse(inner.begin(), inner.end());
            c.insert(c.end(), inner.begin(), inner.end());
        }
        return c;
    }
    // Chain of entities L1..Ln all forward.
    std::vector<int> polygon_chain(const TrelmoResult& r) const {
        std::vector<std::pair<std::string, bool>> along;
        for (int i = 1; i <= ne_; ++i) along.push_back({entities_[i].name.c_str(), true});
        return chain(r, along);
    }

    int num_subregions() const { return ns_; }
    const Array1<GenPoint>& points() const { return points_; }
    int num_points() const { return np_; }
    const Array1<GenEntity>& entities() const { return entities_; }
    int num_entities() const { return ne_; }
    const Array1<GenSubregion>& subregions() const { return subs_; }

private:
    GenEntity& add(const char* name, const char* start, const char* end) {
        entities_.ensure(++ne_);
        GenEntity& e = entities_[ne_];
        e = GenEntity{};
        e.name = name;
        e.start = start;
        e.end = end;
        return e;
    }
    const GenEntity* find(const std::string& name) const {
        for (int i = 1; i <= ne_; ++i)
            if (entities_[i].name.view() == name) return &entities_[i];
        return nullptr;
    }
    static int node_named(const TrelmoResult& r, const char* name, int kind) {
        for (int i = 1; i <= r.num_nodes; ++i)
            if (r.nodes[i].kind == kind && r.nodes[i].name.view() == name) return i;
        return 0;
    }

    Array1<GenPoint> points_;
    int np_ = 0;
    Array1<GenEntity> entities_;
    int ne_ = 0;
    Array1<GenSubregion> subs_;
    int ns_ = 0;
};

// Runs the mesh checker on a generator result.
inline std::vector<std::string> check_result(const TrelmoResult& r, std::vector<std::vector<int>> chains = {}) {
    std::vector<Point2> nodes;
    for (int i = 1; i <= r.num_nodes; ++i) nodes.push_back({r.nodes[i].x, r.nodes[i].y});
    std::vector<Quad> quads;
    for (int e = 1; e <= r.num_elements; ++e) {
        const GenElement& el = r.elements[e];
        quads.push_back({el.corner1, el.corner2, el.corner3, el.corner4});
    }
    MeshCheckOptions o;
    o.boundary_chains = std::move(chains);
    return check_quad_mesh(nodes, quads, o);
}

}  // namespace korvex::test
