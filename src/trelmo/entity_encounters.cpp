// Resolving the subregions' entity names and counting how many subregions
// list each entity (module ENT_ENC).
#include "base/messages.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

int resolve_subregion_entities(TrelmoContext& ctx, int& code) {
    for (int s = 1; s <= ctx.num_subregions; ++s) {
        const GenSubregion& sub = ctx.subregions[s];
        SubregionWork& w = ctx.sub_work[s];
        w.entities.reset(static_cast<std::size_t>(sub.num_entities > 0 ? sub.num_entities : 0));
    }
    for (int e = 1; e <= ctx.num_entities; ++e) {
        const auto name = ctx.entities[e].name.view();
        for (int s = 1; s <= ctx.num_subregions; ++s) {
            const GenSubregion& sub = ctx.subregions[s];
            const int listed = sub.num_entities < sub.entity_names.last() ? sub.num_entities : sub.entity_names.last();
            for (int k = 1; k <= listed; ++k)
                if (sub.entity_names[k].view() == name) ctx.sub_work[s].entities[k] = e;
        }
    }
    // A name that matches no entity would leave index 0 in the list: refuse it
    // here rather than let the later phases read a non-existent entity.
    for (int s = 1; s <= ctx.num_subregions; ++s) {
        const GenSubregion& sub = ctx.subregions[s];
        if (sub.num_entities < 1) {
            report(" Subregion %s  unclosed.\n", sub.name.c_str());
            code = TM_UNCLOSED;
            return 0;
        }
        for (int k = 1; k <= sub.num_entities; ++k) {
            if (ctx.sub_work[s].entities[k] != 0) continue;
            const char* missing = k <= sub.entity_names.last() ? sub.entity_names[k].c_str() : "";
            report(" Subregion %s: entity %s is not defined.\n", sub.name.c_str(), missing);
            code = TM_UNCLOSED;
            return 0;
        }
    }
    return 1;
}

int ENT_ENC(TrelmoContext& ctx, int& code) {
    for (int e = 1; e <= ctx.num_entities; ++e) {
        ctx.entity_work[e].encounters = 0;
        ctx.entity_work[e].owner[0] = ctx.entity_work[e].owner[1] = 0;
    }
    for (int s = 1; s <= ctx.num_subregions; ++s) {
        for (int k = 1; k <= ctx.subregions[s].num_entities; ++k) {
            EntityWork& w = ctx.entity_work[ctx.sub_work[s].entities[k]];
            ++w.encounters;
            if (w.encounters <= 2) w.owner[w.encounters - 1] = s;
            if (w.encounters > ctx.limits.MAX_SUBREGIONS) {
                report("Increase MAX_SUBREGIONS in KORVEX.H\n   (error identified in ENT_ENC.C)\n");
                code = TM_NO_MEMORY;
                return 0;
            }
        }
    }
    for (int e = 1; e <= ctx.num_entities; ++e) {
        const int count = ctx.entity_work[e].encounters;
        if (count == 0) {
            report(" Entity %s  is redundant.\n No action taken.\n", ctx.entities[e].name.c_str());
        } else if (count > 2) {
            report(" Error: entity %s encountered more than twice.  Stop.\n", ctx.entities[e].name.c_str());
            code = TM_ENTITY_OWNERS;
            return 0;
        }
    }
    for (int s = 1; s <= ctx.num_subregions; ++s) {
        int flag = 1;
        for (int k = 1; k <= ctx.subregions[s].num_entities; ++k)
            if (ctx.entity_work[ctx.sub_work[s].entities[k]].encounters == 1) flag = 0;
        ctx.sub_work[s].flag = flag;
    }
    return 1;
}

}  // namespace korvex
