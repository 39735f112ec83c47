#include "FontFaces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The order in which faces are tried: the named face, its English name where Windows may
// list only that, then the Japanese stand-ins of the same pitch first.
TEST(FontFacesTest, CandidatesKeepTheNamedFaceFirstThenItsEnglishNameThenStandIns) {
    struct Case {
        std::string face;
        std::vector<std::string> first;       // the candidates' beginning
        std::string fixedBeforeProportional;  // which of the two IPA faces comes first
    };
    const Case cases[] = {
        {"ＭＳ Ｐゴシック", {"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic"}, "IPAPGothic"},
        {"ＭＳ ゴシック", {"ＭＳ ゴシック", "MS Gothic", "IPAGothic"}, "IPAGothic"},
        {"MS PGothic", {"MS PGothic", "IPAPGothic"}, "IPAPGothic"},
        {"IPAGothic", {"IPAGothic", "IPAexGothic"}, "IPAGothic"},
        {"", {"IPAGothic"}, "IPAGothic"},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> faces = fw::FontFaceCandidates(c.face);
        ASSERT_GE(faces.size(), c.first.size()) << c.face;
        EXPECT_EQ(std::vector<std::string>(faces.begin(), faces.begin() + c.first.size()), c.first)
            << c.face;
        // No face is tried twice.
        for (size_t i = 0; i < faces.size(); ++i) {
            for (size_t j = i + 1; j < faces.size(); ++j) {
                EXPECT_NE(faces[i], faces[j]) << c.face;
            }
        }
        const auto ipa = std::find_if(faces.begin(), faces.end(), [](const std::string& f) {
            return f == "IPAGothic" || f == "IPAPGothic";
        });
        ASSERT_NE(ipa, faces.end()) << c.face;
        EXPECT_EQ(*ipa, c.fixedBeforeProportional) << c.face;
    }
}

}  // namespace
