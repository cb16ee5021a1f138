// The 2D generator on plates of growing size: an L-shaped plate with sides
// of different step sizes (boundary layer, cuts, loops of 4 and 6 nodes,
// repairs and smoothing), and a rectangle that goes to the structured grid.
// Reports the number of elements made per call.
#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "base/run_settings.h"
#include "trelmo/trelmo.h"

namespace {

void silent(const char*) {}

struct Plate {
    korvex::Array1<korvex::GenPoint> points;
    korvex::Array1<korvex::GenEntity> entities;
    korvex::Array1<korvex::GenSubregion> subregions;
    int n = 0;
};

// A polygon P1..Pn with lines Li from Pi to Pi+1 divided into steps[i] steps.
Plate polygon(const std::vector<std::pair<double, double>>& corners, const std::vector<int>& steps) {
    Plate p;
    p.n = static_cast<int>(corners.size());
    p.points.ensure(p.n);
    p.entities.ensure(p.n);
    p.subregions.ensure(1);
    auto& s = p.subregions[1];
    s.name = "R1";
    s.REF = 0.2;
    s.num_entities = p.n;
    s.entity_names.reset(static_cast<std::size_t>(p.n));
    for (int i = 1; i <= p.n; ++i) {
        p.points[i] = {("P" + std::to_string(i)).c_str(), corners[static_cast<std::size_t>(i - 1)].first,
                       corners[static_cast<std::size_t>(i - 1)].second};
        auto& e = p.entities[i];
        e.name = ("L" + std::to_string(i)).c_str();
        e.start = ("P" + std::to_string(i)).c_str();
        e.end = ("P" + std::to_string(i % p.n + 1)).c_str();
        e.division_mode = korvex::DIVISION_BY_COUNT;
        e.num_steps = steps[static_cast<std::size_t>(i - 1)];
        s.entity_names[i] = e.name;
    }
    return p;
}

void run_plate(benchmark::State& state, const Plate& plate) {
    korvex::message_callback() = silent;
    int elements = 0;
    for (auto _ : state) {
        korvex::Array1<korvex::GenNode> nodes;
        korvex::Array1<korvex::GenElement> elems;
        int nn = 0, flag = 1;
        korvex::call_Trelmo(plate.points, plate.n, plate.entities, plate.n, plate.subregions, 1, nodes, nn, elems,
                            elements, korvex::TrelmoLimits{}, flag);
        benchmark::DoNotOptimize(nodes.data());
    }
    korvex::message_callback() = nullptr;
    state.counters["elements"] = elements;
}

void BM_TrelmoLShape(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));   // steps on the short sides
    run_plate(state, polygon({{0, 0}, {10, 0}, {10, 6}, {6, 6}, {6, 3}, {0, 3}},
                             {10 * k, 6 * k, 4 * k, 2 * k, 6 * k, 4 * k}));
}
BENCHMARK(BM_TrelmoLShape)->Arg(2)->Arg(6)->Arg(12)->Arg(30)->Unit(benchmark::kMillisecond);

void BM_TrelmoRectangle(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    run_plate(state, polygon({{0, 0}, {10, 0}, {10, 4}, {0, 4}}, {10 * k, 4 * k, 10 * k, 4 * k}));
}
BENCHMARK(BM_TrelmoRectangle)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace
