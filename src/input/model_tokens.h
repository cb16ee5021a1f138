// The word stream of a .sur model file. Apart from the title line the file is
// a stream of words separated by white space; line breaks matter only to
// comments, to the text quoted in messages about an illegal line and to the
// line numbers that messages about a word give.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvex {

class ModelTokens {
public:
    // Longest line kept where a whole line is read (title, quoted rest of a
    // line), newline included; longer lines are truncated, never overrun.
    static constexpr std::size_t kMaxLine = 254;
    // Longest word kept; the rest of a longer word is dropped.
    static constexpr std::size_t kMaxWord = 255;

    // `source` names the file in messages that point at a line of it.
    explicit ModelTokens(std::string text, std::string source = {})
        : text_(std::move(text)), source_(std::move(source)) {}

    // Reads the next word into word(); false at end of file (word() empty).
    bool advance();
    // Makes the next advance() return the current word again.
    void unread() { unread_ = true; }
    const std::string& word() const { return word_; }
    char first() const { return word_.empty() ? '\0' : word_[0]; }
    bool is(std::string_view keyword) const { return word_ == keyword; }
    // A section keyword or END: where a section, and any entry in it, ends.
    bool is_section_keyword() const { return is("POINTS") || is("CURVES") || is("SUBREGIONS") || is("END"); }

    // The line (from 1) of the current word; at the end of the file, the last
    // line. Counted on demand, as only messages ask for it.
    int line() const;
    const std::string& source() const { return source_; }
    // Reports " (line L of FILE)" for the current word, after a message about it.
    void report_line() const;

    // Reads one whole line from the current position (newline kept, "\r\n"
    // read as "\n"); false when the file has ended.
    bool read_line(std::string& line);
    // The rest of the current line after the current word, with its newline.
    std::string rest_of_line();
    // Discards the rest of the current line (a comment).
    void skip_line();

    // Line 2 helpers: the next character without consuming it, and skipping blanks.
    int peek() const { return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : -1; }
    int get() { return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_++]) : -1; }
    void skip_blanks();

private:
    std::string text_;
    std::string source_;
    std::size_t pos_ = 0;
    std::size_t word_start_ = 0;
    std::string word_;
    bool unread_ = false;
    bool word_is_eof_ = true;
};

// Result of read_number and read_strict_number when the word is refused
// (the reason has been reported).
constexpr int kNotANumber = -1;

// A number where labels may stand before it: skips words until one begins
// with a digit, '+', '-' or '.', which must then be a whole number. `what`
// names the value in messages ("y coordinate of point P4"). Returns 1 with the
// value, 0 at end of file (value 0.0), kNotANumber when the word is not a
// whole number or a section keyword or END comes first.
int read_number(ModelTokens& in, double& value, const std::string& what);

// A strict number: the next word with nothing skipped. A word with no numeric
// start stays unread with value 0.0 (returns 0), so that the caller reports
// what stands there; one with a numeric start must be a whole number, else
// kNotANumber. Returns 1 when a number was read.
int read_strict_number(ModelTokens& in, double& value, const std::string& what);

// Leading numeric part of text (decimal or exponent notation), independent of
// the host's locale; 0.0 when there is none. `whole` tells whether the number
// took the entire text.
double leading_number(std::string_view text, bool* converted = nullptr, bool* whole = nullptr);

}  // namespace korvex
