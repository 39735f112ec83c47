// The month view window: its editing flow saves what the user confirmed at once, reports
// a failed save, leaves the file alone on Cancel, refuses while read-only, and repaints
// before returning.
#include <gtest/gtest.h>
#include <wx/frame.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../framework/PaintCounter.h"
#include "../xel/XelTestSupport.h"
#include "Cp932.h"
#include "MessageBox.h"
#include "XelCalMView.h"
#include "XelDatabase.h"
#include "XelFile.h"

namespace {

using xeltest::kEndMark;
using xeltest::kHeader;
using xeltest::ReadBytes;

class MonthViewTest : public xeltest::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        m_old = std::string(kHeader) + "19990101,,,1,old,\r\n" + kEndMark;
        xeltest::WriteBytes(TablePath(), m_old);
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
        m_frame = new wxFrame(nullptr, wxID_ANY, "view");
        m_frame->SetClientSize(770, 452);
        m_frame->Show();
        m_view = new CXelCalMView(m_model);
        ASSERT_TRUE(m_view->Create(m_frame, 10, wxRect(0, 0, 770, 452), true));
        m_paints = std::make_unique<PaintCounter>(*m_view);
        m_view->SendInitialUpdate();
        // Repaints happen at once only on a window that is on the screen.
        ASSERT_TRUE(m_paints->WaitForFirst());
        m_view->SetDayDialogRunner([this](DayDialogFields& fields) {
            ++m_runs;
            m_seen = fields;
            fields.m_strYotei[0] = "text";
            fields.m_strFromTime[0] = "09:30";
            fields.m_strToTime[0] = "10:00";
            return m_answerOk;
        });
    }
    void TearDown() override {
        XelSetSysCalls(nullptr);
        m_paints.reset();
        m_frame->Destroy();
        wxYield();
        m_model.Close(false);
        StoreTest::TearDown();
    }
    // The OK's save runs beside the window; its outcome comes back through the event loop.
    void WaitForSave() {
        while (m_model.SaveRunning()) {
            wxYield();
        }
    }
    std::string Day(int day) const {
        char text[16];
        std::snprintf(text, sizeof text, "%04d%02d%02d", m_view->ViewYear(), m_view->ViewMonth(),
                      day);
        return text;
    }

    CScheduleModel m_model;
    wxFrame* m_frame = nullptr;
    CXelCalMView* m_view = nullptr;
    std::unique_ptr<PaintCounter> m_paints;
    bool m_answerOk = true;
    int m_runs = 0;
    DayDialogFields m_seen;
    std::string m_old;
};

TEST_F(MonthViewTest, OkSavesTheDayAtOnceAndRepaints) {
    const int before = m_paints->Count();
    m_view->EditDay(5);
    WaitForSave();
    EXPECT_EQ(m_runs, 1);
    EXPECT_EQ(m_seen.m_nDay, 5);
    EXPECT_EQ(m_seen.m_nMonth, m_view->ViewMonth());
    EXPECT_EQ(ReadBytes(TablePath()), std::string(kHeader) + "19990101,,,1,old,\r\n" + Day(5) +
                                          ",0930,1000,1,text,\r\n" + kEndMark);
    EXPECT_EQ(m_paints->Count(), before + 1);
}

// The month shows the edit before the save writes it, and the save follows beside the
// window; when the save first reads another program's change of the file (made while the
// dialog was open), the month is painted again with it.
TEST_F(MonthViewTest, OkPaintsTheEditThenSavesAndPaintsAChangeTheSaveRead) {
    std::vector<std::string> filesAtPaints;
    struct FileAtPaint : wxEventFilter {
        const wxWindow* view;
        std::function<void()> seen;
        int FilterEvent(wxEvent& event) override {
            if (event.GetEventType() == wxEVT_PAINT && event.GetEventObject() == view) {
                seen();
            }
            return Event_Skip;
        }
    } filter;
    filter.view = m_view;
    filter.seen = [&] { filesAtPaints.push_back(ReadBytes(TablePath())); };
    const std::string other = Day(7) + ",1200,1300,1,other,\r\n";
    for (const int day : {5, 6}) {
        const bool outsideChange = day == 6;
        SCOPED_TRACE(outsideChange ? "changed while the dialog was open" : "unchanged");
        const std::string onDisk = ReadBytes(TablePath());
        // Another program's save while the dialog is open: a new file beside, renamed over.
        const std::string otherFile =
            onDisk.substr(0, onDisk.size() - std::string(kEndMark).size()) + other + kEndMark;
        m_view->SetDayDialogRunner([&](DayDialogFields& fields) {
            fields.m_strYotei[0] = "text";
            fields.m_strFromTime[0] = "09:30";
            fields.m_strToTime[0] = "10:00";
            if (outsideChange) {
                xeltest::WriteBytes(TablePath().string() + ".new", otherFile);
                std::filesystem::rename(TablePath().string() + ".new", TablePath());
            }
            return true;
        });
        filesAtPaints.clear();
        wxEvtHandler::AddFilter(&filter);
        m_view->EditDay(day);
        WaitForSave();
        wxEvtHandler::RemoveFilter(&filter);
        const std::string saved = ReadBytes(TablePath());
        EXPECT_NE(saved.find(Day(day) + ",0930,1000,1,text,"), std::string::npos);
        EXPECT_EQ(saved.find(other) != std::string::npos, outsideChange);
        EXPECT_FALSE(m_model.HasUnsavedChanges());
        ASSERT_EQ(filesAtPaints.size(), outsideChange ? 2u : 1u);
        EXPECT_EQ(filesAtPaints[0], outsideChange ? otherFile : onDisk);
        if (outsideChange) {
            EXPECT_EQ(filesAtPaints[1], saved);
        }
    }
}

TEST_F(MonthViewTest, CancelLeavesTheFileByteIdentical) {
    m_answerOk = false;
    fw::ScopedMessageBoxCapture boxes;
    const int before = m_paints->Count();
    m_view->EditDay(5);
    EXPECT_EQ(m_runs, 1);
    EXPECT_EQ(ReadBytes(TablePath()), m_old);
    EXPECT_EQ(DbRowCount(DbOpenTable("kelnova")), 1);
    EXPECT_EQ(m_paints->Count(), before);
    EXPECT_TRUE(boxes.Requests().empty());
}

// The message says why and names the file; the edit stays in memory, so the next save
// (the next OK, or closing the window) writes it once the disk allows.
TEST_F(MonthViewTest, FailedSaveAfterOkIsReportedWithItsReasonAndPath) {
    static int failWith = 0;
    static XelSysCalls failingRename = XelRealSysCalls();
    failingRename.rename = [](const char*, const char*) {
        errno = failWith;
        return -1;
    };
    const std::pair<int, const char*> cases[] = {
        {ENOSPC, "ディスクの空き容量が足りません。"},
        {EROFS, "読み取り専用の場所です。"},
        {EACCES, "書き込みの権限がありません。"},
    };
    for (const auto& [error, reason] : cases) {
        SCOPED_TRACE(reason);
        failWith = error;
        XelSetSysCalls(&failingRename);
        fw::ScopedMessageBoxCapture boxes;
        m_view->EditDay(5);
        WaitForSave();
        XelSetSysCalls(nullptr);
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text,
                  wxString::FromUTF8(std::string("データファイルの保存に失敗しました。\n") +
                                     reason + "\n" + TablePath().string()));
        EXPECT_EQ(ReadBytes(TablePath()), m_old);
        EXPECT_TRUE(m_model.HasUnsavedChanges());
    }
    EXPECT_TRUE(m_model.Save());
    EXPECT_NE(ReadBytes(TablePath()).find(Day(5) + ",0930,1000,1,text,"), std::string::npos);
}

TEST_F(MonthViewTest, ReadOnlyRefusesWithAMessageInsteadOfTheDialog) {
    m_model.SetReadOnly(true);
    fw::ScopedMessageBoxCapture boxes;
    m_view->EditDay(5);
    EXPECT_EQ(m_runs, 0);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text,
              wxString::FromUTF8("表示のみで開いているため、変更できません。"));
    EXPECT_EQ(ReadBytes(TablePath()), m_old);
    EXPECT_FALSE(m_model.HasUnsavedChanges());
}

TEST_F(MonthViewTest, MonthChangesRepaintBeforeReturning) {
    int draws = m_paints->Count();
    const int year = m_view->ViewYear(), month = m_view->ViewMonth();
    m_view->ShowNextMonth();
    EXPECT_EQ(m_paints->Count(), ++draws);
    EXPECT_EQ(m_view->ViewMonth(), month == 12 ? 1 : month + 1);
    m_view->ShowPrevMonth();
    m_view->ShowPrevMonth();
    EXPECT_EQ(m_paints->Count(), draws += 2);
    EXPECT_EQ(m_view->ViewMonth(), month == 1 ? 12 : month - 1);
    m_view->ShowCurrentMonth();
    EXPECT_EQ(m_paints->Count(), ++draws);
    EXPECT_EQ(m_view->ViewYear(), year);
    EXPECT_EQ(m_view->ViewMonth(), month);
}

// Key presses the view gets while it has the focus: each one taken repaints (or opens the
// day under the cursor); others go on to the window's parents.
TEST_F(MonthViewTest, KeyPressesOnTheViewMoveTheCursorAndOpenItsDay) {
    m_view->SetClock([] { return LocalDateTime{2008, 3, 10, 12, 0, 0}; });
    m_view->ShowCurrentMonth();
    m_answerOk = false;
    const auto press = [this](int keyCode) {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = keyCode;
        event.SetEventObject(m_view);
        m_view->GetEventHandler()->ProcessEvent(event);
        return event.GetSkipped();
    };
    int draws = m_paints->Count();
    EXPECT_FALSE(press(WXK_LEFT));
    EXPECT_EQ(m_view->ViewMonth(), 2);
    EXPECT_EQ(m_view->CursorDay(), 26);  // the same row of February's right column
    EXPECT_EQ(m_paints->Count(), ++draws);
    EXPECT_FALSE(press(WXK_RETURN));
    EXPECT_EQ(m_runs, 1);
    EXPECT_EQ(m_seen.m_nMonth, 2);
    EXPECT_EQ(m_seen.m_nDay, 26);
    EXPECT_TRUE(press(WXK_ESCAPE));
    EXPECT_TRUE(press('A'));
    EXPECT_EQ(m_paints->Count(), draws);
    EXPECT_EQ(ReadBytes(TablePath()), m_old);
}

// Resting the pointer on a day shows the whole day as the model holds it, built anew when
// the pointer reaches another day and after the day was edited; an empty day, the header
// and the margin show none.
TEST_F(MonthViewTest, ThePointerOnADayShowsTheWholeDayInATooltip) {
    m_view->ShowMonth(2008, 3);
    const MonthLayout& layout = m_view->Layout();
    const auto moveTo = [this](int x, int y) {
        wxMouseEvent event(wxEVT_MOTION);
        event.SetPosition(wxPoint(x, y));
        event.SetEventObject(m_view);
        m_view->GetEventHandler()->ProcessEvent(event);
    };
    const auto moveToDay = [&](int day) {
        const int column = (day - 1) / layout.m_nDaysPerColumn;
        const int row = (day - 1) % layout.m_nDaysPerColumn;
        moveTo(layout.ColumnLeft(column) + 200, layout.RowTop(row) + 20);
    };
    const auto tip = [this]() -> wxString {
        return m_view->GetToolTip() ? m_view->GetToolTipText() : wxString("(none)");
    };
    const wxString none("(none)");
    moveToDay(5);
    EXPECT_EQ(tip(), none);  // nothing on the 5th yet
    m_view->EditDay(5);      // the runner writes 09:30-10:00 "text"
    moveToDay(5);
    EXPECT_EQ(tip(), wxString::FromUTF8("2008年03月05日(水)\n09:30-10:00 text"));
    struct Case {
        int x, y;
        const char* tip;  // UTF-8; nullptr for none
    };
    const Case cases[] = {
        {layout.ColumnLeft(1) + 300, layout.RowTop(3) + 5, "2008年03月20日(木)  春分の日"},
        {layout.ColumnLeft(0) + 10, layout.RowTop(5) + 26, nullptr},  // the 6th
        {layout.ColumnLeft(0) + 300, layout.RowTop(4) + 1, "2008年03月05日(水)\n09:30-10:00 text"},
        {layout.ColumnLeft(0) + 5, 5, nullptr},                         // the header
        {layout.ColumnLeft(1) + 100, layout.RowTop(15) + 10, nullptr},  // below the 31st
    };
    for (const Case& c : cases) {
        moveTo(c.x, c.y);
        EXPECT_EQ(tip(), c.tip ? wxString::FromUTF8(c.tip) : none) << c.x << "," << c.y;
    }
}

}  // namespace
