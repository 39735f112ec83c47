// The main window's size and place between runs, in the program's own small settings file
// in the user's configuration folder (UserConfigFolder() + kWindowSettingsFile). The file
// is the program's alone: kelnova.ini, which the user edits, is only ever read.
//
//   x=120
//   y=80
//   width=1200
//   height=700
//   maximized=0
//
// x and y are the window's place on the desktop, width and height its client size, all in
// the desktop's logical pixels. Lines end with LF or CR LF; unknown keys are ignored and
// the first line with a key wins. A file that lacks one of the four numbers or holds one
// that is not a whole number of at most seven digits counts as no file: the window starts
// at its default size and place. What was read is then corrected by ClampWindowPlacement,
// so a damaged or outdated file can never hide the window or make it unusably small.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kWindowSettingsFile = "pemdaro.ini";

struct WindowPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// One display's usable area (its work area) on the desktop.
struct ScreenArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

std::optional<WindowPlacement> ParseWindowPlacement(std::string_view text);
std::string FormatWindowPlacement(const WindowPlacement& placement);

// nullopt when the file is missing, unreadable or not a placement (see above).
std::optional<WindowPlacement> ReadWindowPlacement(const std::string& path);
// Writes the file whole or not at all: a temporary file beside it, flushed to the disk and
// renamed over it. False (and the old file untouched) when any step fails.
bool WriteWindowPlacement(const std::string& path, const WindowPlacement& placement);

// The placement made usable on the displays there are now:
// - width and height are at least the minimum, and at most the size of the display the
//   window ends up on (but never below the minimum);
// - the display is the one the window overlaps most, or the first one (the primary
//   display) when it overlaps none, and the window is moved just far enough to lie
//   inside that display's area whole; a window larger than the area keeps its top left
//   corner at the area's.
// Without any display (areas empty or of no size) only the minimum is applied.
WindowPlacement ClampWindowPlacement(WindowPlacement placement,
                                     const std::vector<ScreenArea>& screens, int minWidth,
                                     int minHeight);
