// Skin of two solid cylinders meeting along a saddle curve: a main tube
// (radius R, length L, along x) and a branch (radius r, height H, along z),
// closed by flat ends unless open = 1; each face written on its own.
SetFactory("OpenCASCADE");
If (!Exists(R)) R = 10; EndIf
If (!Exists(L)) L = 50; EndIf
If (!Exists(r)) r = 5; EndIf
If (!Exists(H)) H = 25; EndIf
If (!Exists(open)) open = 0; EndIf
Cylinder(1) = {-L/2, 0, 0, L, 0, 0, R};
Cylinder(2) = {0, 0, 0, 0, 0, H, r};
v() = BooleanUnion{ Volume{1}; Delete; }{ Volume{2}; Delete; };
s() = Boundary{ Volume{v()}; };
Translate{0, 0, 0}{ Duplicata{ Surface{s()}; } }
Recursive Delete{ Volume{v()}; }
If (open)
  e = 1e-3;
  ends() = Surface In BoundingBox{-L/2 - e, -R - e, -R - e, -L/2 + e, R + e, R + e};
  ends() += Surface In BoundingBox{L/2 - e, -R - e, -R - e, L/2 + e, R + e, R + e};
  ends() += Surface In BoundingBox{-r - e, -r - e, H - e, r + e, r + e, H + e};
  Recursive Delete{ Surface{ends()}; }
EndIf
