// Free-form panel: a B-spline surface over a W x D rectangle bounded by four
// B-spline curves whose control points lie on z = f(x, y) (amplitude A).
SetFactory("OpenCASCADE");
If (!Exists(W)) W = 60; EndIf
If (!Exists(D)) D = 40; EndIf
If (!Exists(A)) A = 6; EndIf
n = 8;
// Control points of side s, k = 0..n, going round the rectangle
// anticlockwise; the corners are shared.
For s In {0:3}
  For k In {0:n-1}
    t = k / n;
    x = W * ((s == 0) * t + (s == 1) + (s == 2) * (1 - t));
    y = D * ((s == 1) * t + (s == 2) + (s == 3) * (1 - t));
    Point(1 + s * n + k) = {x, y, A * Sin(Pi * x / W) * Cos(Pi * y / (2 * D)) + 0.3 * A * Sin(2 * Pi * y / D)};
  EndFor
EndFor
For s In {0:3}
  last = (s < 3) ? 1 + (s + 1) * n : 1;
  BSpline(s + 1) = {1 + s * n : s * n + n, last};
EndFor
Curve Loop(1) = {1:4};
BSpline Surface(1) = {1};
