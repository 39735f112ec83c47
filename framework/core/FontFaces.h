// Font faces by the names the program asks for. The program names the Windows faces
// "ＭＳ ゴシック" (fixed pitch) and "ＭＳ Ｐゴシック" (proportional); on other systems the
// first installed face of the candidate list stands in for them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fw {

// Face names (UTF-8) to try in order for the face the program asks for: the face itself
// first, then its English name (as Windows outside Japan lists it), then the stand-ins (IPAGothic
// for "ＭＳ ゴシック", IPAPGothic for "ＭＳ Ｐゴシック"), then other Japanese Gothic faces.
std::vector<std::string> FontFaceCandidates(std::string_view face);

}  // namespace fw
