// The driver of one run: file checks, log, banner and limits, reading,
// the pipeline, the result file and clean-up.
#pragma once

namespace korvex {

// Runs one meshing run. Returns normally on success; ends with fatal_stop on failure.
void driver_main(int argc, char** argv);

}  // namespace korvex
