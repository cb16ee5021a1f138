// The generator's own working state and the phase functions that share it.
// Nothing here is part of the public interface (see trelmo.h).
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "base/array1.h"
#include "base/fixed_name.h"
#include "trelmo/trelmo.h"

namespace korvex {

// Working limits of the generator.
constexpr int TM_INITIAL_CAPACITY = 20000;         // nodes and elements at the start
constexpr int MAX_NODES_PER_BOUNDARY = 100000;     // one subregion's boundary node list
constexpr int MAX_ENTITY_NODES = 2100;             // interior nodes of one entity
constexpr int MAX_LOOPS_PER_SUBREGION = 25;        // loop table
constexpr int SIZE_COORDS_ARRAY = 12000;           // segments of a cut; excess of a sub-loop
constexpr int MAX_NODES_TM_SING = 20000;           // node count up to which tm_sing may add nodes
constexpr int MAX_NODES_CONNECTED = 16;            // neighbour limit of the smoothing
constexpr int TM_PROGRESS_EVERY = 5000;            // add_elem progress line

// The node and element arrays of one generator call with their counts and
// capacities. Both grow by a third of the capacity when an entry does not fit.
struct TrelmoMesh {
    Array1<GenNode> nodes;
    int num_nodes = 0;
    int nodes_allocated = 0;
    Array1<GenElement> elements;
    int num_elements = 0;
    int elements_allocated = 0;
    int max_nodel_3d = 1000000;   // the element cap is 0.9 times this

    // Allocates both arrays with the given capacity (records 0..capacity).
    void allocate(int capacity);
    // Grows the node array by a third (repeatedly) until it holds `needed`
    // records. Returns false when the memory cannot be had.
    bool reserve_nodes(int needed);
    // The same for the element array.
    bool reserve_elements(int needed);
    GenNode& node(int i) { return nodes[i]; }
    const GenNode& node(int i) const { return nodes[i]; }
};

// Appends a node and returns its number, or 0 when the node array cannot
// grow (" Not enough memory for nodes (can't reallocate). \n" is reported).
int append_node(TrelmoMesh& mesh, double x, double y, int kind, std::string_view name);

// Appends one element (counter-clockwise corners). Returns 1, or 0 after
// reporting when memory runs out or the element cap is exceeded.
int add_elem(TrelmoMesh& mesh, int c1, int c2, int c3, int c4, std::string_view name, int subregion);

// A closed loop of node numbers, counter-clockwise, positions 1..count; the
// first node is not repeated at the end.
struct NodeLoop {
    Array1<int> node;
    int count = 0;

    void clear() { count = 0; }
    void push(int n) { node.ensure(count + 1); node[++count] = n; }
    int at(int i) const { return node[i]; }
};

// Per-point working record.
struct PointWork {
    int flag = 0;    // 1 = the point is not an end of any entity
    int node = 0;    // node number given to it (0 = none)
};

// Per-entity working record.
struct EntityWork {
    int start = 0, end = 0, third = 0;   // indexes in POINTS (0 = not found)
    double cx = 0, cy = 0;               // arc centre
    Array1<int> nodes;                   // interior nodes, start to end
    int num_nodes = 0;
    int encounters = 0;                  // subregions that list the entity
    int owner[2] = {0, 0};               // the first two of them
};

// Per-subregion working record.
struct SubregionWork {
    Array1<int> entities;      // entity indexes, input order (0 = unknown name)
    Array1<int> ordered;       // signed entity indexes of the closed chain
    NodeLoop boundary;         // boundary node list of the chain
    NodeLoop inner;            // inner loop left after the boundary layer
    int inner_capacity = 0;
    int flag = 0;              // 1 when no entity is listed by this subregion alone
};

// One loop of the loop table: the pieces still to be meshed.
struct BoundLoop {
    NodeLoop loop;
    int subregion = 0;
    FixedName<12> name;
    double REF = 0;
};

struct LoopTable {
    Array1<BoundLoop> loops;
    int count = 0;
    int capacity = 0;   // MAX_LOOPS_PER_SUBREGION per subregion
};

// Everything one trelmo call works on.
struct TrelmoContext {
    const Array1<GenPoint>& points;
    int num_points;
    const Array1<GenEntity>& entities;
    int num_entities;
    const Array1<GenSubregion>& subregions;
    int num_subregions;
    TrelmoLimits limits;

    Array1<PointWork> point_work;
    Array1<EntityWork> entity_work;
    Array1<SubregionWork> sub_work;
    Array1<int> layer_flags;     // per subregion: 1 when the boundary layer was built
    LoopTable loop_table;
    TrelmoMesh mesh;
};

// ---- front end (one file each) -------------------------------------------
int entity_points(TrelmoContext& ctx, int& code);
int arc_centres(TrelmoContext& ctx, int& code);
int resolve_subregion_entities(TrelmoContext& ctx, int& code);
int ENT_ENC(TrelmoContext& ctx, int& code);
int entorder(TrelmoContext& ctx, int s, int& code);
int find_seq(TrelmoContext& ctx, int s, int first_point, int first_position, int& code);
int BOUND_NO(TrelmoContext& ctx, int& code);
int reallocate_subregions1(TrelmoContext& ctx);
int allocate_boundloops(TrelmoContext& ctx);

// ---- area division ---------------------------------------------------------
int div_area(TrelmoMesh& mesh, LoopTable& table, int& code);
struct DivideScratch;
// scratch: divide()'s working storage, shared by the calls of one meshing
// (a local one when null). angles: the loop's node angles as loop_angles()
// gives them, when the caller has them (computed here when null).
int div_loop(const NodeLoop& loop, TrelmoMesh& mesh, double REF, std::string_view name,
             NodeLoop& loop1, NodeLoop& loop2, int& code, DivideScratch* scratch = nullptr,
             const Array1<double>* angles = nullptr);

// Result of evaluating one candidate start node A.
struct DivideResult {
    int B = 0;          // node number of the partner
    int position = 0;   // its position in the rotated loop
    double S = 0;       // angle score
    double L = 0;       // cut length
    double D = 0;       // step mismatch
    int m = 0;          // number of new nodes on the cut
};
// What divide() knows of one partner J of the start node A.
struct PartnerScore {
    double S = 0;        // angle score, once scored
    double S_floor = 0;  // never above S, from estimated angles
    double floor_A = 0;  // the part of S_floor from the corners at A
    bool floor_at_J = false;  // S_floor includes the corners at J
    double L = 0;        // cut length, once scored
    double D = 0;        // step mismatch, once placed
    double C = 0;        // 0.7 S + 0.3 D, once placed
    int segments = 0;
    bool scored = false;
};
// Working storage of divide(), kept by the caller across calls so that
// scoring a start node allocates nothing once the storage has grown.
struct DivideScratch {
    std::vector<PartnerScore> partners;
    std::vector<double> from_A;                       // |AX| per position, -1 until measured
    std::vector<std::pair<double, int>> unscored, unplaced;
    std::vector<int> pending;
};
// seg[i] is the length of the loop's segment from position i to the next
// (i = 1..count), as distance() gives it.
int divide(bool convex, const NodeLoop& loop, const Array1<double>& angles, const std::vector<double>& seg,
           const TrelmoMesh& mesh, double REF, DivideResult& result, int& code, DivideScratch& scratch);

// Node placement on a cut. ends[1..segments] are the distances of the segment
// ends from A; the last is exactly L.
struct DivlineResult {
    int segments = 0;
    Array1<double> ends;
    double D = 0;
};
int divline(double L, double hA, double hB, bool parity, double REF, DivlineResult& result, int& code);
// The same placement reduced to what scores a candidate cut: the step
// mismatch D and the segment count, without storing the ends.
int divline_score(double L, double hA, double hB, bool parity, double REF, double& D, int& segments, int& code);

// Rotates both lists (positions 1..count) so that the position holding
// `value` in `list` becomes position 1. reals may be null.
int first(int value, int count, Array1<int>& list, Array1<double>* reals, int& code);

// ---- loop meshing ----------------------------------------------------------
int loop_46(TrelmoMesh& mesh, const NodeLoop& loop, std::string_view name, int subregion, int& code);
// angles: the loop's node angles as loop_angles() gives them, when the
// caller has them (computed here when null).
int is_rectangular(const NodeLoop& loop, TrelmoMesh& mesh, std::string_view name, int subregion, int& code,
                   const Array1<double>* angles = nullptr);
// Fills grid(i, j) for 1 < i < nu, 1 < j < nv from the border nodes already in
// place; gx/gy are nu x nv row-major with i fastest, 1-based (index (j-1)*nu+i).
int transfinite_interpolation(int nu, int nv, Array1<double>& gx, Array1<double>& gy);
int loop_elm(double fraction, TrelmoContext& ctx, int& code);
// Rotates the boundary list so that it starts at the start node. flag is 1
// when a position qualified at once, 0 when the last acceptable one was
// taken. Returns 0 (after the warning) when no position is acceptable.
int find_start_node(NodeLoop& boundary, const TrelmoMesh& mesh, int& flag, double limit_degrees);

// ---- repair and smoothing ----------------------------------------------------
int smallang(TrelmoContext& ctx);
int glueloop(TrelmoContext& ctx);
int bot_pair(TrelmoMesh& mesh);
int tm_sing(TrelmoMesh& mesh);
int laplas(const Array1<GenSubregion>& subregions, int num_subregions, TrelmoMesh& mesh);

}  // namespace korvex
