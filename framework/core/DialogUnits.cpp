#include "DialogUnits.h"

namespace fw {
namespace {

// Floor division for a positive divisor, also for negative numerators.
int FloorDiv(int numerator, int divisor) {
    const int q = numerator / divisor;
    return (numerator % divisor != 0 && numerator < 0) ? q - 1 : q;
}

}  // namespace

int DialogXToPixels(int du) {
    // du * 7 / 4 + 1/2, floored.
    return FloorDiv(du * kDialogBaseUnitX * 2 + 4, 8);
}

int DialogYToPixels(int du) {
    // du * 12 / 8 + 1/2, floored.
    return FloorDiv(du * kDialogBaseUnitY + 4, 8);
}

Rect DialogRectToPixels(int x, int y, int cx, int cy) {
    return Rect{DialogXToPixels(x), DialogYToPixels(y), DialogXToPixels(x + cx),
                DialogYToPixels(y + cy)};
}

}  // namespace fw
