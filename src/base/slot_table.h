// A table of a fixed number of slots (N, or a count given at construction)
// that stores only the slots written so
// far. Every slot reads as if it existed: a slot past the stored ones reads
// as the table's blank record (zero, an empty name, a record of the same
// capacities), and writing it stores every slot up to it. Indexes are checked
// against the fixed count, so no input can reach past the table; the limits
// themselves are checked, with their messages, where the records are filled.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

namespace korvex {

// Stable tables reserve room for every slot at the first write, so stored
// slots never move and a reference to one slot stays valid while another is
// written, as with a plain array (t[m + 1] = t[m] shifts a list); the pages
// of slots never written are not touched. Other tables grow geometrically
// like a vector: no reference to a slot may be held across a write to a
// later one. Tables that exist by the thousand (a curve's) use the latter.
template <class T, std::size_t N, bool Stable = true>
class SlotTable {
public:
    SlotTable() = default;
    // New slots are copies of `blank`.
    explicit SlotTable(T blank) : blank_(std::move(blank)) {}
    // A table of `slots` slots in place of N (a capacity set at run time).
    SlotTable(T blank, std::size_t slots) : blank_(std::move(blank)), slots_(slots) {}

    // As for a plain array: the listed values fill the first slots, every
    // other slot reads as blank again.
    SlotTable& operator=(std::initializer_list<T> values) {
        if (values.size() > slots_) throw std::out_of_range("SlotTable: too many values");
        v_.assign(values.begin(), values.end());
        return *this;
    }

    T& operator[](std::size_t i) {
        check(i);
        if (i >= v_.size()) grow(i + 1);
        return v_[i];
    }
    const T& operator[](std::size_t i) const {
        check(i);
        return i < v_.size() ? v_[i] : blank_;
    }

    // The slot count, as for a plain array: N unless set at construction.
    std::size_t size() const { return slots_; }
    // Slots stored so far.
    std::size_t stored() const { return v_.size(); }
    const T& blank() const { return blank_; }

    // Contiguous access stores every slot first: a caller holding the raw
    // pointer may read any of the N slots.
    T* data() { return full(); }
    const T* data() const { return full(); }
    T* begin() { return full(); }
    T* end() { return full() + slots_; }
    const T* begin() const { return full(); }
    const T* end() const { return full() + slots_; }

private:
    void check(std::size_t i) const {
        if (i >= slots_) throw std::out_of_range("SlotTable: slot out of range");
    }
    void grow(std::size_t size) const {
        if (Stable && v_.capacity() < slots_) v_.reserve(slots_);
        v_.resize(size, blank_);
    }
    T* full() const {
        if (v_.size() < slots_) grow(slots_);
        return v_.data();
    }

    mutable std::vector<T> v_;   // slots 0..stored()-1
    T blank_{};
    std::size_t slots_ = N;
};

}  // namespace korvex
