// Where the dialog sits while the installers run: its bottom edge on the bottom of the primary
// monitor's work area, centred on half of that area's right edge.
#pragma once

struct DialogPosition {
    int x = 0;
    int y = 0;
};

// workRight/workBottom: the primary work area's right and bottom edges; width/height: the dialog's.
// Halving truncates toward zero, so negative coordinates on multi-monitor set-ups stay symmetric.
DialogPosition BottomCentrePosition(int workRight, int workBottom, int width, int height);
