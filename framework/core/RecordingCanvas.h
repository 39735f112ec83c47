// A Canvas that records every call, for tests of painting code.
//
// Each call becomes a CanvasCall holding what was asked (operation, box or points, text,
// flags, image) and the drawing state in force at that moment: font, pen, brush,
// background colour, text colour and background mode. For the Select/Set calls the state
// is the one after the call. The starting state is that of a fresh device context: no
// font selected (empty FontSpec), a black pen of width 0, a white brush, white background,
// black text, opaque background mode.
//
//   fw::RecordingCanvas canvas;
//   PaintMonth(canvas, ...);
//   const fw::CanvasCall* day = canvas.FindText("7");
//   ASSERT_NE(day, nullptr);
//   EXPECT_EQ(day->rect, (fw::Rect{21, 183, 48, 210}));
//   EXPECT_EQ(day->state.textColor, (fw::Rgb{255, 0, 0}));
//   EXPECT_EQ(day->state.font.height, 16);
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "Canvas.h"

namespace fw {

enum class CanvasOp {
    kSelectFont,
    kSelectPen,
    kSelectBrush,
    kSetBkColor,
    kSetTextColor,
    kSetBkMode,
    kFillRect,
    kRectangle,
    kLine,
    kEllipse,
    kPolygon,
    kDrawText,
    kTextOut,
    kDrawImage,
    kBlitToTarget,
};

// The drawing state of a canvas.
struct CanvasState {
    FontSpec font;
    PenSpec pen{0, {0, 0, 0}};
    BrushSpec brush{{255, 255, 255}, false};
    Rgb bkColor{255, 255, 255};
    Rgb textColor{0, 0, 0};
    bool bkTransparent = false;
    friend bool operator==(const CanvasState&, const CanvasState&) = default;
};

struct CanvasCall {
    CanvasOp op = CanvasOp::kBlitToTarget;
    // FillRect, Rectangle, Ellipse, DrawText: the box. Line: left/top = from,
    // right/bottom = to. TextOut and DrawImage: left/top = the point, right/bottom equal
    // to left/top.
    Rect rect;
    std::vector<Point> points;            // Polygon: its points; Line: from and to
    std::string text;                     // DrawText, TextOut: CP932 bytes
    unsigned flags = 0;                   // DrawText
    ImageId image = ImageId::kFromArrow;  // DrawImage
    CanvasState state;
};

class RecordingCanvas : public Canvas {
  public:
    void SelectFont(const FontSpec& font) override;
    void SelectPen(const PenSpec& pen) override;
    void SelectBrush(const BrushSpec& brush) override;
    void SetBkColor(Rgb color) override;
    void SetTextColor(Rgb color) override;
    void SetBkModeTransparent(bool transparent) override;
    void FillRect(const Rect& rect) override;
    void Rectangle(const Rect& rect) override;
    void Line(Point from, Point to) override;
    void Ellipse(const Rect& rect) override;
    void Polygon(const std::vector<Point>& points) override;
    void DrawText(std::string_view text, const Rect& box, unsigned flags) override;
    void TextOut(Point at, std::string_view text) override;
    // Not recorded. Every byte is half the selected font's height wide (a CP932 double-byte
    // character as wide as the font is high), 6 pixels when no font is selected.
    int TextWidth(std::string_view text) override;
    void DrawImage(ImageId image, Point at) override;
    void BlitToTarget() override;

    const std::vector<CanvasCall>& Calls() const { return m_calls; }
    const CanvasState& State() const { return m_state; }
    void Clear();

    // Calls of one operation, in call order.
    std::vector<const CanvasCall*> Find(CanvasOp op) const;
    // DrawText and TextOut calls whose text is exactly text (CP932 bytes).
    std::vector<const CanvasCall*> FindTexts(std::string_view text) const;
    // The first such call, or nullptr.
    const CanvasCall* FindText(std::string_view text) const;
    // Shape and text calls (not Select/Set/Blit) whose box equals rect.
    std::vector<const CanvasCall*> FindAt(const Rect& rect) const;
    size_t Count(CanvasOp op) const;
    // Index of a call in Calls(), to assert the order of two calls.
    size_t IndexOf(const CanvasCall* call) const;

  private:
    CanvasCall& Record(CanvasOp op);

    CanvasState m_state;
    std::vector<CanvasCall> m_calls;
};

}  // namespace fw
