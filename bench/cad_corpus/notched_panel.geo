// The spline panel with a notch cut into its side at x = W: eight corners,
// two of them inward, on one free-form face.
Include "spline_panel.geo";
Box(10) = {W * 2 / 3, D * 0.3, -30, W, D * 0.35, 60};
BooleanDifference{ Surface{1}; Delete; }{ Volume{10}; Delete; }
