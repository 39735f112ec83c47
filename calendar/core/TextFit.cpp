#include "TextFit.h"

#include <algorithm>
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
    // two, and steps from there by one, one, then doubling steps: in the faces of the month
    // that guess is right or a character off, two or three measurements beside the whole
    // text's instead of a search by halves; a wrong guess costs about twice the halving.
    const double perByte = static_cast<double>(whole) / static_cast<double>(cp932.size());
    const size_t most = starts.size() - 1;
    size_t guess = 0;
    while (guess < most && (static_cast<double>(starts[guess + 1]) + 2) * perByte <= width) {
        ++guess;
    }
    size_t low = 0;   // a count known to fit
    size_t high = 0;  // the answer is at most this
    size_t step = 1;
    int probes = 0;
    if (fits(guess)) {
        low = guess;
        high = most;
        while (low < high) {
            const size_t probe = std::min(low + step, high);
            if (!fits(probe)) {
                high = probe - 1;
                break;
            }
            low = probe;
            step = ++probes >= 2 ? 2 * step : step;
        }
    } else {
        if (guess == 0) {
            return std::string();  // not even "…" fits
        }
        high = guess - 1;
        for (;;) {
            const size_t probe = high + 1 > step ? high + 1 - step : 0;
            if (fits(probe)) {
                low = probe;
                break;
            }
            if (probe == 0) {
                return std::string();
            }
            high = probe - 1;
            step = ++probes >= 2 ? 2 * step : step;
        }
    }
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
