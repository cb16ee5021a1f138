// PINT_out: attaches the internal points ("PINT" points) to the finished
// global mesh. A point that already stands on a node names that node
// "PINT"; a point lying on an arc or a straight curve pulls the nearest
// suitable node of that curve onto itself.
#include "assembly/assembly.h"
#include "assembly/internal_points.h"
#include "assembly/merge_index.h"
#include "base/messages.h"

namespace korvex {

namespace {

// Absolute distance within which an internal point is taken to be a node.
constexpr double kPintNodeTol = 1e-4;

// Curves lose their node lists; every node keeps its present name as the
// saved name that the curve rules read, and gets its own number as id.
void prepare_nodes(Run& run) {
    for (long c = 1; c <= run.curves.last(); ++c) {
        run.curves[c].indexes_of_nodes.clear();
        run.curves[c].num_indexes_of_nodes = 0;
    }
    for (int j = 1; j <= run.num_nodes; ++j) run.nodes3D[j].name_original = run.nodes3D[j].name;
}

void attach_points_on_nodes(Run& run) {
    for (int i = 1; i <= run.nPoints; ++i) {
        ControlPoint& p = run.points[i];
        if (!p.name.starts_with("PINT") || p.PINT != 1) continue;
        for (int j = 1; j <= run.num_nodes; ++j) {
            Node3D& node = run.nodes3D[j];
            if (!(distance(node.pos(), p.pos()) < kPintNodeTol)) continue;
            node.name = "PINT";
            node.set_pos(p.pos());
            p.PINT = 4;
            break;
        }
    }
}

// Tries every curve for point p. Returns 0 after an error report.
int attach_point_to_curves(Run& run, ControlPoint& p) {
    int attached = 0;
    for (int c = 1; c <= run.nCurves; ++c) {
        const Curve& cv = run.curves[c];
        PintAttach r = PintAttach::NotOnCurve;
        if (cv.name[0] == 'C') {
            r = attach_to_arc(run, c, p);
        } else if (cv.name.starts_with("QL")) {
            r = attach_to_line(run, c, p);
        } else if (cv.name[0] != 'Q') {
            report("In KORVEX.C: curve[%6i]=%s of unknown type: \n\t\tmust be 'C....' or 'QL....' or 'Q.....'\n", c,
                   cv.name.c_str());
            return 0;
        }
        if (r == PintAttach::Failed) return 0;
        if (r == PintAttach::Attached) ++attached;
    }
    if (attached > 1) {
        report("Error: PINT-point %s has been associated with\nmore than two nodes on curve(s).\n", p.name.c_str());
        return 0;
    }
    return 1;
}

}  // namespace

int PINT_out(Run& run) {
    invalidate_merge_index(run);
    prepare_nodes(run);
    attach_points_on_nodes(run);
    for (int j = 1; j <= run.num_nodes; ++j) run.nodes3D[j].id = j;
    if (!collect_curve_nodes(run)) return 0;
    for (int i = 1; i <= run.nPoints; ++i) {
        ControlPoint& p = run.points[i];
        if (p.PINT != 1 && p.PINT != 6) continue;
        if (!attach_point_to_curves(run, p)) return 0;
    }
    return 1;
}

}  // namespace korvex
