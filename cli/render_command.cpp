// korvex render MESH.m3d -o PICTURE.svg [--view top|front|side|iso]
#include <cstdio>
#include <fstream>

#include "output/svg_picture.h"
#include "sub_commands.h"

namespace korvex::cli {

namespace {

int usage(const std::string& reason) {
    std::fprintf(stderr, "korvex render: %s\nUsage: korvex render MESH.m3d -o PICTURE.svg [--view top|front|side|iso]\n",
                 reason.c_str());
    return 2;
}

}  // namespace

int render_command(const std::vector<std::string>& args) {
    std::string mesh_path, picture_path;
    output::View view = output::View::automatic;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "-o" && has_value) {
            picture_path = args[++i];
        } else if (a == "--view" && has_value) {
            if (!output::parse_view(args[++i], view)) return usage("unknown view '" + args[i] + "'");
        } else if (!a.starts_with("-") && mesh_path.empty()) {
            mesh_path = a;
        } else {
            return usage("unexpected '" + a + "'");
        }
    }
    if (mesh_path.empty() || picture_path.empty()) return usage("a mesh and -o PICTURE.svg are needed");
    output::ResultMesh mesh;
    std::string error;
    if (!output::read_result_mesh(mesh_path, mesh, error)) {
        std::fprintf(stderr, "korvex render: %s\n", error.c_str());
        return 1;
    }
    std::ofstream out(picture_path, std::ios::binary);
    out << output::svg_picture(mesh, view);
    out.close();
    if (!out) {
        std::fprintf(stderr, "korvex render: cannot write %s\n", picture_path.c_str());
        return 1;
    }
    std::printf("picture written to %s\n", picture_path.c_str());
    return 0;
}

}  // namespace korvex::cli
