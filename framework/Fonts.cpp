#include "Fonts.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/fontenum.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "FontFaces.h"
#include "Platform.h"
#include "TextConv.h"
#include "UserFolders.h"

namespace fw {
namespace {

wxFont MakeFont(const wxString& face, int emPixels, int weight) {
    wxFont font(wxFontInfo(wxSize(0, emPixels)).FaceName(face));
    font.SetNumericWeight(weight >= 700 ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL);
    return font;
}

int CellHeight(const wxFont& font) {
    // One DC for every measurement (from the window's thread only): a new one sets up a
    // drawing context of its own each time, and every font of the month is measured at
    // start. Never freed, like the fonts: wx objects must not outlive the toolkit in static
    // destructors.
    static wxMemoryDC& dc = *new wxMemoryDC(*new wxBitmap(1, 1));
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

// FontWithCellHeight through the fonts found before.
wxFont FoundFontWithCellHeight(const wxString& face, int cell, int weight) {
    // Never freed, like the fonts themselves.
    static auto& found = *new CFoundFonts([] {
        const std::string folder = UserStateFolder();
        return folder.empty() ? std::string() : folder + "font-sizes.txt";
    }());
    return found.WithCellHeight(face, cell, weight);
}

}  // namespace

CFoundFonts::CFoundFonts(std::string path) : m_strPath(std::move(path)) {
    Load();
}

wxFont CFoundFonts::WithCellHeight(const wxString& face, int cell, int weight) {
    if (face.find_first_of("\t\r\n") != wxString::npos) {
        return FontWithCellHeight(face, cell, weight);
    }
    const std::string key = WxToUtf8(face) + '\t' + std::to_string(cell) + '\t' +
                            std::to_string(weight >= 700 ? 700 : 400);
    if (const auto it = m_entries.find(key); it != m_entries.end()) {
        wxFont font;
        if (font.SetNativeFontInfo(Utf8ToWx(it->second.description)) && font.IsOk() &&
            CellHeight(font) == it->second.height) {
            return font;
        }
        m_entries.erase(it);
    }
    wxFont font = FontWithCellHeight(face, cell, weight);
    const std::string description = WxToUtf8(font.GetNativeFontInfoDesc());
    if (!description.empty() && description.find_first_of("\t\r\n") == std::string::npos) {
        m_entries[key] = {CellHeight(font), description};
        Store();
    }
    return font;
}

void CFoundFonts::Load() {
    if (m_strPath.empty()) {
        return;
    }
    std::ifstream in(m_strPath, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        // face, cell, weight, height, description
        size_t tabs[4];
        size_t at = 0;
        int found = 0;
        for (; found < 4; ++found) {
            at = line.find('\t', at);
            if (at == std::string::npos) {
                break;
            }
            tabs[found] = at++;
        }
        if (found < 4) {
            continue;
        }
        const int height = std::atoi(line.c_str() + tabs[2] + 1);
        if (height <= 0 || tabs[3] + 1 >= line.size()) {
            continue;
        }
        m_entries[line.substr(0, tabs[2])] = {height, line.substr(tabs[3] + 1)};
    }
}

void CFoundFonts::Store() const {
    if (m_strPath.empty()) {
        return;
    }
    const std::string temp = m_strPath + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        for (const auto& [key, entry] : m_entries) {
            out << key << '\t' << entry.height << '\t' << entry.description << '\n';
        }
        if (!out.flush()) {
            out.close();
            std::remove(temp.c_str());
            return;
        }
    }
    if (std::rename(temp.c_str(), m_strPath.c_str()) != 0) {
        std::remove(temp.c_str());
    }
}

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
    return cache.emplace(key, FoundFontWithCellHeight(face, cell, wanted.weight)).first->second;
}

wxFont DialogFont(std::string_view face, int points) {
    const int em = points > 0 ? (points * 4 + 1) / 3 : 12;
    return MakeFont(ResolveFontFace(face), em, 400);
}

}  // namespace fw
