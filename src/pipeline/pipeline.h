// The pipeline: Korvex() runs every stage on the run in order; the driver
// then writes the result.
#pragma once

#include "model/run.h"

namespace korvex {

// Returns 1 on success, or 0 after the failing stage has reported why.
int Korvex(Run& run);
// Coincidence check, result file and counts; 0 only when the result file cannot be written.
int final_checks_and_output(Run& run);

}  // namespace korvex
