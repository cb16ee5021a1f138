// Centres of the arc entities: given, or the circumcentre of start, end and
// the mid point.
#include <cmath>

#include "base/messages.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {
constexpr double kCollinearDeterminant = 1e-8;
}

int arc_centres(TrelmoContext& ctx, int& code) {
    for (int e = 1; e <= ctx.num_entities; ++e) {
        const GenEntity& ent = ctx.entities[e];
        if (ent.type != ENTITY_TYPE_ARC_CCW && ent.type != ENTITY_TYPE_ARC_CW) continue;
        EntityWork& w = ctx.entity_work[e];
        const GenPoint& p3 = ctx.points[w.third];
        if (ent.arc_kind == ARC_KIND_CENTRE) {
            w.cx = p3.x;
            w.cy = p3.y;
            continue;
        }
        if (ent.arc_kind != ARC_KIND_MID_POINT) continue;
        const double x1 = ctx.points[w.start].x, y1 = ctx.points[w.start].y;
        const double x2 = ctx.points[w.end].x, y2 = ctx.points[w.end].y;
        const double x3 = p3.x, y3 = p3.y;
        const double a = (x3 * x3 - x1 * x1 + y3 * y3 - y1 * y1) / 2.0;
        const double b = (x3 * x3 - x2 * x2 + y3 * y3 - y2 * y2) / 2.0;
        const double d = (y3 - y2) * (x3 - x1) - (x3 - x2) * (y3 - y1);
        if (std::fabs(d) < kCollinearDeterminant) {
            report(" Arc entity %s: too large radius\n", ent.name.c_str());
            code = TM_COLLINEAR_ARC;
            return 0;
        }
        w.cx = (a * (y3 - y2) - b * (y3 - y1)) / d;
        w.cy = (b * (x3 - x1) - a * (x3 - x2)) / d;
    }
    return 1;
}

}  // namespace korvex
