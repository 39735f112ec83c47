// The Canvas on a cairo context, with pango for the texts: the month on paper without the
// toolkit (a PDF page written by the command line, where no display may exist).
//
// Coordinates are the painter's pixels in the context's user space; the caller sets the
// transformation that places them on the page before the canvas is made. Pens, brushes
// and texts behave as on WxCanvas: the state starts as in a fresh device context (black
// pen of width 0, white brush, white background, black text, opaque text background), a
// text is one line anchored at the top of its box, and a FontSpec's height is the height
// of the text's cell. Faces are looked up through FontFaceCandidates among the families
// fontconfig knows. Texts are CP932; bytes that are not CP932 show as U+FFFD.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "Canvas.h"

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoFontDescription PangoFontDescription;

namespace fw {

class CairoCanvas : public Canvas {
  public:
    // cr must outlive the canvas; its transformation stays as it was when the canvas was
    // made.
    explicit CairoCanvas(cairo_t* cr);
    ~CairoCanvas() override;
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

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
    int TextWidth(std::string_view text) override;
    void DrawImage(ImageId image, Point at) override;
    // The page is the surface itself: nothing to copy.
    void BlitToTarget() override {}

    // The family a face name stands for here (the first installed candidate), UTF-8; the
    // name itself when none is installed.
    static std::string ResolveFamily(const std::string& face);

  private:
    // Sets the layout's text and returns its logical width and height in user units.
    void SetLayoutText(std::string_view cp932, double& width, double& height);
    void DrawTextAt(double x, double y, double width, double height);
    void SetSource(Rgb color);
    void FillAndStroke(bool fill);

    cairo_t* m_cr;
    PangoLayout* m_layout;
    // By face, cell height and weight.
    std::map<std::tuple<std::string, int, int>, PangoFontDescription*> m_fonts;
    PenSpec m_pen{0, {0, 0, 0}};
    BrushSpec m_brush{{255, 255, 255}, false};
    Rgb m_bkColor{255, 255, 255};
    Rgb m_textColor{0, 0, 0};
    bool m_bkTransparent = false;
};

}  // namespace fw
