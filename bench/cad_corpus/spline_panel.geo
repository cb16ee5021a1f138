// Free-form panel: a filling surface (B-spline) over a W x D rectangle
// bounded by four splines through points of z = f(x, y), with inner points.
SetFactory("OpenCASCADE");
If (!Exists(W)) W = 60; EndIf
If (!Exists(D)) D = 40; EndIf
If (!Exists(A)) A = 6; EndIf
n = 8;
p = 0;
Macro AddPoint
  z = A*Sin(Pi*x/W)*Cos(Pi*y/(2*D)) + 0.3*A*Sin(2*Pi*y/D);
  p = newp;
  Point(p) = {x, y, z};
Return
x = 0; y = 0;
Call AddPoint;
c0 = p;
x = W; y = 0;
Call AddPoint;
c1 = p;
x = W; y = D;
Call AddPoint;
c2 = p;
x = 0; y = D;
Call AddPoint;
c3 = p;
corners() = {c0, c1, c2, c3, c0};
For side In {0:3}
  pts() = {corners(side)};
  For k In {1:n-1}
    t = k/n;
    If (side == 0) x = W*t; y = 0; EndIf
    If (side == 1) x = W; y = D*t; EndIf
    If (side == 2) x = W*(1-t); y = D; EndIf
    If (side == 3) x = 0; y = D*(1-t); EndIf
    Call AddPoint; pts() += p;
  EndFor
  pts() += corners(side+1);
  Spline(side+1) = pts();
EndFor
Curve Loop(1) = {1:4};
inner() = {};
For i In {1:n-1}
  For j In {1:n-1}
    x = W*i/n; y = D*j/n;
Call AddPoint;
inner() += p;
  EndFor
EndFor
Surface(1) = {1} Using Point{inner()};
