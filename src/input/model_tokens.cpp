#include "input/model_tokens.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

#include "base/messages.h"

namespace korvex {

namespace {

bool is_space(int c) { return c >= 0 && std::isspace(c); }

// Appends one line's characters up to and including '\n' to out, keeping at
// most `room` characters before the newline; "\r\n" ends a line like "\n".
void take_line(const std::string& text, std::size_t& pos, std::string& out, std::size_t room) {
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c == '\n') {
            out += '\n';
            return;
        }
        if (c == '\r' && pos < text.size() && text[pos] == '\n') continue;
        if (room > 0) {
            out += c;
            --room;
        }
    }
}

}  // namespace

bool ModelTokens::advance() {
    if (unread_) {
        unread_ = false;
        return !word_is_eof_;
    }
    word_.clear();
    while (pos_ < text_.size() && is_space(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    word_start_ = pos_;
    while (pos_ < text_.size() && !is_space(static_cast<unsigned char>(text_[pos_]))) {
        if (word_.size() < kMaxWord) word_ += text_[pos_];
        ++pos_;
    }
    word_is_eof_ = word_.empty();
    return !word_is_eof_;
}

bool ModelTokens::read_line(std::string& line) {
    line.clear();
    if (pos_ >= text_.size()) return false;
    take_line(text_, pos_, line, kMaxLine - 1);
    return true;
}

std::string ModelTokens::rest_of_line() {
    std::string rest;
    take_line(text_, pos_, rest, kMaxLine - 1);
    return rest;
}

void ModelTokens::skip_line() {
    while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    if (pos_ < text_.size()) ++pos_;
}

void ModelTokens::skip_blanks() {
    while (peek() == ' ' || peek() == '\t') ++pos_;
}

int ModelTokens::line() const {
    std::size_t end = std::min(word_start_, text_.size());
    // At the end of the file the word start lies after the last newline.
    if (end == text_.size() && end > 0 && text_[end - 1] == '\n') --end;
    int line = 1;
    for (std::size_t i = 0; i < end; ++i)
        if (text_[i] == '\n') ++line;
    return line;
}

void ModelTokens::report_line() const { report(" (line %i of %s)\n", line(), source_.c_str()); }

double leading_number(std::string_view text, bool* converted, bool* whole) {
    if (converted) *converted = false;
    if (whole) *whole = false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const bool plus = first != last && *first == '+';
    if (plus) ++first;
    if (first != last && (*first == '+' || (plus && *first == '-'))) return 0.0;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Beyond the range of a double: the same overflow or underflow value
        // the C library gives.
        value = std::strtod(std::string(text).c_str(), nullptr);
    } else if (ec != std::errc()) {
        return 0.0;
    }
    if (converted) *converted = true;
    if (whole) *whole = end == last;
    return value;
}

namespace {

int refuse_number(const ModelTokens& in, const std::string& what) {
    report(" Not a number: '%s' where the %s was expected (line %i of %s)\n", in.word().c_str(), what.c_str(),
           in.line(), in.source().c_str());
    return kNotANumber;
}

}  // namespace

int read_number(ModelTokens& in, double& value, const std::string& what) {
    value = 0.0;
    while (in.advance()) {
        const char c = in.first();
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.') {
            bool whole = false;
            const double v = leading_number(in.word(), nullptr, &whole);
            if (!whole) return refuse_number(in, what);
            value = v;
            return 1;
        }
        if (in.is_section_keyword()) {
            report(" No number for the %s before %s (line %i of %s)\n", what.c_str(), in.word().c_str(), in.line(),
                   in.source().c_str());
            return kNotANumber;
        }
    }
    return 0;
}

int read_strict_number(ModelTokens& in, double& value, const std::string& what) {
    value = 0.0;
    if (!in.advance()) return 0;
    bool converted = false, whole = false;
    const double v = leading_number(in.word(), &converted, &whole);
    if (!converted) {
        in.unread();
        return 0;
    }
    if (!whole) return refuse_number(in, what);
    value = v;
    return 1;
}

}  // namespace korvex
