#include "output/model_outline.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace korvex::output {

namespace {

struct Word {
    std::string text;
    int line = 0;
};

// The words of the model after its title line, without comments (a word
// starting with '*' hides the rest of its line) and without a step-mode
// line 2 ("STEP CONSTANT", "STEP LINEAR").
std::vector<Word> model_words(const std::string& text) {
    std::vector<Word> words;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (number == 1) continue;
        std::istringstream items(line);
        std::string w;
        bool first = true;
        while (items >> w) {
            if (w[0] == '*') break;
            if (number == 2 && first && (line[0] == 'S' || line[0] == 's') && w != "SUBREGIONS") break;
            words.push_back({w, number});
            first = false;
        }
    }
    return words;
}

bool is_section_end(const std::string& w) {
    return w == "POINTS" || w == "CURVES" || w == "SUBREGIONS" || w == "END";
}

bool is_number(const std::string& w, double& value) {
    const char c = w[0];
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.')) return false;
    char* end = nullptr;
    value = std::strtod(w.c_str(), &end);
    return end == w.c_str() + w.size();
}

class OutlineReader {
public:
    OutlineReader(std::vector<Word> words, const std::string& source) : words_(std::move(words)), source_(source) {}

    bool read(ModelOutline& outline, std::string& error) {
        while (at_ < words_.size()) {
            const std::string& w = words_[at_++].text;
            bool ok = true;
            if (w == "POINTS") ok = points(outline);
            else if (w == "CURVES") ok = curves(outline);
            else if (w == "SUBREGIONS") subregions(outline);
            else if (w == "END") return true;
            else ok = fail("'" + w + "' where a section keyword was expected");
            if (!ok) {
                error = error_;
                return false;
            }
        }
        error = source_ + ": no END";
        return false;
    }

private:
    bool more() const { return at_ < words_.size() && !is_section_end(words_[at_].text); }
    const std::string& word() const { return words_[at_].text; }

    bool fail(const std::string& what) {
        const int line = at_ < words_.size() ? words_[at_].line : (words_.empty() ? 1 : words_.back().line);
        error_ = source_ + ":" + std::to_string(line) + ": " + what;
        return false;
    }

    // Only the trees matter here: a tree is a word beginning with T followed
    // by its curve names; any other word ends the list.
    void subregions(ModelOutline& outline) {
        bool in_tree = false;
        for (; more(); ++at_) {
            const std::string& w = word();
            if (w[0] == 'T') in_tree = true;
            else if (in_tree && (w[0] == 'C' || w[0] == 'Q')) outline.tree_curves.insert(w);
            else in_tree = false;
        }
    }

    // The next number, passing over label words (X, Y, Z, ...) before it.
    bool number(double& value) {
        for (; more(); ++at_) {
            if (is_number(word(), value)) {
                ++at_;
                return true;
            }
        }
        return fail("a coordinate is missing");
    }

    bool points(ModelOutline& outline) {
        while (more()) {
            if (word()[0] != 'P') return fail("'" + word() + "' where a point name was expected");
            OutlinePoint p;
            p.name = words_[at_++].text;
            p.internal = p.name.starts_with("PINT");
            for (int c = 0; c < 3; ++c)
                if (!number(p.p[c])) return false;
            // An internal point's subregion, STEP and RAD stand before the next point.
            if (p.internal)
                while (more() && word()[0] != 'P') ++at_;
            outline.points.push_back(std::move(p));
        }
        return true;
    }

    bool curves(ModelOutline& outline) {
        while (more()) {
            if (word()[0] != 'C' && word()[0] != 'Q') return fail("'" + word() + "' where a curve name was expected");
            OutlineCurve c;
            c.name = words_[at_++].text;
            while (more() && word()[0] == 'P') c.points.push_back(words_[at_++].text);
            // STEP and its value, then the next curve.
            while (more() && word()[0] != 'C' && word()[0] != 'Q') ++at_;
            outline.curves.push_back(std::move(c));
        }
        return true;
    }

    std::vector<Word> words_;
    std::string source_;
    std::size_t at_ = 0;
    std::string error_;
};

}  // namespace

const OutlineCurve* ModelOutline::curve(const std::string& name) const {
    for (const OutlineCurve& c : curves)
        if (c.name == name) return &c;
    return nullptr;
}

bool parse_model_outline(const std::string& text, const std::string& source, ModelOutline& outline,
                         std::string& error) {
    outline = ModelOutline{};
    return OutlineReader(model_words(text), source).read(outline, error);
}

bool read_model_outline(const std::string& path, ModelOutline& outline, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse_model_outline(text.str(), path, outline, error);
}

}  // namespace korvex::output
