// A result file read for a sub-command, with the node sets of its model.
#include <cstdio>

#include "output/node_sets.h"
#include "sub_commands.h"

namespace korvex::cli {

bool read_mesh_with_sets(const std::string& mesh_path, const std::string& model, const char* program,
                         output::ResultMesh& mesh) {
    std::string error;
    if (!output::read_result_mesh(mesh_path, mesh, error)) {
        std::fprintf(stderr, "%s: %s\n", program, error.c_str());
        return false;
    }
    const std::string path = model.empty() ? output::model_beside(mesh_path) : model;
    if (path.empty()) return true;
    if (!output::attach_node_sets(mesh, path, error)) {
        std::fprintf(stderr, "%s: %s%s\n", program, error.c_str(), model.empty() ? " (no node sets)" : "");
        return model.empty();
    }
    return true;
}

}  // namespace korvex::cli
