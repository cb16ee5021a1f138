// The word stream of a .sur model file. Apart from the title line the file is
// a stream of words separated by white space; line breaks matter only to
// comments and to the text quoted in messages about an illegal line.
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

    explicit ModelTokens(std::string text) : text_(std::move(text)) {}

    // Reads the next word into word(); false at end of file (word() empty).
    bool advance();
    // Makes the next advance() return the current word again.
    void unread() { unread_ = true; }
    const std::string& word() const { return word_; }
    char first() const { return word_.empty() ? '\0' : word_[0]; }
    bool is(std::string_view keyword) const { return word_ == keyword; }

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
    std::size_t pos_ = 0;
    std::string word_;
    bool unread_ = false;
    bool word_is_eof_ = true;
};

// A number where labels may stand before it: skips words until one begins
// with a digit, '+', '-' or '.', and converts its leading numeric part.
// Returns 0 at end of file (value 0.0), else 1.
int read_number(ModelTokens& in, double& value);

// A strict number: the next word, converted as a whole number with nothing
// skipped. When it is no number the word stays unread and value is 0.0;
// returns 1 when a number was read.
int read_strict_number(ModelTokens& in, double& value);

// Leading numeric part of text (decimal or exponent notation), independent of
// the host's locale; 0.0 when there is none.
double leading_number(std::string_view text, bool* converted = nullptr);

}  // namespace korvex
