// Exact and fast number formatting for the result file and the exports:
// the bytes printf writes for "%.Pg", "%+W.Pg" and "%Wi", made with
// std::to_chars (which gives the digits printf gives) without printf's
// format parsing. Header-only, since the exports outside the engine use it too.
#pragma once

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace korvex {

namespace number_format_detail {

// Left-pads out[from..] with spaces to `width` characters, as printf's field width.
inline void pad_left(std::string& out, std::size_t from, int width) {
    const std::size_t len = out.size() - from;
    if (width <= 0 || len >= static_cast<std::size_t>(width)) return;
    out.insert(from, static_cast<std::size_t>(width) - len, ' ');
}

}  // namespace number_format_detail

// Appends `value` as printf's "%.{precision}g" does; with `plus` a '+' goes
// before values without a sign bit ("%+.{p}g"), and the text is padded on
// the left with spaces to at least `width` characters ("%+{width}.{p}g").
inline void append_general(std::string& out, double value, int precision, bool plus = false, int width = 0) {
    const std::size_t from = out.size();
    char buf[64];  // %g never writes more than sign, 17 digits, point and a 5-character exponent
    char* p = buf;
    if (plus && !std::signbit(value)) *p++ = '+';
    if (std::isnan(value)) {
        // printf writes "nan" or "-nan"; to_chars may add a payload.
        if (std::signbit(value)) *p++ = '-';
        std::memcpy(p, "nan", 3);
        p += 3;
    } else {
        // "%.0g" means one significant digit; to_chars agrees with printf on the rest.
        p = std::to_chars(p, buf + sizeof buf, value, std::chars_format::general, precision == 0 ? 1 : precision).ptr;
    }
    out.append(buf, static_cast<std::size_t>(p - buf));
    number_format_detail::pad_left(out, from, width);
}

// Appends `value` as printf's "%{width}i" does.
inline void append_int(std::string& out, long long value, int width = 0) {
    const std::size_t from = out.size();
    char buf[24];
    const char* end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    out.append(buf, static_cast<std::size_t>(end - buf));
    number_format_detail::pad_left(out, from, width);
}

// The text of "%.{precision}g".
inline std::string general_text(double value, int precision) {
    std::string s;
    append_general(s, value, precision);
    return s;
}

}  // namespace korvex
