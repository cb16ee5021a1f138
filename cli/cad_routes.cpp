// CAD parts through the command: `korvex import PART.step` writes the model,
// `korvex PART.step` writes it beside the part and meshes it, moving the
// nodes of free-form faces onto the CAD faces. Without OpenCASCADE the
// command is built without them and says so.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "mesh_runs.h"
#include "sub_commands.h"

#ifdef KORVEX_WITH_CAD
#include "cad/node_projection.h"
#include "cad/part_import.h"

// Under LeakSanitizer (the sanitized test build): the memory OpenCASCADE's
// libraries keep until the process ends (static tables, handles) is not a
// leak of ours.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() { return "leak:libTK\n"; }
#endif

namespace korvex::cli {

namespace {

std::string model_beside(const std::string& part) {
    const std::size_t dot = part.find_last_of('.');
    return part.substr(0, dot) + ".sur";
}

#ifdef KORVEX_WITH_CAD
cad::ImportOptions import_options(const CadSettings& s) {
    cad::ImportOptions o;
    o.size = s.size;
    o.ref = s.ref;
    o.sew_tolerance = s.sew_tolerance;
    return o;
}

int move_nodes(const cad::ImportedPart& part, const std::string& model, bool quiet) {
    if (!cad::has_nodes_to_move(part.subregions, part.curves)) return 0;
    cad::ProjectionReport report;
    std::string error;
    const std::string m3d = model.substr(0, model.size() - 3) + "m3d";
    if (!cad::move_nodes_onto_faces(m3d, part.subregions, part.curves, report, error)) {
        std::fprintf(stderr, "korvex: %s\n", error.c_str());
        return 1;
    }
    if (!quiet)
        std::printf(" Nodes moved onto the CAD faces: %d (longest move %.3g); largest node-to-face distance %.3g"
                    " (%.3g of the element size); smallest scaled Jacobian after the move %.3f%s\n",
                    report.moved, report.max_move, report.max_distance, report.max_distance / part.size,
                    report.min_scaled_jacobian,
                    report.kept_for_validity ? "; some elements kept their nodes to stay valid" : "");
    return 0;
}
#endif

}  // namespace

bool is_cad_part_path(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos) return false;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == "step" || ext == "stp" || ext == "iges" || ext == "igs" || ext == "brep";
}

#ifdef KORVEX_WITH_CAD
int import_command(const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>("import")};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    CadSettings settings;
    std::string part, model;
    bool quiet = false;
    for (int i = 1; i < static_cast<int>(argv.size()); ++i) {
        const std::string a = argv[i];
        std::string error;
        if (parse_cad_option(static_cast<int>(argv.size()), argv.data(), i, settings, error)) {
            if (error.empty()) continue;
            std::fprintf(stderr, "korvex import: %s\n", error.c_str());
            return 2;
        }
        if (a == "-o" && i + 1 < static_cast<int>(argv.size())) {
            model = argv[++i];
        } else if (a == "-q" || a == "--quiet") {
            quiet = true;
        } else if (!a.empty() && a[0] != '-' && part.empty()) {
            part = a;
        } else {
            std::fprintf(stderr, "korvex import: unexpected '%s'\nUsage: korvex import PART.step [-o MODEL.sur] "
                                 "[--size H] [--ref R] [--sew-tolerance T]\n", a.c_str());
            return 2;
        }
    }
    if (part.empty()) {
        std::fprintf(stderr, "Usage: korvex import PART.step [-o MODEL.sur] [--size H] [--ref R] [--sew-tolerance T]\n");
        return 2;
    }
    if (model.empty()) model = model_beside(part);
    cad::ImportedPart imported;
    std::string error;
    if (!cad::import_part(part, model, import_options(settings), imported, error)) {
        std::fprintf(stderr, "korvex: %s\n", error.c_str());
        return 1;
    }
    if (!quiet) std::fputs(imported.summary.c_str(), stdout);
    return 0;
}

int mesh_cad_part(const MeshOptions& options, const char* program, const std::string& part) {
    const std::string model = model_beside(part);
    cad::ImportedPart imported;
    std::string error;
    if (!cad::import_part(part, model, import_options(options.cad), imported, error)) {
        std::fprintf(stderr, "korvex: %s\n", error.c_str());
        return 1;
    }
    if (options.verbose) std::fputs(imported.summary.c_str(), stdout);
    // Curved faces are cut into quarter turns and the engine may split
    // further: the subregion capacity grows with the part.
    MeshOptions o = options;
    const int needed = 4 * static_cast<int>(imported.subregions.size()) + 50;
    o.capacities.max_subregions = std::max(o.capacities.max_subregions, needed);
    return mesh_model(o, program, model, [&] { return move_nodes(imported, model, o.quiet); });
}
#else
int import_command(const std::vector<std::string>&) {
    std::fprintf(stderr, "korvex: this korvex was built without OpenCASCADE: CAD parts cannot be imported\n");
    return 1;
}

int mesh_cad_part(const MeshOptions&, const char*, const std::string& part) {
    std::fprintf(stderr, "korvex: %s: this korvex was built without OpenCASCADE: CAD parts cannot be meshed\n",
                 part.c_str());
    return 1;
}
#endif

}  // namespace korvex::cli
