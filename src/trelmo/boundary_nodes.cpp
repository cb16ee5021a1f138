// Boundary nodes (module BOUND_NO): a node at every entity end point, an even
// number of segments on every entity, and each subregion's boundary node list
// along its chain. Also the sizing of the inner loops and the loop table.
#include <cmath>
#include <new>

#include "base/messages.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

bool is_arc(int type) { return type == ENTITY_TYPE_ARC_CCW || type == ENTITY_TYPE_ARC_CW; }

// Start and end angle of an arc about its centre, the end unwound so that
// the sweep runs in the arc's direction.
void arc_angles(const TrelmoContext& ctx, int e, double& t0, double& t1, double& r) {
    const EntityWork& w = ctx.entity_work[e];
    const GenPoint& ps = ctx.points[w.start];
    const GenPoint& pe = ctx.points[w.end];
    r = std::hypot(ps.x - w.cx, ps.y - w.cy);
    t0 = std::atan2(ps.y - w.cy, ps.x - w.cx);
    t1 = std::atan2(pe.y - w.cy, pe.x - w.cx);
    if (ctx.entities[e].type == ENTITY_TYPE_ARC_CCW && t0 > t1) t1 += kTwoPi;
    if (ctx.entities[e].type == ENTITY_TYPE_ARC_CW && t1 > t0) t1 -= kTwoPi;
}

double entity_length(const TrelmoContext& ctx, int e) {
    if (is_arc(ctx.entities[e].type)) {
        double t0, t1, r;
        arc_angles(ctx, e, t0, t1, r);
        return r * std::fabs(t1 - t0);
    }
    const EntityWork& w = ctx.entity_work[e];
    return std::hypot(ctx.points[w.end].x - ctx.points[w.start].x, ctx.points[w.end].y - ctx.points[w.start].y);
}

// Number of segments of an entity (even, at least 2), 1 for "no interior
// nodes", or -1 when it would exceed the room of an entity's node list.
long segment_count(const GenEntity& ent, double L) {
    double n;
    if (ent.division_mode == DIVISION_BY_COUNT) {
        n = ent.num_steps < 2 ? 2.0 : static_cast<double>(ent.num_steps);
    } else if (ent.division_mode == DIVISION_BY_STEP) {
        const double ratio = L / ent.step;
        if (ratio <= 2.0) n = 2.0;
        else n = 1.0 + std::trunc(0.999 * ratio);
        if (!(n >= 2.0)) n = std::isnan(n) ? 1e300 : 2.0;
    } else {
        return 1;
    }
    if (!(n <= MAX_ENTITY_NODES + 2.0)) return -1;
    long k = static_cast<long>(n);
    if (k % 2 != 0) ++k;
    return k - 1 > MAX_ENTITY_NODES ? -1 : k;
}

// Makes the interior nodes of one entity. Returns false after reporting.
bool entity_nodes(TrelmoContext& ctx, int e, int& code) {
    const GenEntity& ent = ctx.entities[e];
    EntityWork& w = ctx.entity_work[e];
    const double L = entity_length(ctx, e);
    const long n = segment_count(ent, L);
    if (n < 0) {
        report(" Entity %s: more than %i nodes would be generated on it;\n increase its step size.\n",
               ent.name.c_str(), MAX_ENTITY_NODES);
        code = TM_NO_MEMORY;
        return false;
    }
    w.nodes.reset(static_cast<std::size_t>(n > 1 ? n - 1 : 0));
    w.num_nodes = 0;
    const GenPoint& ps = ctx.points[w.start];
    const GenPoint& pe = ctx.points[w.end];
    double t0 = 0, t1 = 0, r = 0;
    if (is_arc(ent.type)) arc_angles(ctx, e, t0, t1, r);
    double delta = std::fabs(t1 - t0) / static_cast<double>(n);
    if (ent.type == ENTITY_TYPE_ARC_CW) delta = -delta;
    for (long k = 1; k < n; ++k) {
        double x, y;
        if (is_arc(ent.type)) {
            const double t = t0 + static_cast<double>(k) * delta;
            x = w.cx + r * std::cos(t);
            y = w.cy + r * std::sin(t);
        } else {
            const double f = static_cast<double>(k) / static_cast<double>(n);
            x = ps.x + f * (pe.x - ps.x);
            y = ps.y + f * (pe.y - ps.y);
        }
        const int node = append_node(ctx.mesh, x, y, NODE_KIND_ENTITY, ent.name.view());
        if (node == 0) {
            code = TM_NO_MEMORY;
            return false;
        }
        w.nodes[++w.num_nodes] = node;
    }
    return true;
}

bool push_boundary(SubregionWork& w, int node, int place) {
    if (w.boundary.count + 1 > MAX_NODES_PER_BOUNDARY) {
        report("In BOUND_NO.C:\n");
        report("Increase MAX_NODES_PER_BOUNDARY (currently %i) in TRELMO.H   (%i)\n", MAX_NODES_PER_BOUNDARY, place);
        return false;
    }
    w.boundary.push(node);
    return true;
}

bool boundary_list(TrelmoContext& ctx, int s) {
    SubregionWork& w = ctx.sub_work[s];
    w.boundary.clear();
    for (int k = 1; k <= ctx.subregions[s].num_entities; ++k) {
        const int se = w.ordered[k];
        const EntityWork& ew = ctx.entity_work[se > 0 ? se : -se];
        if (se > 0) {
            if (!push_boundary(w, ctx.point_work[ew.start].node, 1)) return false;
            for (int i = 1; i <= ew.num_nodes; ++i)
                if (!push_boundary(w, ew.nodes[i], 2)) return false;
        } else {
            if (!push_boundary(w, ctx.point_work[ew.end].node, 1)) return false;
            for (int i = ew.num_nodes; i >= 1; --i)
                if (!push_boundary(w, ew.nodes[i], 3)) return false;
        }
    }
    return true;
}

}  // namespace

int BOUND_NO(TrelmoContext& ctx, int& code) {
    // Every entity end point becomes a node. (A point that ends an entity but
    // is not named 'P...' still gets its node: a boundary list must never
    // hold a node that does not exist.)
    for (int i = 1; i <= ctx.num_points; ++i) {
        if (ctx.point_work[i].flag != 0) continue;
        const GenPoint& p = ctx.points[i];
        const int node = append_node(ctx.mesh, p.x, p.y, NODE_KIND_POINT, p.name.view());
        if (node == 0) {
            code = TM_NO_MEMORY;
            return 0;
        }
        ctx.point_work[i].node = node;
    }
    for (int e = 1; e <= ctx.num_entities; ++e)
        if (!entity_nodes(ctx, e, code)) return 0;
    for (int s = 1; s <= ctx.num_subregions; ++s) {
        if (!boundary_list(ctx, s)) {
            code = TM_NO_MEMORY;
            return 0;
        }
    }
    return 1;
}

int reallocate_subregions1(TrelmoContext& ctx) {
    for (int s = 1; s <= ctx.num_subregions; ++s) {
        SubregionWork& w = ctx.sub_work[s];
        const int count = w.boundary.count;
        const int k2 = count >= 100 ? 3 * count / 2 : 2 * count;
        w.inner.clear();
        w.inner.node.reset(static_cast<std::size_t>(k2 + 101));
        w.inner_capacity = k2;
        report("In reallocate_subregions1(): k2=%i\n", k2);
    }
    return 1;
}

int allocate_boundloops(TrelmoContext& ctx) {
    LoopTable& t = ctx.loop_table;
    t.capacity = MAX_LOOPS_PER_SUBREGION * ctx.num_subregions;
    t.loops.reset(static_cast<std::size_t>(t.capacity));
    t.count = ctx.num_subregions;
    for (int s = 1; s <= ctx.num_subregions; ++s) {
        BoundLoop& b = t.loops[s];
        b.loop = ctx.sub_work[s].inner;
        b.subregion = s;
        b.name = ctx.subregions[s].name;
        b.REF = ctx.subregions[s].REF;
    }
    return 1;
}

}  // namespace korvex
