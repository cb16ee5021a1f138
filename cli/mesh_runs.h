// Meshing runs of the command: one model after another in this process, or
// several at once in worker processes (the library runs one mesh per process).
#pragma once

#include "command_line.h"

namespace korvex::cli {

// Meshes every model with the options' capacities and writes the requested
// exports after each successful run. Returns 0 when every model was meshed
// (and exported), 1 otherwise.
int run_models(const MeshOptions& options, const char* program);

// Writes the requested exports of a meshed model beside it (MODEL.bdf, ...),
// reading its result file. Returns 0 when all were written.
int export_beside_model(const std::string& model, const std::vector<std::string>& formats, bool quiet);

}  // namespace korvex::cli
