// One-based growable array: index 0 exists and holds no record, so loop
// bounds and printed ids read 1..count. Every access is bounds-checked so
// that no input can write past the storage.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <vector>

namespace korvex {

template <class T>
class Array1 {
public:
    Array1() : v_(1) {}
    // Holds indexes 0..last.
    explicit Array1(std::size_t last) : v_(last + 1) {}

    T& operator[](long i) { check(i); return v_[static_cast<std::size_t>(i)]; }
    const T& operator[](long i) const { check(i); return v_[static_cast<std::size_t>(i)]; }

    // Highest valid index.
    long last() const { return static_cast<long>(v_.size()) - 1; }
    // Grows (value-initialising new records) so that index i is valid.
    // References into the array are invalidated when it grows.
    void ensure(long i) {
        if (i < 0) throw std::out_of_range("Array1::ensure: negative index");
        const auto need = static_cast<std::size_t>(i) + 1;
        if (need > v_.size()) {
            std::size_t cap = v_.size() + v_.size() / 2 + 16;
            if (need > v_.capacity()) v_.reserve(cap > need ? cap : need);  // grow geometrically, not per record
            v_.resize(need);
        }
    }
    // Drops every record and leaves only index 0 (plus indexes up to last).
    void reset(std::size_t last = 0) { v_.clear(); v_.resize(last + 1); }
    // Drops every record, leaves only index 0 and reserves room for indexes
    // up to `room` without constructing them: a large reservation costs no
    // memory until records are appended with ensure(), and references stay
    // valid while the array grows within it.
    void reset_with_room(std::size_t room) {
        v_.clear();
        v_.resize(1);
        v_.reserve(room + 1);
    }

    T* data() { return v_.data(); }
    const T* data() const { return v_.data(); }
    std::vector<T>& storage() { return v_; }
    const std::vector<T>& storage() const { return v_; }

private:
    void check(long i) const {
        if (i < 0 || static_cast<std::size_t>(i) >= v_.size())
            throw std::out_of_range("Array1: index out of range");
    }
    std::vector<T> v_;
};

}  // namespace korvex
