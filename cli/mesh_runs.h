// Meshing runs of the command: one model after another in this process, or
// several at once in worker processes (the library runs one mesh per process).
#pragma once

#include <functional>

#include "command_line.h"

namespace korvex::cli {

// Meshes every model with the options' capacities and writes the requested
// exports after each successful run. Returns 0 when every model was meshed
// (and exported), 1 otherwise.
int run_models(const MeshOptions& options, const char* program);

// Meshes one model in this process; `after_mesh`, when given, runs on a
// successful mesh before its summary and exports, and its non-zero result
// fails the run.
int mesh_model(const MeshOptions& options, const char* program, const std::string& model,
               const std::function<int()>& after_mesh);

// CAD parts (cad_routes.cpp): whether a path names one, and its import and
// meshing in one go (PART.sur, PART.m3d, PART.LOG beside the part).
bool is_cad_part_path(const std::string& path);
int mesh_cad_part(const MeshOptions& options, const char* program, const std::string& part);

// Writes the requested exports of a meshed model beside it (MODEL.bdf, ...),
// reading its result file. Returns 0 when all were written.
int export_beside_model(const std::string& model, const std::vector<std::string>& formats, bool quiet);

}  // namespace korvex::cli
