// Choosing where the boundary layer starts: a node of moderate angle whose
// neighbours are no corners either.
#include "base/messages.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

int find_start_node(NodeLoop& boundary, const TrelmoMesh& mesh, int& flag, double limit_degrees) {
    const int n = boundary.count;
    flag = 0;
    if (n > MAX_NODES_PER_BOUNDARY) {
        report("In LOOP_ELM.C:\n");
        report("Increase MAX_NODES_PER_BOUNDARY (currently %i) in TRELMO.H   \n", MAX_NODES_PER_BOUNDARY);
        return 0;
    }
    Array1<double> a(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) a[i] = rad_to_deg(node_angle(mesh, boundary, i));
    auto at = [&](int i, int k) { return a[shift_pos(i, k, n)]; };
    auto moderate = [](double x) { return x >= 110.0 && x < 240.0; };
    int chosen = 0;
    for (int i = 1; i <= n; ++i) {
        if (!moderate(a[i]) || !moderate(at(i, -1)) || at(i, 1) < 110.0) continue;
        chosen = i;
        if ((at(i, -2) >= limit_degrees && at(i, 2) >= 110.0) || (at(i, -2) >= 110.0 && at(i, 2) >= limit_degrees)) {
            flag = 1;
            break;
        }
    }
    if (chosen == 0) {
        report("Warning! no appropriate nodes found in loop_elm()\n to generate a boundary layer of elements !\n");
        report("Make sure that each entity has at least 4 steps \nto be generated on it. Try to turn off "
               "INTERIOR_SPARSE option\nif it is activated.\n");
        return 0;
    }
    int code = TM_OK;
    if (!first(boundary.at(chosen), n, boundary.node, nullptr, code)) {
        report(" Out of memory in find_start_node().\n");
        return 0;
    }
    return 1;
}

}  // namespace korvex
