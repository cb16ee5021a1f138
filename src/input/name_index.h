// Name lookups of the input stages. Records are found by exact name over
// indexes 1..count, the first match winning; these helpers give the same
// answers in n·log n instead of comparing every pair of names.
#pragma once

#include <algorithm>
#include <map>
#include <numeric>
#include <string_view>
#include <vector>

namespace korvex {

// Maps each name to the lowest index that carries it. The views must stay
// valid (and unchanged) while the index is used.
class NameIndex {
public:
    void add(std::string_view name, int index) { map_.emplace(name, index); }  // keeps the first
    // Index of the first record of that name, 0 when there is none.
    int find(std::string_view name) const {
        const auto it = map_.find(name);
        return it == map_.end() ? 0 : it->second;
    }

private:
    std::map<std::string_view, int> map_;
};

// The table names[1..n] = name_of(i) (names[0] unused).
template <class NameOf>
std::vector<std::string_view> name_table(int n, NameOf name_of) {
    std::vector<std::string_view> names(static_cast<std::size_t>(n < 0 ? 0 : n) + 1);
    for (int i = 1; i <= n; ++i) names[static_cast<std::size_t>(i)] = name_of(i);
    return names;
}

// names[i] for i = 1..n (names[0] unused). Returns the lowest i for which a
// later j > i carries the same name -- the i at which a scan over all pairs
// (i ascending, j > i) stops first -- or 0 when all names differ.
inline int first_name_with_later_duplicate(const std::vector<std::string_view>& names) {
    const int n = static_cast<int>(names.size()) - 1;
    if (n < 2) return 0;
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const auto& na = names[static_cast<std::size_t>(a)];
        const auto& nb = names[static_cast<std::size_t>(b)];
        return na != nb ? na < nb : a < b;
    });
    int best = 0;
    for (std::size_t g = 0; g + 1 < order.size(); ++g) {
        // order[g] opens or continues a group; it has a later duplicate when
        // the next entry carries the same name.
        const int a = order[g];
        if (names[static_cast<std::size_t>(a)] == names[static_cast<std::size_t>(order[g + 1])] &&
            (best == 0 || a < best))
            best = a;
    }
    return best;
}

}  // namespace korvex
