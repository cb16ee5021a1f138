// A run of the engine in a folder of its own. The engine keeps its working
// file in the current folder, so two workers meshing at once must not share
// one; and the log names the model exactly as given, so the model must be
// reachable from the private folder by the same text.
#pragma once

#include <functional>
#include <string>

namespace korvex::cli {

// Switches to a fresh temporary folder laid out so that `model` (relative or
// absolute, as given) names the same file and its results land beside it,
// calls run(), switches back, brings back what the engine wrote into the
// private folder itself (results of a model given by its bare name,
// plane_uv.err) and removes the folder. Returns run()'s result, or 1 when the
// folder cannot be prepared (with the reason on standard error).
int run_in_private_folder(const std::string& model, const std::function<int()>& run);

}  // namespace korvex::cli
