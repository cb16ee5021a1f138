/*
 * Korvex: generator of quadrilateral (QUAD4) finite-element meshes on curved
 * surfaces.
 *
 * The library meshes one surface model (a .sur text file) per call of
 * GenerateQuads and writes the mesh beside it (MODEL.m3d) together with a log
 * (MODEL.LOG). It runs on the caller's thread, which may hand the meshing of
 * subregions to worker threads of its own (all joined before it returns);
 * runs must not overlap.
 *
 * Thread count: the environment variable KORVEX_THREADS, read at the start
 * of each GenerateQuads run, gives the threads that mesh the subregions of
 * one model (a whole number of at least 1; default: the machine's hardware
 * threads). The result file and the log are the same at any count; 1 meshes
 * every subregion on the caller's thread.
 *
 * KORVEX_MAX_CURVES_PER_EDGE, read the same way, sets MAX_CURVES_PER_EDGE,
 * the pieces one subregion edge may be cut into (a whole number of at least
 * 1; default 500).
 *
 * Minimal host:
 *
 *     #include <stdio.h>
 *     #include <korvex/korvex.h>
 *
 *     static void on_message(const char* text) { fputs(text, stderr); }
 *
 *     int main(void) {
 *         char* args[] = {"host", "plate.sur"};
 *         SetMessageCallback(on_message);           // optional
 *         SetMeshParameters(0, 200, 150, 150, 1000000);  // optional: the defaults
 *         return GenerateQuads(2, args);            // 0: plate.m3d written
 *     }
 */
#ifndef KORVEX_KORVEX_H
#define KORVEX_KORVEX_H

#include <stdbool.h>

#if defined(_WIN32)
#  if defined(KORVEX_BUILDING_LIBRARY)
#    define KORVEX_API __declspec(dllexport)
#  else
#    define KORVEX_API __declspec(dllimport)
#  endif
#else
#  define KORVEX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Receives every message of a run, NUL-terminated, exactly as formatted
 * (messages carry their own newlines; some have none). The text is valid only
 * during the call. Called on the thread that called GenerateQuads, in the
 * same order at any thread count.
 */
typedef void (*KorvexMessageCallback)(const char* text);

/*
 * Registers the message callback; NULL removes it. While one is registered,
 * messages go to it only: the log file then holds just its first line, and
 * nothing but the banner, the usage line and the file-name errors is printed
 * on standard output. Without a callback every message is appended to MODEL.LOG and
 * echoed on standard output. The setting persists across runs.
 */
KORVEX_API void SetMessageCallback(KorvexMessageCallback callback);

/*
 * Sets the run-time capacities for the following runs (no validation):
 *   tree_guard            when true, the walk along an internal tree gives up
 *                         after MAX_CURVES_PER_TREE * 100 steps (default false)
 *   max_subregions        MAX_SUBREGIONS, subregions read and generated (200)
 *   max_curves_per_tree   MAX_CURVES_PER_TREE (150)
 *   max_points_per_tree   MAX_POINTS_PER_TREE (150)
 *   max_nodel_3d          MAX_NODEL_3D, nodes and elements of the mesh (1000000);
 *                         values below 10000 draw a warning in the log
 * The settings persist across runs.
 */
KORVEX_API void SetMeshParameters(bool tree_guard, int max_subregions, int max_curves_per_tree,
                                  int max_points_per_tree, int max_nodel_3d);

/*
 * Meshes one model. argc/argv are as a program's entry point receives them:
 * argv[0] is the caller's name, argv[1] the path of the .sur model (the
 * extension is checked case-insensitively). argc must be 2.
 *
 * Returns 0 when the mesh was generated and MODEL.m3d written, 1 on any
 * failure; the reason has then been reported, and the last message of a
 * failed run is "Fatal error occurred". Nothing is thrown across this call.
 */
KORVEX_API int GenerateQuads(int argc, char** argv);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_KORVEX_H */
