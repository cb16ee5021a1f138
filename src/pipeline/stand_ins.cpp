// STAND-INS for stages that are not built yet.
//
// Each one lets the pipeline run a model that does not need its capability
// (it then succeeds and changes nothing), and otherwise fails with one message
// naming the missing capability. The meshers always fail. Each is replaced by
// the real stage when it lands; delete it from here then.

#include "interface/messages.h"
#include "pipeline/stages.h"

namespace korvex {

namespace {

int missing_capability(const char* routine, const char* capability, const char* needed_for = nullptr) {
    if (needed_for)
        report(" Missing capability: %s (routine %s, needed for %s).\n", capability, routine, needed_for);
    else
        report(" Missing capability: %s (routine %s).\n", capability, routine);
    return 0;
}

}  // namespace

// Stand-in: conversion of 2- and 3-edged subregions.
int prepro23(Run& run) {
    for (int k = 1; k <= run.nPatches; ++k) {
        const Subregion& s = run.patches[k];
        if (s.num_edges == 2 || s.num_edges == 3)
            return missing_capability("prepro23", "conversion of 2- and 3-edged subregions", s.name.c_str());
    }
    return 1;
}

// Stand-in: conversion of 2-edged SPHERE subregions.
int transform_2edged_SPHEREs(Run& run) {
    for (int k = 1; k <= run.nPatches; ++k) {
        const Subregion& s = run.patches[k];
        if (s.type == TYPE_SPHERE && s.num_edges == 2)
            return missing_capability("transform_2edged_SPHEREs", "conversion of 2-edged SPHERE subregions",
                                      s.name.c_str());
    }
    return 1;
}

// Stand-ins: the meshers of curved subregions.
int meshPatch(Run& run, int k) {
    return missing_capability("meshPatch", "the transfinite curved-patch mesher", run.patches[k].name.c_str());
}

int meshTriangular(Run& run, int k) {
    return missing_capability("meshTriangular", "the triangular curved-patch mesher", run.patches[k].name.c_str());
}

int process_REV_patch(Run& run, int k) {
    return missing_capability("process_REV_patch", "the REV surface-of-revolution mesher",
                              run.patches[k].name.c_str());
}

int process_REV2_patch(Run& run, int k) {
    return missing_capability("process_REV2_patch", "the REV2 surface-of-revolution mesher",
                              run.patches[k].name.c_str());
}

}  // namespace korvex
