// What the command tells a person about one meshing run: a short summary of
// a meshed model, or the messages that explain a failure. Both are taken from
// the run's message stream (as the library prints it) and its files.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace korvex::cli {

// The surface types of a model's subregions as its SUBREGIONS sections name
// them ("PLANE", "CYLINDER", "BILINEAR", "REV", "REV2", "SPHERE", "untyped"),
// with their counts.
std::map<std::string, int> subregion_types(const std::string& model_text);

// Counts in a run's message stream.
struct StreamCounts {
    int warnings = 0;            // lines with "Warning"
    int output_data_errors = 0;  // lines with "Output data error"
    double seconds = -1;         // the run's processing time, -1 when not reported
};
StreamCounts count_stream(const std::string& stream);

// The lines of a failed run's stream from its first error on (at least the
// last few lines when no line reads as an error).
std::vector<std::string> failure_lines(const std::string& stream);

// The summary of a meshed model: at most seven lines, each ending in '\n'.
// `m3d` and `log` are the paths of the result and the log.
std::string run_summary(const std::string& model, const std::string& model_text, const std::string& stream,
                        const std::string& m3d, const std::string& log);

}  // namespace korvex::cli
