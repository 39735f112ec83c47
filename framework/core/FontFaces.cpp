#include "FontFaces.h"

#include <initializer_list>

namespace fw {
namespace {

constexpr std::string_view kFixedGothics[] = {
    "IPAGothic",   "IPAexGothic", "Noto Sans Mono CJK JP", "VL Gothic",
    "TakaoGothic", "IPAPGothic",  "Noto Sans CJK JP",      "Droid Sans Fallback",
};
constexpr std::string_view kProportionalGothics[] = {
    "IPAPGothic",   "IPAexGothic", "Noto Sans CJK JP", "VL PGothic",
    "TakaoPGothic", "IPAGothic",   "VL Gothic",        "Droid Sans Fallback",
};

bool IsOneOf(std::string_view face, std::initializer_list<std::string_view> names) {
    for (std::string_view n : names) {
        if (face == n) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<std::string> FontFaceCandidates(std::string_view face) {
    std::vector<std::string> faces;
    if (!face.empty()) {
        faces.emplace_back(face);
    }
    const bool proportional = IsOneOf(face, {"ＭＳ Ｐゴシック", "MS PGothic"});
    // Windows outside Japan lists the two faces by their English names only.
    if (face == "ＭＳ Ｐゴシック") {
        faces.emplace_back("MS PGothic");
    } else if (face == "ＭＳ ゴシック") {
        faces.emplace_back("MS Gothic");
    }
    const auto& standIns = proportional ? kProportionalGothics : kFixedGothics;
    for (std::string_view s : standIns) {
        if (s != face) {
            faces.emplace_back(s);
        }
    }
    return faces;
}

}  // namespace fw
