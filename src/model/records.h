// The model and mesh records: points, curves, subregions with their holes and
// trees, and elements. Field names are the ones every stage uses.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/fixed_name.h"
#include "base/limits.h"
#include "base/numeric_constants.h"
#include "base/slot_table.h"
#include "base/vec3.h"

namespace korvex {

// One named point; also the record of generated mesh points (new_points) and
// of global mesh nodes (nodes3D, where it is called Node3D).
struct ControlPoint {
    PointName name;
    double x = 0, y = 0, z = 0;
    double PINT_step = 0;
    double PINT_step_work = 0;
    double PINT_rad = 0;
    double PINT_rad_work = 0;
    Name subregion;
    Name subregion_work;
    int id = 0;
    int new_id = 0;
    Name pint_tag;
    Name name_saved;
    int curve_id = 0;
    Name name_original;
    // Working fields of global merging and name restoration.
    int work_int = 0;
    double work_double = 0;
    int PINT = 0;

    Vec3 pos() const { return {x, y, z}; }
    void set_pos(const Vec3& p) { x = p.x; y = p.y; z = p.z; }
};
using Node3D = ControlPoint;

// A curve. Its point tables are slot tables (see Subregion) that grow like
// vectors, as there are thousands of curves: hold no reference to one slot
// across a write to a later slot of the same table.
struct Curve {
    Name name;
    SlotTable<Name, CURVE_POINT_SLOTS, false> point_names;
    int num_points = 0;
    double step = 0;
    double second_point[3] = {0, 0, 0};
    Name second_point_name;
    Name name_original;
    double length = 0;
    double center[3] = {kNotComputed, kNotComputed, kNotComputed};
    double radius = 0;
    double plane[4] = {0, 0, 0, 0};
    int id = 0;
    SlotTable<int, CURVE_POINT_SLOTS, false> points_id;
    int num_new_points = 0;
    SlotTable<int, CURVE_NEW_POINT_SLOTS, false> new_points_id;
    // Global node numbers of the curve's nodes, in order along it (filled by
    // the internal-point stage); empty until then.
    std::vector<int> indexes_of_nodes;
    int num_indexes_of_nodes = 0;
};

struct Hole {
    Name name;
    int id = 0;
    int num_curves = 0;
    std::array<int, HOLE_CURVE_SLOTS> curves{};
};

// Per-curve working record of the tree walk.
struct TreeCurveWork {
    int start_point = 0;
    int end_point = 0;
    int visited = 0;
    int next = 0;
};

// Which end of a neighbouring tree curve (or connector) touches an end point.
constexpr int kTouchesAtStart = 555;
constexpr int kTouchesAtEnd = 556;
constexpr int MAX_NEIGHBOURS_FOR_CURVE_IN_TREE = 15;

// One end of a tree curve: its neighbours (positions in the tree's curve
// table) with the end of each that touches, and the walk's marker (0 not yet
// examined, -1 being examined, -5 curve with both ends free). A connector's
// own records also keep the far point and the connector's length.
struct TreeEndPoint {
    int nneis = 0;
    std::array<int, MAX_NEIGHBOURS_FOR_CURVE_IN_TREE + 1> neighbours{};
    std::array<int, MAX_NEIGHBOURS_FOR_CURVE_IN_TREE + 1> codes{};
    int marker = 0;
    int far_point = 0;
    double length = 0;
};

struct TreeCurveEnds {
    TreeEndPoint start_point;
    TreeEndPoint end_point;
};

// An internal tree of curves. Its tables are sized by the run-time limits
// MAX_CURVES_PER_TREE and MAX_POINTS_PER_TREE (slot 0 unused).
struct Tree {
    int num_curves = 0;
    Name name;  // tree_name
    std::vector<Name> curve_names;
    int id = 0;
    int state = 0;
    std::vector<int> curve_ids;
    std::vector<TreeCurveWork> walk_a;
    std::vector<TreeCurveWork> walk_b;
    int counter = 0;
    std::vector<int> point_table_a;
    std::vector<int> point_table_b;
    // Start point of a simple sequence made from a branching tree (0: none).
    int ipstart = 0;
    // End-point records of the tree walk, slots 1..num_curves; empty until
    // tree processing builds them.
    std::vector<TreeCurveEnds> ends;

    Tree() = default;
    Tree(int max_curves_per_tree, int max_points_per_tree) { allocate(max_curves_per_tree, max_points_per_tree); }
    void allocate(int max_curves_per_tree, int max_points_per_tree) {
        const auto nc = static_cast<std::size_t>(max_curves_per_tree) + 1;
        const auto np = static_cast<std::size_t>(max_points_per_tree) + 1;
        curve_names.assign(nc, Name{});
        curve_ids.assign(nc, 0);
        walk_a.assign(nc, TreeCurveWork{});
        walk_b.assign(nc, TreeCurveWork{});
        point_table_a.assign(np, 0);
        point_table_b.assign(np, 0);
    }
    int curve_capacity() const { return curve_names.empty() ? 0 : static_cast<int>(curve_names.size()) - 1; }
};

// A subregion. Its curve list, boundary node list, holes and trees are slot
// tables: they keep their slot counts (the curve list's set by the run's
// MAX_CURVES_PER_EDGE, the others fixed; the working file lays them out so)
// but store only the slots the subregion fills.
struct Subregion {
    Name name;
    int type = 0;
    int num_edges = 0;
    int curves_per_edge[5] = {0, 0, 0, 0, 0};
    int num_curves = 0;
    SlotTable<Name, SUBREGION_CURVE_SLOTS> curve_names;
    double REF = 0;
    double axis_cos[3] = {0, 0, 0};
    double centre[3] = {0, 0, 0};
    SlotTable<Tree, TREE_RECORDS> trees;  // records 0..70, each with the run's tree capacities
    int num_trees = 0;
    Name original_name;
    int num_edges_original = 0;
    int id = 0;
    int edge_flags[5] = {0, 0, 0, 0, 0};
    SlotTable<int, SUBREGION_CURVE_SLOTS> curves_id;
    int num_points = 0;
    SlotTable<int, SUBREGION_POINT_SLOTS> points_id;
    int preprocessed_marker = 0;
    int num_holes = 0;
    SlotTable<Hole, HOLE_RECORDS> holes;
    // Plane coefficients a, b, c, d stored by the plane recogniser.
    double plane[4] = {0, 0, 0, 0};

    Subregion() = default;
    Subregion(int max_curves_per_tree, int max_points_per_tree, int max_curves_per_edge = MAX_CURVES_PER_EDGE)
        : curve_names(Name{}, static_cast<std::size_t>(subregion_curve_slots(max_curves_per_edge))),
          trees(Tree(max_curves_per_tree, max_points_per_tree)),
          curves_id(0, static_cast<std::size_t>(subregion_curve_slots(max_curves_per_edge))) {}
};

struct Element {
    std::array<int, 4> node{};  // node numbers into nodes3D[], in boundary order
    ElementName name;           // subregion the element belongs to
    int id = 0;                 // that subregion's id
};

}  // namespace korvex
