// Dialog units to pixels at the program's fixed dialog base of 7 x 12 pixels.
//
// A horizontal dialog unit is a quarter of the base width (1.75 px), a vertical unit an
// eighth of the base height (1.5 px). The base is fixed rather than measured from the
// dialog font, so that what the dialogs paint at fixed pixel positions lines up with their
// controls whatever font the system substitutes.
//
// Rounding: every edge is mapped on its own and rounded to the nearest pixel, halves up
// (x px = floor((7 * du + 2) / 4), y px = floor((3 * du + 1) / 2)). A control's right and
// bottom edges are the mapped x + cx and y + cy, so controls that touch in dialog units
// touch in pixels. The start time edit of the time entry dialog (21, 26, 19, 12) spans
// x 36.75-70, y 39-57 exactly and lands on x 37-70, y 39-57.
#pragma once

#include "Canvas.h"

namespace fw {

inline constexpr int kDialogBaseUnitX = 7;
inline constexpr int kDialogBaseUnitY = 12;

int DialogXToPixels(int du);
int DialogYToPixels(int du);

// A template rectangle (x, y, width, height in dialog units) as a pixel rectangle.
Rect DialogRectToPixels(int x, int y, int cx, int cy);

}  // namespace fw
