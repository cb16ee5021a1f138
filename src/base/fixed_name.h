// Short fixed-capacity texts used for every name in the model and the mesh.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace korvex {

// A NUL-terminated text of at most N-1 characters. Assignment truncates, so
// copying a longer name into a shorter field behaves the same everywhere.
// Comparison is exact (case-sensitive, whole string).
template <std::size_t N>
struct FixedName {
    char s[N] = {};

    FixedName() = default;
    FixedName(const char* text) { assign(text); }            // NOLINT: implicit by design
    FixedName(std::string_view text) { assign(text); }       // NOLINT
    template <std::size_t M>
    FixedName(const FixedName<M>& other) { assign(other.c_str()); }  // NOLINT

    void assign(std::string_view text) {
        const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
        std::memcpy(s, text.data(), n);
        std::memset(s + n, 0, N - n);
    }
    void assign(const char* text) { assign(std::string_view(text ? text : "")); }
    FixedName& operator=(const char* text) { assign(text); return *this; }
    FixedName& operator=(std::string_view text) { assign(text); return *this; }
    template <std::size_t M>
    FixedName& operator=(const FixedName<M>& other) { assign(other.c_str()); return *this; }

    const char* c_str() const { return s; }
    std::string_view view() const { return std::string_view(s, length()); }
    std::size_t length() const { return strnlen(s, N); }
    bool empty() const { return s[0] == '\0'; }
    static constexpr std::size_t capacity() { return N - 1; }

    char& operator[](std::size_t i) { return s[i]; }
    char operator[](std::size_t i) const { return s[i]; }

    // Compares only the prefix's bytes: a name ends at its first NUL, which
    // no prefix byte matches.
    bool starts_with(std::string_view prefix) const {
        if (prefix.size() > N) return false;
        for (std::size_t i = 0; i < prefix.size(); ++i)
            if (s[i] != prefix[i] || s[i] == '\0') return false;
        return true;
    }

    friend bool operator==(const FixedName& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const FixedName& a, const char* b) { return a.view() == std::string_view(b ? b : ""); }
    // Name against name: one pass over the bytes up to the first end, with
    // the same result as comparing the two views.
    template <std::size_t M>
    friend bool operator==(const FixedName& a, const FixedName<M>& b) {
        constexpr std::size_t n = N < M ? N : M;
        for (std::size_t i = 0; i < n; ++i) {
            if (a.s[i] != b.s[i]) return false;
            if (a.s[i] == '\0') return true;
        }
        if constexpr (N < M) return b.s[N] == '\0';
        else if constexpr (M < N) return a.s[M] == '\0';
        else return true;
    }
};

using Name = FixedName<9>;        // model names: 8 characters + terminator
using PointName = FixedName<16>;  // ControlPoint / Node3D name field
using ElementName = FixedName<12>;

}  // namespace korvex
