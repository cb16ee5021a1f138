// The model file name checks of a run and the names derived from it.
#pragma once

#include <string>
#include <string_view>

namespace korvex {

enum class ModelNameCheck {
    kNoDot,         // no '.' at all: refused without a message
    kBadExtension,  // the text after the last '.' is not exactly S, U, R in any case
    kValid,
};

// Classifies a model path by the extension after its last '.'.
ModelNameCheck check_model_name(std::string_view path);

// The log file of a model: its path with the last three characters replaced
// by "LOG" (folder and dot kept: dir/a.sur logs to dir/a.LOG).
std::string log_file_name(const std::string& path);

}  // namespace korvex
