#include "command_line.h"

#include <climits>
#include <cstdlib>
#include <map>

#include "output/export_formats.h"

namespace korvex::cli {

namespace {

// The options that take a number, and where the number goes.
int* number_target(const std::string& option, MeshOptions& o) {
    static const std::map<std::string, int Capacities::*> capacity = {
        {"--max-subregions", &Capacities::max_subregions},
        {"--max-curves-per-tree", &Capacities::max_curves_per_tree},
        {"--max-points-per-tree", &Capacities::max_points_per_tree},
        {"--max-nodes", &Capacities::max_nodes},
    };
    if (option == "-j" || option == "--jobs") return &o.jobs;
    if (option == "--threads") return &o.threads;
    if (option == "--max-curves-per-edge") return &o.max_curves_per_edge;
    if (option == "--max-curves") return &o.max_curves;
    if (option == "--max-new-points") return &o.max_new_points;
    const auto it = capacity.find(option);
    return it == capacity.end() ? nullptr : &(o.capacities.*(it->second));
}

std::string parse_exports(const std::string& list, MeshOptions& o) {
    for (const std::string& name : split_list(list)) {
        if (!output::known_export_format(name)) return "unknown export format '" + name + "' (" + output::export_format_list() + ")";
        o.exports.push_back(name);
    }
    if (o.exports.empty()) return "--export needs a list of formats (" + output::export_format_list() + ")";
    return "";
}

}  // namespace

bool parse_positive(const std::string& text, int& value) {
    if (text.empty() || text.size() > 10) return false;
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < 1 || v > INT_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

bool parse_cad_option(int argc, char** argv, int& i, CadSettings& cad, std::string& error) {
    const std::string a = argv[i];
    double* target = a == "--size" ? &cad.size : a == "--ref" ? &cad.ref : a == "--sew-tolerance" ? &cad.sew_tolerance : nullptr;
    if (!target) return false;
    char* end = nullptr;
    const double v = i + 1 < argc ? std::strtod(argv[i + 1], &end) : 0;
    const bool whole = end && end != argv[i + 1] && *end == '\0';
    if (a == "--ref" ? !(whole && v >= 0 && v <= 0.35) : !(whole && v > 0 && v < 1e30)) {
        error = a == "--ref" ? "--ref needs a number from 0 to 0.35" : a + " needs a positive number";
        return true;
    }
    *target = v;
    ++i;
    return true;
}

std::vector<std::string> split_list(const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text + ",") {
        if (c != ',') {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    return parts;
}

std::string parse_mesh_options(int argc, char** argv, MeshOptions& o) {
    bool only_models = false;  // after "--" every word is a model
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (only_models || a.empty() || a[0] != '-') {
            o.models.push_back(a);
        } else if (a == "--") {
            only_models = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "-q" || a == "--quiet") {
            o.quiet = true;
        } else if (a == "-v" || a == "--verbose") {
            o.verbose = true;
        } else if (a == "--tree-guard") {
            o.capacities.tree_guard = true;
        } else if (a == "--export") {
            if (i + 1 >= argc) return "--export needs a list of formats";
            const std::string error = parse_exports(argv[++i], o);
            if (!error.empty()) return error;
        } else if (std::string error; parse_cad_option(argc, argv, i, o.cad, error)) {
            if (!error.empty()) return error;
        } else if (int* target = number_target(a, o)) {
            if (i + 1 >= argc || !parse_positive(argv[i + 1], *target))
                return a + " needs a whole number of at least 1";
            ++i;
        } else {
            return "unknown option " + a;
        }
    }
    return "";
}

const char* help_text() {
    return "Usage: korvex [OPTIONS] MODEL.sur|PART.step [...]\n"
           "       korvex import PART.step [-o MODEL.sur] [--size H] [--ref R] [--sew-tolerance T]\n"
           "       korvex export MESH.m3d --format F[,F...] [-o OUTPUT] [--nastran-field free|small]\n"
           "                     [--model MODEL.sur]\n"
           "       korvex quality MESH.m3d [--json] [--model MODEL.sur]\n"
           "       korvex render MESH.m3d -o PICTURE.svg [--view top|front|side|iso] [--subregions]\n"
           "                     [--model MODEL.sur]\n"
           "\n"
           "Meshes each surface model MODEL.sur with quadrilaterals and writes MODEL.m3d\n"
           "(the mesh) and MODEL.LOG (the log, every message of the run) beside it.\n"
           "A CAD part (.step, .stp, .iges, .igs, .brep) is imported first into\n"
           "PART.sur beside it (as by korvex import), then meshed.\n"
           "Prints a short summary of each meshed model; when a model fails, the\n"
           "messages from its first error on go to standard error.\n"
           "\n"
           "Options of a meshing run:\n"
           "  --max-subregions N       subregions a model may have and generate (200)\n"
           "  --max-curves-per-tree N  curves of one internal tree (150)\n"
           "  --max-points-per-tree N  points of one internal tree (150)\n"
           "  --max-nodes N            nodes and elements of the mesh (1000000)\n"
           "  --max-curves-per-edge N  pieces one subregion edge may be cut into (500)\n"
           "  --max-curves N           curves of the model, read and generated (5000)\n"
           "  --max-new-points N       points generated along the curves (30000)\n"
           "  --tree-guard             give up the walk along an unconnected internal tree\n"
           "  --export F[,F...]        after a successful run also write the mesh as\n"
           "                           nastran (MODEL.bdf), abaqus (MODEL.inp),\n"
           "                           vtk (MODEL.vtu) and/or msh (MODEL.msh)\n"
           "  --size H                 CAD parts: target element size (the bounding-box\n"
           "                           diagonal / 40)\n"
           "  --ref R                  CAD parts: refinement coefficient, 0 to 0.35 (0.2)\n"
           "  --sew-tolerance T        CAD parts: gap closed when sewing faces (the\n"
           "                           bounding-box diagonal * 1e-6)\n"
           "  -v, --verbose            print every message of the runs (the log's content)\n"
           "  -q, --quiet              print nothing unless a model fails\n"
           "  --threads N              threads meshing the subregions of one model\n"
           "                           (default: KORVEX_THREADS, else the machine's cores)\n"
           "  -j, --jobs N             mesh the models in N worker processes (1)\n"
           "  -h, --help               this text\n"
           "  --version                the version\n"
           "\n"
           "Sub-commands:\n"
           "  import   writes a CAD part as a model (PART.sur, or MODEL.sur with -o) and\n"
           "           prints what became of its faces\n"
           "  export   writes an existing mesh in other formats beside it (MESH.bdf, ...),\n"
           "           or to OUTPUT when one format is given; Nastran cards in free field\n"
           "           (full precision, the default) or small field (8 columns)\n"
           "  quality  node and element counts, corner angles, scaled Jacobian, aspect\n"
           "           ratio and warpage, worst elements, the same per subregion\n"
           "  Both carry the node sets of the model (one per curve, named point and\n"
           "  internal point), read from MODEL.sur beside the mesh or from --model\n"
           "  render   an SVG picture of the mesh shaded by scaled Jacobian (or coloured\n"
           "           by subregion), cropped to the model, seen face on when flat and\n"
           "           otherwise from the side that shows most of it; internal trees and\n"
           "           points are drawn from MODEL.sur beside the mesh (or --model)\n"
           "\n"
           "Exit status: 0 when every model was meshed (or the sub-command succeeded),\n"
           "1 otherwise, 2 for a wrong command line (no model given included).\n";
}

std::string usage_text() {
    const std::string help = help_text();
    return help.substr(0, help.find("\n\n") + 1);
}

}  // namespace korvex::cli
