// Steps 22 to 29: every subregion through its mesher, then the global mesh's
// names, internal points and numbering, and the last touches to its nodes.
#include "assembly/assembly.h"
#include "base/messages.h"
#include "pipeline/final_node_adjustments.h"
#include "pipeline/korvex_steps.h"
#include "pipeline/parallel_subregions.h"
#include "pipeline/subregion_dispatch.h"

namespace korvex {

int mesh_all_subregions(Run& run) {
    report("\n ************* Meshing begins. **************\n ");
    run.num_nodes = 0;
    run.num_elements = 0;
    if (subregions_can_be_meshed_in_parallel(run, run.settings.threads)) {
        if (!mesh_subregions_in_parallel(run, run.settings.threads)) return 0;
        report("num_nodes=%i  num_elements=%i\n", run.num_nodes, run.num_elements);
        return 1;
    }
    for (int k = 1; k <= run.nPatches; ++k) {
        run.current_patch = k;
        report("\n ** Meshing subregion %s  (id=%i).\n\n", run.patches[k].name.c_str(), run.patches[k].id);
        if (!mesh_subregion(run, k)) {
            report(" Unsuccessful return from the  meshing procedure.\n");
            return 0;
        }
        report("\n ** Meshing of subregion %s  successful.\n", run.patches[k].name.c_str());
    }
    report("num_nodes=%i  num_elements=%i\n", run.num_nodes, run.num_elements);
    return 1;
}

int postprocess_mesh(Run& run) {
    report("\n Postprocessing begins...");
    if (!restore_original_names(run)) {
        report(" Unsuccessful return from restore_original_names()\n");
        return 0;
    }
    report(" ... complete.\n");

    if (!PINT_out(run)) {
        report("Unsuccessful return from PINT_out.c into KORVEX.C\n");
        return 0;
    }

    report("\n 3D/QUAD4 bandwidth minimization begins.\n");
    if (!minband_3D(run)) {
        report("Unsuccessful return from minband_3D()\n");
        return 0;
    }
    report(" 3D/QUAD4 bandwidth minimization complete.\n");
    report("num_nodes=%i  num_elements=%i   (2)\n", run.num_nodes, run.num_elements);

    rename_refinement_square_nodes(run);
    snap_tiny_coordinates(run);
    return 1;
}

}  // namespace korvex
