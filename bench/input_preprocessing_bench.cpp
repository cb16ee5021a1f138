// Input checks and the general preprocessor on models at the point and
// curve limits: the name and coincidence checks must not grow with the
// square of the point count.
#include <benchmark/benchmark.h>

#include <string>

#include "input/input_stages.h"
#include "model/run.h"

namespace {

using korvex::Run;

// side x side points on the plane x = 0 (every point shares its x with all
// others), joined by straight curves along the rows.
void build_point_grid(Run& run, int side) {
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            const int k = ++run.nPoints;
            run.points.ensure(k);
            korvex::ControlPoint& p = run.points[k];
            p.name = ("P" + std::to_string(k)).c_str();
            p.x = 0;
            p.y = i * 0.5;
            p.z = j * 0.5;
        }
    for (int k = 1; k < run.nPoints && run.nCurves < korvex::MAX_CURVES; ++k) {
        if (k % side == 0) continue;
        const int c = ++run.nCurves;
        run.curves.ensure(c);
        korvex::Curve& cv = run.curves[c];
        cv.name = ("QL" + std::to_string(c)).c_str();
        cv.num_points = 2;
        cv.point_names[1] = run.points[k].name;
        cv.point_names[2] = run.points[k + 1].name;
        cv.step = 1;
    }
}

void silence(const char*) {}

void BM_check_input_data(benchmark::State& state) {
    Run run;
    build_point_grid(run, static_cast<int>(state.range(0)));
    korvex::message_callback() = &silence;
    for (auto _ : state) benchmark::DoNotOptimize(korvex::check_input_data(run));
    korvex::message_callback() = nullptr;
    state.SetComplexityN(run.nPoints);
}
BENCHMARK(BM_check_input_data)->Arg(30)->Arg(60)->Arg(114)->Unit(benchmark::kMillisecond)->Complexity();

// A plane polygon of n sides whose curves are listed in the worst order for
// the chaining (every other curve, each reversed).
void BM_input_data_preprocessor(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Run run;
    for (int k = 1; k <= n; ++k) {
        run.points.ensure(k);
        run.points[k].name = ("P" + std::to_string(k)).c_str();
        run.curves.ensure(k);
        korvex::Curve& c = run.curves[k];
        c.name = ("QL" + std::to_string(k)).c_str();
        c.num_points = 2;
        c.points_id[1] = k % n + 1;
        c.points_id[2] = k;
    }
    run.nPoints = run.nCurves = n;
    const int p = run.new_patch_slot();
    run.nPatches = p;
    korvex::Subregion& s = run.patches[p];
    s.type = korvex::TYPE_PLANE;
    s.num_edges = s.num_edges_original = 1;
    s.num_curves = s.curves_per_edge[1] = n;
    korvex::message_callback() = &silence;
    for (auto _ : state) {
        state.PauseTiming();
        int slot = 0;
        for (int k = 1; k <= n; k += 2) s.curves_id[static_cast<std::size_t>(++slot)] = k;
        for (int k = 2; k <= n; k += 2) s.curves_id[static_cast<std::size_t>(++slot)] = k;
        state.ResumeTiming();
        benchmark::DoNotOptimize(korvex::input_data_preprocessor(run));
    }
    korvex::message_callback() = nullptr;
}
BENCHMARK(BM_input_data_preprocessor)->Arg(100)->Arg(600)->Unit(benchmark::kMicrosecond);

}  // namespace
