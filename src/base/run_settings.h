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
};

using MessageCallback = void (*)(const char*);

RunSettings& run_settings();
MessageCallback& message_callback();

}  // namespace korvex
