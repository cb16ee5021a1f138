// korvex export MESH.m3d --format F[,F...] [-o OUTPUT] [--nastran-field free|small] [--model MODEL.sur]
#include <cstdio>
#include <filesystem>

#include "command_line.h"
#include "output/export_formats.h"
#include "sub_commands.h"

namespace korvex::cli {

namespace {

int usage(const std::string& reason) {
    std::fprintf(stderr, "korvex export: %s\nUsage: korvex export MESH.m3d --format F[,F...] [-o OUTPUT] "
                         "[--nastran-field free|small] [--model MODEL.sur]\n", reason.c_str());
    return 2;
}

}  // namespace

int export_command(const std::vector<std::string>& args) {
    std::string mesh_path, output_path, model_path;
    std::vector<std::string> formats;
    output::ExportOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "--format" && has_value) {
            for (const std::string& f : split_list(args[++i])) {
                if (!output::known_export_format(f)) return usage("unknown format '" + f + "' (" + output::export_format_list() + ")");
                formats.push_back(f);
            }
        } else if (a == "-o" && has_value) {
            output_path = args[++i];
        } else if (a == "--model" && has_value) {
            model_path = args[++i];
        } else if (a == "--nastran-field" && has_value && (args[i + 1] == "free" || args[i + 1] == "small")) {
            options.nastran_small_field = args[++i] == "small";
        } else if (!a.starts_with("-") && mesh_path.empty()) {
            mesh_path = a;
        } else {
            return usage("unexpected '" + a + "'");
        }
    }
    if (mesh_path.empty() || formats.empty()) return usage("a mesh and at least one format are needed");
    if (!output_path.empty() && formats.size() > 1) return usage("-o takes one format");
    output::ResultMesh mesh;
    if (!read_mesh_with_sets(mesh_path, model_path, "korvex export", mesh)) return 1;
    std::string error;
    int result = 0;
    for (const std::string& format : formats) {
        std::filesystem::path path = output_path;
        if (path.empty()) path = std::filesystem::path(mesh_path).replace_extension(output::export_extension(format));
        if (!output::write_export(mesh, format, path.string(), options, error)) {
            std::fprintf(stderr, "korvex export: %s\n", error.c_str());
            result = 1;
        } else {
            std::printf("%s written to %s\n", format.c_str(), path.c_str());
            if (format == "nastran" && !mesh.node_sets.empty())
                std::printf("node sets written to %s\n", output::node_set_list_path(path.string()).c_str());
        }
    }
    return result;
}

}  // namespace korvex::cli
