// Nodes along curves on a large model: 1000 half-circle arcs and 50 straight
// curves interleaved with them, about 30000 curve nodes in all. Every arc is
// followed by a coincidence check of the new nodes against all earlier ones,
// and the stage ends with a check of all nodes.
#include <benchmark/benchmark.h>

#include <string>

#include "base/numeric_constants.h"
#include "base/run_settings.h"
#include "curves/curve_points.h"
#include "curves/node_coincidence.h"
#include "model/run.h"

namespace {

void silent(const char*) {}

int add_point(korvex::Run& run, double x, double y) {
    const int i = ++run.nPoints;
    run.points.ensure(i);
    korvex::ControlPoint& p = run.points[i];
    p.name = "P" + std::to_string(i);
    p.set_pos({x, y, 0.0});
    p.id = i;
    return i;
}

void add_curve(korvex::Run& run, const std::string& name, std::initializer_list<int> ids, double step) {
    const int c = ++run.nCurves;
    run.curves.ensure(c);
    korvex::Curve& cv = run.curves[c];
    cv.name = name;
    cv.id = c;
    cv.step = step;
    for (int p : ids) cv.points_id[static_cast<std::size_t>(++cv.num_points)] = p;
}

// arcs half circles of radius 1 with 24 steps each (25 nodes), laid out on a
// grid 3 apart; after every 20 arcs a straight curve of 98 steps (99 nodes).
korvex::Run many_arcs_model(int arcs) {
    korvex::Run run;
    const int per_row = 40;
    for (int a = 0; a < arcs; ++a) {
        const double cx = 3.0 * (a % per_row), cy = 3.0 * (a / per_row);
        const int p1 = add_point(run, cx + 1, cy), p2 = add_point(run, cx, cy + 1), p3 = add_point(run, cx - 1, cy);
        add_curve(run, "C" + std::to_string(a), {p1, p2, p3}, korvex::kPi / 24);
        if (a % 20 == 19) {
            const double y = -5.0 - a / 20;
            add_curve(run, "QL" + std::to_string(a), {add_point(run, 0, y), add_point(run, 98, y)}, 1.0);
        }
    }
    return run;
}

void BM_GeneratePointsAlongCurves(benchmark::State& state) {
    korvex::message_callback() = &silent;
    const korvex::Run model = many_arcs_model(static_cast<int>(state.range(0)));
    int nodes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        korvex::Run run = model;
        state.ResumeTiming();
        if (korvex::generatePointsAlongCurves(run, korvex::MAX_NEW_POINTS) != 1) state.SkipWithError("stage failed");
        nodes = run.num_new_points;
    }
    korvex::message_callback() = nullptr;
    state.counters["nodes"] = nodes;
    state.counters["curves"] = model.nCurves;
}
BENCHMARK(BM_GeneratePointsAlongCurves)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The final all-nodes check alone on the nodes of the large model.
void BM_CurveNodeCoincidenceCheck(benchmark::State& state) {
    korvex::message_callback() = &silent;
    korvex::Run run = many_arcs_model(1000);
    korvex::generatePointsAlongCurves(run, korvex::MAX_NEW_POINTS);
    korvex::message_callback() = nullptr;
    for (auto _ : state) benchmark::DoNotOptimize(korvex::first_coincident_pair(run.new_points, run.num_new_points));
    state.counters["nodes"] = run.num_new_points;
}
BENCHMARK(BM_CurveNodeCoincidenceCheck)->Unit(benchmark::kMillisecond);

}  // namespace
