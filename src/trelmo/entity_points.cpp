// Resolving the start, end and third point of every entity in POINTS.
#include "base/messages.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

// Index of the last point with exactly this name, 0 when none.
int find_point(const TrelmoContext& ctx, std::string_view name) {
    int found = 0;
    for (int i = 1; i <= ctx.num_points; ++i)
        if (ctx.points[i].name.view() == name) found = i;
    return found;
}

bool is_arc(int type) { return type == ENTITY_TYPE_ARC_CCW || type == ENTITY_TYPE_ARC_CW; }

}  // namespace

int entity_points(TrelmoContext& ctx, int& code) {
    for (int e = 1; e <= ctx.num_entities; ++e) {
        const GenEntity& ent = ctx.entities[e];
        EntityWork& w = ctx.entity_work[e];
        w.start = find_point(ctx, ent.start.view());
        w.end = find_point(ctx, ent.end.view());
        w.third = find_point(ctx, ent.third.view());
        if (ent.start.view() == ent.end.view() || ent.start.view() == ent.third.view() ||
            ent.end.view() == ent.third.view()) {
            report(" Entity %s: Coincident points:\n Start=%s; End=%s; 3-rd or center=%s.\n", ent.name.c_str(),
                   ent.start.c_str(), ent.end.c_str(), ent.third.c_str());
            code = TM_COINCIDENT_POINTS;
            return 0;
        }
        if (w.start == 0) {
            report(" Entity %s: Start point %s not defined in POINTS structure.\n", ent.name.c_str(), ent.start.c_str());
            code = TM_NO_START_POINT;
            return 0;
        }
        if (w.end == 0) {
            report(" Entity %s: End point %s not defined in POINTS structure.\n", ent.name.c_str(), ent.end.c_str());
            code = TM_NO_END_POINT;
            return 0;
        }
        if (w.third == 0 && is_arc(ent.type)) {
            report(" Entity %s: Third/center point %s not defined in POINTS structure.\n", ent.name.c_str(),
                   ent.third.c_str());
            code = TM_NO_THIRD_POINT;
            return 0;
        }
    }
    for (int i = 1; i <= ctx.num_points; ++i) ctx.point_work[i].flag = 1;
    for (int e = 1; e <= ctx.num_entities; ++e) {
        ctx.point_work[ctx.entity_work[e].start].flag = 0;
        ctx.point_work[ctx.entity_work[e].end].flag = 0;
    }
    return 1;
}

}  // namespace korvex
