// Cost of merging one more patch into global meshes of growing size. With
// the name index and the spatial grid the time per patch stays about the
// same from ten thousand to a million global nodes (a scan of all global
// nodes per patch node would grow a hundredfold over that range).
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "assembly/global_merge.h"
#include "base/run_settings.h"
#include "model/run.h"

namespace korvex {
namespace {

constexpr int kSide = 31;  // elements along a patch side; 32 x 32 nodes per patch

// The patch covering [a, a+1] x [b, b+1] in units of kSide: boundary nodes
// are named after their side's curve, interior nodes after the subregion.
PatchMesh make_patch(int a, int b) {
    PatchMesh p;
    const int nn = (kSide + 1) * (kSide + 1);
    p.nodes.ensure(nn);
    p.gen_nodes.ensure(nn);
    p.elements.ensure(kSide * kSide);
    auto id = [](int i, int j) { return j * (kSide + 1) + i + 1; };
    for (int j = 0; j <= kSide; ++j)
        for (int i = 0; i <= kSide; ++i) {
            const bool boundary = i == 0 || j == 0 || i == kSide || j == kSide;
            const std::string name = boundary ? "QL" + std::to_string((a * 7 + b) % 9999) : "R" + std::to_string(a);
            Node3D& nd = p.nodes[id(i, j)];
            nd.name = name.c_str();
            nd.set_pos({double(a * kSide + i), double(b * kSide + j), 0.0});
            p.gen_nodes[id(i, j)].name = name.c_str();
        }
    p.num_nodes = nn;
    for (int j = 0; j < kSide; ++j)
        for (int i = 0; i < kSide; ++i) {
            GenElement& e = p.elements[++p.num_elements];
            e.corner1 = id(i, j);
            e.corner2 = id(i + 1, j);
            e.corner3 = id(i + 1, j + 1);
            e.corner4 = id(i, j + 1);
            e.name = "R1";
        }
    return p;
}

void quiet(const char*) {}

// A global mesh of side x side patches, merged once per size and reused.
Run& global_mesh(int side) {
    static std::map<int, std::unique_ptr<Run>> cache;
    auto& slot = cache[side];
    if (!slot) {
        slot = std::make_unique<Run>();
        Run& run = *slot;
        run.settings.MAX_NODEL_3D = 4000000;
        run.patches.ensure(1);
        run.patches[1].name = "R1";
        run.patches[1].type = TYPE_BILINEAR;
        run.patches[1].id = 1;
        run.nPatches = 1;
        for (int b = 0; b < side; ++b)
            for (int a = 0; a < side; ++a) {
                PatchMesh p = make_patch(a, b);
                add_to_global(run, run.patches[1], p);
            }
    }
    return *slot;
}

// Merges further patches in new rows above the mesh, each sharing two sides
// with patches already merged.
void BM_MergeOnePatch(benchmark::State& state) {
    message_callback() = &quiet;
    const int side = static_cast<int>(state.range(0));
    Run& run = global_mesh(side);
    static std::map<int, int> next;
    int& k = next[side];
    for (auto _ : state) {
        state.PauseTiming();
        PatchMesh p = make_patch(k % side, side + k / side);
        ++k;
        state.ResumeTiming();
        benchmark::DoNotOptimize(add_to_global(run, run.patches[1], p));
    }
    state.counters["global_nodes"] = run.num_nodes;
    message_callback() = nullptr;
}
BENCHMARK(BM_MergeOnePatch)->Arg(3)->Arg(10)->Arg(32)->Iterations(16)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvex
