#include "output/model_outline.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace korvex::output {

namespace {

// The words of the model after its title line, without comments (a word
// starting with '*' hides the rest of its line).
std::vector<std::string> model_words(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);  // the title
    std::vector<std::string> words;
    while (std::getline(in, line)) {
        std::istringstream row(line);
        for (std::string w; row >> w;) {
            if (w[0] == '*') break;
            words.push_back(w);
        }
    }
    return words;
}

bool whole_number(const std::string& word, double& value) {
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    return end != word.c_str() && *end == '\0';
}

bool section_keyword(const std::string& w) {
    return w == "POINTS" || w == "CURVES" || w == "SUBREGIONS" || w == "END";
}

bool curve_name(const std::string& w) { return w[0] == 'C' || w[0] == 'Q'; }

// POINTS: a name, then three numbers (label words before a value skipped).
std::size_t read_point(const std::vector<std::string>& words, std::size_t i, ModelOutline& outline) {
    const std::string& name = words[i++];
    double xyz[3] = {0, 0, 0};
    for (int c = 0; c < 3 && i < words.size() && !section_keyword(words[i]); ++i)
        if (whole_number(words[i], xyz[c])) ++c;
    if (name.starts_with("PINT")) outline.internal_points.push_back({name, {xyz[0], xyz[1], xyz[2]}});
    return i;
}

}  // namespace

ModelOutline read_model_outline(const std::string& text) {
    const std::vector<std::string> words = model_words(text);
    ModelOutline outline;
    std::string section, curve;
    bool in_tree = false;
    for (std::size_t i = 0; i < words.size();) {
        const std::string& w = words[i];
        if (section_keyword(w)) {
            section = w, curve.clear(), in_tree = false, ++i;
        } else if (section == "POINTS" && w[0] == 'P') {
            i = read_point(words, i, outline);
        } else if (section == "CURVES") {
            if (curve_name(w)) curve = w, outline.curve_points[w];
            else if (w[0] == 'P' && !curve.empty()) outline.curve_points[curve].push_back(w);
            else curve.clear();
            ++i;
        } else if (section == "SUBREGIONS") {
            // A tree is a T word followed by its curves; any other word ends it.
            if (w[0] == 'T') in_tree = true;
            else if (in_tree && curve_name(w)) outline.tree_curves.insert(w);
            else in_tree = false;
            ++i;
        } else {
            ++i;
        }
    }
    return outline;
}

std::string model_beside(const std::string& result_path) {
    const std::size_t dot = result_path.find_last_of('.');
    const std::size_t slash = result_path.find_last_of('/');
    const std::string stem =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) ? result_path.substr(0, dot) : result_path;
    for (const char* extension : {".sur", ".SUR", ".Sur"}) {
        if (std::ifstream(stem + extension)) return stem + extension;
    }
    return {};
}

bool load_model_outline(const std::string& path, ModelOutline& outline) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    outline = read_model_outline(text.str());
    return true;
}

}  // namespace korvex::output
