// identify_connector_pairs: two candidates form a pair when they share no
// corner and no inner point of the first comes nearer to an inner point of
// the second than the first's larger end step. The pairs are sorted by the
// sum of their lengths, shortest first.
//
// Every candidate pair is looked at, in order, but most point-by-point
// comparisons are ruled out exactly: by the distance between the bounding
// boxes of the two point sets, and, along the second connector, by the
// distance of the points' projections onto its line.
#include <algorithm>
#include <cmath>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "cuts/connectors/connectors.h"

namespace korvex {

namespace {

constexpr int kMaxPossibleConnectionPairs = 10000;  // MAX_POSSIBLE_CONNECTION_PAIRS
constexpr int kStoredPairs = kMaxPossibleConnectionPairs - 9;
constexpr double kProjectionSlack = 1e-9;           // relative rounding allowance of the projection bound

// The inner points of one candidate, their bounding box, and their
// parameters along the candidate's line in increasing order.
struct InnerPoints {
    Vec3 lo, hi;
    Vec3 origin, dir;
    std::vector<std::pair<double, std::size_t>> along;  // (parameter, index into positions)
    double r = 0;     // the larger of the two end steps
    double scale = 0; // size of the coordinates, for the rounding allowance
};

InnerPoints inner_points(const Connector& c) {
    InnerPoints ip;
    const std::size_t n = c.positions.size() - 1;
    ip.r = std::max(distance(c.positions[1], c.positions[0]), distance(c.positions[n], c.positions[n - 1]));
    ip.origin = c.positions[0];
    ip.dir = (c.positions[n] - c.positions[0]) / distance(c.positions[n], c.positions[0]);
    ip.lo = ip.hi = c.positions[1];
    for (std::size_t k = 1; k < n; ++k) {
        const Vec3& p = c.positions[k];
        for (int a = 0; a < 3; ++a) {
            ip.lo[a] = std::min(ip.lo[a], p[a]);
            ip.hi[a] = std::max(ip.hi[a], p[a]);
        }
        ip.along.emplace_back(dot(p - ip.origin, ip.dir), k);
        ip.scale = std::max(ip.scale, std::fabs(p.x) + std::fabs(p.y) + std::fabs(p.z));
    }
    std::sort(ip.along.begin(), ip.along.end());
    return ip;
}

// Lower bound of the distance between any point of one box and any of the other.
double box_gap(const InnerPoints& a, const InnerPoints& b) {
    double s = 0;
    for (int k = 0; k < 3; ++k) {
        const double g = std::max({0.0, b.lo[k] - a.hi[k], a.lo[k] - b.hi[k]});
        s += g * g;
    }
    return std::sqrt(s);
}

// True when some inner point of ci lies nearer than a.r to some inner point of cj.
bool too_close(const Connector& ci, const InnerPoints& a, const Connector& cj, const InnerPoints& b) {
    if (a.along.empty() || b.along.empty()) return false;
    if (box_gap(a, b) >= a.r) return false;
    const double slack = kProjectionSlack * (a.scale + b.scale + a.r);
    for (const auto& [ta, ka] : a.along) {
        const Vec3& p = ci.positions[ka];
        const double s = dot(p - b.origin, b.dir);
        auto it = std::lower_bound(b.along.begin(), b.along.end(), std::make_pair(s - a.r - slack, std::size_t{0}));
        for (; it != b.along.end() && it->first <= s + a.r + slack; ++it)
            if (distance(p, cj.positions[it->second]) < a.r) return true;
    }
    return false;
}

}  // namespace

int identify_connector_pairs(const std::vector<Connector>& DK, std::vector<ConnectorPair>& PCP) {
    const int n = static_cast<int>(DK.size());
    report("MULT_C14.C entered; num_division_candidates=%i\n", n);
    PCP.clear();
    std::vector<InnerPoints> inner;
    inner.reserve(DK.size());
    for (const Connector& c : DK) inner.push_back(inner_points(c));
    bool full = false;
    for (int i = 1; i <= n && !full; ++i) {
        const Connector& ci = DK[static_cast<std::size_t>(i - 1)];
        for (int j = i + 1; j <= n; ++j) {
            const Connector& cj = DK[static_cast<std::size_t>(j - 1)];
            if (ci.start_node == cj.start_node || ci.end_node == cj.end_node) continue;
            if (too_close(ci, inner[static_cast<std::size_t>(i - 1)], cj, inner[static_cast<std::size_t>(j - 1)]))
                continue;
            if (j % 100 == 0) report("(Ongoing): connector candidate ipcp1=%10i  ipcp2=%10i detected\n", i, j);
            PCP.push_back(ConnectorPair{i, j, ci.length + cj.length});
            if (static_cast<int>(PCP.size()) == kStoredPairs) {
                report("(Advised to increase MAX_POSSIBLE_CONNECTION_PAIRS;currently=%i))\n",
                       kMaxPossibleConnectionPairs);
                full = true;
                break;
            }
        }
    }
    report("Re-ordering possible connector pairs by their length's sums...\n");
    std::stable_sort(PCP.begin(), PCP.end(),
                     [](const ConnectorPair& a, const ConnectorPair& b) { return a.sum_len < b.sum_len; });
    for (std::size_t m = 0; m < PCP.size(); ++m) {
        if (PCP[m].sum_len >= 10.0 * kSqrtEps) continue;
        const std::size_t o = m + 1 < PCP.size() ? m + 1 : m;
        report("Internal error in MULT_C14.C:\n  PCP[ipcp1=%i].sum_len=%g PCP[ipcp2=%i].sum_len=%g  : too small\n",
               static_cast<int>(m) + 1, PCP[m].sum_len, static_cast<int>(o) + 1, PCP[o].sum_len);
        return 0;
    }
    report("...over.\n");
    return 1;
}

}  // namespace korvex
