// korvex render MESH.m3d -o PICTURE.svg [--view top|front|side|iso] [--subregions] [--model MODEL.sur]
#include <cstdio>
#include <fstream>

#include "output/model_outline.h"
#include "output/node_sets.h"
#include "output/svg_picture.h"
#include "sub_commands.h"

namespace korvex::cli {

namespace {

int usage(const std::string& reason) {
    std::fprintf(stderr,
                 "korvex render: %s\nUsage: korvex render MESH.m3d -o PICTURE.svg [--view top|front|side|iso] "
                 "[--subregions] [--model MODEL.sur]\n",
                 reason.c_str());
    return 2;
}

struct RenderRequest {
    std::string mesh_path, picture_path, model_path;
    output::PictureOptions options;
};

// Fills `request` from the words after "render"; an empty string when they
// make sense, else the reason.
std::string parse_render_args(const std::vector<std::string>& args, RenderRequest& request) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "-o" && has_value) {
            request.picture_path = args[++i];
        } else if (a == "--view" && has_value) {
            if (!output::parse_view(args[++i], request.options.view)) return "unknown view '" + args[i] + "'";
        } else if (a == "--model" && has_value) {
            request.model_path = args[++i];
        } else if (a == "--subregions") {
            request.options.subregions = true;
        } else if (!a.starts_with("-") && request.mesh_path.empty()) {
            request.mesh_path = a;
        } else {
            return "unexpected '" + a + "'";
        }
    }
    if (request.mesh_path.empty() || request.picture_path.empty()) return "a mesh and -o PICTURE.svg are needed";
    return "";
}

}  // namespace

int render_command(const std::vector<std::string>& args) {
    RenderRequest request;
    if (const std::string reason = parse_render_args(args, request); !reason.empty()) return usage(reason);
    output::ResultMesh mesh;
    std::string error;
    if (!output::read_result_mesh(request.mesh_path, mesh, error)) {
        std::fprintf(stderr, "korvex render: %s\n", error.c_str());
        return 1;
    }
    // The model beside the mesh tells the trees and the internal points'
    // names; without it the picture simply leaves the trees out.
    if (request.model_path.empty()) request.model_path = output::model_beside(request.mesh_path);
    output::ModelOutline model;
    if (!request.model_path.empty()) {
        if (!output::read_model_outline(request.model_path, model, error)) {
            std::fprintf(stderr, "korvex render: %s\n", error.c_str());
            return 1;
        }
        request.options.model = &model;
    }
    std::ofstream out(request.picture_path, std::ios::binary);
    out << output::svg_picture(mesh, request.options);
    out.close();
    if (!out) {
        std::fprintf(stderr, "korvex render: cannot write %s\n", request.picture_path.c_str());
        return 1;
    }
    std::printf("picture written to %s\n", request.picture_path.c_str());
    return 0;
}

}  // namespace korvex::cli
