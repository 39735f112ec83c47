#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "../framework/GuiWait.h"
#include "DateTime.h"
#include "DialogPaint.h"
#include "DialogTestSupport.h"
#include "MessageBox.h"
#include "Platform.h"
#include "YoteiEditDlg.h"

namespace {

using dlgtest::ExpectDayDialog;
using dlgtest::ExpectTimeEntry;
using dlgtest::Sjis;
using dlgtest::TypeEntry;
using dlgtest::Wx;

std::string Utf8(const std::string& cp932) {
    return Cp932ToUtf8(cp932).value_or("?");
}

// The list rows (UTF-8) with the slot each carries.
std::vector<std::pair<std::string, int>> Rows(const CYoteiEditDlg& d) {
    std::vector<std::pair<std::string, int>> rows;
    for (int i = 0; i < d.m_listYotei->GetRowCount(); ++i) {
        rows.emplace_back(Utf8(d.m_listYotei->GetText(i)), d.m_listYotei->GetItemData(i));
    }
    return rows;
}

// The entry text of each slot, UTF-8.
std::vector<std::string> SlotTexts(const CYoteiEditDlg& d) {
    std::vector<std::string> texts;
    for (const std::string& t : d.m_strYotei) {
        texts.push_back(Utf8(t));
    }
    return texts;
}

// The row that is selected, "" when none.
std::string SelectedRow(const CYoteiEditDlg& d) {
    const int sel = d.m_listYotei->GetCurSel();
    return sel < 0 ? "" : Utf8(d.m_listYotei->GetText(sel));
}

// The period date text of the day 8 March 2008 shifted by days, CP932.
std::string DateText(int days) {
    return DateFormat(kDatePatternJa, DateAddDays("20080308", days)).value();
}

wxComboBox* Combo(const CYoteiEditDlg& d, int id) {
    return d.GetDlgItemAs<wxComboBox>(id);
}

class DayDlgTest : public dlgtest::GuiTest {
  protected:
    // A Saturday, 8 March 2008.
    void Day(CYoteiEditDlg& d) {
        d.m_nYear = 2008;
        d.m_nMonth = 3;
        d.m_nDay = 8;
    }
    void Slot(CYoteiEditDlg& d, int k, const char* from, const char* to, const char* text) {
        d.m_strFromTime[k] = from;
        d.m_strToTime[k] = to;
        d.m_strYotei[k] = Sjis(text);
    }
    // The day with all four slots in use.
    void FourEntries(CYoteiEditDlg& d) {
        Day(d);
        Slot(d, 0, "09:00", "10:30", "定例会議");
        Slot(d, 1, "11:00", "12:00", "打合せ");
        Slot(d, 2, "13:00", "", "来客");
        Slot(d, 3, "", "", "資料提出");
    }
    void Add(CYoteiEditDlg& d, const char* from, const char* to, const char* text) {
        wxTEST_DIALOG(drive::Click(d, IDC_BUTTON_ADD), TypeEntry(from, to, text));
    }
};

TEST_F(DayDlgTest, OpensWithTheSlotsListedInOrderAndHandsThemBackUnarranged) {
    CYoteiEditDlg d;
    Day(d);
    Slot(d, 0, "15:00", "", "tea");
    Slot(d, 2, "09:00", "09:30", "call");
    Slot(d, 3, "", "", "memo");
    ASSERT_TRUE(d.Create());
    EXPECT_EQ(d.m_strDate, "20080308");
    EXPECT_EQ(Rows(d), (std::vector<std::pair<std::string, int>>{
                           {" memo", 3}, {"09:00～09:30 call", 2}, {"15:00～ tea", 0}}));
    // The focus starts on the list with its first row selected, ready for 変更 and 取消.
    EXPECT_EQ(SelectedRow(d), " memo");
    EXPECT_TRUE(d.IsDlgItemEnabled(IDC_BUTTON_CHANGE));
    EXPECT_TRUE(d.IsDlgItemEnabled(IDC_BUTTON_REMOVE));
    EXPECT_TRUE(d.IsDlgItemEnabled(IDC_BUTTON_ADD));
    drive::Click(d, IDOK);
    EXPECT_EQ(drive::Result(d), IDOK);
    EXPECT_EQ(SlotTexts(d), (std::vector<std::string>{"tea", "", "call", "memo"}));
}

TEST_F(DayDlgTest, PeriodBoxesOfferTwentyOneDaysAndSelectThePeriodDates) {
    CYoteiEditDlg d;
    Day(d);
    d.m_strPeriodYotei = Sjis("出張");
    d.m_strPeriodFrom = DateText(-3);
    d.m_strPeriodTo = DateText(2);
    ASSERT_TRUE(d.Create());
    wxComboBox* from = Combo(d, IDC_COMBO_PERIOD_FROM);
    wxComboBox* to = Combo(d, IDC_COMBO_PERIOD_TO);
    ASSERT_EQ(from->GetCount(), 21u);
    ASSERT_EQ(to->GetCount(), 21u);
    EXPECT_EQ(from->GetString(0), Wx("2008年02月17日(日)"));
    EXPECT_EQ(from->GetString(20), Wx("2008年03月08日(土)"));
    EXPECT_EQ(to->GetString(0), Wx("2008年03月08日(土)"));
    EXPECT_EQ(to->GetString(20), Wx("2008年03月28日(金)"));
    EXPECT_TRUE(from->IsEnabled());
    EXPECT_EQ(from->GetSelection(), 17);
    EXPECT_EQ(to->GetSelection(), 2);
    drive::Click(d, IDOK);
    EXPECT_EQ(d.m_strPeriodFrom, DateText(-3));
    EXPECT_EQ(d.m_strPeriodTo, DateText(2));
}

TEST_F(DayDlgTest, TypingAPeriodTextEnablesTheBoxesOnTheDayItself) {
    CYoteiEditDlg d;
    Day(d);
    ASSERT_TRUE(d.Create());
    wxComboBox* from = Combo(d, IDC_COMBO_PERIOD_FROM);
    wxComboBox* to = Combo(d, IDC_COMBO_PERIOD_TO);
    EXPECT_FALSE(from->IsEnabled());
    EXPECT_FALSE(to->IsEnabled());

    drive::Typing(d, IDC_EDIT_PERIOD_YOTEI, Wx("旅"));
    EXPECT_TRUE(from->IsEnabled());
    EXPECT_TRUE(to->IsEnabled());
    EXPECT_EQ(from->GetSelection(), 20);
    EXPECT_EQ(to->GetSelection(), 0);

    // A later change keeps a selection the user made.
    drive::Select(d, IDC_COMBO_PERIOD_TO, 4);
    drive::Typing(d, IDC_EDIT_PERIOD_YOTEI, Wx("旅行"));
    EXPECT_EQ(to->GetSelection(), 4);

    drive::Typing(d, IDC_EDIT_PERIOD_YOTEI, "");
    EXPECT_FALSE(from->IsEnabled());
    EXPECT_FALSE(to->IsEnabled());
    drive::Click(d, IDOK);
    EXPECT_EQ(d.m_strPeriodYotei, "");
    EXPECT_EQ(d.m_strPeriodFrom, DateText(0));  // still handed back
    EXPECT_EQ(d.m_strPeriodTo, DateText(4));
}

// Changing the text of a period keeps its dates, also a start before the list's first
// day, which the start box shows as text with no item selected.
TEST_F(DayDlgTest, ChangingAPeriodTextKeepsItsDates) {
    struct Case {
        int start;      // days from the day
        int startItem;  // selected after opening, wxNOT_FOUND for text alone
    };
    for (const Case& c : {Case{-25, wxNOT_FOUND}, Case{-21, wxNOT_FOUND}, Case{-20, 0}}) {
        SCOPED_TRACE(c.start);
        CYoteiEditDlg d;
        Day(d);
        d.m_strPeriodYotei = Sjis("長期出張");
        d.m_strPeriodFrom = DateText(c.start);
        d.m_strPeriodTo = DateText(1);
        ASSERT_TRUE(d.Create());
        wxComboBox* from = Combo(d, IDC_COMBO_PERIOD_FROM);
        EXPECT_EQ(from->GetSelection(), c.startItem);
        EXPECT_EQ(from->GetValue(), fw::Cp932ToWx(DateText(c.start)));
        EXPECT_EQ(Combo(d, IDC_COMBO_PERIOD_TO)->GetSelection(), 1);

        drive::Typing(d, IDC_EDIT_PERIOD_YOTEI, Wx("長期出張２"));
        EXPECT_EQ(from->GetSelection(), c.startItem);
        EXPECT_EQ(Combo(d, IDC_COMBO_PERIOD_TO)->GetSelection(), 1);
        drive::Click(d, IDOK);
        EXPECT_EQ(d.m_strPeriodYotei, Sjis("長期出張２"));
        EXPECT_EQ(d.m_strPeriodFrom, DateText(c.start));
        EXPECT_EQ(d.m_strPeriodTo, DateText(1));
    }
}

// Counts title pixels of exactly the colour.
int TitlePixels(CYoteiEditDlg& d, const wxColour& color) {
    const wxImage image = dlgtest::PaintedClient(d, *wxWHITE);
    int n = 0;
    for (int y = dlg::kTitleBand.top; y < dlg::kTitleBand.bottom; ++y) {
        for (int x = dlg::kTitleBand.left; x < dlg::kTitleBand.right; ++x) {
            n += dlgtest::PixelAt(image, x, y) == color ? 1 : 0;
        }
    }
    return n;
}

TEST_F(DayDlgTest, TitleColourFollowsTheWeekdayAndTheHolidayBox) {
    const wxColour red(255, 0, 0), blue(0, 0, 255), black(0, 0, 0);
    struct Case {
        int day;
        wxColour plain;
    };
    for (const Case& c : {Case{8, blue}, Case{9, red}, Case{5, black}}) {
        SCOPED_TRACE(c.day);
        CYoteiEditDlg d;
        Day(d);
        d.m_nDay = c.day;
        ASSERT_TRUE(d.Create());
        EXPECT_GT(TitlePixels(d, c.plain), 20);
        for (const wxColour& other : {red, blue, black}) {
            if (other != c.plain) {
                EXPECT_EQ(TitlePixels(d, other), 0);
            }
        }
        drive::Click(d, IDC_CHECK_HOLIDAY);
        EXPECT_EQ(d.m_nHoliday, 1);
        EXPECT_GT(TitlePixels(d, red), 20);
        if (c.plain != red) {
            EXPECT_EQ(TitlePixels(d, c.plain), 0);
        }
        drive::Click(d, IDC_CHECK_HOLIDAY);
        EXPECT_EQ(d.m_nHoliday, 0);
        EXPECT_GT(TitlePixels(d, c.plain), 20);
    }
}

TEST_F(DayDlgTest, AddedEntriesAreArrangedByStartTime) {
    CYoteiEditDlg d;
    Day(d);
    ASSERT_TRUE(d.Create());
    Add(d, "15:00", "", "a");
    EXPECT_EQ(SlotTexts(d), (std::vector<std::string>{"", "", "", "a"}));
    EXPECT_EQ(SelectedRow(d), "15:00～ a");  // in slot 3 now, not in slot 0 it was added to
    EXPECT_TRUE(d.IsDlgItemEnabled(IDC_BUTTON_CHANGE));
    Add(d, "16:00", "", "b");
    Add(d, "17:00", "", "c");
    EXPECT_EQ(SlotTexts(d), (std::vector<std::string>{"", "a", "b", "c"}));

    CYoteiEditDlg e;
    Day(e);
    ASSERT_TRUE(e.Create());
    Add(e, "09:00", "10:00", "会議");
    EXPECT_EQ(SelectedRow(e), "09:00～10:00 会議");
    EXPECT_TRUE(e.IsDlgItemEnabled(IDC_BUTTON_CHANGE));
    EXPECT_TRUE(e.IsDlgItemEnabled(IDC_BUTTON_REMOVE));
    Add(e, "09:30", "", "電話");
    EXPECT_EQ(SlotTexts(e), (std::vector<std::string>{"会議", "電話", "", ""}));
    EXPECT_EQ(SelectedRow(e), "09:30～ 電話");
    drive::Click(e, IDOK);
    EXPECT_EQ(e.m_strFromTime[1], "09:30");
    EXPECT_EQ(e.m_strToTime[0], "10:00");
}

// A day holds four timed entries: with four, "追加..." is disabled before anything is
// typed, and the button's tooltip says why; removing one enables it again.
TEST_F(DayDlgTest, AddIsDisabledWithFourEntriesAndSaysWhy) {
    CYoteiEditDlg d;
    Day(d);
    Slot(d, 0, "09:00", "", "a");
    Slot(d, 1, "11:00", "", "b");
    Slot(d, 3, "16:00", "", "c");
    ASSERT_TRUE(d.Create());
    wxWindow* add = d.GetDlgItem(IDC_BUTTON_ADD);
    const wxString why =
        Wx("時間予定は１日に４つまでです。追加するには、どれかを取り消してください。");
    struct Step {
        const char* name;
        std::function<void()> act;
        bool enabled;
    };
    const Step steps[] = {
        {"three entries", [] {}, true},
        {"the fourth added", [&] { Add(d, "13:00", "", "d"); }, false},
        {"one removed",
         [&] {
             drive::Select(d, IDC_LIST_YOTEI, 0);
             drive::Click(d, IDC_BUTTON_REMOVE);
         },
         true},
        {"a fourth again", [&] { Add(d, "08:00", "", "e"); }, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_EQ(d.IsDlgItemEnabled(IDC_BUTTON_ADD), step.enabled);
        // The reason is shown where the pointer rests on the button.
        EXPECT_EQ(add->GetToolTipText(), step.enabled ? wxString() : why);
    }
    EXPECT_EQ(Rows(d).size(), 4u);
}

TEST_F(DayDlgTest, AddStoresNothingWhenCancelledOrGivenNoText) {
    CYoteiEditDlg d;
    Day(d);
    Slot(d, 1, "12:00", "", "lunch");
    ASSERT_TRUE(d.Create());
    fw::ScopedMessageBoxCapture boxes;
    wxTEST_DIALOG(drive::Click(d, IDC_BUTTON_ADD), ExpectTimeEntry([](CTimeYoteiDlg& t) {
                      drive::Typing(t, IDC_EDIT_YOTEI_TEXT, "x");
                      drive::Click(t, IDCANCEL);
                      return drive::Result(t);
                  }));
    // OK cannot be pressed with an empty text; a run that still ends with OK and no text
    // stores nothing.
    wxTEST_DIALOG(drive::Click(d, IDC_BUTTON_ADD), ExpectTimeEntry([](CTimeYoteiDlg& t) {
                      t.m_strFrom = "10:00";
                      return int(IDOK);
                  }));
    EXPECT_TRUE(boxes.Requests().empty());
    EXPECT_EQ(SlotTexts(d), (std::vector<std::string>{"", "lunch", "", ""}));
    EXPECT_EQ(Rows(d).size(), 1u);
}

TEST_F(DayDlgTest, ChangeRunsTheTimeEntryDialogWithTheSelectedEntry) {
    CYoteiEditDlg d;
    Day(d);
    Slot(d, 0, "09:00", "10:00", "会議");
    Slot(d, 1, "13:00", "", "来客");
    ASSERT_TRUE(d.Create());
    drive::Select(d, IDC_LIST_YOTEI, 1);
    EXPECT_TRUE(d.IsDlgItemEnabled(IDC_BUTTON_CHANGE));
    wxTEST_DIALOG(drive::Click(d, IDC_BUTTON_CHANGE), ExpectTimeEntry([](CTimeYoteiDlg& t) {
                      EXPECT_EQ(t.m_strFrom, "13:00");
                      EXPECT_EQ(t.m_strText, Sjis("来客"));
                      EXPECT_TRUE(t.IsDlgItemEnabled(IDOK));
                      drive::Typing(t, IDC_EDIT_FROM_TIME, "16:00");
                      drive::Click(t, IDOK);
                      return drive::Result(t);
                  }));
    // Slot 1 now starts at 16:00 (band 3): arranged into slot 3, and still selected.
    EXPECT_EQ(SlotTexts(d), (std::vector<std::string>{"会議", "", "", "来客"}));
    EXPECT_EQ(d.m_strFromTime[3], "16:00");
    EXPECT_EQ(SelectedRow(d), "16:00～ 来客");

    // A double-click changes too; an empty text keeps the entry as it was.
    wxTEST_DIALOG(drive::DoubleClick(d, IDC_LIST_YOTEI, 0), ExpectTimeEntry([](CTimeYoteiDlg& t) {
                      EXPECT_EQ(t.m_strText, Sjis("会議"));
                      t.m_strText.clear();
                      return int(IDOK);
                  }));
    EXPECT_EQ(SlotTexts(d), (std::vector<std::string>{"会議", "", "", "来客"}));
    EXPECT_EQ(SelectedRow(d), "09:00～10:00 会議");
}

// After an add or a change the arrangement by time moves entries to other slots; the
// selected row is the entry just stored, so that "取消" removes that entry and no other.
TEST_F(DayDlgTest, AddAndChangeSelectTheEntryTheyStoredWhereverItMoved) {
    struct Entry {
        const char *from, *to, *text;
    };
    struct Case {
        const char* name;
        std::array<Entry, kSlotCount> slots;  // text "" for a free slot
        int row;                              // the row to change; -1: add
        Entry typed;
        const char* selected;
        std::vector<std::string> afterRemove;
    };
    const Entry morning{"09:00", "10:00", "朝会"};
    const Entry review{"10:30", "12:00", "設計レビュー"};
    const Entry client{"13:00", "15:00", "顧客打合せ"};
    const Entry report{"16:00", "17:00", "報告"};
    const Entry none{"", "", ""};
    const Case cases[] = {
        {"change to a later time",
         {morning, review, client, report},
         1,
         {"13:30", "14:30", "設計レビュー"},
         "13:30～14:30 設計レビュー",
         {"09:00～10:00 朝会", "13:00～15:00 顧客打合せ", "16:00～17:00 報告"}},
        {"change to an earlier time",
         {morning, review, client, report},
         3,
         {"08:00", "08:30", "報告"},
         "08:00～08:30 報告",
         {"09:00～10:00 朝会", "10:30～12:00 設計レビュー", "13:00～15:00 顧客打合せ"}},
        {"add before the others",
         {morning, review, none, report},
         -1,
         {"08:00", "08:30", "メール"},
         "08:00～08:30 メール",
         {"09:00～10:00 朝会", "10:30～12:00 設計レビュー", "16:00～17:00 報告"}},
        {"add between the others",
         {morning, none, client, report},
         -1,
         {"11:00", "11:30", "電話"},
         "11:00～11:30 電話",
         {"09:00～10:00 朝会", "13:00～15:00 顧客打合せ", "16:00～17:00 報告"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CYoteiEditDlg d;
        Day(d);
        for (int k = 0; k < kSlotCount; ++k) {
            Slot(d, k, c.slots[k].from, c.slots[k].to, c.slots[k].text);
        }
        ASSERT_TRUE(d.Create());
        if (c.row >= 0) {
            drive::Select(d, IDC_LIST_YOTEI, c.row);
            wxTEST_DIALOG(drive::Click(d, IDC_BUTTON_CHANGE),
                          TypeEntry(c.typed.from, c.typed.to, c.typed.text));
        } else {
            Add(d, c.typed.from, c.typed.to, c.typed.text);
        }
        EXPECT_EQ(SelectedRow(d), c.selected);
        drive::Click(d, IDC_BUTTON_REMOVE);
        std::vector<std::string> rows;
        for (const auto& [row, slot] : Rows(d)) {
            rows.push_back(row);
        }
        EXPECT_EQ(rows, c.afterRemove);
    }
}

TEST_F(DayDlgTest, RemoveSelectsTheNearestEntryBelowThenAbove) {
    CYoteiEditDlg d;
    Day(d);
    Slot(d, 0, "09:00", "", "a");
    Slot(d, 1, "11:00", "", "b");
    Slot(d, 2, "13:00", "", "c");
    ASSERT_TRUE(d.Create());
    drive::Select(d, IDC_LIST_YOTEI, 2);  // c in slot 2
    drive::Click(d, IDC_BUTTON_REMOVE);
    EXPECT_EQ(SlotTexts(d), (std::vector<std::string>{"a", "b", "", ""}));
    EXPECT_EQ(SelectedRow(d), "11:00～ b");
    drive::Select(d, IDC_LIST_YOTEI, 0);  // a in slot 0
    drive::Click(d, IDC_BUTTON_REMOVE);
    EXPECT_EQ(SlotTexts(d), (std::vector<std::string>{"", "b", "", ""}));
    EXPECT_EQ(SelectedRow(d), "11:00～ b");
    drive::Click(d, IDC_BUTTON_REMOVE);
    EXPECT_TRUE(Rows(d).empty());
    EXPECT_FALSE(d.IsDlgItemEnabled(IDC_BUTTON_CHANGE));
    EXPECT_FALSE(d.IsDlgItemEnabled(IDC_BUTTON_REMOVE));
}

bool Ticked(const CYoteiEditDlg& d, int id) {
    return d.GetDlgItemAs<wxCheckBox>(id)->GetValue();
}

// The file keeps one mark per day, so the two boxes are exclusive: what they show is
// what OK hands back. A day stored with both marks (a hand-edited file) shows the
// holiday alone, as OK would store it.
TEST_F(DayDlgTest, TheTwoMarkBoxesExcludeEachOther) {
    struct Case {
        const char* name;
        int holiday, paidLeave;  // as the caller gives them
        std::vector<int> clicks;
        bool holidayShown, paidLeaveShown;
    };
    const Case cases[] = {
        {"holiday, then paid leave", 0, 0, {IDC_CHECK_HOLIDAY, IDC_CHECK_PAID_LEAVE}, false, true},
        {"paid leave, then holiday", 0, 0, {IDC_CHECK_PAID_LEAVE, IDC_CHECK_HOLIDAY}, true, false},
        {"paid leave ticked and cleared",
         0,
         0,
         {IDC_CHECK_PAID_LEAVE, IDC_CHECK_PAID_LEAVE},
         false,
         false},
        {"stored paid leave, holiday ticked", 0, 1, {IDC_CHECK_HOLIDAY}, true, false},
        {"stored with both marks", 1, 1, {}, true, false},
        {"stored with both, paid leave ticked", 1, 1, {IDC_CHECK_PAID_LEAVE}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CYoteiEditDlg d;
        Day(d);
        d.m_nDay = 5;  // a Wednesday: the title is red only for the holiday mark
        d.m_nHoliday = c.holiday;
        d.m_nPaidLeave = c.paidLeave;
        ASSERT_TRUE(d.Create());
        for (int id : c.clicks) {
            drive::Click(d, id);
        }
        EXPECT_EQ(Ticked(d, IDC_CHECK_HOLIDAY), c.holidayShown);
        EXPECT_EQ(Ticked(d, IDC_CHECK_PAID_LEAVE), c.paidLeaveShown);
        EXPECT_EQ(TitlePixels(d, wxColour(255, 0, 0)) > 0, c.holidayShown);
        drive::Click(d, IDOK);
        EXPECT_EQ(drive::Result(d), IDOK);
        EXPECT_EQ(d.m_nHoliday, c.holidayShown ? 1 : 0);
        EXPECT_EQ(d.m_nPaidLeave, c.paidLeaveShown ? 1 : 0);
    }
}

TEST_F(DayDlgTest, CancelAfterEditsEndsWithTwo) {
    CYoteiEditDlg d;
    Day(d);
    int result = 0;
    wxTEST_DIALOG(result = d.DoModal(), ExpectDayDialog([](CYoteiEditDlg& day) {
                      drive::Click(day, IDC_BUTTON_ADD);
                      drive::Typing(day, IDC_EDIT_PERIOD_YOTEI, "trip");
                      drive::Click(day, IDCANCEL);
                      return drive::Result(day);
                  }),
                  TypeEntry("09:00", "", "x"));
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DayDlgTest, PeriodTextsTheTableCannotHoldAreRefused) {
    CYoteiEditDlg d;
    Day(d);
    d.m_strPeriodYotei = Sjis("出張");
    d.m_strPeriodFrom = DateText(0);
    d.m_strPeriodTo = DateText(0);
    ASSERT_TRUE(d.Create());
    fw::ScopedMessageBoxCapture boxes;
    // Each refusal is said in a balloon under the field, which keeps the focus.
    const std::pair<int, wxString> typed[] = {
        {IDC_EDIT_PERIOD_YOTEI, Wx("出張\"大阪\"")},
        {IDC_COMBO_PERIOD_TO, Wx("2008年03月09日(日)é")},
        {IDC_EDIT_PERIOD_YOTEI, wxString(wxUniChar('a'), 2040)},
    };
    const char* said[] = {"＂", "é", "2032"};
    for (size_t k = 0; k < std::size(typed); ++k) {
        drive::UserFocus(d, typed[k].first);
        drive::Typing(d, typed[k].first, typed[k].second);
        EXPECT_NE(d.NoteText().find(Wx(said[k])), wxString::npos) << d.NoteText();
        EXPECT_EQ(d.GetFocusId(), typed[k].first);
    }
    EXPECT_TRUE(boxes.Requests().empty());
    // The balloon goes with the focus.
    drive::UserFocus(d, IDC_CHECK_HOLIDAY);
    EXPECT_TRUE(d.NoteText().empty());
    drive::Click(d, IDOK);
    EXPECT_EQ(d.m_strPeriodYotei, Sjis("出張"));
    EXPECT_EQ(d.m_strPeriodTo, DateText(0));
}

// OK with period dates that cannot be stored keeps the dialog open, says why and puts
// the focus on the date to mend; once mended, OK hands back what was entered.
TEST_F(DayDlgTest, PeriodDatesThatCannotBeStoredKeepTheDialogOpen) {
    struct Case {
        const char* name;
        std::string from, to;
        const char* message;  // a piece of the message
        int focus;
    };
    const Case cases[] = {
        {"end before start", DateText(1), DateText(0), "終了日が開始日より前", IDC_COMBO_PERIOD_TO},
        {"101 days", DateText(0), DateText(100), "期間は100日までです", IDC_COMBO_PERIOD_TO},
        {"start not a date", Sjis("2008年3月1日"), DateText(0), "2008年03月08日(土)",
         IDC_COMBO_PERIOD_FROM},
        {"start with a stray byte", "2008/03/08 \x82", DateText(0), "の形で入力",
         IDC_COMBO_PERIOD_FROM},
        {"end on 30 February", DateText(0), Sjis("2008年02月30日(土)"), "の形で入力",
         IDC_COMBO_PERIOD_TO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CYoteiEditDlg d;
        Day(d);
        d.m_strPeriodYotei = Sjis("出張");
        d.m_strPeriodFrom = c.from;
        d.m_strPeriodTo = c.to;
        d.m_nPeriodMaxDays = 100;
        ASSERT_TRUE(d.Create());
        fw::ScopedMessageBoxCapture boxes;
        drive::Click(d, IDOK);
        EXPECT_NE(drive::Result(d), IDOK);
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_NE(boxes.Requests()[0].text.find(Wx(c.message)), wxString::npos);
        EXPECT_EQ(d.GetFocusId(), c.focus);
        EXPECT_EQ(d.m_strPeriodFrom, c.from);
        EXPECT_EQ(d.m_strPeriodTo, c.to);

        drive::Typing(d, c.focus, fw::Cp932ToWx(DateText(c.focus == IDC_COMBO_PERIOD_TO ? 2 : -2)));
        drive::Click(d, IDOK);
        EXPECT_EQ(drive::Result(d), IDOK);
        EXPECT_EQ(boxes.Requests().size(), 1u);
    }
}

TEST_F(DayDlgTest, UntouchedTextsGoBackAsTheirBytes) {
    const std::string odd = "\x95\x5c\x8e\xa6\x82";  // "表示" and a lone lead byte
    CYoteiEditDlg d;
    Day(d);
    d.m_strPeriodYotei = odd;
    d.m_strPeriodFrom = DateText(-1);
    d.m_strPeriodTo = DateText(0);
    d.m_strYotei[2] = odd;
    d.m_strFromTime[2] = "9:5";
    ASSERT_TRUE(d.Create());
    drive::Click(d, IDOK);
    EXPECT_EQ(d.m_strPeriodYotei, odd);
    EXPECT_EQ(d.m_strPeriodFrom, DateText(-1));
    EXPECT_EQ(d.m_strYotei[2], odd);
    EXPECT_EQ(d.m_strFromTime[2], "9:5");
}

// The list is as tall as the template makes it (40 units): all four entries show at
// once, without scrolling.
TEST_F(DayDlgTest, TheListShowsFourEntriesAtOnce) {
    CYoteiEditDlg d;
    FourEntries(d);
    ASSERT_TRUE(d.Create());
    d.Show();
    auto* list = dynamic_cast<wxListBox*>(d.GetDlgItem(IDC_LIST_YOTEI));
    ASSERT_NE(list, nullptr);
    // The rows have a height (and a page is counted) once GTK has laid the list out.
    ASSERT_TRUE(guitest::YieldUntil([&] { return list->GetCountPerPage() > 0; }));
    EXPECT_EQ(list->GetCount(), 4u);
    EXPECT_GE(list->GetCountPerPage(), 4);
    d.Hide();
}

}  // namespace

namespace {

using dlgtest::RealKeys;

// Typing right after the day opens reaches neither OK nor a field: the focus starts on
// the entry list (on "追加" for an empty day), with its ring shown, so a space no longer
// presses OK and closes the dialog.
TEST_F(DayDlgTest, TheKeyboardStartsOnTheEntriesNeverOnOK) {
    struct Case {
        int entries;
        int focus;
    };
    const Case cases[] = {{0, IDC_BUTTON_ADD}, {1, IDC_LIST_YOTEI}, {4, IDC_LIST_YOTEI}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries);
        CYoteiEditDlg d;
        FourEntries(d);
        for (int k = c.entries; k < kSlotCount; ++k) {
            Slot(d, k, "", "", "");
        }
        ASSERT_TRUE(d.Create());
        const int start = d.GetFocusId();
        EXPECT_EQ(start, c.focus);
        if (c.entries == 0) {
            continue;  // a space on "追加" opens the time entry dialog, as it should
        }
        RealKeys keys(d);
        EXPECT_TRUE(guitest::YieldUntil([&] { return fw::KeyboardFocusShown(&d); }, 10));
        keys.Type("meeting at 10");
        // Tab moves the focus on once the typing before it has been handled.
        keys.Press(WXK_TAB);
        ASSERT_TRUE(guitest::YieldUntil(
            [&] { return drive::Result(d) != -1 || d.GetFocusId() != start; }, 30));
        EXPECT_EQ(drive::Result(d), -1) << "a key ended the dialog";
        EXPECT_TRUE(d.m_strPeriodYotei.empty());
        EXPECT_EQ(d.m_listYotei->GetRowCount(), c.entries);
    }
}

// Tab and Shift+Tab run from top to bottom and round; an edit or a combo box tabbed into
// has its whole text selected, ready to be typed over.
TEST_F(DayDlgTest, TabRunsFromTopToBottomAndSelectsTheTextsItEnters) {
    CYoteiEditDlg d;
    Day(d);
    Slot(d, 0, "09:00", "10:00", "会議");
    d.m_strPeriodYotei = Sjis("出張");
    d.m_strPeriodFrom = DateText(0);
    d.m_strPeriodTo = DateText(1);
    ASSERT_TRUE(d.Create());
    ASSERT_EQ(d.GetFocusId(), IDC_LIST_YOTEI);  // its first row selected: 変更 and 取消 take part
    const int order[] = {IDOK,
                         IDCANCEL,
                         IDC_CHECK_HOLIDAY,
                         IDC_CHECK_PAID_LEAVE,
                         IDC_COMBO_PERIOD_FROM,
                         IDC_COMBO_PERIOD_TO,
                         IDC_EDIT_PERIOD_YOTEI,
                         IDC_BUTTON_ADD,
                         IDC_BUTTON_CHANGE,
                         IDC_BUTTON_REMOVE,
                         IDC_LIST_YOTEI};
    RealKeys keys(d);
    for (int id : order) {
        keys.Press(WXK_TAB);
        ASSERT_TRUE(guitest::YieldUntil([&] { return d.GetFocusId() == id; }, 10))
            << "expected " << id << ", focus on " << d.GetFocusId();
        if (auto* entry = dynamic_cast<wxTextEntry*>(d.GetDlgItem(id))) {
            const long length = entry->GetLastPosition();
            EXPECT_GT(length, 0) << id;
            EXPECT_EQ(d.GetEditSel(id), (std::pair<long, long>{0, length})) << id;
        }
    }
    for (int k = int(std::size(order)) - 2; k >= 0; --k) {
        keys.Press(WXK_TAB, wxMOD_SHIFT);
        ASSERT_TRUE(guitest::YieldUntil([&] { return d.GetFocusId() == order[k]; }, 10))
            << "expected " << order[k] << ", focus on " << d.GetFocusId();
    }
    EXPECT_EQ(drive::Result(d), -1);
}

// A refused character is said in a balloon under the field; the keys typed after it go
// on into the field, none is lost to a message box.
TEST_F(DayDlgTest, ARefusedCharacterLeavesTheTypingInTheField) {
    CYoteiEditDlg d;
    Day(d);
    ASSERT_TRUE(d.Create());
    fw::ScopedMessageBoxCapture boxes;
    auto* edit = d.GetDlgItemAs<wxTextCtrl>(IDC_EDIT_PERIOD_YOTEI);
    ASSERT_NE(edit, nullptr);
    d.SetFocusByCode(IDC_EDIT_PERIOD_YOTEI);
    RealKeys keys(d);
    keys.Type("ab");
    keys.Press('\'', wxMOD_SHIFT);  // the ASCII double quote on the keyboard
    keys.Type("cd");
    ASSERT_TRUE(guitest::YieldUntil([&] { return edit->GetValue().length() >= 4; }, 30))
        << edit->GetValue();
    EXPECT_EQ(edit->GetValue(), "abcd");
    EXPECT_TRUE(boxes.Requests().empty());
    EXPECT_NE(d.NoteText().find(Wx("＂")), wxString::npos) << d.NoteText();
    EXPECT_EQ(d.GetFocusId(), IDC_EDIT_PERIOD_YOTEI);
    drive::Click(d, IDOK);
    EXPECT_EQ(d.m_strPeriodYotei, "abcd");
    EXPECT_TRUE(d.NoteText().empty());  // the balloon goes with the dialog
}

// The buttons and boxes carry access keys, a letter in parentheses after the caption;
// Alt and the letter work them from anywhere in the dialog.
TEST_F(DayDlgTest, AccessKeysWorkTheControls) {
    const std::pair<int, const char*> captions[] = {
        {IDC_CHECK_HOLIDAY, "祝日・特別休日(&H)"}, {IDC_CHECK_PAID_LEAVE, "計画有給休暇日(&Y)"},
        {IDC_BUTTON_ADD, "追加(&A)..."},           {IDC_BUTTON_CHANGE, "変更(&C)..."},
        {IDC_BUTTON_REMOVE, "取消(&D)"},
    };
    CYoteiEditDlg d;
    Day(d);
    ASSERT_TRUE(d.Create());
    for (const auto& [id, caption] : captions) {
        EXPECT_EQ(d.GetDlgItem(id)->GetLabel(), Wx(caption)) << id;
    }
    RealKeys keys(d);
    keys.Press('h', wxMOD_ALT);
    EXPECT_TRUE(guitest::YieldUntil([&] { return d.m_nHoliday == 1; }, 30));
    keys.Press('y', wxMOD_ALT);  // the other mark: the holiday box clears
    EXPECT_TRUE(guitest::YieldUntil([&] { return d.m_nPaidLeave == 1; }, 30));
    EXPECT_EQ(d.m_nHoliday, 0);
    bool opened = false;
    wxTEST_DIALOG(
        {
            keys.Press('a', wxMOD_ALT);
            EXPECT_TRUE(guitest::YieldUntil([&] { return opened; }, 30));
        },
        ExpectTimeEntry([&](CTimeYoteiDlg&) {
            opened = true;
            return IDCANCEL;
        }));
    EXPECT_EQ(drive::Result(d), -1);
}

// A row too long for the list shows its whole text as its tooltip, where the pointer
// rests on it; a row that fits has none.
TEST_F(DayDlgTest, CutRowsShowTheirWholeTextAsTooltip) {
    CYoteiEditDlg d;
    Day(d);
    const std::string longText = "取引先との打合せ資料の最終確認と来週の出張の手配（大阪・京都）";
    Slot(d, 0, "09:00", "10:00", longText.c_str());
    Slot(d, 1, "11:00", "12:00", "昼食");
    ASSERT_TRUE(d.Create());
    d.Show();
    auto* list = d.m_listYotei;
    ASSERT_TRUE(guitest::YieldUntil([&] { return list->GetCountPerPage() > 0; }));
    // The point of each row, found as the list itself finds rows.
    std::vector<wxPoint> rowPoints(2, wxDefaultPosition);
    for (int y = 0; y < list->GetClientSize().y; ++y) {
        const int row = list->HitTest(wxPoint(20, y));
        if (row >= 0 && row < 2 && rowPoints[row] == wxDefaultPosition) {
            rowPoints[row] = wxPoint(20, y + 2);
        }
    }
    const wxString rows[] = {Wx("09:00～10:00 ") + Wx(longText.c_str()), Wx("11:00～12:00 昼食")};
    const wxString tips[] = {rows[0], wxString()};
    for (int row = 0; row < 2; ++row) {
        ASSERT_NE(rowPoints[row], wxDefaultPosition) << row;
        EXPECT_EQ(list->GetString(row), rows[row]);
        wxMouseEvent motion(wxEVT_MOTION);
        motion.SetPosition(rowPoints[row]);
        motion.SetEventObject(list);
        list->GetEventHandler()->ProcessEvent(motion);
        EXPECT_EQ(list->GetToolTipText(), tips[row]) << row;
    }
    d.Hide();
}

}  // namespace
