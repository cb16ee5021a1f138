#include "planar/plane_geometry.h"

#include "trelmo/loop_geometry.h"

namespace korvex {

double ccw_angle(double vx, double vy, double px, double py, double qx, double qy) {
    return angle(vx, vy, px, py, qx, qy);
}

}  // namespace korvex
