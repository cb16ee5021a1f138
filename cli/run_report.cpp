#include "run_report.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "output/quality_figures.h"
#include "output/result_mesh.h"

namespace korvex::cli {

namespace {

// The words of a model file without its title line and comments (a word
// starting with '*' comments out the rest of its line).
std::vector<std::string> model_words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);  // the title
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string word;
        while (in >> word) {
            if (word[0] == '*') break;
            words.push_back(word);
        }
    }
    return words;
}

// The type a subregion's type word stands for, recognised by its leading
// letters as the engine's reader does; empty for a word it refuses.
std::string type_of(const std::string& w) {
    if (w[0] == 'B') return "BILINEAR";
    if (w.starts_with("CY")) return "CYLINDER";
    if (w.starts_with("CO")) return "";
    if (w[0] == 'P') return "PLANE";
    if (w[0] == 'R') return w.size() > 3 && w[3] == '2' ? "REV2" : "REV";
    if (w.starts_with("SP")) return "SPHERE";
    if (w[0] == 'E') return "untyped";
    return "";
}

std::vector<std::string> split_lines(const std::string& stream) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : stream) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A line that states why a run fails. Messages about progress, limits and
// results contain none of these words; warnings are not failures.
bool reads_as_error(const std::string& line) {
    static const char* const kWords[] = {
        "error",     "cannot",       "can't",     "illegal",   "unexpected", "must",          "missing",
        "not found", "not supported", "not a number", "no number", "too long", "increase ",  "invalid",
        "negative",  "prematurely",  "unsuccessful", "no such file", "not a valid", "fatal", "no memory",
        "out of memory", "not enough", "not defined", "is empty", "inconsisten", "too opened", "consider",
    };
    const std::string l = lower(line);
    if (l.find("warning") != std::string::npos) return false;
    for (const char* w : kWords)
        if (l.find(w) != std::string::npos) return true;
    return false;
}

// printf-style formatting into a string of the length the text needs, so
// that long model paths are never cut short.
std::string formatted(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string formatted(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, again);
    va_end(again);
    return out;
}

}  // namespace

std::map<std::string, int> subregion_types(const std::string& model_text) {
    enum class State { kOutside, kName, kType, kBody, kRefValue };
    std::map<std::string, int> types;
    State state = State::kOutside;
    for (const std::string& w : model_words(model_text)) {
        if (w == "POINTS" || w == "CURVES" || w == "END") {
            state = State::kOutside;
        } else if (w == "SUBREGIONS") {
            state = State::kName;
        } else if (state == State::kName) {
            if (w[0] == 'R') state = State::kType;  // other words: holes and trees with their curves
        } else if (state == State::kType) {
            const std::string type = type_of(w);
            if (!type.empty()) ++types[type];
            state = State::kBody;
        } else if (state == State::kBody) {
            if (w == "REF") state = State::kRefValue;
        } else if (state == State::kRefValue) {
            state = State::kName;
        }
    }
    return types;
}

StreamCounts count_stream(const std::string& stream) {
    StreamCounts counts;
    for (const std::string& line : split_lines(stream)) {
        if (line.find("Warning") != std::string::npos) ++counts.warnings;
        if (line.find("Output data error") != std::string::npos) ++counts.output_data_errors;
        const std::size_t at = line.find("Total processing time:");
        if (at != std::string::npos) counts.seconds = std::atof(line.c_str() + at + 22);
    }
    return counts;
}

std::vector<std::string> failure_lines(const std::string& stream) {
    // The limits block of a run is framed by rules of asterisks and its
    // memory lines have no line end of their own: a rule ends a line here,
    // so that the message after the block stands on a line of its own.
    const std::string rule(91, '*');
    std::string text;
    text.reserve(stream.size());
    for (std::size_t from = 0;;) {
        const std::size_t at = stream.find(rule, from);
        text.append(stream, from, at == std::string::npos ? std::string::npos : at - from);
        if (at == std::string::npos) break;
        text += '\n';
        from = at + rule.size();
    }
    std::vector<std::string> lines = split_lines(text);
    // Blank lines carry nothing a reader of the reason needs.
    std::erase_if(lines, [](const std::string& l) { return l.find_first_not_of(" \t\r") == std::string::npos; });
    constexpr std::size_t kTail = 5;
    auto first = std::find_if(lines.begin(), lines.end(), reads_as_error);
    if (first == lines.end() || first == lines.end() - 1)  // nothing but the final "Fatal error occurred"
        first = lines.size() > kTail ? lines.end() - kTail : lines.begin();
    return std::vector<std::string>(first, lines.end());
}

std::string run_summary(const std::string& model, const std::string& model_text, const std::string& stream,
                        const std::string& m3d, const std::string& log) {
    std::string out;
    const auto types = subregion_types(model_text);
    int subregions = 0;
    std::string by_type;
    for (const auto& [type, n] : types) {
        subregions += n;
        by_type += (by_type.empty() ? "" : ", ") + type + " " + std::to_string(n);
    }
    out += formatted("%s: meshed, %d subregion%s (%s)\n", model.c_str(), subregions, subregions == 1 ? "" : "s",
                     by_type.c_str());

    output::ResultMesh mesh;
    std::string error;
    if (output::read_result_mesh(m3d, mesh, error)) {
        const output::QualityReport q = output::quality_report(mesh);
        out += formatted("  %ld nodes, %ld elements, smallest scaled Jacobian %.3f (element %d)\n",
                         static_cast<long>(mesh.nodes.size()), static_cast<long>(mesh.elements.size()),
                         q.mesh.min_scaled_jacobian.value, q.mesh.min_scaled_jacobian.element);
    } else {
        out += "  the result cannot be read back: " + error + "\n";
    }
    const StreamCounts counts = count_stream(stream);
    if (counts.warnings > 0 || counts.output_data_errors > 0) {
        out += formatted("  %d warning%s, %d output data error%s (see the log)\n", counts.warnings,
                         counts.warnings == 1 ? "" : "s", counts.output_data_errors,
                         counts.output_data_errors == 1 ? "" : "s");
    }
    if (counts.seconds >= 0)
        out += formatted("  %.2f seconds; written: %s, %s\n", counts.seconds, m3d.c_str(), log.c_str());
    else
        out += formatted("  written: %s, %s\n", m3d.c_str(), log.c_str());
    return out;
}

}  // namespace korvex::cli
