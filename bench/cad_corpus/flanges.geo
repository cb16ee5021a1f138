// Two flat flanges meeting at an edge at angle T (degrees), each written on
// its own (the shared edge twice), the first with a round hole of radius R.
SetFactory("OpenCASCADE");
If (!Exists(L)) L = 80; EndIf
If (!Exists(W1)) W1 = 30; EndIf
If (!Exists(W2)) W2 = 25; EndIf
If (!Exists(T)) T = 90; EndIf
If (!Exists(R)) R = 6; EndIf
Rectangle(1) = {0, 0, 0, L, W1};
Disk(2) = {L/2, W1/2, 0, R};
BooleanDifference{ Surface{1}; Delete; }{ Surface{2}; Delete; }
Rectangle(3) = {0, 0, 0, L, W2};
Rotate{{1, 0, 0}, {0, 0, 0}, Pi - T*Pi/180}{ Surface{3}; }
Translate{0, W1, 0}{ Surface{3}; }
