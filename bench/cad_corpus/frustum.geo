// Closed frustum skin: a cone from radius R1 to R2 over height H and its two
// flat ends, each face written on its own.
SetFactory("OpenCASCADE");
If (!Exists(R1)) R1 = 15; EndIf
If (!Exists(R2)) R2 = 8; EndIf
If (!Exists(H)) H = 25; EndIf
Cone(1) = {0, 0, 0, 0, 0, H, R1, R2};
s() = Boundary{ Volume{1}; };
Translate{0, 0, 0}{ Duplicata{ Surface{s()}; } }
Recursive Delete{ Volume{1}; }
