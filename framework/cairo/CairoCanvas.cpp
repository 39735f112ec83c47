#include "CairoCanvas.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

#include "Cp932.h"
#include "FontFaces.h"
#include "Resources.h"

namespace fw {
namespace {

// The families fontconfig offers, read once.
const std::set<std::string>& InstalledFamilies() {
    static const std::set<std::string>& families = *[] {
        auto* names = new std::set<std::string>;
        PangoFontFamily** list = nullptr;
        int count = 0;
        pango_font_map_list_families(pango_cairo_font_map_get_default(), &list, &count);
        for (int i = 0; i < count; ++i) {
            names->insert(pango_font_family_get_name(list[i]));
        }
        g_free(list);
        return names;
    }();
    return families;
}

// One line: line breaks would start new lines, so they show as blanks.
std::string SingleLineUtf8(std::string_view cp932) {
    std::string text = Cp932ToUtf8Lossy(cp932);
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}  // namespace

std::string CairoCanvas::ResolveFamily(const std::string& face) {
    const std::set<std::string>& installed = InstalledFamilies();
    for (const std::string& candidate : FontFaceCandidates(face)) {
        if (installed.count(candidate) != 0) {
            return candidate;
        }
    }
    return face;
}

CairoCanvas::CairoCanvas(cairo_t* cr) : m_cr(cr), m_layout(pango_cairo_create_layout(cr)) {
    // Metrics of the outlines themselves, not of a screen's grid: the same widths at every
    // scale.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(pango_layout_get_context(m_layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(m_layout);
    SelectFont(FontSpec{});
}

CairoCanvas::~CairoCanvas() {
    for (auto& [key, description] : m_fonts) {
        pango_font_description_free(description);
    }
    g_object_unref(m_layout);
}

void CairoCanvas::SelectFont(const FontSpec& font) {
    // An empty FontSpec is the system font of a fresh device context.
    const std::string face = font.face.empty() ? "ＭＳ Ｐゴシック" : font.face;
    const int cell = font.height > 0 ? font.height : 12;
    const auto key = std::make_tuple(face, cell, font.weight);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end()) {
        PangoFontDescription* description = pango_font_description_new();
        pango_font_description_set_family(description, ResolveFamily(face).c_str());
        pango_font_description_set_weight(
            description, font.weight >= 700 ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        // The size whose line is `cell` units high: measured at `cell`, then scaled.
        pango_font_description_set_absolute_size(description, cell * PANGO_SCALE);
        pango_layout_set_font_description(m_layout, description);
        double width = 0, height = 0;
        SetLayoutText("\x8d\x91", width, height);  // 国
        if (height > 0) {
            pango_font_description_set_absolute_size(description,
                                                     cell * cell / height * PANGO_SCALE);
        }
        it = m_fonts.emplace(key, description).first;
    }
    pango_layout_set_font_description(m_layout, it->second);
}

void CairoCanvas::SelectPen(const PenSpec& pen) {
    m_pen = pen;
}

void CairoCanvas::SelectBrush(const BrushSpec& brush) {
    m_brush = brush;
}

void CairoCanvas::SetBkColor(Rgb color) {
    m_bkColor = color;
}

void CairoCanvas::SetTextColor(Rgb color) {
    m_textColor = color;
}

void CairoCanvas::SetBkModeTransparent(bool transparent) {
    m_bkTransparent = transparent;
}

void CairoCanvas::SetSource(Rgb color) {
    cairo_set_source_rgb(m_cr, color.r / 255.0, color.g / 255.0, color.b / 255.0);
}

// Fills the current path with the brush (when asked and not hollow), then outlines it
// with the pen; the path is used up.
void CairoCanvas::FillAndStroke(bool fill) {
    if (fill && !m_brush.hollow) {
        SetSource(m_brush.color);
        cairo_fill_preserve(m_cr);
    }
    SetSource(m_pen.color);
    cairo_set_line_width(m_cr, m_pen.width > 1 ? m_pen.width : 1);
    cairo_stroke(m_cr);
}

void CairoCanvas::FillRect(const Rect& rect) {
    if (m_brush.hollow || rect.Width() <= 0 || rect.Height() <= 0) {
        return;
    }
    SetSource(m_brush.color);
    cairo_rectangle(m_cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_fill(m_cr);
}

void CairoCanvas::Rectangle(const Rect& rect) {
    if (rect.Width() <= 0 || rect.Height() <= 0) {
        return;
    }
    if (!m_brush.hollow) {
        SetSource(m_brush.color);
        cairo_rectangle(m_cr, rect.left, rect.top, rect.Width(), rect.Height());
        cairo_fill(m_cr);
    }
    // The outline on the rectangle's outer pixels, as a device context draws it.
    const double width = m_pen.width > 1 ? m_pen.width : 1;
    const double inset = std::min({width / 2, rect.Width() / 2.0, rect.Height() / 2.0});
    cairo_rectangle(m_cr, rect.left + inset, rect.top + inset, rect.Width() - 2 * inset,
                    rect.Height() - 2 * inset);
    FillAndStroke(false);
}

void CairoCanvas::Line(Point from, Point to) {
    if (from == to) {
        return;
    }
    if (from.y == to.y || from.x == to.x) {
        // Horizontal and vertical lines as exact bands of the pen's width.
        const Rect band = LineBand(from, to, m_pen.width);
        SetSource(m_pen.color);
        cairo_rectangle(m_cr, band.left, band.top, band.Width(), band.Height());
        cairo_fill(m_cr);
        return;
    }
    // Through the pixels' centres, stopping one step short along the longer axis.
    const int dx = to.x - from.x;
    const int dy = to.y - from.y;
    const double steps = std::max(std::abs(dx), std::abs(dy));
    cairo_move_to(m_cr, from.x + 0.5, from.y + 0.5);
    cairo_line_to(m_cr, from.x + 0.5 + dx * (steps - 1) / steps,
                  from.y + 0.5 + dy * (steps - 1) / steps);
    FillAndStroke(false);
}

void CairoCanvas::Ellipse(const Rect& rect) {
    if (rect.Width() <= 1 || rect.Height() <= 1) {
        return;
    }
    // Through the centres of the rectangle's outer pixels.
    cairo_save(m_cr);
    cairo_translate(m_cr, rect.left + rect.Width() / 2.0, rect.top + rect.Height() / 2.0);
    cairo_scale(m_cr, (rect.Width() - 1) / 2.0, (rect.Height() - 1) / 2.0);
    cairo_new_path(m_cr);
    cairo_arc(m_cr, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(m_cr);
    FillAndStroke(true);
}

void CairoCanvas::Polygon(const std::vector<Point>& points) {
    if (points.empty()) {
        return;
    }
    cairo_new_path(m_cr);
    for (const Point& p : points) {
        cairo_line_to(m_cr, p.x + 0.5, p.y + 0.5);
    }
    cairo_close_path(m_cr);
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
    FillAndStroke(true);
}

void CairoCanvas::SetLayoutText(std::string_view cp932, double& width, double& height) {
    const std::string text = SingleLineUtf8(cp932);
    pango_layout_set_text(m_layout, text.c_str(), static_cast<int>(text.size()));
    PangoRectangle logical;
    pango_layout_get_extents(m_layout, nullptr, &logical);
    width = static_cast<double>(logical.width) / PANGO_SCALE;
    height = static_cast<double>(logical.height) / PANGO_SCALE;
}

void CairoCanvas::DrawTextAt(double x, double y, double width, double height) {
    if (!m_bkTransparent) {
        SetSource(m_bkColor);
        cairo_rectangle(m_cr, x, y, width, height);
        cairo_fill(m_cr);
    }
    SetSource(m_textColor);
    cairo_move_to(m_cr, x, y);
    pango_cairo_show_layout(m_cr, m_layout);
    cairo_new_path(m_cr);
}

void CairoCanvas::DrawText(std::string_view text, const Rect& box, unsigned flags) {
    double width = 0, height = 0;
    SetLayoutText(text, width, height);
    const double x = (flags & kTextCenter) ? (box.left + box.right - width) / 2 : box.left;
    DrawTextAt(x, box.top, width, height);
}

void CairoCanvas::TextOut(Point at, std::string_view text) {
    double width = 0, height = 0;
    SetLayoutText(text, width, height);
    DrawTextAt(at.x, at.y, width, height);
}

int CairoCanvas::TextWidth(std::string_view text) {
    double width = 0, height = 0;
    SetLayoutText(text, width, height);
    return static_cast<int>(std::lround(width));
}

void CairoCanvas::DrawImage(ImageId image, Point at) {
    const res::IndexedImage* source = res::FindBitmap(static_cast<int>(image));
    if (source == nullptr) {
        return;
    }
    // Pixel by pixel, the transparent ones left out.
    for (int y = 0; y < source->height; ++y) {
        for (int x = 0; x < source->width; ++x) {
            if (source->IsTransparent(x, y)) {
                continue;
            }
            SetSource(source->PixelAt(x, y));
            cairo_rectangle(m_cr, at.x + x, at.y + y, 1, 1);
            cairo_fill(m_cr);
        }
    }
}

}  // namespace fw
