// The three exported functions. Nothing but return values crosses the C boundary.
#include "korvex/korvex.h"

#include "base/messages.h"
#include "base/run_settings.h"
#include "interface/driver.h"

extern "C" {

KORVEX_API void SetMessageCallback(KorvexMessageCallback callback) {
    korvex::message_callback() = callback;
}

KORVEX_API void SetMeshParameters(bool tree_guard, int max_subregions, int max_curves_per_tree,
                                  int max_points_per_tree, int max_nodel_3d) {
    korvex::RunSettings& s = korvex::run_settings();
    s.tree_guard = tree_guard;
    s.MAX_SUBREGIONS = max_subregions;
    s.MAX_CURVES_PER_TREE = max_curves_per_tree;
    s.MAX_POINTS_PER_TREE = max_points_per_tree;
    s.MAX_NODEL_3D = max_nodel_3d;
}

KORVEX_API int GenerateQuads(int argc, char** argv) {
    int result = 0;
    try {
        korvex::driver_main(argc, argv);
    } catch (...) {
        try {
            korvex::report_message("Fatal error occurred");
        } catch (...) {
        }
        result = 1;
    }
    korvex::close_log_file();
    return result;
}

}  // extern "C"
