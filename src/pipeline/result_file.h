// The result file MODEL.m3d beside the model, and the closing counts.
#pragma once

#include <string>

#include "model/run.h"

namespace korvex {

// The model path with its last three characters replaced by "m3d".
std::string result_file_name(const std::string& problem_path);

// Writes the title, the NODES and ELEMENTS blocks and the trailer.
// Returns 1, or 0 after reporting that the file could not be written.
int write_result_file(const Run& run, const std::string& path);

// Node and element counts, then the step-size advice when the generator could
// not repair every singular element.
void report_mesh_counts(const Run& run);
void report_singular_element_advice();

}  // namespace korvex
