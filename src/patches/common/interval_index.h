// A bucket index over the value ranges of a list of segments (a meridian
// table, a side edge): for a value x it lists, in ascending order, every
// segment whose [min, max] range may hold x, so that "the first segment
// holding x" is found as by a plain scan without visiting every segment.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace korvex {

class IntervalIndex {
public:
    // Segment i runs from value[i] to value[i + 1], i = 0 .. values.size() - 2.
    explicit IntervalIndex(const std::vector<double>& values) {
        const std::size_t segments = values.size() < 2 ? 0 : values.size() - 1;
        if (segments == 0) return;
        lo_ = *std::min_element(values.begin(), values.end());
        hi_ = *std::max_element(values.begin(), values.end());
        n_ = static_cast<int>(segments);
        width_ = hi_ > lo_ ? (hi_ - lo_) / n_ : 1.0;
        buckets_.assign(static_cast<std::size_t>(n_), {});
        for (std::size_t i = 0; i < segments; ++i) {
            const double a = std::min(values[i], values[i + 1]), b = std::max(values[i], values[i + 1]);
            for (int k = bucket(a); k <= bucket(b); ++k) buckets_[static_cast<std::size_t>(k)].push_back(i);
        }
    }
    // Segments that may hold x, ascending; empty when none can.
    const std::vector<std::size_t>& candidates(double x) const {
        static const std::vector<std::size_t> none;
        if (buckets_.empty() || !(x >= lo_ && x <= hi_)) return none;
        return buckets_[static_cast<std::size_t>(bucket(x))];
    }

private:
    int bucket(double x) const {
        const double b = std::floor((x - lo_) / width_);
        if (!(b > 0)) return 0;
        return b >= n_ - 1 ? n_ - 1 : static_cast<int>(b);
    }
    double lo_ = 0, hi_ = 0, width_ = 1;
    int n_ = 0;
    std::vector<std::vector<std::size_t>> buckets_;
};

}  // namespace korvex
