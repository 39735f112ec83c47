// The drawing operations the program paints with, free of any toolkit.
//
// A painter draws into a Canvas as into an off-screen device context: objects are
// selected, then shapes and texts drawn with them, then BlitToTarget copies the whole
// surface to the window in one block transfer. WxCanvas (framework/) draws with wx;
// RecordingCanvas records every call so tests can assert operations, boxes and colours.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Left, top, right, bottom; right and bottom are exclusive.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The pixels a horizontal or vertical line covers: a band of the pen's width (0 or 1: one
// pixel) from its first point up to, not including, its last point. Empty for a point.
inline Rect LineBand(Point from, Point to, int penWidth) {
    const int width = penWidth > 1 ? penWidth : 1;
    if (from == to) {
        return Rect{};
    }
    if (from.y == to.y) {
        const int left = from.x < to.x ? from.x : to.x + 1;
        const int right = from.x < to.x ? to.x : from.x + 1;
        return Rect{left, from.y - width / 2, right, from.y - width / 2 + width};
    }
    const int top = from.y < to.y ? from.y : to.y + 1;
    const int bottom = from.y < to.y ? to.y : from.y + 1;
    return Rect{from.x - width / 2, top, from.x - width / 2 + width, bottom};
}

// A font by face name (UTF-8, e.g. "ＭＳ ゴシック"), cell height in pixels and weight
// (400 normal, 700 bold).
struct FontSpec {
    std::string face;
    int height = 0;
    int weight = 400;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// A solid pen; width 0 draws one pixel wide.
struct PenSpec {
    int width = 0;
    Rgb color;
    friend bool operator==(const PenSpec&, const PenSpec&) = default;
};

// A solid brush, or the hollow brush that fills nothing.
struct BrushSpec {
    Rgb color;
    bool hollow = false;
    friend bool operator==(const BrushSpec&, const BrushSpec&) = default;
};

// Text flags with the values the platform gives them.
enum TextFlag : unsigned {
    kTextLeft = 0x0,
    kTextCenter = 0x1,
    kTextSingleLine = 0x20,
    kTextNoClip = 0x100,
};

// Images that the program draws from its resources.
enum class ImageId { kFromArrow = 136, kToArrow = 137 };

class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual void SelectFont(const FontSpec& font) = 0;
    virtual void SelectPen(const PenSpec& pen) = 0;
    virtual void SelectBrush(const BrushSpec& brush) = 0;
    void SelectHollowBrush() { SelectBrush(BrushSpec{{}, true}); }

    virtual void SetBkColor(Rgb color) = 0;
    virtual void SetTextColor(Rgb color) = 0;
    // Opaque (the default) draws every text on a box of the background colour.
    virtual void SetBkModeTransparent(bool transparent) = 0;

    // Fills the rectangle with the current brush; no outline.
    virtual void FillRect(const Rect& rect) = 0;
    // Outline with the current pen, inside filled with the current brush.
    virtual void Rectangle(const Rect& rect) = 0;
    virtual void Line(Point from, Point to) = 0;
    virtual void Ellipse(const Rect& rect) = 0;
    virtual void Polygon(const std::vector<Point>& points) = 0;

    // Texts are CP932 bytes, as the program holds them.
    virtual void DrawText(std::string_view text, const Rect& box, unsigned flags) = 0;
    virtual void TextOut(Point at, std::string_view text) = 0;
    // Width in pixels of a single-line text in the selected font.
    virtual int TextWidth(std::string_view text) = 0;
    // Draws a resource image with its transparent colour left out.
    virtual void DrawImage(ImageId image, Point at) = 0;

    // Copies the whole surface to the target at (0, 0) in one block transfer.
    virtual void BlitToTarget() = 0;
};

}  // namespace fw
