// The whole way of a day's entries through the real program's classes: the file read by
// the schedule model, the main window and its month view, the real day and time entry
// dialogs, and back into the file, with no test runner in between.
#include <gtest/gtest.h>

#include "../dialogs/DialogTestSupport.h"
#include "../framework/DialogDriver.h"
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

}  // namespace
