// Bitmaps, icons and image lists from the program's resources.
#pragma once

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/iconbndl.h>

#include "Canvas.h"

namespace fw {

// Bitmap id (136, 137) with its pixels as stored; an invalid bitmap for an unknown id.
wxBitmap LoadResourceBitmap(int id);

// Both images of an icon (32 x 32 and 16 x 16) with their transparent pixels masked, for
// wxTopLevelWindow::SetIcons; SetIcon(bundle.GetIcon(32)) sets the large icon alone.
wxIconBundle LoadResourceIcons(int id);

// An image list of one image drawn with a transparent colour, as the time entry dialog
// keeps its arrows:
//   fw::CImageList list;
//   list.Create(IDB_FROM_ARROW, {192, 192, 192});
//   list.Draw(dc, 36, 57);
class CImageList {
  public:
    // Loads bitmap id and masks every pixel of colour transparent. False for an unknown id.
    bool Create(int bitmapId, Rgb transparent);
    const wxBitmap& GetBitmap() const { return m_bitmap; }
    // Draws the image with its top left at x, y, leaving the transparent pixels alone.
    void Draw(wxDC& dc, int x, int y) const;

  private:
    wxBitmap m_bitmap;
};

// The masked bitmap of a Canvas image (resource bitmap, transparent grey 192), cached.
const wxBitmap& CanvasImage(ImageId image);

}  // namespace fw
