// The options of the meshing command: capacities, quiet mode, worker count,
// exports, and the models to mesh.
#pragma once

#include <string>
#include <vector>

namespace korvex::cli {

// The five settings of SetMeshParameters, with the library's defaults.
struct Capacities {
    bool tree_guard = false;
    int max_subregions = 200;
    int max_curves_per_tree = 150;
    int max_points_per_tree = 150;
    int max_nodes = 1000000;
};

// The settings of a CAD part's import (korvex import, korvex PART.step).
struct CadSettings {
    double size = 0;           // target element size; 0: the importer's default
    double ref = -1;           // refinement coefficient of every subregion; negative: the importer's defaults
    double sew_tolerance = 0;  // 0: the importer's default
};

struct MeshOptions {
    Capacities capacities;
    bool quiet = false;                 // -q: nothing on standard output unless a run fails
    bool verbose = false;               // -v: every message of the runs, as the library prints them
    int jobs = 1;                       // -j N: worker processes
    int threads = 0;                    // --threads N: threads of one run (0: KORVEX_THREADS or the cores)
    int max_curves_per_edge = 0;        // --max-curves-per-edge N (0: KORVEX_MAX_CURVES_PER_EDGE or 500)
    int max_curves = 0;                 // --max-curves N (0: KORVEX_MAX_CURVES or 5000)
    int max_new_points = 0;             // --max-new-points N (0: KORVEX_MAX_NEW_POINTS or 30000)
    std::vector<std::string> exports;   // --export: format names, in the order given
    std::vector<std::string> models;
    CadSettings cad;                    // for CAD parts among the models
    bool help = false;
    bool version = false;
};

// Parses argv[1..]; returns an empty text on success, else the reason.
std::string parse_mesh_options(int argc, char** argv, MeshOptions& options);

// A whole positive number in [1, 2^31 - 1]; false for anything else.
bool parse_positive(const std::string& text, int& value);

// The options of a CAD import (--size, --ref, --sew-tolerance) at argv[i];
// advances i past its value. Returns false when argv[i] is none of them;
// sets `error` when its value is missing or out of range.
bool parse_cad_option(int argc, char** argv, int& i, CadSettings& cad, std::string& error);

// Splits "a,b,c" into its non-empty parts.
std::vector<std::string> split_list(const std::string& text);

// The text of `korvex --help`, and its first lines (the usage) alone.
const char* help_text();
std::string usage_text();

}  // namespace korvex::cli
