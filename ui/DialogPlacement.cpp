#include "ui/DialogPlacement.h"

DialogPosition BottomCentrePosition(int workRight, int workBottom, int width, int height) {
    DialogPosition p;
    p.x = workRight / 2 - width / 2;
    p.y = workBottom - height;
    return p;
}
