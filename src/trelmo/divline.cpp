// Node placement along a cut: a uniform part of the smaller step over the
// first REF share of the cut, then a step growing linearly towards the
// larger step, with a parity rule that keeps both sub-loops even.
#include <algorithm>
#include <cmath>
#include <new>

#include "interface/messages.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

constexpr double kMaxREF = 0.35;
constexpr double kREFShortCutThreshold = 0.05;

bool push_end(DivlineResult& r, double d, const char* part, int& code) {
    if (r.segments + 1 > SIZE_COORDS_ARRAY) {
        report(" Increase SIZE_COORDS_ARRAY(currently %i)   (%s)\n", SIZE_COORDS_ARRAY, part);
        code = TM_COORDS_ARRAY;
        return false;
    }
    r.ends.ensure(r.segments + 1);
    r.ends[++r.segments] = d;
    return true;
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
    result = DivlineResult{};
    const double r = std::clamp(REF, 0.0, kMaxREF);
    const double hs = std::min(hA, hB), hl = std::max(hA, hB);
    const double f = r > kREFShortCutThreshold ? 1.0 : 0.9;
    try {
        if (hs + hl >= f * L) {
            if (parity) push_end(result, L / 2, "A", code);
            push_end(result, L, "A", code);
        } else {
            double d = 0.0;
            while (d < r * L) {
                d += hs;
                if (!push_end(result, d, "A", code)) return 0;
            }
            const double g = (hl - hs) / (L - r * L);
            while (d < L) {
                d = d + (d - r * L) * g + hs;
                if (!push_end(result, d, "B", code)) return 0;
            }
            const bool odd_new_nodes = (result.segments - 1) % 2 != 0;
            if (odd_new_nodes != parity) --result.segments;
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
    result.D = (std::fabs(hB - last_len) / hB + std::fabs(hA - first_len) / hA) / 2;
    return 1;
}

}  // namespace korvex
