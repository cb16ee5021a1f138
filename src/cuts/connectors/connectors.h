// Straight connector curves from an inner loop (a hole or a tree) to the
// outer boundary of a plane subregion: their discretisation by the linear
// step rule, the distance check against the subregion's curve nodes, and
// their entry into the model as "QLc..." curves with "P$..." nodes. Shared
// by hole removal and tree processing, each with its own distance factor.
#pragma once

#include <array>
#include <vector>

#include "model/run.h"

namespace korvex {

// Most points one connector may carry (MAX_NEW_POINTS_LOCAL_).
constexpr int MAX_NEW_POINTS_LOCAL_ = 501;

// One candidate connector from an inner corner (start) to a boundary corner (end).
struct Connector {
    int start_point = 0, end_point = 0;   // control points (points[]) at the ends
    int start_node = 0, end_node = 0;     // their nodes (new_points[])
    int start_pos = 0, end_pos = 0;       // positions of the corners in their loop's curve list
    double angles[4] = {0, 0, 0, 0};      // two at the inner corner, two at the boundary corner
    double step_start = 0, step_end = 0;  // steps at the two corners
    int km1_id_curve_prev = 0;            // inner-loop curve ending at the inner corner
    int k_id_curve = 0;                   // inner-loop curve starting at the inner corner
    int n_ibound_curve = 0;               // boundary curve starting at the boundary corner
    // Nodes that may lie as near as they like: each corner and the far ends
    // of the two curves that meet at it.
    std::array<int, 6> exempt_nodes{};
    double length = 0;
    Name curve_name;                      // "QLcR%04i"
    double step = 0;
    std::vector<Vec3> positions;          // 0..n, both corners included
    bool valid = true;
};

// The nodes along every curve of a subregion (outer boundary, holes, trees),
// in a uniform grid, for "is any node this near" queries.
class SubregionNodeGrid {
public:
    SubregionNodeGrid(const Run& run, int k);
    // True when some node other than the exempt ones lies at distance <= d from p.
    bool any_node_within(const Vec3& p, double d, const std::array<int, 6>& exempt) const;

private:
    struct Entry {
        long long ix, iy, iz;
        int node;
        Vec3 pos;
    };
    long long cell(double x, int axis) const;
    std::vector<Entry> entries_;  // sorted by cell
    Vec3 origin_{};
    double h_ = 1;
};

// Lays the points of one connector along it: the first step grows from the
// start step by the REF rule, then the steps change linearly towards the end
// step; the count is even and the last point falls on the boundary corner.
// Reports "Processing candidate..." every 50th icand. Returns 1, or 0 after a
// report.
int transform_segment_to_QL_lin_step(Run& run, const Subregion& patch, Connector& c, int icand);

// True when every inner point of the connector keeps, from every node of
// the subregion other than the exempt ones, more than factor times the mean
// of its two neighbouring steps.
bool check_connector_against_distances(const Connector& c, const SubregionNodeGrid& grid, double factor);

// Discretises every candidate and checks it with the given distance factor,
// drops the failing ones and sorts the rest by length, shortest first.
int finalize_connector_candidates(Run& run, int k, std::vector<Connector>& candidates, double factor);

// Enters a connector into the model: its inner points are appended to
// new_points (their names' third character set to marker), then the curve
// as curve nCurves + 1 (named `name`, or by its candidate name when empty).
// messages selects the limit messages of the first or second connector.
// Returns the new curve's index, or 0 after a report.
int append_connector(Run& run, const Subregion& patch, const Connector& c, char marker, const char* name,
                     int messages);

// ---- Connectors of holes (connector_candidates.cpp, connector_pairs.cpp) ----

// Division candidates from the corners of hole `hole` of subregion k to the
// corners of its outer boundary whose four corner angles exceed 15 degrees.
int build_possible_connectors(const Run& run, int k, int hole, std::vector<Connector>& DK);

// One possible pair of connectors (1-based indexes into the candidates).
struct ConnectorPair {
    int iconn1 = 0;
    int iconn2 = 0;
    double sum_len = 0;
};

// Pairs of candidates that share no corner and keep apart, shortest sum first.
int identify_connector_pairs(const std::vector<Connector>& DK, std::vector<ConnectorPair>& PCP);

}  // namespace korvex
