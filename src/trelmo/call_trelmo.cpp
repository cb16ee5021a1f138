// The generator's entry: runs the phases in order and maps their return
// codes to the messages the callers see.
#include <new>
#include <utility>

#include "base/messages.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

void report_code(int code) {
    switch (code) {
    case TM_OK: return;
    case TM_NO_MEMORY: report(" Trelmo error: Not enough memory.\n"); return;
    case TM_ODD_LOOP: report(" Trelmo internal error (TM_ODD_LOOP)\n Report to Norvane.\n"); return;
    case TM_LOOP_46: report(" Trelmo internal error (46)\n Report to Norvane.\n"); return;
    case TM_COINCIDENT_POINTS:
        report(" Trelmo error: an entity contains\n references to one and the same point twice or more.\n"
               " Please check input data.\n");
        return;
    case TM_COLLINEAR_ARC:
        report(" Trelmo error: coordinates for \n M-type point of an entity are such that \n"
               " all three points for that arc entity lie\n on a straight line.\n");
        return;
    case TM_ENTITY_OWNERS:
        report(" Trelmo error: an entity is\n identified as belonging to more than two\n subregions.\n"
               " Please check input data.\n");
        return;
    case TM_POINT_OWNERS:
        report(" Trelmo error: it was found that a point is a start/end \n point for  more than two entities in "
               "a subregion's boundary.\n Please check input data.\n");
        return;
    case TM_UNCLOSED:
        report(" Trelmo error: an unclosed sequence of entities is defined\n for a  subregion.\n"
               " Please check input data.\n");
        return;
    case TM_LAYER_FIRST: report(" Trelmo internal error (1)\n Report to Norvane.\n"); return;
    case TM_COORDS_ARRAY:
        report(" Trelmo: increase SIZE_COORDS_ARRAY in 'trelmo.h' and run the program again .\n");
        return;
    case TM_STEP_TOO_LARGE:
        report(" Input data error: TRELMO completion unsuccessful:\n   step size too large.\n");
        return;
    case TM_NO_START_POINT:
        report(" Trelmo: for a particular entity, \n its starting point was not found in POINTS structure.\n"
               " Check input data for  consistency.\n");
        return;
    case TM_NO_END_POINT:
        report(" Trelmo: for a particular entity, \n its end point was not found in POINTS structure.\n"
               " Check input data for  consistency.\n");
        return;
    case TM_NO_THIRD_POINT:
        report(" Trelmo: for a particular arc entity, \n its third/center point was not found in POINTS "
               "structure.\n Check input data for  consistency.\n");
        return;
    default: report(" From Trelmo error : ret_code=%i\n Fail. Stop.\n", code); return;
    }
}

// Steps 2 to 6: the input checks and the ordering of every subregion.
int resolve_input(TrelmoContext& ctx, int& code) {
    if (!entity_points(ctx, code)) return 0;
    if (!arc_centres(ctx, code)) return 0;
    if (!resolve_subregion_entities(ctx, code)) return 0;
    if (!ENT_ENC(ctx, code)) return 0;
    for (int s = 1; s <= ctx.num_subregions; ++s)
        if (!entorder(ctx, s, code)) return 0;
    return 1;
}

// Steps 7 to 9: the output arrays and the boundary nodes.
int make_boundary(TrelmoContext& ctx, int& code) {
    try {
        ctx.mesh.allocate(TM_INITIAL_CAPACITY);
    } catch (const std::bad_alloc&) {
        report(" Not enough memory for nodes.\n");
        code = TM_NO_MEMORY;
        return 0;
    }
    if (!BOUND_NO(ctx, code)) return 0;
    if (!reallocate_subregions1(ctx)) {
        code = TM_NO_MEMORY;
        return 0;
    }
    return 1;
}

// Steps 10 to 18: the meshing, repair and smoothing phases.
int mesh_phases(TrelmoContext& ctx, int& code, int& all_singular_repaired) {
    if (!loop_elm(0.5, ctx, code)) return 0;
    if (!smallang(ctx)) {
        report("Unsuccessful return from smallang()\n");
        code = TM_PHASE_FAILED;
        return 0;
    }
    if (!allocate_boundloops(ctx)) {
        report(" In trelmo.c : allocate_boundloops() failed - out of memory.\n");
        code = TM_NO_MEMORY;
        return 0;
    }
    if (!glueloop(ctx)) {
        report(" Unsuccessful return from glueloop()\n");
        code = TM_PHASE_FAILED;
        return 0;
    }
    const int divided = div_area(ctx.mesh, ctx.loop_table, code);
    ctx.loop_table = LoopTable{};
    if (!divided) return 0;
    if (!bot_pair(ctx.mesh)) {
        code = TM_NO_MEMORY;
        return 0;
    }
    report("After bot_pair():\n");
    report("num_nodes=%i  num_elements=%i\n", ctx.mesh.num_nodes, ctx.mesh.num_elements);
    if (!tm_sing(ctx.mesh)) {
        report("Unsuccessful return from tm_sing()\n");
        report("It is recommended to examine step sizes\n");
        report("  along segments and/or curves closely placed to each other.\n");
        report("Step sizes are too large.\n");
        all_singular_repaired = 0;
    }
    report(" Laplacian refinement starts...\n");
    if (!laplas(ctx.subregions, ctx.num_subregions, ctx.mesh)) {
        code = TM_PHASE_FAILED;
        return 0;
    }
    report(" ... Laplacian refinement over.\n");
    return 1;
}

void hand_over(TrelmoMesh& mesh, Array1<GenNode>& nodes_out, int& num_nodes_out, Array1<GenElement>& elements_out,
               int& num_elements_out) {
    std::swap(nodes_out.storage(), mesh.nodes.storage());
    std::swap(elements_out.storage(), mesh.elements.storage());
    num_nodes_out = mesh.num_nodes;
    num_elements_out = mesh.num_elements;
}

}  // namespace

int trelmo(const Array1<GenPoint>& points, int num_points, const Array1<GenEntity>& entities, int num_entities,
           const Array1<GenSubregion>& subregions, int num_subregions, Array1<GenNode>& nodes_out,
           int& num_nodes_out, Array1<GenElement>& elements_out, int& num_elements_out, const TrelmoLimits& limits,
           int& all_singular_repaired) {
    num_nodes_out = 0;
    num_elements_out = 0;
    if (num_points < 1 || num_entities < 1 || num_subregions < 1 || points.last() < num_points ||
        entities.last() < num_entities || subregions.last() < num_subregions)
        return TM_NO_MEMORY;
    int code = TM_OK;
    try {
        TrelmoContext ctx{points, num_points, entities, num_entities, subregions, num_subregions, limits,
                          {}, {}, {}, {}, {}, {}};
        ctx.point_work.reset(static_cast<std::size_t>(num_points));
        ctx.entity_work.reset(static_cast<std::size_t>(num_entities));
        ctx.sub_work.reset(static_cast<std::size_t>(num_subregions));
        ctx.layer_flags.reset(static_cast<std::size_t>(num_subregions));
        ctx.mesh.max_nodel_3d = limits.MAX_NODEL_3D;
        if (!resolve_input(ctx, code)) return code;
        if (!make_boundary(ctx, code)) return code;
        const int ok = mesh_phases(ctx, code, all_singular_repaired);
        hand_over(ctx.mesh, nodes_out, num_nodes_out, elements_out, num_elements_out);
        return ok ? TM_OK : code;
    } catch (const std::bad_alloc&) {
        return TM_NO_MEMORY;
    }
}

int call_Trelmo(const Array1<GenPoint>& points, int num_points, const Array1<GenEntity>& entities, int num_entities,
                const Array1<GenSubregion>& subregions, int num_subregions, Array1<GenNode>& nodes_out,
                int& num_nodes_out, Array1<GenElement>& elements_out, int& num_elements_out,
                const TrelmoLimits& limits, int& all_singular_repaired) {
    report("\n 2D (TRELMO) generation begins. \n\n");
    num_nodes_out = 0;
    num_elements_out = 0;
    const int code = trelmo(points, num_points, entities, num_entities, subregions, num_subregions, nodes_out,
                            num_nodes_out, elements_out, num_elements_out, limits, all_singular_repaired);
    report_code(code);
    return code == TM_OK ? 1 : 0;
}

}  // namespace korvex
