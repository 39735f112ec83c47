#include "WxCanvas.h"

#include <wx/brush.h>
#include <wx/graphics.h>
#include <wx/pen.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <typeinfo>
#include <unordered_map>

#include "Fonts.h"
#include "TextConv.h"
#include "WxImages.h"

namespace fw {
namespace {

wxColour ToWx(Rgb c) {
    return wxColour(c.r, c.g, c.b);
}

// A single-line text: line breaks would start new lines in wx, so they are shown as blanks.
wxString SingleLine(std::string_view cp932) {
    wxString text = Cp932ToWx(cp932);
    text.Replace("\r", " ");
    text.Replace("\n", " ");
    return text;
}

// Text extents measured, by font, DC, scale and text. The same text in the same font on the
// same kind of DC measures the same every time, so a month painted again (after an edit, a
// dialog closed over it, a return to it) lays out again only the texts it did not show
// before. Used from the window's thread only; emptied whenever it holds kMaxTexts, so it
// stays under a megabyte or two.
std::unordered_map<std::string, wxSize>& MeasuredTexts() {
    static auto& measured = *new std::unordered_map<std::string, wxSize>;
    return measured;
}
constexpr size_t kMaxTexts = 4096;

// What the kept measurements of a DC are filed under first: its kind and resolution.
std::string DcKey(wxDC& dc) {
    const wxSize ppi = dc.GetPPI();
    return std::string(typeid(dc).name()) + '\t' + std::to_string(ppi.x) + 'x' +
           std::to_string(ppi.y) + '\t';
}

// The toolkit's description of a font, asked once per font: the canvases select only fonts
// of FontFromSpec, which live as long as the program, so their addresses name them.
const std::string& FontDescription(const wxFont& font) {
    static auto& described = *new std::unordered_map<const wxFont*, std::string>;
    const auto [it, added] = described.try_emplace(&font);
    if (added) {
        it->second = WxToUtf8(font.GetNativeFontInfoDesc()) + '\t';
    }
    return it->second;
}

}  // namespace

void ForgetMeasuredTexts() {
    MeasuredTexts().clear();
}

WxCanvas::WxCanvas(wxDC& dc, wxDC* target, wxSize size)
    : m_dc(dc), m_target(target), m_size(size == wxDefaultSize ? dc.GetSize() : size) {
    // Shapes with hard pixel edges, as the program's pixel positions expect. Texts are drawn
    // smoothed (DrawTextAt): without it small kanji lose their strokes.
    if (wxGraphicsContext* gc = m_dc.GetGraphicsContext()) {
        gc->SetAntialiasMode(wxANTIALIAS_NONE);
    }
    m_dcKey = DcKey(m_dc);
    SelectFont(FontSpec{});
    m_dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    ApplyPenAndBrush();
}

void WxCanvas::ApplyPenAndBrush() {
    m_dc.SetPen(wxPen(ToWx(m_pen.color), m_pen.width > 0 ? m_pen.width : 1));
    m_dc.SetBrush(m_brush.hollow ? *wxTRANSPARENT_BRUSH : wxBrush(ToWx(m_brush.color)));
}

void WxCanvas::SelectFont(const FontSpec& font) {
    const wxFont& selected = FontFromSpec(font);
    m_dc.SetFont(selected);
    m_fontDescription = &FontDescription(selected);
}

wxSize WxCanvas::Extent(std::string_view cp932, const wxString* shown) {
    double scale[2] = {1.0, 1.0};
    m_dc.GetUserScale(&scale[0], &scale[1]);
    m_key.assign(m_dcKey);
    m_key.append(*m_fontDescription);
    m_key.append(reinterpret_cast<const char*>(scale), sizeof scale);
    m_key.append(cp932);
    auto& measured = MeasuredTexts();
    if (const auto it = measured.find(m_key); it != measured.end()) {
        return it->second;
    }
    const wxSize extent = m_dc.GetTextExtent(shown != nullptr ? *shown : SingleLine(cp932));
    if (measured.size() >= kMaxTexts) {
        measured.clear();
    }
    measured.emplace(m_key, extent);
    return extent;
}

void WxCanvas::SelectPen(const PenSpec& pen) {
    m_pen = pen;
    ApplyPenAndBrush();
}

void WxCanvas::SelectBrush(const BrushSpec& brush) {
    m_brush = brush;
    ApplyPenAndBrush();
}

void WxCanvas::SetBkColor(Rgb color) {
    m_bkColor = color;
}

void WxCanvas::SetTextColor(Rgb color) {
    m_textColor = color;
}

void WxCanvas::SetBkModeTransparent(bool transparent) {
    m_bkTransparent = transparent;
}

void WxCanvas::FillRect(const Rect& rect) {
    if (m_brush.hollow || rect.Width() <= 0 || rect.Height() <= 0) {
        return;
    }
    m_dc.SetPen(*wxTRANSPARENT_PEN);
    m_dc.DrawRectangle(rect.left, rect.top, rect.Width(), rect.Height());
    ApplyPenAndBrush();
}

void WxCanvas::Rectangle(const Rect& rect) {
    m_dc.DrawRectangle(rect.left, rect.top, rect.Width(), rect.Height());
}

void WxCanvas::Line(Point from, Point to) {
    if (from.y == to.y || from.x == to.x) {
        if (from == to) {
            return;
        }
        // Horizontal and vertical lines as exact bands of the pen's width.
        const Rect band = LineBand(from, to, m_pen.width);
        m_dc.SetPen(*wxTRANSPARENT_PEN);
        m_dc.SetBrush(wxBrush(ToWx(m_pen.color)));
        m_dc.DrawRectangle(band.left, band.top, band.Width(), band.Height());
        ApplyPenAndBrush();
        return;
    }
    // A slanted line stops one step short of its last point along its longer axis.
    const int dx = to.x - from.x;
    const int dy = to.y - from.y;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    const int endX = from.x + static_cast<int>(std::lround(dx * (steps - 1) / double(steps)));
    const int endY = from.y + static_cast<int>(std::lround(dy * (steps - 1) / double(steps)));
    m_dc.DrawLine(from.x, from.y, endX, endY);
}

void WxCanvas::Ellipse(const Rect& rect) {
    // wx draws the outline on the last column and row as well: one less keeps the
    // ellipse inside its box's exclusive edges, as every other shape.
    if (rect.Width() <= 1 || rect.Height() <= 1) {
        return;
    }
    m_dc.DrawEllipse(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1);
}

void WxCanvas::Polygon(const std::vector<Point>& points) {
    if (points.empty()) {
        return;
    }
    std::vector<wxPoint> wx;
    wx.reserve(points.size());
    for (const Point& p : points) {
        wx.emplace_back(p.x, p.y);
    }
    m_dc.DrawPolygon(static_cast<int>(wx.size()), wx.data(), 0, 0, wxODDEVEN_RULE);
}

void WxCanvas::DrawTextAt(int x, int y, const wxString& text, const wxSize& extent) {
    if (!m_bkTransparent) {
        m_dc.SetPen(*wxTRANSPARENT_PEN);
        m_dc.SetBrush(wxBrush(ToWx(m_bkColor)));
        m_dc.DrawRectangle(x, y, extent.x, extent.y);
        ApplyPenAndBrush();
    }
    m_dc.SetTextForeground(ToWx(m_textColor));
    // The context's antialiasing governs its texts too: a text drawn without it loses the
    // strokes of small kanji (設計 becomes a blot, 金 reads as 全). Texts take the toolkit's
    // font rendering (greyscale or subpixel smoothing and hinting as the desktop sets them),
    // shapes keep their hard edges.
    wxGraphicsContext* gc = m_dc.GetGraphicsContext();
    if (gc == nullptr) {
        m_dc.DrawText(text, x, y);
        return;
    }
    gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
    double scaleX = 1.0;
    double scaleY = 1.0;
    m_dc.GetUserScale(&scaleX, &scaleY);
    if (scaleX > 0 && scaleY > 0 && m_dc.GetLayoutDirection() != wxLayout_RightToLeft) {
        // What the DC's DrawText does for a single line, left to right, without the
        // measurement it adds for the DC's bounding box (which the program never asks
        // for): a third layout of every label by the toolkit, after the two for its fit
        // and its place.
        const wxCompositionMode mode = gc->GetCompositionMode();
        gc->SetCompositionMode(wxCOMPOSITION_OVER);
        gc->DrawText(text, x, y);
        gc->SetCompositionMode(mode);
    } else {
        m_dc.DrawText(text, x, y);
    }
    gc->SetAntialiasMode(wxANTIALIAS_NONE);
}

void WxCanvas::DrawText(std::string_view text, const Rect& box, unsigned flags) {
    const wxString shown = SingleLine(text);
    const wxSize extent = Extent(text, &shown);
    const int x = (flags & kTextCenter) ? (box.left + box.right - extent.x) / 2 : box.left;
    DrawTextAt(x, box.top, shown, extent);
}

void WxCanvas::TextOut(Point at, std::string_view text) {
    const wxString shown = SingleLine(text);
    DrawTextAt(at.x, at.y, shown, Extent(text, &shown));
}

int WxCanvas::TextWidth(std::string_view text) {
    return Extent(text, nullptr).x;
}

void WxCanvas::DrawImage(ImageId image, Point at) {
    const wxBitmap& bitmap = CanvasImage(image);
    if (bitmap.IsOk()) {
        m_dc.DrawBitmap(bitmap, at.x, at.y, true);
    }
}

void WxCanvas::BlitToTarget() {
    if (m_target) {
        // The whole surface as it is, whatever scale and origin the painting used.
        double scaleX = 1.0;
        double scaleY = 1.0;
        m_dc.GetUserScale(&scaleX, &scaleY);
        const wxPoint origin = m_dc.GetDeviceOrigin();
        m_dc.SetUserScale(1.0, 1.0);
        m_dc.SetDeviceOrigin(0, 0);
        m_target->Blit(0, 0, m_size.x, m_size.y, &m_dc, 0, 0);
        m_dc.SetUserScale(scaleX, scaleY);
        m_dc.SetDeviceOrigin(origin.x, origin.y);
    }
}

}  // namespace fw
