// Flat W x D plate with an nx x ny grid of round holes of radius R.
SetFactory("OpenCASCADE");
If (!Exists(W)) W = 160; EndIf
If (!Exists(D)) D = 100; EndIf
If (!Exists(R)) R = 8; EndIf
If (!Exists(nx)) nx = 2; EndIf
If (!Exists(ny)) ny = 2; EndIf
Rectangle(1) = {0, 0, 0, W, D};
holes() = {};
For i In {1:nx}
  For j In {1:ny}
    holes() += news;
    Disk(news) = {W*i/(nx+1), D*j/(ny+1), 0, R};
  EndFor
EndFor
BooleanDifference{ Surface{1}; Delete; }{ Surface{holes()}; Delete; }
