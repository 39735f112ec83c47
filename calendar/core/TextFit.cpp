#include "TextFit.h"

#include <vector>

#include "Cp932.h"

std::string FitText(fw::Canvas& canvas, std::string_view cp932, int width) {
    if (canvas.TextWidth(cp932) <= width) {
        return std::string(cp932);
    }
    // The byte offset at which each character starts.
    std::vector<size_t> starts;
    for (size_t i = 0; i < cp932.size();) {
        starts.push_back(i);
        const bool pair =
            Cp932IsLeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size();
        i += pair ? 2 : 1;
    }
    if (starts.empty()) {
        return std::string();  // an empty text with no room at all
    }
    const auto cut = [&](size_t characters) {
        std::string shown(cp932.substr(0, starts[characters]));
        shown += kEllipsisCp932;
        return shown;
    };
    const auto fits = [&](size_t characters) { return canvas.TextWidth(cut(characters)) <= width; };
    if (!fits(0)) {
        return std::string();
    }
    // Widths grow with the characters kept; the search keeps the most that fit. The whole
    // text did not fit, so at most all but the last character stay.
    size_t low = 0;
    size_t high = starts.size() - 1;
    while (low < high) {
        const size_t middle = low + (high - low + 1) / 2;
        if (fits(middle)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return cut(low);
}
