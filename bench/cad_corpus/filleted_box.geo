// Skin of an A x B x C box with every edge rounded (radius F): planes,
// quarter cylinders and spherical corners, each face written on its own.
SetFactory("OpenCASCADE");
If (!Exists(A)) A = 40; EndIf
If (!Exists(B)) B = 30; EndIf
If (!Exists(C)) C = 20; EndIf
If (!Exists(F)) F = 5; EndIf
Box(1) = {0, 0, 0, A, B, C};
v() = Fillet{1}{1:12}{F};
s() = Boundary{ Volume{v()}; };
Translate{0, 0, 0}{ Duplicata{ Surface{s()}; } }
Recursive Delete{ Volume{v()}; }
