// The vertex loops of a plane subregion (outer boundary and holes), made of
// the control points met when each loop's curves are walked as one chain.
#include "refinement/vertex_loops.h"

#include <cstdlib>

#include "base/messages.h"

namespace korvex {

namespace {

const Name& first_point_name(const Curve& c) { return c.point_names[1]; }
const Name& last_point_name(const Curve& c) { return c.point_names[static_cast<std::size_t>(c.num_points)]; }

// Orders the curves of loop ih into one chain (first curve forward).
int chain_loop(const Run& run, int k, int ih, const int* curves, int nc, std::vector<int>& chain) {
    chain.assign(static_cast<std::size_t>(nc) + 1, 0);
    std::vector<bool> placed(static_cast<std::size_t>(nc) + 1, false);
    chain[1] = std::abs(curves[1]);
    placed[1] = true;
    Name last = last_point_name(run.curves[chain[1]]);
    for (int pos = 2; pos <= nc; ++pos) {
        int m = 2;
        for (; m <= nc; ++m) {
            if (placed[static_cast<std::size_t>(m)]) continue;
            const int id = std::abs(curves[m]);
            const Curve& c = run.curves[id];
            if (first_point_name(c) == last) {
                chain[static_cast<std::size_t>(pos)] = id;
                last = last_point_name(c);
                break;
            }
            if (last_point_name(c) == last) {
                chain[static_cast<std::size_t>(pos)] = -id;
                last = first_point_name(c);
                break;
            }
        }
        if (m > nc) {
            report("Error in MULT_C15.C: k>patch->holes[ih].num_curves\n");
            report("patch[i=%i].name=%s  num_curves=%i\n", k, run.patches[k].name.c_str(), nc);
            report("m=%i   k=%i\n", m, pos);
            (void)ih;
            return 0;
        }
        placed[static_cast<std::size_t>(m)] = true;
    }
    return 1;
}

// Walks the chain: each curve's points except its last in walking order.
int walk_loop(const Run& run, int ih, VertexLoop& loop, int num_vertices) {
    loop.vertices.assign(static_cast<std::size_t>(num_vertices) + 2, LoopVertex{});
    int j = 0;
    for (std::size_t i = 1; i < loop.chain.size(); ++i) {
        const int sid = loop.chain[i];
        const Curve& c = run.curves[std::abs(sid)];
        for (int m = 1; m <= c.num_points - 1; ++m) {
            const int slot = sid > 0 ? m : c.num_points + 1 - m;
            if (++j > num_vertices + 1) {
                report("Internal error in MULT_C15.C: \n");
                report(sid > 0 ? "j=(%i) > (num_vertices+1)=%i    (1)\n" : "j=%i > (num_vertices+1)=%i    (2)\n", j,
                       num_vertices + 1);
                return 0;
            }
            const int p = c.points_id[static_cast<std::size_t>(slot)];
            if (run.points[p].name[0] != 'P') {
                report("MULT_C15.C internal error\n");
                report(" (ip_verts[ih=%i].vertices_and_curves[mmm=%i][0]=%s, must be QC or P)\n", ih, j,
                       run.points[p].name.c_str());
                return 0;
            }
            loop.vertices[static_cast<std::size_t>(j)] = LoopVertex{p, sid};
        }
    }
    loop.count = j;
    loop.vertices[0] = loop.vertices[static_cast<std::size_t>(j)];
    return 1;
}

}  // namespace

int count_loop_vertices(const Run& run, const int* curves, int num_curves) {
    int n = 0;
    for (int i = 1; i <= num_curves; ++i) n += run.curves[std::abs(curves[i])].num_points - 1;
    return n;
}

int build_vertex_loops(const Run& run, int k, std::vector<VertexLoop>& loops) {
    const Subregion& patch = run.patches[k];
    if (patch.name.empty() || patch.name[0] != 'R') {
        report("Error on entry to MULT_C15.C:\n");
        report(" subregion '%s' has no name or the latter is incorrect\n", patch.name.c_str());
        return 0;
    }
    if (patch.num_edges != 1) {
        report("In MULT_C15.C: num_edges=%i (must be 1)\n", patch.num_edges);
        return 0;
    }
    loops.assign(static_cast<std::size_t>(patch.num_holes) + 1, VertexLoop{});
    for (int ih = 0; ih <= patch.num_holes; ++ih) {
        const int* curves = ih == 0 ? patch.curves_id.data() : patch.holes[static_cast<std::size_t>(ih)].curves.data();
        const int nc = ih == 0 ? patch.num_curves : patch.holes[static_cast<std::size_t>(ih)].num_curves;
        if (nc > run.settings.MAX_CURVES - 1) {
            report("Error (MULT_C15.C): patch[%i].holes[%i].num_curves=%i > (MAX_CURVES-1)(=%i)\n", k, ih, nc,
                   run.settings.MAX_CURVES - 1);
            report("(holes[0] stands for the outer boundary)\n");
            return 0;
        }
        if (nc < 1) continue;
        VertexLoop& loop = loops[static_cast<std::size_t>(ih)];
        if (!chain_loop(run, k, ih, curves, nc, loop.chain)) return 0;
        if (!walk_loop(run, ih, loop, count_loop_vertices(run, curves, nc))) return 0;
    }
    return 1;
}

}  // namespace korvex
