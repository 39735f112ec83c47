// Helpers shared by the GUI tests of the schedule dialogs.
#pragma once

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/testing.h>
#include <wx/uiaction.h>

#include <functional>
#include <string>
#include <utility>

#include "../framework/DialogDriver.h"
#include "../framework/GuiWait.h"
#include "Cp932.h"
#include "TextConv.h"
#include "TimeYoteiDlg.h"
#include "YoteiEditDlg.h"

namespace dlgtest {

inline std::string Sjis(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}
inline wxString Wx(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

// Turns wx assertions (an unmet dialog expectation among them) into test failures
// instead of a dialog box nobody can close under Xvfb.
class GuiTest : public testing::Test {
  protected:
    void SetUp() override {
        m_previous = wxSetAssertHandler([](const wxString& file, int line, const wxString& func,
                                           const wxString& cond, const wxString& msg) {
            ADD_FAILURE() << file << ":" << line << " " << func << ": " << cond << " " << msg;
        });
    }
    void TearDown() override { wxSetAssertHandler(m_previous); }

  private:
    wxAssertHandler_t m_previous = nullptr;
};

// Answers the time entry dialog's modal run: drive gets the initialised dialog and
// returns the run's result (usually drive::Result after a driven click on OK or Cancel).
class ExpectTimeEntry : public wxExpectModalBase<CTimeYoteiDlg> {
  public:
    explicit ExpectTimeEntry(std::function<int(CTimeYoteiDlg&)> drive)
        : m_drive(std::move(drive)) {}

  protected:
    int OnInvoked(CTimeYoteiDlg* dlg) const override { return m_drive(*dlg); }

  private:
    std::function<int(CTimeYoteiDlg&)> m_drive;
};

// Answers the day dialog's modal run: drive gets the initialised dialog and returns the
// run's result.
class ExpectDayDialog : public wxExpectModalBase<CYoteiEditDlg> {
  public:
    explicit ExpectDayDialog(std::function<int(CYoteiEditDlg&)> drive)
        : m_drive(std::move(drive)) {}

  protected:
    int OnInvoked(CYoteiEditDlg* dlg) const override { return m_drive(*dlg); }

  private:
    std::function<int(CYoteiEditDlg&)> m_drive;
};

// The time entry dialog filled in by typing and confirmed with OK.
inline ExpectTimeEntry TypeEntry(const char* from, const char* to, const char* text) {
    return ExpectTimeEntry([=](CTimeYoteiDlg& d) {
        drive::Typing(d, IDC_EDIT_FROM_TIME, Wx(from));
        drive::Typing(d, IDC_EDIT_TO_TIME, Wx(to));
        drive::Typing(d, IDC_EDIT_YOTEI_TEXT, Wx(text));
        drive::Click(d, IDOK);
        return drive::Result(d);
    });
}

// What a dialog paints itself, on a client-sized bitmap filled with background first.
template <class Dialog>
wxImage PaintedClient(Dialog& dialog, const wxColour& background) {
    const wxSize size = dialog.GetClientSize();
    wxBitmap bitmap(size);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(wxBrush(background));
        dc.Clear();
        dialog.PaintClient(dc);
    }
    return bitmap.ConvertToImage();
}

inline wxColour PixelAt(const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

// Key presses through the X server (XTest), as a user's keyboard makes them: GTK, the
// toolkit and the dialog all see them as they would see the user's. The pointer rests
// on the dialog, where the keyboard focus goes when there is no window manager.
class RealKeys {
  public:
    explicit RealKeys(wxDialog& dialog) : m_dialog(dialog) {
        m_dialog.Show();
        m_dialog.Raise();
        guitest::YieldUntil([&] { return m_dialog.IsShownOnScreen(); });
        m_sim.MouseMove(m_dialog.GetScreenPosition() + wxPoint(8, 8));
        guitest::YieldUntil([&] { return false; }, 0);
    }
    ~RealKeys() { m_dialog.Hide(); }
    void Type(const char* ascii) {
        for (const char* c = ascii; *c; ++c) {
            m_sim.Char(static_cast<unsigned char>(*c));
        }
    }
    void Press(int key, int modifiers = wxMOD_NONE) { m_sim.Char(key, modifiers); }

  private:
    wxDialog& m_dialog;
    wxUIActionSimulator m_sim;
};

}  // namespace dlgtest
