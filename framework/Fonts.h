// Fonts by the face names the program uses, with stand-ins where the face is missing.
#pragma once

#include <wx/font.h>

#include <string_view>

#include "Canvas.h"

namespace fw {

// The first installed face of FontFaceCandidates(face); the face itself when none is.
wxString ResolveFontFace(std::string_view face);

// A font whose cell height (ascent + descent, the height of a text line) is wanted.height
// pixels, as a positive height in a Windows font request gives; weight 700 and above is
// bold. Fonts are cached: the same request gives the same font.
const wxFont& FontFromSpec(const FontSpec& wanted);

// The font of a dialog template: face and size in points at 96 pixels per inch, which
// gives a character height (em) of points * 4 / 3 pixels ("ＭＳ Ｐゴシック" 9 -> 12 px).
wxFont DialogFont(std::string_view face, int points);

}  // namespace fw
