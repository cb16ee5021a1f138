#include "input/model_tokens.h"

#include <cctype>
#include <charconv>
#include <cstdlib>

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

double leading_number(std::string_view text, bool* converted) {
    if (converted) *converted = false;
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
    (void)end;
    if (converted) *converted = true;
    return value;
}

int read_number(ModelTokens& in, double& value) {
    value = 0.0;
    while (in.advance()) {
        const char c = in.first();
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.') {
            value = leading_number(in.word());
            return 1;
        }
    }
    return 0;
}

int read_strict_number(ModelTokens& in, double& value) {
    value = 0.0;
    if (!in.advance()) return 0;
    bool converted = false;
    const double v = leading_number(in.word(), &converted);
    if (!converted) {
        in.unread();
        return 0;
    }
    value = v;
    return 1;
}

}  // namespace korvex
