// Closed pressure vessel: a full cylinder (radius R, length L) and two
// hemispherical heads, each face written on its own.
SetFactory("OpenCASCADE");
If (!Exists(R)) R = 10; EndIf
If (!Exists(L)) L = 30; EndIf
Cylinder(1) = {0, 0, 0, 0, 0, L, R};
Sphere(2) = {0, 0, 0, R, -Pi/2, 0};
Sphere(3) = {0, 0, L, R, 0, Pi/2};
v() = BooleanUnion{ Volume{1}; Delete; }{ Volume{2, 3}; Delete; };
s() = Boundary{ Volume{v()}; };
Translate{0, 0, 0}{ Duplicata{ Surface{s()}; } }
Recursive Delete{ Volume{v()}; }
