// Node placement along a cut: a uniform part of the smaller step over the
// first REF share of the cut, then a step growing linearly towards the
// larger step, with a parity rule that keeps both sub-loops even.
//
// The same walk serves two callers: divline() stores every segment end for
// the cut that is made, divline_score() keeps only the few ends the step
// mismatch D depends on, so that scoring a candidate allocates nothing. Both
// evaluate the same expressions in the same order and agree to the last bit.
#include <algorithm>
#include <cmath>
#include <new>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

constexpr double kREFShortCutThreshold = 0.05;

struct Steps {
    double r, hs, hl;
    bool short_cut;   // one segment, or two halves
};

Steps steps_of(double L, double hA, double hB, double REF) {
    const double r = std::clamp(REF, 0.0, kMaxREF);
    const double hs = std::min(hA, hB), hl = std::max(hA, hB);
    const double f = r > kREFShortCutThreshold ? 1.0 : 0.9;
    return {r, hs, hl, hs + hl >= f * L};
}

bool count_end(int& segments, const char* part, int& code) {
    if (segments + 1 > SIZE_COORDS_ARRAY) {
        report(" Increase SIZE_COORDS_ARRAY(currently %i)   (%s)\n", SIZE_COORDS_ARRAY, part);
        code = TM_COORDS_ARRAY;
        return false;
    }
    ++segments;
    return true;
}

// Walks the segment ends of a cut that is not short, from the smaller step's
// end, handing each to keep(segments, d). Returns the count of ends made, or
// -1 after reporting when there would be too many.
template <class Keep>
int walk_ends(double L, const Steps& s, Keep&& keep, int& code) {
    int segments = 0;
    double d = 0.0;
    while (d < s.r * L) {
        d += s.hs;
        if (!count_end(segments, "A", code)) return -1;
        keep(segments, d);
    }
    const double g = (s.hl - s.hs) / (L - s.r * L);
    while (d < L) {
        d = d + (d - s.r * L) * g + s.hs;
        if (!count_end(segments, "B", code)) return -1;
        keep(segments, d);
    }
    return segments;
}

// Drops the last end when the count of new nodes has the wrong parity.
int with_parity(int segments, bool parity) {
    const bool odd_new_nodes = (segments - 1) % 2 != 0;
    return odd_new_nodes != parity ? segments - 1 : segments;
}

double mismatch(double hA, double hB, double first_len, double last_len) {
    return (std::fabs(hB - last_len) / hB + std::fabs(hA - first_len) / hA) / 2;
}

void mirror(DivlineResult& r, double L) {
    const int n = r.segments;
    Array1<double> m(static_cast<std::size_t>(n));
    for (int k = 1; k < n; ++k) m[k] = L - r.ends[n - k];
    m[n] = L;
    r.ends = m;
}

}  // namespace

int divline(double L, double hA, double hB, bool parity, double REF, DivlineResult& result, int& code) {
    result.segments = 0;
    result.D = 0;
    const Steps s = steps_of(L, hA, hB, REF);
    try {
        if (s.short_cut) {
            result.ends.ensure(2);
            if (parity) result.ends[++result.segments] = L / 2;
            result.ends[++result.segments] = L;
        } else {
            auto keep = [&](int k, double d) {
                result.ends.ensure(k);
                result.ends[k] = d;
            };
            const int made = walk_ends(L, s, keep, code);
            if (made < 0) return 0;
            result.segments = with_parity(made, parity);
            const double scale = L / result.ends[result.segments];
            for (int k = 1; k <= result.segments; ++k) result.ends[k] *= scale;
            result.ends[result.segments] = L;
            if (hA > hB) mirror(result, L);
        }
    } catch (const std::bad_alloc&) {
        report("Out of memory in 'divline'\n");
        code = TM_NO_MEMORY;
        return 0;
    }
    const int n = result.segments;
    const double first_len = result.ends[1];
    const double last_len = L - (n > 1 ? result.ends[n - 1] : 0.0);
    result.D = mismatch(hA, hB, first_len, last_len);
    return 1;
}

int divline_score(double L, double hA, double hB, bool parity, double REF, double& D, int& segments, int& code) {
    const Steps s = steps_of(L, hA, hB, REF);
    if (s.short_cut) {
        segments = parity ? 2 : 1;
        D = parity ? mismatch(hA, hB, L / 2, L - L / 2) : mismatch(hA, hB, L, L - 0.0);
        return 1;
    }
    // The first end and the last three (the parity rule may drop the last).
    double first_end = 0.0, tail[3] = {0.0, 0.0, 0.0};
    auto keep = [&](int k, double d) {
        if (k == 1) first_end = d;
        tail[k % 3] = d;
    };
    const int made = walk_ends(L, s, keep, code);
    if (made < 0) return 0;
    const int n = with_parity(made, parity);
    segments = n;
    // As stored: every end scaled so that the last is L, then L written over it.
    const double scale = L / tail[n % 3];
    const double e1 = n > 1 ? first_end * scale : L;
    const double before_last = n > 1 ? tail[(n - 1) % 3] * scale : 0.0;
    if (hA > hB) {
        // Mirrored: end k becomes L - end(n - k).
        D = n > 1 ? mismatch(hA, hB, L - before_last, L - (L - e1)) : mismatch(hA, hB, L, L - 0.0);
    } else {
        D = mismatch(hA, hB, e1, L - before_last);
    }
    return 1;
}

}  // namespace korvex
