#include "WindowPlacement.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "FileCalls.h"
#include "PathText.h"

namespace {

// A whole number of at most seven digits with an optional minus sign; a desktop is
// nowhere near ten million pixels, and the limit keeps every sum below int's range.
std::optional<int> ParseNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 7) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

long long Overlap(const WindowPlacement& w, const ScreenArea& s) {
    const long long width = std::min(w.x + w.width, s.x + s.width) - std::max(w.x, s.x);
    const long long height = std::min(w.y + w.height, s.y + s.height) - std::max(w.y, s.y);
    return width > 0 && height > 0 ? width * height : 0;
}

// Moves [start, start + length) just far enough to lie within [from, from + room); when it
// is longer than the room it starts where the room does.
int ClampInto(int start, int length, int from, int room) {
    if (length >= room) {
        return from;
    }
    return std::clamp(start, from, from + room - length);
}

}  // namespace

std::optional<WindowPlacement> ParseWindowPlacement(std::string_view text) {
    std::optional<int> x, y, width, height;
    bool maximized = false;
    bool maximizedSeen = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        std::optional<int>* number = key == "x"        ? &x
                                     : key == "y"      ? &y
                                     : key == "width"  ? &width
                                     : key == "height" ? &height
                                                       : nullptr;
        if (number != nullptr) {
            if (!number->has_value()) {
                *number = ParseNumber(value);
                if (!number->has_value()) {
                    return std::nullopt;  // a damaged number: the whole file is suspect
                }
            }
        } else if (key == "maximized" && !maximizedSeen) {
            maximizedSeen = true;
            maximized = value == "1";
        }
    }
    if (!x || !y || !width || !height) {
        return std::nullopt;
    }
    return WindowPlacement{*x, *y, *width, *height, maximized};
}

std::string FormatWindowPlacement(const WindowPlacement& p) {
    return "x=" + std::to_string(p.x) + "\ny=" + std::to_string(p.y) +
           "\nwidth=" + std::to_string(p.width) + "\nheight=" + std::to_string(p.height) +
           "\nmaximized=" + (p.maximized ? "1" : "0") + "\n";
}

std::optional<WindowPlacement> ReadWindowPlacement(const std::string& path) {
    std::ifstream in(PathOf(path), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    // The file is a few dozen bytes; anything much longer is not ours.
    constexpr std::size_t kMaxBytes = 4096;
    std::string text(kMaxBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxBytes) {
        return std::nullopt;
    }
    return ParseWindowPlacement(text);
}

bool WriteWindowPlacement(const std::string& path, const WindowPlacement& placement) {
    // A temporary file of a free name beside it, synced, then renamed over it: the file is
    // never seen half-written.
    std::string temp;
    FileHandle fd = -1;
    for (int n = 0; fd < 0; ++n) {
        temp = path + ".tmp" + std::to_string(n);
        const int error = FileCreateNew(temp, fd);
        if (error != 0 && (error != EEXIST || n == 99)) {
            return false;
        }
    }
    const bool ok = FileWriteAll(fd, FormatWindowPlacement(placement)) == 0 && FileSync(fd) == 0;
    if (FileClose(fd) != 0 || !ok || FileRename(temp, path) != 0) {
        FileRemove(temp);
        return false;
    }
    return true;
}

WindowPlacement ClampWindowPlacement(WindowPlacement p, const std::vector<ScreenArea>& screens,
                                     int minWidth, int minHeight) {
    p.width = std::max(p.width, minWidth);
    p.height = std::max(p.height, minHeight);
    const ScreenArea* best = nullptr;
    long long bestOverlap = -1;
    for (const ScreenArea& screen : screens) {
        if (screen.width <= 0 || screen.height <= 0) {
            continue;
        }
        const long long overlap = Overlap(p, screen);
        if (overlap > bestOverlap) {
            best = &screen;
            bestOverlap = overlap;
        }
    }
    if (best == nullptr) {
        return p;
    }
    p.width = std::max(minWidth, std::min(p.width, best->width));
    p.height = std::max(minHeight, std::min(p.height, best->height));
    p.x = ClampInto(p.x, p.width, best->x, best->width);
    p.y = ClampInto(p.y, p.height, best->y, best->height);
    return p;
}
