// input_data_preprocessor: every edge of every subregion becomes one oriented
// chain of curves, and the edges one closed loop. The pipeline runs it three
// times, around the conversions of 2- and 3-edged subregions, and those
// conversions run it as well; on an ordered subregion it changes nothing.
#include <cstdlib>

#include "input/general_preprocessor.h"
#include "base/messages.h"
#include "input/input_stages.h"

namespace korvex {

namespace {

// A one-edged subregion is one closed chain. Its first curve's first point
// is replaced by point 0 while the chain is built, which opens the chain so
// that it runs from point 0 around to that point. The point is put back
// whatever the outcome.
class ClosedChainOpener {
public:
    ClosedChainOpener(Run& run, int curve) : run_(run), curve_(curve), point_(run.curves[curve].points_id[1]) {
        run_.curves[curve_].points_id[1] = 0;
    }
    ~ClosedChainOpener() { run_.curves[curve_].points_id[1] = point_; }
    ClosedChainOpener(const ClosedChainOpener&) = delete;
    ClosedChainOpener& operator=(const ClosedChainOpener&) = delete;
    int point() const { return point_; }

private:
    Run& run_;
    int curve_;
    int point_;
};

int check_edge_count(const Run& run, int k) {
    const Subregion& s = run.patches[k];
    if (s.num_edges_original < 1) {
        report(" Input data error: patch[%i].num_edges_original =%i\n", k, s.num_edges_original);
        report(" Make sure procedure check_input_data()\n  has been called _before_ the 1-st\n"
               "  call of input_data_preprocessor().\n");
        return 0;
    }
    if (s.num_edges < 1 || s.num_edges > MAX_EDGES_PER_SUBREGION) {
        report(" Internal error in input_data_preprocessor(): patch %s has %i edges.\n", s.name.c_str(),
               s.num_edges);
        return 0;
    }
    return 1;
}

int chain_all_edges(Run& run, int k) {
    int slot = 1;
    for (int e = 1; e <= run.patches[k].num_edges; ++e) {
        if (!chain_edge_curves(run, k, e, slot)) return 0;
        slot += run.patches[k].curves_per_edge[e];
    }
    return 1;
}

int preprocess_subregion(Run& run, int k) {
    if (!check_edge_count(run, k)) return 0;
    Subregion& s = run.patches[k];
    s.preprocessed_marker = PREPROCESSED_MARKER;
    if (s.num_edges != 1) return chain_all_edges(run, k) && order_edges_into_loop(run, k, 0);

    // Without curves the chaining reports the empty edge.
    if (s.num_curves < 1) return chain_all_edges(run, k);
    const int first_curve = std::abs(s.curves_id[1]);
    if (first_curve < 1 || first_curve > run.nCurves) {
        report(" Internal error in input_data_preprocessor():\n patch %s refers to curve index %i (nCurves=%i).\n",
               s.name.c_str(), s.curves_id[1], run.nCurves);
        return 0;
    }
    const ClosedChainOpener opener(run, first_curve);
    return chain_all_edges(run, k) && order_edges_into_loop(run, k, opener.point());
}

}  // namespace

int input_data_preprocessor(Run& run) {
    for (int k = 1; k <= run.nPatches; ++k)
        if (!preprocess_subregion(run, k)) return 0;
    return 1;
}

}  // namespace korvex
