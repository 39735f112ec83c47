// Fitting a text to the room it has on a canvas.
//
// A label of the month gets the width up to the next label's place or its column's end;
// a text wider than that is cut after its last whole character that leaves room for "…"
// and ends with it, so it never runs over its neighbour nor off the window. The cut falls
// between CP932 characters, never between the two bytes of a double-byte one.
#pragma once

#include <string>
#include <string_view>

#include "Canvas.h"

// "…" as CP932 bytes (0x81 0x63).
inline constexpr std::string_view kEllipsisCp932 = "\x81\x63";

// The text as it fits into width pixels in the canvas's selected font: the whole text when
// it fits, else its longest start (in whole characters) followed by "…" that fits, "…"
// alone when no character fits with it, and "" when not even "…" fits. A lead byte at the
// very end (a cut-off character) counts as one character.
std::string FitText(fw::Canvas& canvas, std::string_view cp932, int width);
