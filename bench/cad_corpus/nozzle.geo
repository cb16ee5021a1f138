// Revolved nozzle: a flat flange ring (radii RF, RI), a converging cone to
// the throat (radius RT) and a straight throat of length LT, revolved about
// z; each face written on its own.
SetFactory("OpenCASCADE");
If (!Exists(RF)) RF = 30; EndIf
If (!Exists(RI)) RI = 15; EndIf
If (!Exists(RT)) RT = 8; EndIf
If (!Exists(LC)) LC = 20; EndIf
If (!Exists(LT)) LT = 15; EndIf
Point(1) = {RF, 0, 0}; Point(2) = {RI, 0, 0}; Point(3) = {RT, 0, LC}; Point(4) = {RT, 0, LC + LT};
Line(1) = {1, 2}; Line(2) = {2, 3}; Line(3) = {3, 4};
e() = Extrude{{0, 0, 1}, {0, 0, 0}, 2*Pi}{ Curve{1:3}; };
s() = Surface{:};
Translate{0, 0, 0}{ Duplicata{ Surface{s()}; } }
Recursive Delete{ Surface{s()}; }
