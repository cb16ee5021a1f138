// The edges of a subregion, each already one chain, are put in order around
// the boundary: edge 1 first and forward, then every edge that continues
// where the previous one ends, reversed when it is met against its chain.
#include <cstdlib>
#include <vector>

#include "base/messages.h"
#include "input/curve_ends.h"
#include "input/general_preprocessor.h"

namespace korvex {

namespace {

struct EdgeSpan {
    int first_slot = 0;
    int count = 0;
    int start = 0;  // start point of the edge's chain
    int end = 0;    // end point of the edge's chain
};

struct PlacedEdge {
    int edge;
    bool reversed;
};

std::vector<EdgeSpan> edge_spans(const Run& run, const Subregion& s) {
    std::vector<EdgeSpan> spans(static_cast<std::size_t>(s.num_edges) + 1);
    int slot = 1;
    for (int e = 1; e <= s.num_edges; ++e) {
        EdgeSpan& sp = spans[static_cast<std::size_t>(e)];
        sp.first_slot = slot;
        sp.count = s.curves_per_edge[e];
        const auto first = static_cast<std::size_t>(slot);
        const auto last = static_cast<std::size_t>(slot + sp.count - 1);
        sp.start = traversal_start(run.curves, s.curves_id[first]);
        sp.end = traversal_end(run.curves, s.curves_id[last]);
        slot += sp.count;
    }
    return spans;
}

// Edge 1 forward, then repeatedly the first unplaced edge (from edge 2 on)
// that starts or ends where the loop has got to; stops when none continues.
std::vector<PlacedEdge> place_edges(const std::vector<EdgeSpan>& spans, int& current) {
    const int n = static_cast<int>(spans.size()) - 1;
    std::vector<bool> placed(spans.size(), false);
    std::vector<PlacedEdge> order{{1, false}};
    placed[1] = true;
    current = spans[1].end;
    for (bool found = true; found;) {
        found = false;
        for (int e = 2; e <= n && !found; ++e) {
            const EdgeSpan& sp = spans[static_cast<std::size_t>(e)];
            if (placed[static_cast<std::size_t>(e)]) continue;
            if (sp.start == current) {
                order.push_back({e, false});
                current = sp.end;
                found = true;
            } else if (sp.end == current) {
                order.push_back({e, true});
                current = sp.start;
                found = true;
            }
            if (found) placed[static_cast<std::size_t>(e)] = true;
        }
    }
    return order;
}

int first_unplaced_edge(const std::vector<PlacedEdge>& order, int num_edges) {
    std::vector<bool> placed(static_cast<std::size_t>(num_edges) + 1, false);
    for (const PlacedEdge& p : order) placed[static_cast<std::size_t>(p.edge)] = true;
    for (int e = 1; e <= num_edges; ++e)
        if (!placed[static_cast<std::size_t>(e)]) return e;
    return 0;
}

void rewrite_in_loop_order(Run& run, Subregion& s, const std::vector<EdgeSpan>& spans,
                           const std::vector<PlacedEdge>& order) {
    std::vector<int> ids;
    int new_counts[5] = {0, 0, 0, 0, 0};
    for (std::size_t pos = 0; pos < order.size(); ++pos) {
        const EdgeSpan& sp = spans[static_cast<std::size_t>(order[pos].edge)];
        new_counts[pos + 1] = sp.count;
        for (int m = 0; m < sp.count; ++m) {
            if (order[pos].reversed)
                ids.push_back(-s.curves_id[static_cast<std::size_t>(sp.first_slot + sp.count - 1 - m)]);
            else
                ids.push_back(s.curves_id[static_cast<std::size_t>(sp.first_slot + m)]);
        }
    }
    for (std::size_t pos = 1; pos <= order.size(); ++pos) s.curves_per_edge[pos] = new_counts[pos];
    for (std::size_t m = 0; m < ids.size(); ++m) {
        s.curves_id[m + 1] = ids[m];
        s.curve_names[m + 1] = run.curves[std::abs(ids[m])].name;
    }
}

void report_open_boundary(const Run& run, const Subregion& s, int from, int to) {
    report(" Input data error: patch %s:\n    its boundary is not closed\n    (it runs from point %s to point %s).\n",
           s.name.c_str(), run.points[from].name.c_str(), run.points[to].name.c_str());
}

}  // namespace

int order_edges_into_loop(Run& run, int k, int closing_point) {
    Subregion& s = run.patches[k];
    const std::vector<EdgeSpan> spans = edge_spans(run, s);
    int current = 0;
    const std::vector<PlacedEdge> order = place_edges(spans, current);
    if (const int e = first_unplaced_edge(order, s.num_edges)) {
        report(" Input data error: patch %s:\n    its edges do not form one closed loop\n"
               "    (edge %i is not joined to the others).\n",
               s.name.c_str(), e);
        return 0;
    }
    if (s.num_edges == 1 && current != closing_point) {
        report_open_boundary(run, s, closing_point, current);
        return 0;
    }
    if (s.num_edges > 1 && current != spans[1].start) {
        report_open_boundary(run, s, spans[1].start, current);
        return 0;
    }
    rewrite_in_loop_order(run, s, spans, order);
    return 1;
}

}  // namespace korvex
