// The whole way of a day's entries through the real program's classes: the file read by
// the schedule model, the main window and its month view, the real day and time entry
// dialogs, and back into the file, with no test runner in between.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/textctrl.h>

#include "../dialogs/DialogTestSupport.h"
#include "../framework/DialogDriver.h"
#include "../framework/GuiWait.h"
#include "../xel/XelTestSupport.h"
#include "CalendarDlg.h"
#include "ScheduleModel.h"
#include "XelCalMView.h"
#include "YoteiEditDlg.h"

namespace {

using dlgtest::ExpectDayDialog;
using dlgtest::Sjis;
using dlgtest::TypeEntry;

std::vector<std::string> ListRows(const CYoteiEditDlg& d) {
    std::vector<std::string> rows;
    for (int i = 0; i < d.m_listYotei->GetRowCount(); ++i) {
        rows.push_back(d.m_listYotei->GetText(i));
    }
    return rows;
}

// The day dialogs that exist and are neither running nor on their way out: the one the
// main window built ahead, hidden.
std::vector<CYoteiEditDlg*> DayDialogsBuiltAhead() {
    std::vector<CYoteiEditDlg*> found;
    for (wxWindow* top : wxTopLevelWindows) {
        auto* day = dynamic_cast<CYoteiEditDlg*>(top);
        if (day != nullptr && !day->IsShown() && !day->IsModal() && !wxPendingDelete.Member(day)) {
            found.push_back(day);
        }
    }
    return found;
}

class HandOverTest : public xeltest::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
        m_window = new CCalendarDlg(m_model);
        ASSERT_TRUE(m_window->Create());
        ASSERT_NE(m_window->View(), nullptr);
        m_day = ScheduleDate(m_window->View()->ViewYear(), m_window->View()->ViewMonth(), 5);
        m_model.Close(false);
        // The file as another copy of the program (or a Windows one) left it.
        xeltest::WriteBytes(TablePath(), std::string(xeltest::kHeader) + m_day + ",0800,0900,1," +
                                             Sjis("朝会") + ",\r\n" + m_day + ",,,,,2\r\n" +
                                             xeltest::kEndMark);
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
    }
    void TearDown() override {
        m_window->Destroy();
        wxYield();
        m_model.Close(false);
        StoreTest::TearDown();
    }

    CScheduleModel m_model;
    CCalendarDlg* m_window = nullptr;
    std::string m_day;
};

TEST_F(HandOverTest, ADayGoesFromTheFileThroughTheRealDialogsAndBackIntoTheFile) {
    // The dialog shows what the file holds; an entry is added through the time entry
    // dialog and the paid-leave mark taken off.
    wxTEST_DIALOG(m_window->View()->EditDay(5), ExpectDayDialog([](CYoteiEditDlg& day) {
                      EXPECT_EQ(ListRows(day), std::vector<std::string>{Sjis("08:00～09:00 朝会")});
                      EXPECT_EQ(day.m_nPaidLeave, 1);
                      drive::Click(day, IDC_BUTTON_ADD);
                      drive::Click(day, IDC_CHECK_PAID_LEAVE);
                      drive::Click(day, IDOK);
                      return drive::Result(day);
                  }),
                  TypeEntry("13:00", "14:30", "会議"));

    // Saved at once: a fresh model on the file reads both entries and no mark.
    {
        m_model.Close(false);
        CScheduleModel fresh;
        ASSERT_TRUE(fresh.Open(m_dir.string() + "/"));
        const DayContent day = fresh.ReadDay(m_day);
        std::vector<TimedEntry> entries;
        for (const TimedEntry& e : day.slots) {
            if (!e.IsFree()) {
                entries.push_back(e);
            }
        }
        EXPECT_EQ(entries, (std::vector<TimedEntry>{{"0800", "0900", Sjis("朝会")},
                                                    {"1300", "1430", Sjis("会議")}}));
        EXPECT_FALSE(day.paidLeave);
        fresh.Close(false);
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
    }

    // Opened again, the dialog shows what was saved; Cancel leaves the file as it is.
    const std::string saved = xeltest::ReadBytes(TablePath());
    wxTEST_DIALOG(m_window->View()->EditDay(5), ExpectDayDialog([](CYoteiEditDlg& day) {
                      EXPECT_EQ(ListRows(day),
                                (std::vector<std::string>{Sjis("08:00～09:00 朝会"),
                                                          Sjis("13:00～14:30 会議")}));
                      EXPECT_EQ(day.m_nPaidLeave, 0);
                      drive::Click(day, IDCANCEL);
                      return drive::Result(day);
                  }));
    EXPECT_EQ(xeltest::ReadBytes(TablePath()), saved);
}

// The day dialog is built while the window is idle, and a double-click runs that one: as a
// new dialog, whatever the run before it did, and each only once.
TEST_F(HandOverTest, TheDayDialogBuiltAheadRunsAsANewOne) {
    std::vector<CYoteiEditDlg*> ahead;
    ASSERT_TRUE(guitest::YieldUntil([&] { return !(ahead = DayDialogsBuiltAhead()).empty(); }));
    ASSERT_EQ(ahead.size(), 1u);
    // A run that changes everything it can and is cancelled.
    wxTEST_DIALOG(m_window->View()->EditDay(5), ExpectDayDialog([&](CYoteiEditDlg& day) {
                      EXPECT_EQ(&day, ahead[0]) << "the dialog built ahead runs";
                      drive::Click(day, IDC_CHECK_HOLIDAY);
                      drive::Click(day, IDC_CHECK_PAID_LEAVE);
                      drive::Typing(day, IDC_EDIT_PERIOD_YOTEI, dlgtest::Wx("旅行"));
                      drive::Click(day, IDCANCEL);
                      return drive::Result(day);
                  }));
    // The next one is built anew and shows the day as the file holds it.
    ASSERT_TRUE(guitest::YieldUntil([&] { return !(ahead = DayDialogsBuiltAhead()).empty(); }));
    ASSERT_EQ(ahead.size(), 1u);
    wxTEST_DIALOG(m_window->View()->EditDay(5), ExpectDayDialog([&](CYoteiEditDlg& day) {
                      EXPECT_EQ(&day, ahead[0]);
                      EXPECT_EQ(ListRows(day), std::vector<std::string>{Sjis("08:00～09:00 朝会")});
                      EXPECT_EQ(day.m_nHoliday, 0);
                      EXPECT_EQ(day.m_nPaidLeave, 1);
                      auto* period =
                          dynamic_cast<wxTextCtrl*>(day.FindWindow(IDC_EDIT_PERIOD_YOTEI));
                      EXPECT_TRUE(period != nullptr && period->GetValue().empty());
                      drive::Click(day, IDCANCEL);
                      return drive::Result(day);
                  }));
    // The dialogs that ran are taken apart: one day dialog is left, the next one.
    ASSERT_TRUE(guitest::YieldUntil([&] {
        int days = 0;
        for (wxWindow* top : wxTopLevelWindows) {
            days += dynamic_cast<CYoteiEditDlg*>(top) != nullptr;
        }
        return days == 1 && DayDialogsBuiltAhead().size() == 1;
    }));
}

}  // namespace
