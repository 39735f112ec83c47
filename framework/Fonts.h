// Fonts by the face names the program uses, with stand-ins where the face is missing.
#pragma once

#include <wx/font.h>

#include <map>
#include <string>
#include <string_view>

#include "Canvas.h"

namespace fw {

// The first installed face of FontFaceCandidates(face); the face itself when none is.
wxString ResolveFontFace(std::string_view face);

// A font whose cell height (ascent + descent, the height of a text line) is wanted.height
// pixels, as a positive height in a Windows font request gives; weight 700 and above is
// bold. Fonts are cached: the same request gives the same font.
const wxFont& FontFromSpec(const FontSpec& wanted);

// The fonts of a cell height found in earlier runs, kept in a file (FontFromSpec keeps
// them in "font-sizes.txt" of the user's state folder): finding one takes dozens of trial
// fonts (each one a font lookup and, with Pango, a thread of its own), a fifth of a start's
// time. A line of the file holds the request (face, cell height, weight), the cell height
// the font found had, and the font's description, separated by tabs:
//   IPAPGothic<TAB>16<TAB>400<TAB>16<TAB>IPAPGothic 11.5
// A kept font is used only while it still measures as it did, so a change of the
// installed fonts or of their settings has it found again. A missing, unreadable or
// damaged file only means searching again.
class CFoundFonts {
  public:
    // An empty path keeps nothing.
    explicit CFoundFonts(std::string path);
    // The largest font of the face whose cell height does not pass `cell`, preferring one
    // that meets it exactly; weight 700 and above is bold.
    wxFont WithCellHeight(const wxString& face, int cell, int weight);

  private:
    struct Entry {
        int height = 0;
        std::string description;
    };
    void Load();
    void Store() const;

    std::string m_strPath;
    std::map<std::string, Entry> m_entries;  // by "face<TAB>cell<TAB>weight"
};

// The font of a dialog template: face and size in points at 96 pixels per inch, which
// gives a character height (em) of points * 4 / 3 pixels ("ＭＳ Ｐゴシック" 9 -> 12 px).
wxFont DialogFont(std::string_view face, int points);

}  // namespace fw
