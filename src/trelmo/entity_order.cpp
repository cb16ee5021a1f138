// Ordering a subregion's entities into one closed counter-clockwise chain
// that starts at the boundary's lowest point (entorder, find_seq).
#include <cmath>
#include <vector>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

constexpr double kZeroDepartureAngle = 1e-5;

bool is_arc(int type) { return type == ENTITY_TYPE_ARC_CCW || type == ENTITY_TYPE_ARC_CW; }

// The lowest point of the boundary: smallest y, then largest x.
int lowest_point(const TrelmoContext& ctx, int s) {
    int best = 0;
    const SubregionWork& w = ctx.sub_work[s];
    for (int k = 1; k <= ctx.subregions[s].num_entities; ++k) {
        const EntityWork& e = ctx.entity_work[w.entities[k]];
        for (int p : {e.start, e.end}) {
            if (best == 0) { best = p; continue; }
            const GenPoint& a = ctx.points[p];
            const GenPoint& b = ctx.points[best];
            if (a.y < b.y || (a.y == b.y && a.x > b.x)) best = p;
        }
    }
    return best;
}

// Lowest y reached inside the open sweep of an arc, kNotComputed when the
// sweep does not pass the bottom of its circle (and for lines).
double arc_lowest_y(const TrelmoContext& ctx, int e) {
    const GenEntity& ent = ctx.entities[e];
    if (!is_arc(ent.type)) return kNotComputed;
    const EntityWork& w = ctx.entity_work[e];
    const GenPoint& ps = ctx.points[w.start];
    const GenPoint& pe = ctx.points[w.end];
    const double ts = std::atan2(ps.y - w.cy, ps.x - w.cx);
    const double te = std::atan2(pe.y - w.cy, pe.x - w.cx);
    double a1 = ent.type == ENTITY_TYPE_ARC_CCW ? ts : te;
    double a2 = ent.type == ENTITY_TYPE_ARC_CCW ? te : ts;
    if (a1 > a2) a2 += kTwoPi;
    const bool bottom = (a1 < -kPi / 2 && -kPi / 2 < a2) || (a1 < 1.5 * kPi && 1.5 * kPi < a2);
    if (!bottom) return kNotComputed;
    return w.cy - std::hypot(pe.x - w.cx, pe.y - w.cy);
}

// Direction in which an entity leaves P0, normalised to [0, 2pi).
double departure_angle(const TrelmoContext& ctx, int e, int p0) {
    const GenEntity& ent = ctx.entities[e];
    const EntityWork& w = ctx.entity_work[e];
    const GenPoint& P = ctx.points[p0];
    double a;
    if (ent.type == ENTITY_TYPE_LINE) {
        const GenPoint& o = ctx.points[w.start == p0 ? w.end : w.start];
        a = std::atan2(o.y - P.y, o.x - P.x);
    } else if (is_arc(ent.type)) {
        const double alpha = std::atan2(w.cy - P.y, w.cx - P.x);
        const bool ccw = (ent.type == ENTITY_TYPE_ARC_CCW && w.start == p0) ||
                         (ent.type == ENTITY_TYPE_ARC_CW && w.end == p0);
        a = ccw ? alpha - kPi / 2 : alpha + kPi / 2;
    } else {
        return kNotComputed;
    }
    if (std::fabs(a) < kZeroDepartureAngle) a = 0.0;
    if (a < 0.0) a += kTwoPi;
    return a;
}

// The first entity of the chain as a signed index.
int first_entity(const TrelmoContext& ctx, int s, int p0, const int at_p0[2]) {
    const SubregionWork& w = ctx.sub_work[s];
    double lowest = kNotComputed;
    int lowest_e = 0;
    for (int k = 1; k <= ctx.subregions[s].num_entities; ++k) {
        const double y = arc_lowest_y(ctx, w.entities[k]);
        if (y < lowest) { lowest = y; lowest_e = w.entities[k]; }
    }
    if (lowest_e != 0 && lowest < ctx.points[p0].y)
        return ctx.entities[lowest_e].type == ENTITY_TYPE_ARC_CCW ? lowest_e : -lowest_e;
    const double a0 = departure_angle(ctx, at_p0[0], p0);
    const double a1 = departure_angle(ctx, at_p0[1], p0);
    const int e = a1 < a0 ? at_p0[1] : at_p0[0];
    return ctx.entity_work[e].start == p0 ? e : -e;
}

}  // namespace

int entorder(TrelmoContext& ctx, int s, int& code) {
    const GenSubregion& sub = ctx.subregions[s];
    SubregionWork& w = ctx.sub_work[s];
    const int p0 = lowest_point(ctx, s);
    int at_p0[2] = {0, 0};
    int count = 0;
    for (int k = 1; k <= sub.num_entities; ++k) {
        const EntityWork& e = ctx.entity_work[w.entities[k]];
        if (e.start == p0 || e.end == p0) {
            if (count < 2) at_p0[count] = w.entities[k];
            ++count;
        }
    }
    if (count != 2) {
        report(" Subregion %s:  Error: point %s has %i\n entities attached (must be 2).\n", sub.name.c_str(),
               ctx.points[p0].name.c_str(), count);
        code = TM_POINT_OWNERS;
        return 0;
    }
    const int e1 = first_entity(ctx, s, p0, at_p0);
    w.ordered.reset(static_cast<std::size_t>(sub.num_entities));
    w.ordered[1] = e1;
    const EntityWork& first = ctx.entity_work[e1 > 0 ? e1 : -e1];
    int position = 0;
    for (int k = 1; k <= sub.num_entities; ++k)
        if (w.entities[k] == (e1 > 0 ? e1 : -e1)) { position = k; break; }
    return find_seq(ctx, s, e1 > 0 ? first.start : first.end, position, code);
}

int find_seq(TrelmoContext& ctx, int s, int first_point, int first_position, int& code) {
    const GenSubregion& sub = ctx.subregions[s];
    SubregionWork& w = ctx.sub_work[s];
    const int n = sub.num_entities;
    std::vector<char> taken(static_cast<std::size_t>(n) + 1, 0);
    taken[static_cast<std::size_t>(first_position)] = 1;
    const int e1 = w.ordered[1];
    int current = e1 > 0 ? ctx.entity_work[e1].end : ctx.entity_work[-e1].start;
    for (int m = 2; m <= n; ++m) {
        int chosen = 0;
        for (int k = 1; k <= n && chosen == 0; ++k) {
            if (taken[static_cast<std::size_t>(k)]) continue;
            const int e = w.entities[k];
            const EntityWork& ew = ctx.entity_work[e];
            if (ew.start == current) {
                chosen = e;
                current = ew.end;
            } else if (ew.end == current) {
                chosen = -e;
                current = ew.start;
            }
            if (chosen != 0) taken[static_cast<std::size_t>(k)] = 1;
        }
        if (chosen == 0) {
            report(" Subregion %s  unclosed.\n", sub.name.c_str());
            code = TM_UNCLOSED;
            return 0;
        }
        w.ordered[m] = chosen;
    }
    if (current != first_point) {
        report(" Region %s: unclosed (the first and the last points\n don't coincide.\n", sub.name.c_str());
        code = TM_UNCLOSED;
        return 0;
    }
    return 1;
}

}  // namespace korvex
