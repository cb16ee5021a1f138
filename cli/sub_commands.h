// The sub-commands: import writes a CAD part as a model; the others work
// on an existing result file. Each takes the
// words after its name and returns the exit status: 0 done, 1 failed,
// 2 wrong command line.
#pragma once

#include <string>
#include <vector>

#include "output/result_mesh.h"

namespace korvex::cli {

int import_command(const std::vector<std::string>& args);
// Reads a result file and attaches the node sets of its model: `model` when
// given, else the .sur beside the mesh when there is one. Returns false
// after printing the reason when the mesh, or a model named by `model`,
// cannot be read; a model beside the mesh that cannot be read only costs
// the node sets, with a note.
bool read_mesh_with_sets(const std::string& mesh_path, const std::string& model, const char* program,
                         output::ResultMesh& mesh);

int export_command(const std::vector<std::string>& args);
int quality_command(const std::vector<std::string>& args);
int render_command(const std::vector<std::string>& args);

}  // namespace korvex::cli
