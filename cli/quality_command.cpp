// korvex quality MESH.m3d [--json]
#include <cstdio>

#include "output/quality_figures.h"
#include "sub_commands.h"

namespace korvex::cli {

int quality_command(const std::vector<std::string>& args) {
    std::string mesh_path;
    bool json = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else if (!a.starts_with("-") && mesh_path.empty()) {
            mesh_path = a;
        } else {
            std::fprintf(stderr, "korvex quality: unexpected '%s'\nUsage: korvex quality MESH.m3d [--json]\n", a.c_str());
            return 2;
        }
    }
    if (mesh_path.empty()) {
        std::fprintf(stderr, "Usage: korvex quality MESH.m3d [--json]\n");
        return 2;
    }
    output::ResultMesh mesh;
    std::string error;
    if (!output::read_result_mesh(mesh_path, mesh, error)) {
        std::fprintf(stderr, "korvex quality: %s\n", error.c_str());
        return 1;
    }
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
