#include "pipeline/final_node_adjustments.h"

#include <cmath>

#include "base/numeric_constants.h"
#include "model/name_lookup.h"

namespace korvex {

namespace {

bool is_refinement_square_corner(const PointName& name) { return name[1] == '*' && name[2] == '*'; }

}  // namespace

void rename_refinement_square_nodes(Run& run) {
    for (int i = 1; i <= run.num_nodes; ++i) {
        Node3D& node = run.nodes3D[i];
        if (!is_refinement_square_corner(node.name)) continue;
        if (const int p = find_point(run, node.name.view())) node.name = run.points[p].name_original;
    }
}

void snap_tiny_coordinates(Run& run) {
    for (int i = 1; i <= run.num_nodes; ++i) {
        Node3D& node = run.nodes3D[i];
        for (double* c : {&node.x, &node.y, &node.z})
            if (std::fabs(*c) < kSqrtEps) *c = 0.0;
    }
}

}  // namespace korvex
