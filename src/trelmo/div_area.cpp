// Meshing every loop of the loop table: structured grids where the loop is a
// rectangle, otherwise repeated cuts down to loops of 4 and 6 nodes.
#include <new>
#include <utility>
#include <vector>

#include "base/messages.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

constexpr int kSmallLoop = 6;   // loops of at most this many nodes are closed by loop_46

struct LoopJob {
    TrelmoMesh& mesh;
    const BoundLoop& owner;
    int& code;
    DivideScratch& scratch;
    Array1<double> angles;  // of the current loop
};

bool close_small(LoopJob& job, const NodeLoop& loop) {
    if (loop_46(job.mesh, loop, job.owner.name.view(), job.owner.subregion, job.code)) return true;
    report(" Unsuccessful return from 'loop_46'\n");
    return false;
}

// One step on the current loop. Sets `done` when the current loop is fully
// meshed (the caller then takes a pending loop).
bool step(LoopJob& job, NodeLoop& current, std::vector<NodeLoop>& pending, bool& done) {
    done = false;
    // The node angles serve both the rectangle test and the cut.
    loop_angles(job.mesh, current, job.angles);
    if (is_rectangular(current, job.mesh, job.owner.name.view(), job.owner.subregion, job.code, &job.angles)) {
        done = true;
        return true;
    }
    if (job.code != TM_OK) {
        report("Unsuccessful return from is_rectangular()\n");
        return false;
    }
    NodeLoop loop1, loop2;
    if (!div_loop(current, job.mesh, job.owner.REF, job.owner.name.view(), loop1, loop2, job.code, &job.scratch,
                  &job.angles))
        return false;
    const bool big1 = loop1.count > kSmallLoop, big2 = loop2.count > kSmallLoop;
    if (big1 && big2) {
        if (loop1.count > loop2.count) {
            pending.push_back(std::move(loop1));
            current = std::move(loop2);
        } else if (loop2.count > loop1.count) {
            pending.push_back(std::move(loop2));
            current = std::move(loop1);
        } else {
            pending.push_back(std::move(loop1));
            current = std::move(loop2);
        }
    } else if (big1) {
        if (!close_small(job, loop2)) return false;
        current = std::move(loop1);
    } else if (big2) {
        if (!close_small(job, loop1)) return false;
        current = std::move(loop2);
    } else {
        if (!close_small(job, loop1) || !close_small(job, loop2)) return false;
        done = true;
    }
    return true;
}

bool mesh_loop(LoopJob& job, NodeLoop current) {
    std::vector<NodeLoop> pending;
    for (;;) {
        bool done = false;
        if (!step(job, current, pending, done)) return false;
        if (!done) continue;
        if (pending.empty()) return true;
        current = std::move(pending.back());
        pending.pop_back();
    }
}

}  // namespace

int div_area(TrelmoMesh& mesh, LoopTable& table, int& code) {
    try {
        DivideScratch scratch;
        for (int k = 1; k <= table.count; ++k) {
            const BoundLoop& owner = table.loops[k];
            report(" Processing internal boundary loop: %i  (subregion %s) ...\n", k, owner.name.c_str());
            const NodeLoop work = owner.loop;
            // A loop zipped down to two nodes by the spike removal encloses no
            // area: its two edges are already shared by elements on both sides.
            if (work.count == 0 || work.count == 2) continue;
            if (work.count % 2 != 0) {
                report(" Internal boundary loop %i (subregion %s):\n the loop has an odd  number of nodes : %i.  Stop.\n",
                       k, owner.name.c_str(), work.count);
                code = TM_ODD_LOOP;
                return 0;
            }
            LoopJob job{mesh, owner, code, scratch, {}};
            if (work.count < 8) {
                if (!close_small(job, work)) return 0;
            } else if (!mesh_loop(job, work)) {
                return 0;
            }
            report(" ... processing completed.\n");
        }
    } catch (const std::bad_alloc&) {
        report(" Out of memory in 'div_area.c'.\n");
        code = TM_NO_MEMORY;
        return 0;
    }
    return 1;
}

}  // namespace korvex
