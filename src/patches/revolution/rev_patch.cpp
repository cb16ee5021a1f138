// process_REV_patch: a patch of a surface of revolution meshed by the
// transfinite mesher (strip by strip when its meridians have several
// curves), its interior nodes then moved onto the exact surface.
#include <cmath>
#include <vector>

#include "base/messages.h"
#include "patches/common/interval_index.h"
#include "patches/meshers.h"
#include "patches/revolution/rev_patch.h"
#include "patches/transfinite/transfinite_patch.h"

namespace korvex {

namespace {

constexpr int kMeridianSubSteps = 20;  // 21 samples per node interval
constexpr double kFlatSegment = 1e-300;

struct MeridianPoint {
    double h = 0;    // axial position
    double rho = 0;  // distance from the axis
};

}  // namespace

int adjust_coordinates(Run& run, const Subregion& patch, const RevAxis& axis, int first_node) {
    std::vector<EdgeSample> samples;
    sample_edge_curves(run, patch, 4, kMeridianSubSteps, false, samples);
    std::vector<MeridianPoint> table;
    table.reserve(samples.size());
    for (const EdgeSample& s : samples) {
        const double h = dot(s.p - axis.point, axis.dir);
        table.push_back({h, norm(s.p - axis.point - axis.dir * h)});
    }
    std::vector<double> heights;
    for (const MeridianPoint& m : table) heights.push_back(m.h);
    const IntervalIndex index(heights);  // the first segment holding h, without scanning them all
    for (int i = first_node; i <= run.num_nodes; ++i) {
        Node3D& node = run.nodes3D[i];
        if (!node.name.starts_with("R")) continue;
        const Vec3 X = node.pos();
        const double h = dot(X - axis.point, axis.dir);
        const Vec3 foot = axis.point + axis.dir * h;
        const Vec3 radial = X - foot;
        const double rho = norm(radial);
        bool found = false;
        double rho_new = 0;
        for (std::size_t s : index.candidates(h)) {
            if (found) break;
            const MeridianPoint &a = table[s], &b = table[s + 1];
            if (h < std::min(a.h, b.h) || h > std::max(a.h, b.h)) continue;
            const double dh = b.h - a.h;
            const double t = std::fabs(dh) > kFlatSegment ? (h - a.h) / dh : 0.5;
            rho_new = a.rho + (b.rho - a.rho) * t;
            found = true;
        }
        if (!found) {
            report(" No corresponding segment found    in adjust_coordinates().\n");
            return 0;
        }
        if (rho > 0) node.set_pos(foot + radial * (rho_new / rho));
    }
    return 1;
}

namespace {

// Checks, the choice of the parallels and the axis: reads the model and
// writes only the subregion's own record (`patch`).
int prepare_REV_patch(const Run& run, Subregion& patch, RevEdges& e, RevAxis& axis) {
    report("Entered REV_PA.C\n");
    if (!rev_entry_checks(run, patch, RevKind::Rev, e)) return 0;
    if (!verify_and_preprocess_REV_patch(run, patch, RevKind::Rev, e)) {
        report("Unsuccessful return from verify_and_preprocess_REV_patch()\n");
        return 0;
    }
    return rev_axis(e, axis);
}

}  // namespace

bool REV_meshed_in_one_piece(const Subregion& s) {
    for (int k = 1; k <= 4; ++k)
        if (s.curves_per_edge[k] != 1) return false;
    return true;
}

void mesh_REV_piece(Run& run, int k, RevPiece& piece) {
    RevEdges e;
    RevAxis axis;
    piece.prepared = prepare_REV_patch(run, run.patches[k], e, axis);
    if (!piece.prepared) return;
    piece.axis_point = axis.point;
    piece.axis_dir = axis.dir;
    piece.meshed = meshPatch(run, k, piece.mesh);
}

int merge_REV_piece(Run& run, int k, RevPiece& piece, const MergePatchMesh& merge_transfinite) {
    if (!piece.prepared) return 0;
    const int first_node = run.num_nodes + 1;
    if (!piece.meshed || !merge_transfinite(run, run.patches[k], piece.mesh)) {
        report(" In rev_pa.c: (1)  Patch %s: ret_val=FALSE \n", run.patches[k].name.c_str());
        return 0;
    }
    piece.mesh = PatchMesh{};
    if (!adjust_coordinates(run, run.patches[k], RevAxis{piece.axis_point, piece.axis_dir}, first_node)) {
        report("Unsuccessful return from adjust_coordinates()\n");
        return 0;
    }
    return 1;
}

int process_REV_patch(Run& run, int k, const MergePatchMesh& merge_transfinite) {
    RevEdges e;
    RevAxis axis;
    if (!prepare_REV_patch(run, run.patches[k], e, axis)) return 0;
    if (run.patches[k].curves_per_edge[2] > 1) return mesh_REV_strips(run, k, e, axis, merge_transfinite);
    RevPiece piece;
    piece.prepared = 1;
    piece.axis_point = axis.point;
    piece.axis_dir = axis.dir;
    piece.meshed = meshPatch(run, k, piece.mesh);
    return merge_REV_piece(run, k, piece, merge_transfinite);
}

}  // namespace korvex
