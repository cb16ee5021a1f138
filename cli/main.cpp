// The korvex command: meshes models through the library's entry point, and
// works on existing meshes through its sub-commands (export, quality, render);
// imports CAD parts as models (import, or a part given as a model).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "command_line.h"
#include "mesh_runs.h"
#include "sub_commands.h"

namespace {

int sub_command(const std::string& name, int argc, char** argv) {
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (name == "import") return korvex::cli::import_command(args);
    if (name == "export") return korvex::cli::export_command(args);
    if (name == "quality") return korvex::cli::quality_command(args);
    return korvex::cli::render_command(args);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2) {
        const std::string first = argv[1];
        if (first == "import" || first == "export" || first == "quality" || first == "render") return sub_command(first, argc, argv);
    }
    korvex::cli::MeshOptions options;
    const std::string error = korvex::cli::parse_mesh_options(argc, argv, options);
    if (!error.empty()) {
        std::fprintf(stderr, "korvex: %s\nTry 'korvex --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(korvex::cli::help_text(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("korvex 4.0\n");
        return 0;
    }
    if (options.models.empty()) {
        std::fprintf(stderr, "%sTry 'korvex --help'.\n", korvex::cli::usage_text().c_str());
        return 2;
    }
    return korvex::cli::run_models(options, argv[0]);
}
