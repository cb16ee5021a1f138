// The final coincidence check on large meshes: a flat plate (distance windows
// hold few nodes) and a sphere centred on the origin (every node in one window).
#include <benchmark/benchmark.h>

#include <cmath>

#include "base/numeric_constants.h"
#include "base/run_settings.h"
#include "model/run.h"
#include "pipeline/coincidence_check.h"

namespace {

void silent(const char*) {}

void add_node(korvex::Run& run, double x, double y, double z) {
    const int i = ++run.num_nodes;
    run.nodes3D.ensure(i);
    run.nodes3D[i].name = "R!";
    run.nodes3D[i].set_pos({x, y, z});
}

korvex::Run plate(int side) {
    korvex::Run run;
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) add_node(run, 100.0 + i * 0.1, j * 0.1, 0.0);
    return run;
}

korvex::Run sphere(int rings) {
    korvex::Run run;
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < 2 * rings; ++j) {
            const double theta = korvex::kPi * (i + 0.5) / rings, phi = korvex::kPi * j / rings;
            add_node(run, 50.0 * std::sin(theta) * std::cos(phi), 50.0 * std::sin(theta) * std::sin(phi),
                     50.0 * std::cos(theta));
        }
    return run;
}

void run_check(benchmark::State& state, const korvex::Run& run, korvex::CoincidenceSearch search) {
    korvex::message_callback() = &silent;
    for (auto _ : state) benchmark::DoNotOptimize(korvex::sorted_coincidence_check(run, search));
    korvex::message_callback() = nullptr;
    state.counters["nodes"] = run.num_nodes;
}

void BM_CoincidencePlate(benchmark::State& state) {
    const korvex::Run run = plate(static_cast<int>(state.range(0)));
    run_check(state, run, korvex::CoincidenceSearch::Automatic);
}
BENCHMARK(BM_CoincidencePlate)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_CoincidenceSphereAtOrigin(benchmark::State& state) {
    const korvex::Run run = sphere(static_cast<int>(state.range(0)));
    run_check(state, run, korvex::CoincidenceSearch::Automatic);
}
BENCHMARK(BM_CoincidenceSphereAtOrigin)->Arg(70)->Arg(220)->Arg(700)->Unit(benchmark::kMillisecond);

// The plain window scan on the sphere, for comparison (quadratic).
void BM_CoincidenceSphereAtOriginScanOnly(benchmark::State& state) {
    const korvex::Run run = sphere(static_cast<int>(state.range(0)));
    run_check(state, run, korvex::CoincidenceSearch::WindowScan);
}
BENCHMARK(BM_CoincidenceSphereAtOriginScanOnly)->Arg(70)->Unit(benchmark::kMillisecond);

}  // namespace
