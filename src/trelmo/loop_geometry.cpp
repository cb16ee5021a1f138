#include "trelmo/loop_geometry.h"

#include <algorithm>
#include <cmath>

namespace korvex {

double deg_to_rad(double degrees) { return degrees * kPi / 180.0; }
double rad_to_deg(double radians) { return radians * 180.0 / kPi; }

double distance(const GenNode& a, const GenNode& b) { return std::hypot(b.x - a.x, b.y - a.y); }

double angle(double vx, double vy, double px, double py, double qx, double qy) {
    const double ax = px - vx, ay = py - vy;
    const double bx = qx - vx, by = qy - vy;
    return angle_between(ax, ay, bx, by, std::hypot(ax, ay), std::hypot(bx, by));
}

double angle(const GenNode& V, const GenNode& P, const GenNode& Q) {
    return angle(V.x, V.y, P.x, P.y, Q.x, Q.y);
}

double node_angle(const TrelmoMesh& mesh, const NodeLoop& loop, int i) {
    const int n = loop.count;
    return angle(mesh.node(loop.at(i)), mesh.node(loop.at(next_pos(i, n))), mesh.node(loop.at(prev_pos(i, n))));
}

void loop_angles(const TrelmoMesh& mesh, const NodeLoop& loop, Array1<double>& angles, double flat_margin) {
    angles.ensure(loop.count);
    for (int i = 1; i <= loop.count; ++i) {
        double a = node_angle(mesh, loop, i);
        if (a > kPi && a <= kPi + flat_margin) a = kPi;
        angles[i] = a;
    }
}

int shift_pos(int i, int k, int n) {
    int r = (i - 1 + k) % n;
    if (r < 0) r += n;
    return r + 1;
}

}  // namespace korvex
