// Hole removal alone on a plate with ten round holes, meshed at about
// 50 000 elements (the whole run is timed by run_models.py): candidates,
// their distance checks against every curve node and the pairing must not
// take minutes. The model goes through the stages before it once; each
// iteration cuts a fresh copy.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "base/messages.h"
#include "base/run_settings.h"
#include "cuts/cuts.h"
#include "input/input_stages.h"
#include "model/run.h"
#include "pipeline/korvex_steps.h"
#include "pipeline/working_file.h"

namespace {

using korvex::Run;

void silence(const char*) {}

// The text of a width x height plate with columns x rows round holes of four arcs.
std::string plate_with_round_holes(double width, double height, int columns, int rows, double radius, double step) {
    const double c = std::sqrt(0.5);
    std::string pts = "P1 0 0 0\nP2 " + std::to_string(width) + " 0 0\nP3 " + std::to_string(width) + " " +
                      std::to_string(height) + " 0\nP4 0 " + std::to_string(height) + " 0\n";
    const std::string s = " STEP " + std::to_string(step) + "\n";
    std::string curves = "QL1 P1 P2" + s + "QL2 P2 P3" + s + "QL3 P3 P4" + s + "QL4 P4 P1" + s;
    std::string holes;
    char line[160];
    for (int i = 0; i < columns; ++i)
        for (int j = 0; j < rows; ++j) {
            const std::string h = std::to_string(i) + "_" + std::to_string(j);
            const double cx = width * (i + 0.5) / columns, cy = height * (j + 0.5) / rows;
            const double ex[4] = {radius, 0, -radius, 0}, ey[4] = {0, radius, 0, -radius};
            const double mx[4] = {c, -c, -c, c}, my[4] = {c, c, -c, -c};
            holes += "H" + h;
            for (int k = 0; k < 4; ++k) {
                std::snprintf(line, sizeof line, "PE%s_%d %.17g %.17g 0\nPM%s_%d %.17g %.17g 0\n", h.c_str(), k,
                              cx + ex[k], cy + ey[k], h.c_str(), k, cx + mx[k] * radius, cy + my[k] * radius);
                pts += line;
                std::snprintf(line, sizeof line, "CH%s_%d PE%s_%d PM%s_%d PE%s_%d", h.c_str(), k, h.c_str(), k,
                              h.c_str(), k, h.c_str(), (k + 1) % 4);
                curves += line + s;
                holes += " CH" + h + "_" + std::to_string(k);
            }
            holes += "\n";
        }
    return "Plate with round holes\nPOINTS\n" + pts + "CURVES\n" + curves +
           "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\n" + holes + "END\n";
}

// The model after every stage that runs before the tree-and-hole loop.
bool prepare(Run& run, const std::string& text) {
    const std::string path = "hole_removal_bench.sur";
    std::ofstream(path) << text;
    run.problem_path = path;
    run.settings = korvex::run_settings();
    const bool ok = korvex::read_model(run) && korvex::prepare_pipeline_state(run) &&
                    korvex::check_input_data(run) && korvex::run_general_preprocessing(run) &&
                    korvex::prepare_plane_subregions(run) && korvex::generate_curve_points(run) &&
                    korvex::finish_preprocessing(run);
    std::remove(path.c_str());
    std::remove(korvex::kWorkingFileName);
    return ok;
}

void BM_MC_planar_processing_ten_round_holes(benchmark::State& state) {
    korvex::message_callback() = &silence;
    Run prepared;
    if (!prepare(prepared, plate_with_round_holes(250, 200, 5, 2, 8, 1))) {
        korvex::message_callback() = nullptr;
        state.SkipWithError("model preparation failed");
        return;
    }
    int patches = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Run run = prepared;
        state.ResumeTiming();
        if (!korvex::MC_planar_processing(run)) {
            state.SkipWithError("hole removal failed");
            break;
        }
        patches = run.nPatches;
    }
    korvex::message_callback() = nullptr;
    state.counters["subregions"] = patches;
}
BENCHMARK(BM_MC_planar_processing_ten_round_holes)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
