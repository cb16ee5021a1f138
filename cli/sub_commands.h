// The sub-commands: import writes a CAD part as a model; the others work
// on an existing result file. Each takes the
// words after its name and returns the exit status: 0 done, 1 failed,
// 2 wrong command line.
#pragma once

#include <string>
#include <vector>

namespace korvex::cli {

int import_command(const std::vector<std::string>& args);
int export_command(const std::vector<std::string>& args);
int quality_command(const std::vector<std::string>& args);
int render_command(const std::vector<std::string>& args);

}  // namespace korvex::cli
