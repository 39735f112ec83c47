#include "TextFit.h"

#include <cstddef>
#include <vector>

#include "Cp932.h"

std::string FitText(fw::Canvas& canvas, std::string_view cp932, int width) {
    const int whole = canvas.TextWidth(cp932);
    if (whole <= width) {
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
    // Widths grow with the characters kept, so the answer is the most characters k with
    // fits(k); at most all but the last, since the whole text did not fit. Every label the
    // month cuts costs measurements (each a text layout of the toolkit), so the search
    // starts where the whole text's width puts it, each byte taking an equal share and "…"
    // two, and looks at that count and its neighbour first: in the faces of the month the
    // guess is right or a character off, two measurements beside the whole text's instead
    // of a search by halves, which finishes the other cases.
    const double perByte = static_cast<double>(whole) / static_cast<double>(cp932.size());
    const size_t most = starts.size() - 1;
    size_t guess = 0;
    while (guess < most && (static_cast<double>(starts[guess + 1]) + 2) * perByte <= width) {
        ++guess;
    }
    // Every count up to `kept` fits (none when it is -1), none above `high` does.
    ptrdiff_t kept = -1;
    ptrdiff_t high = static_cast<ptrdiff_t>(most);
    const auto look = [&](ptrdiff_t characters) {
        if (fits(static_cast<size_t>(characters))) {
            kept = characters;
        } else {
            high = characters - 1;
        }
    };
    const auto at = static_cast<ptrdiff_t>(guess);
    look(at);
    if (kept == at && at < high) {
        look(at + 1);
    } else if (kept < at && at > 0) {
        look(at - 1);
    }
    while (kept < high) {
        look(kept + (high - kept + 1) / 2);
    }
    return kept < 0 ? std::string() : cut(static_cast<size_t>(kept));
}
