// Trelmo: the planar all-quadrilateral generator.
//
// A caller describes a region of the (u, v) plane as named points, boundary
// entities (straight lines and circular arcs) between them, and subregions
// that list their entities in any order and direction. call_Trelmo orders
// every subregion's entities into one closed counter-clockwise chain, puts an
// even number of boundary nodes on every entity, lays a boundary layer,
// divides the rest into small loops, meshes them, repairs and smooths the
// mesh. A shared entity gets the same nodes in every subregion that lists it.
//
// Indexing: every array is 1-based; index 0 exists and holds no record.
// Ownership: the caller owns the input and the output arrays. The output
// arrays are resized by the generator; their records 1..count are the mesh.
//
// Example (a unit square, 2 steps per side):
//   Array1<GenPoint> pts(4);        pts[1] = {"P1", 0, 0}; ...
//   Array1<GenEntity> ents(4);      ents[1].name = "L1"; ents[1].start = "P1"; ...
//   Array1<GenSubregion> subs(1);   subs[1].name = "R1"; subs[1].num_entities = 4; ...
//   Array1<GenNode> nodes; Array1<GenElement> elems; int nn = 0, ne = 0, flag = 1;
//   if (call_Trelmo(pts, 4, ents, 4, subs, 1, nodes, nn, elems, ne, TrelmoLimits{}, flag)) ...
#pragma once

#include "base/array1.h"
#include "base/fixed_name.h"

namespace korvex {

// GenEntity::type
constexpr int ENTITY_TYPE_LINE = 0;     // straight line from start to end
constexpr int ENTITY_TYPE_ARC_CCW = 1;  // circular arc running counter-clockwise from start to end
constexpr int ENTITY_TYPE_ARC_CW = 2;   // circular arc running clockwise from start to end

// GenEntity::arc_kind
constexpr int ARC_KIND_CENTRE = 1;      // the third point is the centre
constexpr int ARC_KIND_MID_POINT = 2;   // the third point lies on the arc ("M-type" point)

// GenEntity::division_mode (any other value: no interior nodes)
constexpr int DIVISION_BY_STEP = 0;     // divide by the step size
constexpr int DIVISION_BY_COUNT = 1;    // divide into num_steps steps

// GenNode::kind
constexpr int NODE_KIND_POINT = 1;      // node at an input point
constexpr int NODE_KIND_ENTITY = 2;     // node generated along an entity
constexpr int NODE_KIND_INTERIOR = 3;   // interior node made by the meshing phases

// One named point of the plane ("POINTS" in messages). Only points whose name
// begins with 'P' become mesh nodes.
struct GenPoint {
    FixedName<16> name;
    double x = 0;
    double y = 0;
};

// One boundary piece between two named points.
struct GenEntity {
    FixedName<12> name;      // copied into the names of the nodes generated on it
    int type = ENTITY_TYPE_LINE;
    FixedName<9> start;      // start point name (at most 8 characters)
    FixedName<9> end;        // end point name
    int arc_kind = 0;        // arcs only: ARC_KIND_CENTRE or ARC_KIND_MID_POINT
    FixedName<12> third;     // centre or mid point; empty for lines
    int division_mode = DIVISION_BY_STEP;
    int num_steps = 0;       // with DIVISION_BY_COUNT
    double step = 0;         // with DIVISION_BY_STEP
};

// One region to be meshed.
struct GenSubregion {
    FixedName<12> name;                 // copied into every element made for it
    int num_entities = 0;
    Array1<FixedName<12>> entity_names; // 1..num_entities, any order and direction
    double REF = 0;                     // refinement coefficient, used clamped to [0, 0.35]
};

// One node of the 2D mesh.
struct GenNode {
    double x = 0;
    double y = 0;
    int kind = 0;                 // NODE_KIND_*
    FixedName<20> name;           // the point's, the entity's or the subregion's name
    FixedName<11> owner;          // owner text; left empty by the generator, written by callers
};

// One quadrilateral; corners are node numbers, counter-clockwise.
struct GenElement {
    int corner1 = 0;
    int corner2 = 0;
    int corner3 = 0;
    int corner4 = 0;
    FixedName<12> name;           // name of the subregion it was made for
    int subregion = 0;            // index of that subregion in the GenSubregion array

    // Corner k = 1..4.
    int& corner(int k) { return k == 1 ? corner1 : k == 2 ? corner2 : k == 3 ? corner3 : corner4; }
    int corner(int k) const { return k == 1 ? corner1 : k == 2 ? corner2 : k == 3 ? corner3 : corner4; }
};

// The run's capacities the generator checks.
struct TrelmoLimits {
    int MAX_SUBREGIONS = 200;     // subregions that may list one entity
    int MAX_NODEL_3D = 1000000;   // the element cap is 0.9 * MAX_NODEL_3D (truncated)
};

// Return codes of trelmo (call_Trelmo reports the matching message).
constexpr int TM_OK = 1;
constexpr int TM_NO_MEMORY = 2;
constexpr int TM_ODD_LOOP = 3;
constexpr int TM_LOOP_46 = 4;
constexpr int TM_COINCIDENT_POINTS = 6;
constexpr int TM_COLLINEAR_ARC = 7;
constexpr int TM_ENTITY_OWNERS = 8;
constexpr int TM_POINT_OWNERS = 9;
constexpr int TM_UNCLOSED = 10;
constexpr int TM_LAYER_FIRST = 11;
constexpr int TM_COORDS_ARRAY = 12;
constexpr int TM_STEP_TOO_LARGE = 13;
constexpr int TM_NO_START_POINT = 15;
constexpr int TM_NO_END_POINT = 16;
constexpr int TM_NO_THIRD_POINT = 17;
constexpr int TM_LAYER_LAST = 18;
constexpr int TM_PHASE_FAILED = 19;

// Meshes the subregions. Returns 1 when the mesh was made, 0 after reporting
// the reason. On success nodes_out[1..num_nodes_out] and
// elements_out[1..num_elements_out] hold the mesh. After a failure in a
// meshing phase they hold what was made so far (counts set accordingly);
// after an input or allocation failure the counts are 0.
// all_singular_repaired is cleared (never set) when a singular element
// could not be repaired; the run still succeeds then.
int call_Trelmo(const Array1<GenPoint>& points, int num_points,
                const Array1<GenEntity>& entities, int num_entities,
                const Array1<GenSubregion>& subregions, int num_subregions,
                Array1<GenNode>& nodes_out, int& num_nodes_out,
                Array1<GenElement>& elements_out, int& num_elements_out,
                const TrelmoLimits& limits, int& all_singular_repaired);

// The same run, returning the generator's code (1 = success) without the
// general message of call_Trelmo; the phases still report their own details.
int trelmo(const Array1<GenPoint>& points, int num_points,
           const Array1<GenEntity>& entities, int num_entities,
           const Array1<GenSubregion>& subregions, int num_subregions,
           Array1<GenNode>& nodes_out, int& num_nodes_out,
           Array1<GenElement>& elements_out, int& num_elements_out,
           const TrelmoLimits& limits, int& all_singular_repaired);

// The smoothing entry of the plane mesher: 4 Laplacian sweeps over every
// interior (kind 3) node, each moved to the mean of its neighbours. Returns 1,
// or 0 after reporting " Increase MAX_NODES_CONNECTED_P ..." when a node has
// more neighbours than the limit.
int laplas_plane(int num_nodes, Array1<GenNode>& nodes, int num_elements, const Array1<GenElement>& elements);

}  // namespace korvex
