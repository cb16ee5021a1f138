// korvex quality MESH.m3d [--json] [--model MODEL.sur]
#include <cstdio>

#include "output/quality_figures.h"
#include "sub_commands.h"

namespace korvex::cli {

int quality_command(const std::vector<std::string>& args) {
    std::string mesh_path, model_path;
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--model" && i + 1 < args.size()) {
            model_path = args[++i];
        } else if (!a.starts_with("-") && mesh_path.empty()) {
            mesh_path = a;
        } else {
            std::fprintf(stderr, "korvex quality: unexpected '%s'\nUsage: korvex quality MESH.m3d [--json] [--model MODEL.sur]\n", a.c_str());
            return 2;
        }
    }
    if (mesh_path.empty()) {
        std::fprintf(stderr, "Usage: korvex quality MESH.m3d [--json] [--model MODEL.sur]\n");
        return 2;
    }
    output::ResultMesh mesh;
    if (!read_mesh_with_sets(mesh_path, model_path, "korvex quality", mesh)) return 1;
    const output::QualityReport report = output::quality_report(mesh);
    if (json) {
        std::fputs(output::quality_json(report).c_str(), stdout);
    } else {
        std::printf("%s\n", mesh.title.c_str());
        std::fputs(output::quality_text(report).c_str(), stdout);
    }
    return 0;
}

}  // namespace korvex::cli
