#include "Fonts.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/fontenum.h>

#include <map>
#include <string>
#include <tuple>

#include "FontFaces.h"
#include "Platform.h"
#include "TextConv.h"

namespace fw {
namespace {

wxFont MakeFont(const wxString& face, int emPixels, int weight) {
    wxFont font(wxFontInfo(wxSize(0, emPixels)).FaceName(face));
    font.SetNumericWeight(weight >= 700 ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL);
    return font;
}

int CellHeight(const wxFont& font) {
    wxBitmap bitmap(1, 1);
    wxMemoryDC dc(bitmap);
    dc.SetFont(font);
    return dc.GetCharHeight();
}

// The largest font whose cell height does not pass the requested one, preferring one that
// meets it exactly. Whole-pixel em sizes do not reach every cell height (IPAGothic: em 16
// gives 15, em 17 gives 17, and the metrics are not even monotonic: 11.5 points, em 15.3,
// gives 16), so the sizes around them are tried in twentieths of a point.
wxFont FontWithCellHeight(const wxString& face, int cell, int weight) {
    int em = cell;
    wxFont font = MakeFont(face, em, weight);
    while (em > 1 && CellHeight(font) > cell) {
        font = MakeFont(face, --em, weight);
    }
    while (em < 2 * cell) {
        wxFont larger = MakeFont(face, em + 1, weight);
        if (CellHeight(larger) > cell) {
            break;
        }
        font = larger;
        ++em;
    }
    if (CellHeight(font) == cell) {
        return font;
    }
    // em px = points * 4 / 3 at 96 pixels per inch.
    for (int twentieths = (em + 1) * 15 - 1; twentieths > (em - 2) * 15; --twentieths) {
        wxFont between = font;
        between.SetFractionalPointSize(twentieths / 20.0);
        if (CellHeight(between) == cell) {
            return between;
        }
    }
    return font;
}

}  // namespace

wxString ResolveFontFace(std::string_view face) {
    static auto& cache = *new std::map<std::string, wxString, std::less<>>;
    if (const auto it = cache.find(face); it != cache.end()) {
        return it->second;
    }
    wxString resolved = Utf8ToWx(face);
    for (const std::string& candidate : FontFaceCandidates(face)) {
        const wxString name = Utf8ToWx(candidate);
        // By any of the family's names: in a Japanese locale the toolkit lists the
        // localized ones only ("IPA Pゴシック"), and the stand-in was never found.
        if (FontFamilyInstalled(candidate) || wxFontEnumerator::IsValidFacename(name)) {
            resolved = name;
            break;
        }
    }
    cache.emplace(std::string(face), resolved);
    return resolved;
}

const wxFont& FontFromSpec(const FontSpec& wanted) {
    // Never freed: wx objects must not outlive the toolkit in static destructors.
    static auto& cache = *new std::map<std::tuple<std::string, int, int>, wxFont>;
    const auto key = std::make_tuple(wanted.face, wanted.height, wanted.weight >= 700 ? 700 : 400);
    if (const auto it = cache.find(key); it != cache.end()) {
        return it->second;
    }
    const wxString face = ResolveFontFace(wanted.face.empty() ? "ＭＳ Ｐゴシック" : wanted.face);
    const int cell = wanted.height > 0 ? wanted.height : 12;
    return cache.emplace(key, FontWithCellHeight(face, cell, wanted.weight)).first->second;
}

wxFont DialogFont(std::string_view face, int points) {
    const int em = points > 0 ? (points * 4 + 1) / 3 : 12;
    return MakeFont(ResolveFontFace(face), em, 400);
}

}  // namespace fw
