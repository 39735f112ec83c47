#include "WxImages.h"

#include <wx/image.h>

#include <map>

#include "Resources.h"

namespace fw {
namespace {

// The image's pixels; transparent pixels ('.') get an alpha of 0 when withAlpha is set.
wxImage ToImage(const res::IndexedImage& source, bool withAlpha) {
    wxImage image(source.width, source.height, false);
    if (withAlpha) {
        image.InitAlpha();
    }
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            const Rgb c = source.PixelAt(x, y);
            image.SetRGB(x, y, c.r, c.g, c.b);
            if (withAlpha) {
                image.SetAlpha(x, y, source.IsTransparent(x, y) ? 0 : 255);
            }
        }
    }
    return image;
}

}  // namespace

wxBitmap LoadResourceBitmap(int id) {
    const res::IndexedImage* source = res::FindBitmap(id);
    return source ? wxBitmap(ToImage(*source, false)) : wxBitmap();
}

wxIconBundle LoadResourceIcons(int id) {
    wxIconBundle bundle;
    for (int size : {32, 16}) {
        if (const res::IndexedImage* source = res::FindIcon(id, size)) {
            wxIcon icon;
            icon.CopyFromBitmap(wxBitmap(ToImage(*source, true)));
            bundle.AddIcon(icon);
        }
    }
    return bundle;
}

bool CImageList::Create(int bitmapId, Rgb transparent) {
    m_bitmap = LoadResourceBitmap(bitmapId);
    if (!m_bitmap.IsOk()) {
        return false;
    }
    m_bitmap.SetMask(new wxMask(m_bitmap, wxColour(transparent.r, transparent.g, transparent.b)));
    return true;
}

void CImageList::Draw(wxDC& dc, int x, int y) const {
    if (m_bitmap.IsOk()) {
        dc.DrawBitmap(m_bitmap, x, y, true);
    }
}

const wxBitmap& CanvasImage(ImageId image) {
    // Never freed: wx objects must not outlive the toolkit in static destructors.
    static auto& cache = *new std::map<ImageId, CImageList>;
    auto it = cache.find(image);
    if (it == cache.end()) {
        it = cache.emplace(image, CImageList()).first;
        it->second.Create(static_cast<int>(image), res::kTransparentGrey);
    }
    return it->second.GetBitmap();
}

}  // namespace fw
