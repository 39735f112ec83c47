// The floor of bench/startup.sh: the least a wxWidgets program on GTK does to show a window
// of the main window's size (770 x 452) and paint it. It opens one frame at the top left
// corner, and its paint handler fills the client area, draws one line of text (so that the
// toolkit's fonts are loaded, as any window with text needs them) and the grey bar that
// startup_probe waits for in the real program, at the same place, in the same colour.
//
// Usage: bare_window X Y   (the pixel startup_probe reads; the bar is drawn around it)
#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/frame.h>

#include <cstdlib>

namespace {

class BareFrame : public wxFrame {
  public:
    BareFrame(int x, int y) : wxFrame(nullptr, wxID_ANY, "bare"), m_x(x), m_y(y) {
        SetClientSize(770, 452);
        Move(0, 0);
        Bind(wxEVT_PAINT, &BareFrame::OnPaint, this);
    }

  private:
    void OnPaint(wxPaintEvent&) {
        wxPaintDC dc(this);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        dc.SetFont(wxFontInfo(12).FaceName("IPAGothic"));
        dc.DrawText(wxString::FromUTF8("2026年12月"), 4, 2);
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(wxColour(100, 100, 100)));
        dc.DrawRectangle(m_x - 3, m_y - 10, 6, 20);
    }

    int m_x;
    int m_y;
};

class BareApp : public wxApp {
  public:
    bool OnInit() override {
        const int x = argc > 2 ? wxAtoi(argv[1]) : 57;
        const int y = argc > 2 ? wxAtoi(argv[2]) : 33;
        (new BareFrame(x, y))->Show();
        return true;
    }
};

}  // namespace

wxIMPLEMENT_APP(BareApp);
