// The search window through the real main window: Ctrl+F opens it, the list follows what
// is typed, and Enter or a double-click opens the day in the real day dialog, whose OK is
// saved to the file as a double-click on the day saves it; the counts page counts the
// mark just saved.
#include <gtest/gtest.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "../dialogs/DialogTestSupport.h"
#include "../framework/DialogDriver.h"
#include "../xel/XelTestSupport.h"
#include "CalendarDlg.h"
#include "MarkCounts.h"
#include "Resources.h"
#include "ScheduleModel.h"
#include "SearchDlg.h"
#include "XelCalMView.h"
#include "YoteiEditDlg.h"

namespace {

using dlgtest::ExpectDayDialog;
using dlgtest::Sjis;
using dlgtest::Wx;

class SearchWindowTest : public xeltest::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        xeltest::WriteBytes(TablePath(), std::string(xeltest::kHeader) + "20080308,0930,1000,1," +
                                             Sjis("健康診断") + ",\r\n" + "20150612,1400,1500,2," +
                                             Sjis("ｹﾝｺｳｼﾝﾀﾞﾝ（再）") + ",\r\n" + "20151230,,,0," +
                                             Sjis("年末休暇") + ",\r\n20151231,,,0," +
                                             Sjis("年末休暇") + ",\r\n" + "20160101,,,0," +
                                             Sjis("年末休暇") + ",\r\n" + "20160101,,,,,1\r\n" +
                                             xeltest::kEndMark);
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
        m_window = new CCalendarDlg(m_model);
        ASSERT_TRUE(m_window->Create());
        m_window->Show();
    }
    void TearDown() override {
        m_window->Destroy();
        wxYield();
        m_model.Close(false);
        StoreTest::TearDown();
    }

    // The list's cells, row by row.
    std::vector<std::vector<std::string>> Rows() const {
        std::vector<std::vector<std::string>> rows;
        wxListCtrl& list = *m_window->SearchWindow()->List();
        for (long row = 0; row < list.GetItemCount(); ++row) {
            std::vector<std::string> cells;
            for (int column = 0; column < 4; ++column) {
                cells.push_back(list.GetItemText(row, column).utf8_string());
            }
            rows.push_back(cells);
        }
        return rows;
    }

    CScheduleModel m_model;
    CCalendarDlg* m_window = nullptr;
};

TEST_F(SearchWindowTest, CtrlFTypingAndEnterOpenTheDayOfTheRowAndItsOkIsSaved) {
    EXPECT_EQ(m_window->SearchWindow(), nullptr);
    drive::Key(*m_window, 'F', wxMOD_CONTROL);
    CSearchDlg* search = m_window->SearchWindow();
    ASSERT_NE(search, nullptr);
    EXPECT_TRUE(search->IsShown());
    EXPECT_EQ(Rows().size(), 3U);  // nothing typed: every entry, the period once

    // Each key typed runs the search (SetValue raises the toolkit's text event).
    const struct {
        const char* typed;
        std::vector<std::vector<std::string>> rows;
        const char* status;
    } typing[] = {
        {"けんこう", {{"2015/06/12(金)", "14:00～15:00", "ｹﾝｺｳｼﾝﾀﾞﾝ（再）", "予定"}}, "1件"},
        {"健康", {{"2008/03/08(土)", "09:30～10:00", "健康診断", "予定"}}, "1件"},
        {"休暇", {{"2015/12/30(水)～2016/01/01(金)", "", "年末休暇", "期間"}}, "1件"},
        {"\\", {}, "0件"},  // neither 表 nor ソ is in the table, and no "\" either
    };
    for (const auto& t : typing) {
        search->TextCtrl()->SetValue(Wx(t.typed));
        EXPECT_EQ(Rows(), t.rows) << t.typed;
        EXPECT_EQ(search->Status()->GetLabel().utf8_string(), t.status) << t.typed;
    }
    // A range: its first day inside, and a date that is not one said so.
    search->TextCtrl()->SetValue(wxString());
    search->FromCtrl()->SetValue("2015/12/31");
    EXPECT_EQ(Rows().size(), 1U);
    search->ToCtrl()->SetValue("2015/13/01");
    EXPECT_EQ(Rows().size(), 0U);
    EXPECT_EQ(search->Status()->GetLabel().utf8_string(),
              "期間の日付を 2024/04/01 のように入力してください。");
    search->FromCtrl()->SetValue(wxString());
    search->ToCtrl()->SetValue(wxString());

    // Enter in the text opens the selected (first) row's first day in the real dialog;
    // its OK with the paid-leave mark ticked is saved at once.
    search->TextCtrl()->SetValue(Wx("休暇"));
    std::string opened;
    wxTEST_DIALOG(
        {
            wxCommandEvent enter(wxEVT_TEXT_ENTER, search->TextCtrl()->GetId());
            enter.SetEventObject(search->TextCtrl());
            search->TextCtrl()->GetEventHandler()->ProcessEvent(enter);
        },
        ExpectDayDialog([&opened](CYoteiEditDlg& day) {
            opened = ScheduleDate(day.m_nYear, day.m_nMonth, day.m_nDay);
            EXPECT_EQ(day.m_strPeriodYotei, Sjis("年末休暇"));
            drive::Click(day, IDC_CHECK_PAID_LEAVE);
            drive::Click(day, IDOK);
            return drive::Result(day);
        }));
    EXPECT_EQ(opened, "20151230");
    EXPECT_EQ(m_window->View()->ViewYear(), 2015);
    EXPECT_EQ(m_window->View()->ViewMonth(), 12);
    EXPECT_EQ(m_window->View()->CursorDay(), 30);
    EXPECT_FALSE(m_model.HasUnsavedChanges());
    {
        // One table at a time: the window's model lets go while a fresh one reads the file.
        m_model.Close(false);
        CScheduleModel fresh;
        ASSERT_TRUE(fresh.Open(m_dir.string() + "/"));
        EXPECT_TRUE(fresh.ReadDay("20151230").paidLeave);
        EXPECT_EQ(fresh.ReadDay("20151230").period.last, "20160101");  // the run is whole
        fresh.Close(false);
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
    }
    // The list was made again after the edit and still shows the run once.
    EXPECT_EQ(Rows().size(), 1U);

    // A double-click (the list's activation) on a row opens that row's day.
    search->TextCtrl()->SetValue(Wx("健康"));
    wxListEvent activate(wxEVT_LIST_ITEM_ACTIVATED, search->List()->GetId());
    activate.SetEventObject(search->List());
    activate.m_itemIndex = 0;
    wxTEST_DIALOG(search->List()->GetEventHandler()->ProcessEvent(activate),
                  ExpectDayDialog([&opened](CYoteiEditDlg& day) {
                      opened = ScheduleDate(day.m_nYear, day.m_nMonth, day.m_nDay);
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(opened, "20080308");
    EXPECT_EQ(m_window->View()->ViewYear(), 2008);

    // The counts page: fiscal 2015 holds the mark just saved (December) and the holiday of
    // 1 January; fiscal 2016 neither.
    search->Pages()->SetSelection(1);
    search->FiscalYearCtrl()->SetValue(2015);
    search->ShowCounts();
    wxListCtrl& counts = *search->CountList();
    ASSERT_EQ(counts.GetItemCount(), 13);
    EXPECT_EQ(counts.GetItemText(8, 0).utf8_string(), "2015年12月");
    EXPECT_EQ(counts.GetItemText(8, 1).utf8_string(), "1日");
    EXPECT_EQ(counts.GetItemText(9, 0).utf8_string(), "2016年1月");
    EXPECT_EQ(counts.GetItemText(9, 2).utf8_string(), "1日");
    EXPECT_EQ(counts.GetItemText(12, 0).utf8_string(), "合計");
    EXPECT_EQ(counts.GetItemText(12, 1).utf8_string(), "1日");
    EXPECT_EQ(counts.GetItemText(12, 2).utf8_string(), "1日");
    search->FiscalYearCtrl()->SetValue(2016);
    search->ShowCounts();
    EXPECT_EQ(counts.GetItemText(12, 1).utf8_string(), "0日");

    // Ctrl+F again, or the context menu's "検索...", brings the same window back once closed.
    search->Close();
    EXPECT_FALSE(search->IsShown());
    drive::Key(*m_window, 'F', wxMOD_CONTROL);
    EXPECT_EQ(m_window->SearchWindow(), search);
    EXPECT_TRUE(search->IsShown());
    search->Close();
    drive::SysCommand(*m_window, IDM_SEARCH);
    EXPECT_EQ(m_window->SearchWindow(), search);
    EXPECT_TRUE(search->IsShown());
}

}  // namespace
