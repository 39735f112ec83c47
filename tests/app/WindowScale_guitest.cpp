// The main window made larger: the month is painted larger, and a double-click opens the
// day painted under it at every size. (placement_e2e.sh starts the real program twice for
// the size and place kept between runs.)
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/testing.h>

#include <cstdio>
#include <functional>
#include <string>

#include "../framework/GuiWait.h"
#include "../framework/PaintCounter.h"
#include "../xel/XelTestSupport.h"
#include "CalendarDlg.h"
#include "ScheduleModel.h"
#include "XelCalMView.h"
#include "YoteiEditDlg.h"

namespace {

using xeltest::kEndMark;
using xeltest::kHeader;

// Notes the date the day schedule dialog came up for, and cancels it.
class ExpectDayDialog : public wxExpectModalBase<CYoteiEditDlg> {
  public:
    explicit ExpectDayDialog(std::string& seen) : m_seen(seen) {}

  protected:
    int OnInvoked(CYoteiEditDlg* dialog) const override {
        char date[16];
        std::snprintf(date, sizeof date, "%04d%02d%02d", dialog->m_nYear, dialog->m_nMonth,
                      dialog->m_nDay);
        m_seen = date;
        return wxID_CANCEL;
    }

  private:
    std::string& m_seen;
};

// What the screen shows of a window's client area.
wxImage ScreenPixels(wxWindow& window) {
    const wxPoint at = window.ClientToScreen(wxPoint(0, 0));
    const wxSize size = window.GetClientSize();
    wxBitmap bitmap(size, 24);
    {
        wxMemoryDC memory(bitmap);
        wxScreenDC screen;
        memory.Blit(0, 0, size.x, size.y, &screen, at.x, at.y);
    }
    return bitmap.ConvertToImage();
}

bool IsBlack(const wxImage& image, int x, int y) {
    return image.GetRed(x, y) == 0 && image.GetGreen(x, y) == 0 && image.GetBlue(x, y) == 0;
}

class WindowScaleTest : public xeltest::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        xeltest::WriteBytes(TablePath(), std::string(kHeader) + kEndMark);
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
    }
    void TearDown() override {
        m_model.Close(false);
        StoreTest::TearDown();
    }

    // Runs the window's real modal loop with action inside it; a window the action leaves
    // running is ended with 99.
    static int Run(CCalendarDlg& window, std::function<void(CCalendarDlg&)> action) {
        window.CallAfter([&window, action] {
            action(window);
            if (window.IsModal()) {
                window.EndDialog(99);
            }
        });
        return window.DoModal();
    }

    // Gives the window the client size and waits until its view has it and has been
    // painted at it (the X server resizes the window in its own time).
    static bool Resize(CCalendarDlg& window, wxSize size) {
        if (window.View()->GetClientSize() == size) {
            return true;
        }
        PaintCounter paints(*window.View());
        window.SetClientSize(size);
        return guitest::YieldUntil(
            [&] { return window.View()->GetClientSize() == size && paints.Count() > 0; });
    }

    CScheduleModel m_model;
};

// At 1.5 times the month's size the two-pixel rule under the header (month rows 18 and
// 19) covers window rows 27 to 29 exactly, and the row below it stays clear.
TEST_F(WindowScaleTest, AnEnlargedWindowPaintsTheMonthLarger) {
    CCalendarDlg window(m_model);
    Run(window, [](CCalendarDlg& w) {
        w.View()->ShowMonth(2008, 3);
        ASSERT_TRUE(Resize(w, wxSize(1155, 678)));
        const wxImage shown = ScreenPixels(*w.View());
        ASSERT_EQ(shown.GetSize(), wxSize(1155, 678));
        for (const int x : {60, 300, 800}) {  // month x 40, 200 and 533: both columns
            EXPECT_FALSE(IsBlack(shown, x, 26)) << x;
            EXPECT_TRUE(IsBlack(shown, x, 27)) << x;
            EXPECT_TRUE(IsBlack(shown, x, 28)) << x;
            EXPECT_TRUE(IsBlack(shown, x, 29)) << x;
            EXPECT_FALSE(IsBlack(shown, x, 30)) << x;
        }
        // The separator above day 16, month y 398, is window row 597; month y 425, the
        // separator above day 17 at the month's own size, is no line once scaled.
        EXPECT_TRUE(IsBlack(shown, 300, 597));
        EXPECT_FALSE(IsBlack(shown, 300, 425));
    });
}

// A double-click where day 20 is painted opens day 20: at the month's own size, scaled
// by 1.5, and scaled with the rest of a wider window centred (122 pixels each side).
TEST_F(WindowScaleTest, ADoubleClickOpensTheDayPaintedUnderItAtEverySize) {
    CCalendarDlg window(m_model);
    Run(window, [](CCalendarDlg& w) {
        w.View()->ShowMonth(2008, 3);
        const struct {
            wxSize size;
            wxPoint at;
            const char* opened;
        } cases[] = {
            {{770, 452}, {413, 114}, "20080320"},
            {{1155, 678}, {620, 171}, "20080320"},
            {{1155, 678}, {620, 130}, "20080319"},  // a row higher
            {{1400, 678}, {742, 171}, "20080320"},
            {{1400, 678}, {60, 171}, ""},  // the white margin left of the month
        };
        for (const auto& c : cases) {
            ASSERT_TRUE(Resize(w, c.size));
            wxMouseEvent click(wxEVT_LEFT_DCLICK);
            click.SetPosition(c.at);
            click.SetEventObject(w.View());
            std::string opened;
            if (*c.opened != '\0') {
                wxTEST_DIALOG(w.View()->GetEventHandler()->ProcessEvent(click),
                              ExpectDayDialog(opened));
            } else {
                w.View()->GetEventHandler()->ProcessEvent(click);
            }
            EXPECT_EQ(opened, c.opened)
                << c.size.x << "x" << c.size.y << " at " << c.at.x << "," << c.at.y;
        }
    });
}

}  // namespace
