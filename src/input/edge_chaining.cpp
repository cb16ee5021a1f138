// One edge of a subregion: its curves, given in any order and direction,
// become one chain in which every curve starts where the previous one ends.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "base/messages.h"
#include "input/curve_ends.h"
#include "input/general_preprocessor.h"

namespace korvex {

namespace {

constexpr int kMaxCurvesInEdge = 600;   // capacity of the working table id_curve[]
constexpr int kMaxEncPoints = 30000;    // capacity of the end-point counter table enc_points[]

struct EdgeCurve {
    int id;     // index into curves[], unsigned
    int start;  // first defining point
    int end;    // last defining point
};

int collect_edge_curves(const Run& run, int k, int e, int first_slot, std::vector<EdgeCurve>& out) {
    const Subregion& s = run.patches[k];
    const int wanted = s.curves_per_edge[e];
    if (wanted > kMaxCurvesInEdge) {
        report("Increase size of array id_curve[] (currently %i)in INPREPRO.C\n", kMaxCurvesInEdge);
        return 0;
    }
    int m = 0;
    for (int slot = first_slot; m < wanted && slot <= s.num_curves && slot < static_cast<int>(s.curve_names.size()); ++slot, ++m) {
        const int id = std::abs(s.curves_id[static_cast<std::size_t>(slot)]);
        if (id < 1 || id > run.nCurves) {
            report(" Internal error in input_data_preprocessor():\n patch %s refers to curve index %i (nCurves=%i).\n",
                   s.name.c_str(), s.curves_id[static_cast<std::size_t>(slot)], run.nCurves);
            return 0;
        }
        const Curve& c = run.curves[id];
        out.push_back({id, first_point_id(c), last_point_id(c)});
    }
    if (m != wanted) {
        report(" Internal error (1) in input_data_preprocessor():\n m=%i  patches[%i].curves_per_edge[%i]=%i\n", m, k,
               e, wanted);
        return 0;
    }
    return 1;
}

// How many curve ends of the edge meet at each point index (0..nPoints).
int count_end_points(const Run& run, const std::vector<EdgeCurve>& curves, std::vector<int>& enc) {
    if (run.nPoints > kMaxEncPoints) {
        report("Increase size of array enc_points[] (currently %i)in INPREPRO.C\n", kMaxEncPoints);
        return 0;
    }
    int highest = run.nPoints;
    for (std::size_t m = 0; m < curves.size(); ++m) {
        const EdgeCurve& c = curves[m];
        if (c.start < 0 || c.start > kMaxEncPoints || c.end < 0 || c.end > kMaxEncPoints) {
            const int mm = static_cast<int>(m) + 1;
            report("Internal error in INTERPRO.C:id_start_point[%i]=%i > max_enc_points=%i\n"
                   " or id_end_point[%i]=%i > max_enc_points=%i\n",
                   mm, c.start, kMaxEncPoints, mm, c.end, kMaxEncPoints);
            return 0;
        }
        highest = std::max({highest, c.start, c.end});
    }
    enc.assign(static_cast<std::size_t>(highest) + 1, 0);
    for (const EdgeCurve& c : curves) {
        ++enc[static_cast<std::size_t>(c.start)];
        ++enc[static_cast<std::size_t>(c.end)];
    }
    return 1;
}

// Lowest point index above `after` met by exactly one curve end; -1 if none.
int lowest_free_end(const std::vector<int>& enc, int after) {
    for (std::size_t p = static_cast<std::size_t>(after + 1); p < enc.size(); ++p)
        if (enc[p] == 1) return static_cast<int>(p);
    return -1;
}

// The curve of the edge that touches point p: the first one starting there
// (used forward), else the first one ending there (used reversed); 0 if none.
int curve_touching(const std::vector<EdgeCurve>& curves, int p) {
    for (const EdgeCurve& c : curves)
        if (c.start == p) return c.id;
    for (const EdgeCurve& c : curves)
        if (c.end == p) return -c.id;
    return 0;
}

int find_edge_ends(const Run& run, int k, int e, const std::vector<EdgeCurve>& curves, const std::vector<int>& enc,
                   int& first_point, int& first_curve, int& last_point) {
    const char* name = run.patches[k].name.c_str();
    first_point = lowest_free_end(enc, -1);
    if (first_point < 0) {
        report(" Input data error: patch %s, edge %i:\n    no curve to be identified as the first\n    in this edge.\n",
               name, e);
        return 0;
    }
    first_curve = curve_touching(curves, first_point);
    if (first_curve == 0) {
        report(" Internal error (2a) in input_data_preprocessor().\n");
        return 0;
    }
    last_point = lowest_free_end(enc, first_point);
    if (last_point < 0) {
        report(" Input data error: patch %s, edge %i:\n    no curve to be identified as the \n    last in this edge.\n",
               name, e);
        return 0;
    }
    if (curve_touching(curves, last_point) == 0) {
        report(" Internal error (2b) in input_data_preprocessor().\n");
        return 0;
    }
    for (std::size_t p = 0; p < enc.size(); ++p)
        if (enc[p] > 2) {
            report("In INTERPRO.C: Input data error in patch %s, edge %i:\n   point %s encountered more than twice.\n",
                   name, e, run.points[static_cast<long>(p)].name.c_str());
            return 0;
        }
    return 1;
}

// Follows the curves from the first one. Returns the point where the chain
// stops; `chain` then holds the signed indexes of the curves placed.
int follow_chain(const std::vector<EdgeCurve>& curves, int first_curve, int first_point, std::vector<int>& chain) {
    std::vector<bool> placed(curves.size(), false);
    int current = first_point;
    int next = first_curve;
    while (next != 0) {
        chain.push_back(next);
        for (std::size_t m = 0; m < curves.size(); ++m)
            if (curves[m].id == std::abs(next) && !placed[m]) {
                placed[m] = true;
                current = next > 0 ? curves[m].end : curves[m].start;
                break;
            }
        next = 0;
        for (std::size_t m = 0; m < curves.size() && next == 0; ++m) {
            if (placed[m]) continue;
            if (curves[m].start == current) next = curves[m].id;
            else if (curves[m].end == current) next = -curves[m].id;
        }
    }
    return current;
}

}  // namespace

int chain_edge_curves(Run& run, int k, int e, int first_slot) {
    std::vector<EdgeCurve> curves;
    if (!collect_edge_curves(run, k, e, first_slot, curves)) return 0;
    std::vector<int> enc;
    if (!count_end_points(run, curves, enc)) return 0;
    int first_point = 0, first_curve = 0, last_point = 0;
    if (!find_edge_ends(run, k, e, curves, enc, first_point, first_curve, last_point)) return 0;

    std::vector<int> chain;
    const int stop = follow_chain(curves, first_curve, first_point, chain);
    Subregion& s = run.patches[k];
    if (stop != last_point) {
        report(" Error in input_data_preprocessor():\n patch %s, edge %i: no last point found.\n", s.name.c_str(), e);
        report(" next_point=%i: %s\n ", stop, run.points[stop].name.c_str());
        report(" idp_second=%i\n", last_point);
        return 0;
    }
    if (chain.size() != curves.size()) {
        // The chain reached the edge's other end while some curves lie apart from it.
        report(" Input data error: patch %s, edge %i:\n    its curves do not form one chain.\n", s.name.c_str(), e);
        return 0;
    }
    for (std::size_t m = 0; m < chain.size(); ++m) {
        const auto slot = static_cast<std::size_t>(first_slot) + m;
        s.curves_id[slot] = chain[m];
        s.curve_names[slot] = run.curves[std::abs(chain[m])].name;
    }
    return 1;
}

}  // namespace korvex
