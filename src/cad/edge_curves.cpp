// Points and curves of the model: one point per CAD vertex, one chain of
// curves per CAD edge, made once and shared by every face along the edge.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include <BRepAdaptor_Curve.hxx>
#include <BRep_Tool.hxx>
#include <GCPnts_QuasiUniformDeflection.hxx>
#include <GCPnts_UniformAbscissa.hxx>
#include <TopExp.hxx>
#include <TopoDS.hxx>

#include "cad/model_builder.h"

namespace korvex::cad {

namespace {

// A curve of the model holds at most this many points.
constexpr int kMaxCurvePoints = 1000;
// A smooth curve of the model needs at least this many points (the reader's rule).
constexpr std::size_t kMinSmoothPoints = 4;

gp_Vec unit_tangent(const BRepAdaptor_Curve& c, double t) {
    gp_Pnt p;
    gp_Vec v;
    c.D1(t, p, v);
    const double m = v.Magnitude();
    return m > 0 ? v / m : v;
}

enum class EdgeShape { line, arc, smooth };

// Three sampled points whose angle has a smaller sine than this are taken as
// in a line: the circle through them would be far larger than the part.
constexpr double kCollinearSine = 1e-6;

// Cutting closed faces leaves some edges as general curves (curves on a
// surface, splines) that are in fact straight or circular, and some writers
// give a circle as an ellipse with equal axes: they are told by points
// sampled along them, within `tolerance`. For an arc `turn` is its angle.
EdgeShape shape_of(const BRepAdaptor_Curve& c, double tolerance, double& turn) {
    const double t0 = c.FirstParameter(), t1 = c.LastParameter();
    if (c.GetType() == GeomAbs_Line) return EdgeShape::line;
    if (c.GetType() == GeomAbs_Circle) {
        turn = t1 - t0;
        return EdgeShape::arc;
    }
    constexpr int n = 16;
    std::vector<gp_Pnt> p;
    for (int k = 0; k <= n; ++k) p.push_back(c.Value(t0 + (t1 - t0) * k / n));
    const gp_Vec chord(p[0], p[n]);
    if (chord.Magnitude() > 100 * tolerance) {
        bool straight = true;
        for (const gp_Pnt& q : p) straight = straight && gp_Vec(p[0], q).Crossed(chord).Magnitude() / chord.Magnitude() < tolerance;
        if (straight) return EdgeShape::line;
    }
    // The circle through the points at a quarter, half and three quarters
    // of the parameter range (distinct on a closed edge too).
    const gp_Vec a(p[n / 2], p[n / 4]), b(p[n / 2], p[3 * n / 4]);
    const gp_Vec axb = a.Crossed(b);
    // Three points in a line (an S-shaped curve) give no circle.
    if (axb.Magnitude() <= kCollinearSine * a.Magnitude() * b.Magnitude()) return EdgeShape::smooth;
    const gp_Vec to_centre = (b.Crossed(axb) * a.SquareMagnitude() + axb.Crossed(a) * b.SquareMagnitude()) /
                             (2 * axb.SquareMagnitude());
    const gp_Pnt centre = p[n / 2].Translated(to_centre);
    const double radius = to_centre.Magnitude();
    const gp_Dir normal(axb);
    turn = 0;
    for (int k = 0; k <= n; ++k) {
        const gp_Vec r(centre, p[k]);
        if (std::abs(r.Magnitude() - radius) > tolerance || std::abs(r.Dot(normal)) > tolerance) return EdgeShape::smooth;
        if (k > 0) turn += gp_Vec(centre, p[k - 1]).Angle(r);
    }
    return EdgeShape::arc;
}

}  // namespace

ModelBuilder::ModelBuilder(const PreparedShape& prepared, const ModelSettings& settings)
    : prepared_(prepared), settings_(settings) {
    TopExp::MapShapes(prepared.shape, TopAbs_VERTEX, vertices_);
    TopExp::MapShapes(prepared.shape, TopAbs_EDGE, edges_);
}

int ModelBuilder::new_point(const gp_Pnt& p) {
    points_.push_back(ModelPoint{numbered("P", points_.size() + 1), p});
    return static_cast<int>(points_.size()) - 1;
}

int ModelBuilder::point_of_vertex(const TopoDS_Vertex& v) {
    const int index = vertices_.FindIndex(v);
    const auto it = point_of_vertex_.find(index);
    if (it != point_of_vertex_.end()) return it->second;
    const int point = new_point(BRep_Tool::Pnt(v));
    point_of_vertex_[index] = point;
    return point;
}

int ModelBuilder::add_curve(const char* prefix, std::vector<int> points, const gp_Vec& t0, const gp_Vec& t1) {
    ModelCurve curve;
    curve.name = numbered(prefix, curves_.size() + 1);
    curve.points = std::move(points);
    curve.start_tangent = t0;
    curve.end_tangent = t1;
    curves_.push_back(curve);
    return static_cast<int>(curves_.size()) - 1;
}

// Arcs of at most a quarter turn, of equal length; a whole circle gives at least two.
void ModelBuilder::add_arc_curves(const TopoDS_Edge& edge, int first, int last, double turn, std::vector<int>& out) {
    const BRepAdaptor_Curve c(edge);
    int n = static_cast<int>(std::ceil(turn / (M_PI / 2) - 1e-3));  // a sampled quarter turn may come out a hair over
    n = std::max(n, first == last ? 2 : 1);
    std::vector<double> t;
    GCPnts_UniformAbscissa division(c, 2 * n + 1, c.FirstParameter(), c.LastParameter());
    if (division.IsDone() && division.NbPoints() == 2 * n + 1) {
        for (int k = 1; k <= 2 * n + 1; ++k) t.push_back(division.Parameter(k));
    } else {
        for (int k = 0; k <= 2 * n; ++k) t.push_back(c.FirstParameter() + (c.LastParameter() - c.FirstParameter()) * k / (2 * n));
    }
    int start = first;
    for (int j = 0; j < n; ++j) {
        const int middle = new_point(c.Value(t[2 * j + 1]));
        const int end = j == n - 1 ? last : new_point(c.Value(t[2 * j + 2]));
        out.push_back(add_curve("C", {start, middle, end}, unit_tangent(c, t[2 * j]), unit_tangent(c, t[2 * j + 2])));
        start = end;
    }
}

// Smooth curves through points of the edge chosen so that the polygon through
// them stays within the curve tolerance of the edge (the smooth curve through
// the same points stays closer still); a closed edge gives two.
void ModelBuilder::add_smooth_curves(const TopoDS_Edge& edge, int first, int last, std::vector<int>& out) {
    const BRepAdaptor_Curve c(edge);
    const double t0 = c.FirstParameter(), t1 = c.LastParameter();
    const int pieces = first == last ? 2 : 1;
    const double d = (t1 - t0) / pieces;
    int start = first;
    for (int j = 0; j < pieces; ++j) {
        const double a = t0 + j * d, b = a + d;
        std::vector<double> params;
        GCPnts_QuasiUniformDeflection sampler(c, settings_.curve_tolerance, a, b);
        if (sampler.IsDone() && sampler.NbPoints() >= 2 && sampler.NbPoints() <= kMaxCurvePoints) {
            for (int k = 1; k <= sampler.NbPoints(); ++k) params.push_back(sampler.Parameter(k));
        } else {
            const int count = sampler.IsDone() ? std::min(sampler.NbPoints(), kMaxCurvePoints) : 9;
            for (int k = 0; k < count; ++k) params.push_back(a + (b - a) * k / (count - 1));
        }
        if (params.size() < kMinSmoothPoints) {
            params.clear();
            for (std::size_t k = 0; k < kMinSmoothPoints; ++k) params.push_back(a + (b - a) * k / (kMinSmoothPoints - 1));
        }
        const int end = j == pieces - 1 ? last : new_point(c.Value(b));
        std::vector<int> points{start};
        for (std::size_t k = 1; k + 1 < params.size(); ++k) points.push_back(new_point(c.Value(params[k])));
        points.push_back(end);
        out.push_back(add_curve("Q", points, unit_tangent(c, a), unit_tangent(c, b)));
        curves_[out.back()].edge = edge;
        start = end;
    }
}

const std::vector<int>& ModelBuilder::curves_of_edge(const TopoDS_Edge& edge) {
    const int index = edges_.FindIndex(edge);
    const auto it = curves_of_edge_.find(index);
    if (it != curves_of_edge_.end()) return it->second;
    std::vector<int>& out = curves_of_edge_[index];
    const TopoDS_Edge forward = TopoDS::Edge(edge.Oriented(TopAbs_FORWARD));
    TopoDS_Vertex v1, v2;
    TopExp::Vertices(forward, v1, v2);
    const int first = point_of_vertex(v1), last = point_of_vertex(v2);
    const BRepAdaptor_Curve c(forward);
    double turn = 0;
    const EdgeShape shape = shape_of(c, settings_.curve_tolerance, turn);
    if (shape == EdgeShape::line && first != last) {
        const gp_Vec t(points_[first].p, points_[last].p);
        out.push_back(add_curve("QL", {first, last}, t.Normalized(), t.Normalized()));
    } else if (shape == EdgeShape::arc) {
        add_arc_curves(forward, first, last, turn, out);
    } else {
        add_smooth_curves(forward, first, last, out);
    }
    return out;
}

}  // namespace korvex::cad
