// The main window itself: the About entry of its context menu, the keys that must not end
// it, and every way of closing it arriving at the one close handler, which saves the table.
#include <gtest/gtest.h>
#include <wx/menu.h>
#include <wx/testing.h>

#include <functional>
#include <memory>
#include <string>

#include "../framework/DialogDriver.h"
#include "../xel/XelTestSupport.h"
#include "AboutDlg.h"
#include "CalendarDlg.h"
#include "ScheduleModel.h"

namespace {

using xeltest::kEndMark;
using xeltest::kHeader;
using xeltest::ReadBytes;

// Answers the version box with OK.
class ExpectAbout : public wxExpectModalBase<CAboutDlg> {
  protected:
    int OnInvoked(CAboutDlg*) const override { return wxID_OK; }
};

const char kRow[] = "20080308,0930,1000,1,memo,\r\n";

class MainWindowTest : public xeltest::StoreTest {
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

    // Runs the window's real modal loop; action runs inside it once the loop is up. A
    // window the action leaves running is ended with 99, so a failure cannot hang.
    static int Run(CCalendarDlg& window, std::function<void(CCalendarDlg&)> action) {
        window.CallAfter([&window, action] {
            action(window);
            if (window.IsModal()) {
                window.EndDialog(99);
            }
        });
        return window.DoModal();
    }

    CScheduleModel m_model;
};

TEST_F(MainWindowTest, ContextMenuOffersAboutAndEnterAndEscapeDoNotEndTheWindow) {
    CCalendarDlg window(m_model);
    const int result = Run(window, [this](CCalendarDlg& w) {
        EXPECT_EQ(w.GetPosition(), wxPoint(0, 0));
        std::unique_ptr<wxMenu> menu(w.BuildSystemMenu());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->GetMenuItemCount(), 4u);
        EXPECT_EQ(menu->FindItemByPosition(0)->GetItemLabelText(), wxString::FromUTF8("最小化"));
        EXPECT_EQ(menu->FindItemByPosition(1)->GetItemLabelText(), wxString::FromUTF8("閉じる"));
        EXPECT_TRUE(menu->FindItemByPosition(2)->IsSeparator());
        const wxMenuItem* about = menu->FindItemByPosition(3);
        EXPECT_EQ(about->GetItemLabel(), wxString::FromUTF8("ﾊﾞｰｼﾞｮﾝ情報 (&A)..."));

        // Choosing the entry runs the version box, and the window stays.
        wxTEST_DIALOG(drive::SysCommand(w, about->GetId()), ExpectAbout());
        EXPECT_TRUE(w.IsModal());

        for (int key : {WXK_RETURN, WXK_NUMPAD_ENTER, WXK_ESCAPE}) {
            drive::Key(w, key);
            EXPECT_TRUE(w.IsModal()) << key;
            EXPECT_EQ(drive::Result(w), -1) << key;
        }
        EXPECT_EQ(ReadBytes(TablePath()), std::string(kHeader) + kEndMark);  // nothing saved
        drive::SysCommand(w, fw::SC_CLOSE);
    });
    EXPECT_EQ(result, IDCANCEL);
}

// The close box, the context menu's "閉じる", and the OK and Cancel commands the dialog
// base makes of Enter and Escape: each saves what is in memory and ends the run.
TEST_F(MainWindowTest, EveryWayOfClosingSavesTheTableAndEndsTheWindow) {
    const std::pair<const char*, std::function<void(CCalendarDlg&)>> ways[] = {
        {"close box", [](CCalendarDlg& w) { drive::Close(w); }},
        {"context menu", [](CCalendarDlg& w) { drive::SysCommand(w, fw::SC_CLOSE); }},
        {"OK command",
         [](CCalendarDlg& w) {
             wxCommandEvent ok(wxEVT_BUTTON, IDOK);
             w.GetEventHandler()->ProcessEvent(ok);
         }},
        {"Cancel command",
         [](CCalendarDlg& w) {
             wxCommandEvent cancel(wxEVT_BUTTON, IDCANCEL);
             w.GetEventHandler()->ProcessEvent(cancel);
         }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        m_model.Close(false);
        xeltest::WriteBytes(TablePath(), std::string(kHeader) + kEndMark);
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
        const DayContent before = m_model.ReadDay("20080308");
        DayContent after = before;
        after.slots[0] = {"0930", "1000", "memo"};
        m_model.WriteDay(before, after);

        CCalendarDlg window(m_model);
        EXPECT_EQ(Run(window, close), IDCANCEL);
        EXPECT_EQ(ReadBytes(TablePath()), std::string(kHeader) + kRow + kEndMark);
    }
}

}  // namespace
