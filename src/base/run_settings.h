// Process-wide settings: the capacities and tree guard set by
// SetMeshParameters, and the message callback. Everything else belongs to a run.
#pragma once

namespace korvex {

struct RunSettings {
    bool tree_guard = false;
    int MAX_SUBREGIONS = 200;
    int MAX_CURVES_PER_TREE = 150;
    int MAX_POINTS_PER_TREE = 150;
    int MAX_NODEL_3D = 1000000;
    // Curves one subregion edge may be cut into (its curve list holds four
    // times as many); each run takes it from KORVEX_MAX_CURVES_PER_EDGE.
    int MAX_CURVES_PER_EDGE = 500;
    // Curves of the whole model, read and generated, and points generated
    // along them; each run takes them from KORVEX_MAX_CURVES and
    // KORVEX_MAX_NEW_POINTS.
    int MAX_CURVES = 5000;
    int MAX_NEW_POINTS = 30000;
    // Worker threads meshing independent subregions; 1 meshes them one after
    // another on the caller's thread. Each run takes it from KORVEX_THREADS
    // (default: the machine's hardware threads).
    int threads = 1;
};

// The thread count of a run: KORVEX_THREADS when it holds a whole number of
// at least 1, else the machine's hardware threads (at least 1).
int threads_from_environment();

// MAX_CURVES_PER_EDGE of a run: KORVEX_MAX_CURVES_PER_EDGE when it holds a
// whole number of at least 1, else 500.
int max_curves_per_edge_from_environment();

// MAX_CURVES and MAX_NEW_POINTS of a run: KORVEX_MAX_CURVES and
// KORVEX_MAX_NEW_POINTS when they hold a whole number of at least 1, else
// 5000 and 30000.
int max_curves_from_environment();
int max_new_points_from_environment();

using MessageCallback = void (*)(const char*);

RunSettings& run_settings();
MessageCallback& message_callback();

}  // namespace korvex
