// Patch meshes into the global mesh. Every mesher returns its mesh in its
// own numbering; here it is merged, and a failure is reported with the line
// of the mesher's route, so that the log reads the same whichever route ran.
#include "pipeline/patch_merge.h"

#include <new>

#include "assembly/global_merge.h"
#include "base/messages.h"

namespace korvex {

namespace {

enum class MergeKind { Plane, Curved };

// The merge, with the route's lines on failure. `memory_line` may name the
// subregion (a "%s" given patch.name).
int merge_or_report(Run& run, const Subregion& patch, PatchMesh& mesh, MergeKind kind, const char* failure_line,
                    const char* memory_line) {
    if (!mesh.all_singular_repaired) run.all_singular_repaired = 0;
    try {
        const int ok = kind == MergeKind::Plane ? add_to_global_plane(run, patch, mesh) : add_to_global(run, patch, mesh);
        if (!ok) report("%s", failure_line);
        return ok;
    } catch (const std::bad_alloc&) {
        report(memory_line, patch.name.c_str());
        return 0;
    }
}

}  // namespace

int merge_plane_mesh(Run& run, const Subregion& patch, PatchMesh& mesh) {
    return merge_or_report(run, patch, mesh, MergeKind::Plane,
                           "Unsuccessful return from add_to_global() to PLANE_PA.C\n",
                           "Patch %s  (plane): \n  insufficient memory for TRELMO input    data structures.\n");
}

int merge_transfinite_mesh(Run& run, const Subregion& patch, PatchMesh& mesh) {
    if (!merge_or_report(run, patch, mesh, MergeKind::Curved, "Unsuccessful return from add_to_global()   (2)\n",
                         " Insufficient memory for input data structures.\n"))
        return 0;
    report("\n ... nodal coordinates calculation complete. \n");
    return 1;
}

int merge_triangular_mesh(Run& run, const Subregion& patch, PatchMesh& mesh) {
    return merge_or_report(run, patch, mesh, MergeKind::Curved, "Unsuccessful return from add_to_global()   (4)\n",
                           " Insufficient memory for TRELMO input data structures.\n");
}

int merge_cylinder_mesh(Run& run, const Subregion& patch, PatchMesh& mesh) {
    return merge_or_report(run, patch, mesh, MergeKind::Curved, "Unsuccessful return from add_to_global()   (1)\n",
                           "Out of memory in 'process_cylinder_patch()'\n");
}

int merge_rev2_mesh(Run& run, const Subregion& patch, PatchMesh& mesh) {
    return merge_or_report(run, patch, mesh, MergeKind::Curved, "Unsuccessful return from add_to_global()   (3)\n",
                           " Out of memory in 'rev2_pa()'\n");
}

}  // namespace korvex
