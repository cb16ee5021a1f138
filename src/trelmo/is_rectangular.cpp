// Recognising a loop that is a topological rectangle and filling it with a
// structured grid; a grid of poor quality is withdrawn.
#include <algorithm>
#include <cmath>
#include <new>
#include <numeric>
#include <vector>

#include "base/messages.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

constexpr long kLargestNodeCapacity = 500000000;
constexpr double kLargestCornerAngle = 2.0 * kPi / 3.0;   // 120 degrees
constexpr double kSideAngleMin = 135.0, kSideAngleMax = 225.0;
constexpr double kQualityMin = 30.0, kQualityMax = 150.0;

// The four corners c[0..3] in loop order, or false when the loop is not a
// topological rectangle.
bool find_corners(const NodeLoop& loop, const Array1<double>& a, int c[4]) {
    const int n = loop.count;
    std::vector<int> pos(static_cast<std::size_t>(n));
    std::iota(pos.begin(), pos.end(), 1);
    std::stable_sort(pos.begin(), pos.end(), [&](int i, int j) { return a[i] < a[j]; });
    if (a[pos[0]] > kLargestCornerAngle) return false;
    for (int k = 0; k < 4; ++k) c[k] = pos[static_cast<std::size_t>(k)];
    std::sort(c, c + 4);
    if (c[1] - c[0] != c[3] - c[2]) return false;
    if (c[2] - c[1] != n - c[3] + c[0]) return false;
    for (int k = 4; k < n; ++k) {
        const double d = rad_to_deg(a[pos[static_cast<std::size_t>(k)]]);
        if (d < kSideAngleMin || d > kSideAngleMax) return false;
    }
    return true;
}

bool grow_for_grid(TrelmoMesh& mesh, long extra, int& code) {
    long cap = mesh.nodes_allocated > 0 ? mesh.nodes_allocated : TM_INITIAL_CAPACITY;
    const long needed = mesh.num_nodes + extra;
    while (cap < needed) {
        cap += cap / 3;
        if (cap > kLargestNodeCapacity) {
            report("The problem too large: (*num_nodes_allocated)=%li>500000000\n", cap);
            code = TM_NO_MEMORY;
            return false;
        }
    }
    if (!mesh.reserve_nodes(static_cast<int>(cap))) {
        report(" Not enough memory for nodes (can't reallocate). \n");
        report(" Out of memory in is_rectangular()\n  when reallocating nodes[] array.\n");
        code = TM_NO_MEMORY;
        return false;
    }
    return true;
}

bool grid_quality_ok(const TrelmoMesh& mesh, int first_element) {
    for (int e = first_element; e <= mesh.num_elements; ++e) {
        const GenElement& el = mesh.elements[e];
        for (int k = 1; k <= 4; ++k) {
            const GenNode& v = mesh.node(el.corner(k));
            const double d = rad_to_deg(angle(v, mesh.node(el.corner(k % 4 + 1)), mesh.node(el.corner((k + 2) % 4 + 1))));
            if (d < kQualityMin || d > kQualityMax) return false;
        }
    }
    return true;
}

// The structured grid filling a rectangular loop: node numbers and (x, y)
// at column i (1..nu) of row j (1..nv).
struct Grid {
    int nu = 0, nv = 0;
    Array1<int> node;
    Array1<double> x, y;

    long at(int i, int j) const { return static_cast<long>(j - 1) * nu + i; }
};

bool allocate_grid(Grid& g, int& code) {
    try {
        g.node.reset(static_cast<std::size_t>(g.nu) * g.nv);
        g.x.reset(static_cast<std::size_t>(g.nu) * g.nv);
        g.y.reset(static_cast<std::size_t>(g.nu) * g.nv);
    } catch (const std::bad_alloc&) {
        report(" Out of memory in is_rectangular().\n");
        code = TM_NO_MEMORY;
        return false;
    }
    return true;
}

// The loop's nodes along the four sides, starting at corner c[0].
void place_boundary(const NodeLoop& loop, const TrelmoMesh& mesh, const int c[4], Grid& g) {
    const int n = loop.count;
    auto put = [&](int i, int j, int pos) {
        const int node = loop.at(shift_pos(pos, 0, n));
        g.node[g.at(i, j)] = node;
        g.x[g.at(i, j)] = mesh.node(node).x;
        g.y[g.at(i, j)] = mesh.node(node).y;
    };
    for (int i = 1; i <= g.nu; ++i) put(i, 1, c[0] + i - 1);
    for (int j = 1; j <= g.nv; ++j) put(g.nu, j, c[1] + j - 1);
    for (int i = 1; i <= g.nu; ++i) put(i, g.nv, c[2] + g.nu - i);
    for (int j = 1; j <= g.nv; ++j) put(1, j, shift_pos(c[3], g.nv - j, n));
}

// Appends the interior nodes and then the elements of the grid. Returns false
// with code set after reporting a failure.
bool add_grid_to_mesh(Grid& g, TrelmoMesh& mesh, std::string_view name, int subregion, int& code) {
    for (int j = 2; j < g.nv; ++j)
        for (int i = 2; i < g.nu; ++i)
            g.node[g.at(i, j)] = append_node(mesh, g.x[g.at(i, j)], g.y[g.at(i, j)], NODE_KIND_INTERIOR, name);
    if (mesh.num_nodes > mesh.nodes_allocated) {
        report("Internal error in IS_RECT.C :  (*num_nodes)>(*num_nodes_allocated)\n");
        code = TM_PHASE_FAILED;
        return false;
    }
    for (int j = 1; j < g.nv; ++j) {
        for (int i = 1; i < g.nu; ++i) {
            if (!add_elem(mesh, g.node[g.at(i, j)], g.node[g.at(i + 1, j)], g.node[g.at(i + 1, j + 1)],
                          g.node[g.at(i, j + 1)], name, subregion)) {
                report("Unsuccessful return from add_element into IS_RECT.C\n");
                report("(Not enough memory.)\n");
                code = TM_NO_MEMORY;
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int is_rectangular(const NodeLoop& loop, TrelmoMesh& mesh, std::string_view name, int subregion, int& code,
                   const Array1<double>* angles) {
    const int n = loop.count;
    if (n < 4) return 0;
    Array1<double> a;
    if (angles) a = *angles;
    else loop_angles(mesh, loop, a);
    for (int i = 1; i <= n; ++i)
        if (std::fabs(a[i] - kPi) < 1e-6) a[i] = kPi;
    int c[4];
    if (!find_corners(loop, a, c)) return 0;
    Grid g;
    g.nu = c[1] - c[0] + 1;
    g.nv = c[2] - c[1] + 1;
    if (!grow_for_grid(mesh, static_cast<long>(g.nu) * g.nv + 10, code)) return 0;
    if (!allocate_grid(g, code)) return 0;
    place_boundary(loop, mesh, c, g);
    if (!transfinite_interpolation(g.nu, g.nv, g.x, g.y)) {
        code = TM_PHASE_FAILED;
        return 0;
    }
    const int nodes_before = mesh.num_nodes, elements_before = mesh.num_elements;
    if (!add_grid_to_mesh(g, mesh, name, subregion, code)) return 0;
    if (!grid_quality_ok(mesh, elements_before + 1)) {
        mesh.num_nodes = nodes_before;
        mesh.num_elements = elements_before;
        return 0;
    }
    return 1;
}

}  // namespace korvex
