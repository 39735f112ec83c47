// The Canvas on a wx device context.
//
// The view paints into a wxMemoryDC holding a bitmap of its client size and passes the
// window's paint DC as the target; BlitToTarget copies the bitmap there in one transfer.
// A dialog painting straight onto its window passes its wxPaintDC and no target. The dc may
// be scaled and its origin moved (a view fitted to its window); BlitToTarget still copies
// the whole surface unscaled.
//
// The state starts as in a fresh device context: black pen of width 0, white brush, white
// background, black text, opaque background mode, and the system font (an empty FontSpec:
// "ＭＳ Ｐゴシック" at 12 pixels). Texts are CP932 and are converted for display only
// (bytes that are not CP932 show as U+FFFD).
#pragma once

#include <wx/dc.h>

#include <string>
#include <string_view>

#include "Canvas.h"

// On Windows, <windows.h> (through the toolkit's headers) makes TextOut a macro for
// TextOutW: included between Canvas.h and this header, it would rename the override below
// and not the method it overrides.
#ifdef TextOut
#undef TextOut
#endif

namespace fw {

// Forgets the text extents every WxCanvas keeps across paints (for the painting benchmark's
// first paint of a month; the program never needs to).
void ForgetMeasuredTexts();

class WxCanvas : public Canvas {
  public:
    // dc: where everything is drawn. target: where BlitToTarget copies the area of size
    // (the dc's size when not given) at (0, 0); nullptr makes BlitToTarget do nothing.
    explicit WxCanvas(wxDC& dc, wxDC* target = nullptr, wxSize size = wxDefaultSize);

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
    // Single line, never clipped, anchored at the top of the box; kTextCenter centres it
    // horizontally in the box (x = (left + right - text width) / 2), otherwise it starts
    // at the box's left. In opaque mode the text's own box is filled with the background
    // colour first.
    void DrawText(std::string_view text, const Rect& box, unsigned flags) override;
    void TextOut(Point at, std::string_view text) override;
    int TextWidth(std::string_view text) override;
    void DrawImage(ImageId image, Point at) override;
    void BlitToTarget() override;

  private:
    void DrawTextAt(int x, int y, const wxString& text, const wxSize& extent);
    void ApplyPenAndBrush();
    // The extent of a text in the selected font, from the measurements kept across paints
    // (a label is measured to fit it into its room and then again to be drawn, and a repaint
    // shows mostly the texts of the paint before; each measurement lays the text out anew in
    // the toolkit).
    // shown: the text as converted for display, or nullptr to convert it only when measured.
    wxSize Extent(std::string_view cp932, const wxString* shown);

    // What the kept measurements are filed under: the kind of DC and its resolution, and
    // the selected font as the toolkit describes it.
    std::string m_dcKey;
    const std::string* m_fontDescription = nullptr;
    std::string m_key;  // reused for each look-up
    wxDC& m_dc;
    wxDC* m_target;
    wxSize m_size;
    PenSpec m_pen{0, {0, 0, 0}};
    BrushSpec m_brush{{255, 255, 255}, false};
    Rgb m_bkColor{255, 255, 255};
    Rgb m_textColor{0, 0, 0};
    bool m_bkTransparent = false;
};

}  // namespace fw
