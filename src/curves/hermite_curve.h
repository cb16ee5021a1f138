// The smooth curve model through a list of points: chords between
// consecutive points, a unit tangent at every point, and one cubic Hermite
// segment per chord whose tangent magnitudes equal the chord length.
// General curves are divided on it, and the patch meshers reuse it on their
// own node lists. All tables are 1-based (entry 0 unused).
#pragma once

#include <vector>

#include "base/array1.h"
#include "base/vec3.h"
#include "model/records.h"

namespace korvex {

// Segment i runs from point i to point i + 1.
struct Chord {
    Vec3 d;             // P(i+1) - P(i)
    double length = 0;  // |d|
};

struct Tangent {
    Vec3 dir;           // unit direction (zero when none can be defined)
    double length = 0;  // length of the direction vector before it was normalised
};

// Below this length an interior tangent is undefined (reported, set to zero).
constexpr double kTangentTolerance = 1e-6;
// End tangent: the mirrored chord is used as is when it ends this close to point 2.
constexpr double kEndTangentTolerance = 1e-8;

// Fills chords[1..n-1] from P[1..n] (the table is resized to at least n + 1).
void computeChords(int n, const std::vector<Vec3>& P, std::vector<Chord>& chords);
// The same for the points ids[1..n] of an array of point records.
void computeChords(int n, const int* ids, const Array1<ControlPoint>& points, std::vector<Chord>& chords);

// Fills tangents[1..n]: interior tangents from the length-weighted chords,
// end tangents from the chord to the third point mirrored in the first chord.
// A vanishing interior tangent is reported as a warning and set to zero.
void computeDirectionalCos(int n, const std::vector<Vec3>& P, const std::vector<Chord>& chords,
                           std::vector<Tangent>& tangents);
void computeDirectionalCos(int n, const int* ids, const Array1<ControlPoint>& points,
                           const std::vector<Chord>& chords, std::vector<Tangent>& tangents);

// Cubic Hermite segment from p0 to p1 with unit tangents t0, t1 scaled by
// the chord length L, at parameter u in [0, 1].
Vec3 hermite_point(const Vec3& p0, const Vec3& p1, const Vec3& t0, const Vec3& t1, double L, double u);

// Length of a Hermite segment measured by 8 equal parameter steps.
double hermite_segment_length(const Vec3& p0, const Vec3& p1, const Vec3& t0, const Vec3& t1, double L);

// A chain of Hermite segments through P[1..n], parameterised by the
// normalised estimated arc length s in [0, 1].
class HermiteChain {
public:
    // Builds chords, tangents and lengths. P is 1-based with at least n + 1 entries.
    void build(int n, const std::vector<Vec3>& P);

    int size() const { return n_; }
    double length() const { return length_; }
    // Normalised cumulative length at point i (1..n): 0 at the first, 1 at the last.
    double cumulative(int i) const { return cum_[static_cast<std::size_t>(i)]; }
    const Vec3& point(int i) const { return P_[static_cast<std::size_t>(i)]; }
    const Tangent& tangent(int i) const { return tangents_[static_cast<std::size_t>(i)]; }
    const Chord& chord(int i) const { return chords_[static_cast<std::size_t>(i)]; }

    // Point at parameter s on the first segment whose length interval holds s.
    // Returns false when no segment holds it (only possible when s is outside
    // [0, 1] or the chain has no length).
    bool evaluate(double s, Vec3& out) const;

private:
    int n_ = 0;
    double length_ = 0;
    std::vector<Vec3> P_;
    std::vector<Chord> chords_;
    std::vector<Tangent> tangents_;
    std::vector<double> cum_;
};

}  // namespace korvex
