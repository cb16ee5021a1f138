// Where a vertical line u = const of the unrolled plane crosses the
// densified boundary, and which densified point a (u, v) node sits on.
//
// The boundary is the closed polyline pts[1..count]: segment i runs from
// point i to point i + 1, the last one back to point 1. A plain scan over all
// segments costs the whole boundary per node; CrossingIndex buckets the
// segments (and the points) by their u-range and scans, in index order, only
// the ones whose range can hold u, so it picks exactly what the plain scan
// picks, ties included.
#pragma once

#include <vector>

#include "base/numeric_constants.h"
#include "patches/cylinder/cylinder_mesher.h"

namespace korvex {

// Below this u-extent a segment is vertical: its crossing is its middle.
constexpr double kVerticalSegment = 1e-10;

struct Crossing {
    int segment = 0;               // 0: none found
    double t = 0;                  // parameter along the segment
    double v = 0;                  // v of the crossing
    double distance = kNotComputed;  // |v - crossing v|
};

// The nearest crossing at or below v (bottom) and the nearest above (top);
// among equally near crossings the first segment wins.
struct Crossings {
    Crossing bottom, top;
};

Crossings scan_crossings(const std::vector<DensePoint>& pts, int count, double u, double v);

// First point (in index order) within tol of (u, v) in both u and v, or 0.
int scan_point(const std::vector<DensePoint>& pts, int count, double u, double v, double tol);

class CrossingIndex {
public:
    // pts must stay unchanged while the index is used.
    CrossingIndex(const std::vector<DensePoint>& pts, int count, double point_tol);

    Crossings crossings(double u, double v) const;
    int point(double u, double v) const;  // with the tolerance given at construction

private:
    // Equal u-intervals from umin_; items whose u-range meets bucket k are
    // items[start[k] .. start[k+1]), in increasing index.
    struct Buckets {
        int nb = 1;
        double width = 0;
        std::vector<int> start;
        std::vector<int> items;
    };
    int bucket(const Buckets& b, double u) const;
    template <class Range>
    void fill(Buckets& b, Range range);

    const std::vector<DensePoint>& pts_;
    int count_;
    double tol_;
    double umin_ = 0, umax_ = 0;
    Buckets segments_, points_;
};

}  // namespace korvex
