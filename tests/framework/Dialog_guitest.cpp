// CDialog under Xvfb: modal results, data exchange with notifications locked out,
// synchronous focus notifications, combo prefix selection, sorted list rows, placement.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#include <string>
#include <vector>

#include "Cp932.h"
#include "Dialog.h"
#include "GuiWait.h"
#include "MessageBox.h"
#include "SortedListBox.h"
#include "TextConv.h"

namespace {

std::string Sjis(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

// A dialog on the time entry template that logs what reaches its handlers.
class CLogDlg : public fw::CDialog {
  public:
    CLogDlg() : fw::CDialog(IDD_TIME_YOTEI) {}

    std::string m_strFrom, m_strTo, m_strText;
    std::vector<std::string> m_log;
    int m_nInitialFocus = 0;  // 0: base focus, else the edit OnInitDialog focuses
    bool m_bExchangeInHandler = false;

    void Log(const std::string& entry) { m_log.push_back(entry); }

  protected:
    void DoDataExchange(fw::CDataExchange& dx) override {
        fw::DDX_Text(dx, IDC_EDIT_FROM_TIME, m_strFrom);
        fw::DDX_Text(dx, IDC_EDIT_YOTEI_TEXT, m_strText);
        fw::DDX_Text(dx, IDC_EDIT_TO_TIME, m_strTo);
    }
    bool OnInitDialog() override {
        fw::CDialog::OnInitDialog();
        if (m_nInitialFocus == 0) {
            return true;
        }
        Log("init: before focus");
        SetFocusByCode(m_nInitialFocus);
        Log("init: after focus");
        return false;
    }

  private:
    void OnSetFocus(wxCommandEvent& event) {
        Log("setfocus " + std::to_string(event.GetId()));
        if (m_bExchangeInHandler) {
            // The handlers of the time entry dialog exchange both ways on a focus move.
            UpdateData(true);
            m_strTo += "!";
            UpdateData(false);
        }
    }
    void OnKillFocus(wxCommandEvent& event) { Log("killfocus " + std::to_string(event.GetId())); }
    void OnChange(wxCommandEvent& event) { Log("change " + std::to_string(event.GetId())); }
    void OnHour(wxCommandEvent& event) { Log("click " + std::to_string(event.GetId())); }

    wxDECLARE_EVENT_TABLE();
};

wxBEGIN_EVENT_TABLE(CLogDlg, fw::CDialog)
    EVT_CTRL_SETFOCUS(wxID_ANY, CLogDlg::OnSetFocus)
    EVT_CTRL_KILLFOCUS(wxID_ANY, CLogDlg::OnKillFocus)
    EVT_TEXT(IDC_EDIT_FROM_TIME, CLogDlg::OnChange)
    EVT_TEXT(IDC_EDIT_TO_TIME, CLogDlg::OnChange)
    EVT_TEXT(IDC_EDIT_YOTEI_TEXT, CLogDlg::OnChange)
    EVT_BUTTON(IDC_HOUR_9, CLogDlg::OnHour)
wxEND_EVENT_TABLE()

// Runs the dialog's real modal loop; action runs inside it once the loop is up.
template <class Dialog, class Action>
int RunModal(Dialog& dlg, Action action) {
    dlg.CallAfter([&dlg, action] { action(dlg); });
    return dlg.DoModal();
}

TEST(DialogModalTest, OkExchangesAndEndsWithOneOtherEndsWithTwoWithoutExchange) {
    struct Case {
        const char* name;
        void (*end)(CLogDlg&);
        int result;
        const char* text;  // m_strText after the run
    };
    const Case cases[] = {
        {"OK button", [](CLogDlg& d) { d.SimulateClick(IDOK); }, IDOK, "typed"},
        {"Enter", [](CLogDlg& d) { d.SimulateKey(WXK_RETURN); }, IDOK, "typed"},
        {"Cancel button", [](CLogDlg& d) { d.SimulateClick(IDCANCEL); }, IDCANCEL, "old"},
        {"Escape", [](CLogDlg& d) { d.SimulateKey(WXK_ESCAPE); }, IDCANCEL, "old"},
        {"close box", [](CLogDlg& d) { d.SimulateClose(); }, IDCANCEL, "old"},
    };
    for (const Case& c : cases) {
        CLogDlg dlg;
        dlg.m_strText = "old";
        const int result = RunModal(dlg, [&c](CLogDlg& d) {
            d.SimulateTyping(IDC_EDIT_YOTEI_TEXT, "typed");
            c.end(d);
        });
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(dlg.m_strText, c.text) << c.name;
        EXPECT_FALSE(dlg.IsModal()) << c.name;
    }
}

TEST(DialogModalTest, EnterDoesNothingWhileTheDefaultButtonIsDisabled) {
    CLogDlg dlg;
    const int result = RunModal(dlg, [](CLogDlg& d) {
        d.EnableDlgItem(IDOK, false);
        d.SimulateKey(WXK_RETURN);
        d.SimulateClick(IDOK);  // a disabled button cannot be clicked either
        EXPECT_TRUE(d.IsModal());
        d.SimulateKey(WXK_ESCAPE);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST(DialogModalTest, EveryRunInitialisesAgainWithItsOwnFocusNotification) {
    CLogDlg dlg;
    dlg.m_nInitialFocus = IDC_EDIT_FROM_TIME;
    for (int run = 0; run < 2; ++run) {
        dlg.m_log.clear();
        dlg.m_strFrom = run == 0 ? "first" : "second";
        EXPECT_EQ(RunModal(dlg, [](CLogDlg& d) { d.SimulateKey(WXK_ESCAPE); }), IDCANCEL);
        EXPECT_EQ(dlg.m_log, (std::vector<std::string>{"init: before focus", "setfocus 1059",
                                                       "init: after focus"}))
            << run;
        EXPECT_EQ(dlg.GetDlgItemAs<wxTextCtrl>(IDC_EDIT_FROM_TIME)->GetValue(),
                  run == 0 ? "first" : "second");
    }
}

TEST(DialogModalTest, TestHookRunsTheInitialisedDialogAndItsOkPath) {
    class Expect : public wxExpectModalBase<CLogDlg> {
      protected:
        int OnInvoked(CLogDlg* dlg) const override {
            // The controls exist and hold the members when the modal run starts.
            EXPECT_EQ(dlg->GetDlgItemAs<wxTextCtrl>(IDC_EDIT_FROM_TIME)->GetValue(), "09:00");
            dlg->SimulateTyping(IDC_EDIT_TO_TIME, "10:30");
            dlg->SimulateClick(IDOK);
            return dlg->GetResult();
        }
    };
    CLogDlg dlg;
    dlg.m_strFrom = "09:00";
    int result = 0;
    wxTEST_DIALOG(result = dlg.DoModal(), Expect());
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_strTo, "10:30");
}

TEST(DialogExchangeTest, NoNotificationReachesAHandlerWhileDataIsExchanged) {
    CLogDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.m_log.clear();
    dlg.m_strFrom = "09:00";
    dlg.m_strTo = "10:30";
    dlg.m_strText = Sjis("会議");
    EXPECT_TRUE(dlg.UpdateData(false));
    EXPECT_TRUE(dlg.m_log.empty());
    // A notification raised by code while the lock is held is dropped too.
    {
        fw::CDialog::NotifyLock lock(dlg);
        dlg.SimulateTyping(IDC_EDIT_YOTEI_TEXT, "x");
        dlg.SimulateClick(IDC_HOUR_9);
    }
    EXPECT_TRUE(dlg.m_log.empty());
    // Outside an exchange the same notifications arrive.
    dlg.SimulateTyping(IDC_EDIT_YOTEI_TEXT, "y");
    EXPECT_EQ(dlg.m_log, (std::vector<std::string>{"change 1065"}));
    EXPECT_FALSE(dlg.IsNotifyLocked());
}

TEST(DialogExchangeTest, UntouchedTextsGoBackAsTheirOriginalBytes) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"NEC-selected IBM extension, converts back to FA 5C", "\xED\x40"},
        {"NEC row 13 sign, converts back to another code", "\x87\x90"},
        {"a lone lead byte, shown as U+FFFD", std::string("ab\x81", 3)},
        {"plain text", Sjis("予定")},
    };
    for (const Case& c : cases) {
        CLogDlg dlg;
        dlg.m_strText = c.bytes;
        ASSERT_TRUE(dlg.Create());
        dlg.m_strText.clear();
        EXPECT_TRUE(dlg.UpdateData(true)) << c.name;
        EXPECT_EQ(dlg.m_strText, c.bytes) << c.name;
    }
}

TEST(DialogExchangeTest, ChangedTextsConvertStrictlyAndAnUnstorableCharacterFails) {
    fw::ScopedMessageBoxCapture boxes;
    CLogDlg dlg;
    dlg.m_strText = "\xED\x40";
    ASSERT_TRUE(dlg.Create());
    dlg.SimulateTyping(IDC_EDIT_YOTEI_TEXT, wxString::FromUTF8("予定A"));
    EXPECT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_strText, Sjis("予定A"));
    EXPECT_TRUE(boxes.Requests().empty());

    dlg.SimulateTyping(IDC_EDIT_YOTEI_TEXT, wxString::FromUTF8("予定\xF0\x9F\x98\x80"));
    EXPECT_FALSE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_strText, Sjis("予定A"));  // kept
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(dlg.GetFocusId(), IDC_EDIT_YOTEI_TEXT);
    // OK does not end the dialog after a failed exchange.
    dlg.SimulateClick(IDOK);
    EXPECT_EQ(dlg.GetResult(), -1);
}

TEST(DialogExchangeTest, WritingAnUnchangedTextKeepsTheSelection) {
    CLogDlg dlg;
    dlg.m_strFrom = "09:00";
    ASSERT_TRUE(dlg.Create());
    dlg.SetEditSel(IDC_EDIT_FROM_TIME, 3, 5);
    dlg.UpdateData(false);
    EXPECT_EQ(dlg.GetEditSel(IDC_EDIT_FROM_TIME), (std::pair<long, long>{3, 5}));
    dlg.SetEditSel(IDC_EDIT_FROM_TIME, 0, -1);
    EXPECT_EQ(dlg.GetEditSel(IDC_EDIT_FROM_TIME), (std::pair<long, long>{0, 5}));
}

TEST(DialogFocusTest, FocusFromCodeRunsTheHandlerOnceInsideTheCallEvenBeforeShowing) {
    CLogDlg dlg;
    dlg.m_nInitialFocus = IDC_EDIT_FROM_TIME;
    ASSERT_TRUE(dlg.Create());
    EXPECT_FALSE(dlg.IsShown());
    EXPECT_EQ(dlg.m_log, (std::vector<std::string>{"init: before focus", "setfocus 1059",
                                                   "init: after focus"}));
    // The toolkit's own focus event for the same control, arriving later, is not passed on.
    wxWindow* edit = dlg.GetDlgItem(IDC_EDIT_FROM_TIME);
    wxFocusEvent late(wxEVT_SET_FOCUS, IDC_EDIT_FROM_TIME);
    late.SetEventObject(edit);
    edit->GetEventHandler()->ProcessEvent(late);
    dlg.SetFocusByCode(IDC_EDIT_FROM_TIME);
    dlg.Show();
    wxYield();
    EXPECT_EQ(dlg.m_log.size(), 3u);
    dlg.Hide();
}

TEST(DialogFocusTest, ShowingTheDialogKeepsTheFocusAndSelectionSetAtInitialisation) {
    class CSelDlg : public CLogDlg {
      protected:
        bool OnInitDialog() override {
            CLogDlg::OnInitDialog();
            SetEditSel(IDC_EDIT_TO_TIME, 0, 2);
            return false;
        }
    };
    CSelDlg dlg;
    dlg.m_strTo = "10:30";
    dlg.m_nInitialFocus = IDC_EDIT_TO_TIME;
    std::vector<std::string> logInLoop;
    std::pair<long, long> selection;
    wxWindow* realFocus = nullptr;
    RunModal(dlg, [&](CLogDlg& d) {
        for (int i = 0; i < 20; ++i) {
            wxYield();
        }
        logInLoop = d.m_log;
        selection = d.GetEditSel(IDC_EDIT_TO_TIME);
        realFocus = wxWindow::FindFocus();
        d.SimulateClick(IDCANCEL);
    });
    EXPECT_EQ(logInLoop, (std::vector<std::string>{"init: before focus", "setfocus 1060",
                                                   "init: after focus"}));
    EXPECT_EQ(selection, (std::pair<long, long>{0, 2}));
    EXPECT_EQ(realFocus, dlg.GetDlgItem(IDC_EDIT_TO_TIME));
}

TEST(DialogFocusTest, UserFocusMovesAndButtonClicksDispatchKillThenSet) {
    CLogDlg dlg;
    dlg.m_nInitialFocus = IDC_EDIT_FROM_TIME;
    ASSERT_TRUE(dlg.Create());
    dlg.m_log.clear();

    // The user moves to the end time edit: the toolkit's focus event is dispatched.
    wxWindow* to = dlg.GetDlgItem(IDC_EDIT_TO_TIME);
    wxFocusEvent user(wxEVT_SET_FOCUS, IDC_EDIT_TO_TIME);
    user.SetEventObject(to);
    to->GetEventHandler()->ProcessEvent(user);
    // A click on a quick-pick button takes the focus away from the edit first.
    dlg.SimulateClick(IDC_HOUR_9);
    EXPECT_EQ(dlg.GetFocusId(), IDC_HOUR_9);
    // Back into the edit from code, as the quick-pick actions do.
    dlg.SetFocusByCode(IDC_EDIT_TO_TIME);
    EXPECT_EQ(dlg.m_log, (std::vector<std::string>{"killfocus 1059", "setfocus 1060",
                                                   "killfocus 1060", "setfocus 1079", "click 1079",
                                                   "killfocus 1079", "setfocus 1060"}));
}

TEST(DialogFocusTest, HandlersThatExchangeDataSeeNoNotificationsOfTheirOwnWrites) {
    CLogDlg dlg;
    dlg.m_bExchangeInHandler = true;
    dlg.m_nInitialFocus = IDC_EDIT_FROM_TIME;
    dlg.m_strTo = "10";
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.m_log, (std::vector<std::string>{"init: before focus", "setfocus 1059",
                                                   "init: after focus"}));
    EXPECT_EQ(dlg.GetDlgItemAs<wxTextCtrl>(IDC_EDIT_TO_TIME)->GetValue(), "10!");
}

TEST(DialogPlacementTest, ControlsSitAtTheirDialogUnitRectanglesInPixels) {
    CLogDlg dlg;
    ASSERT_TRUE(dlg.Create());
    struct Case {
        int id;
        wxRect rect;
    };
    const Case cases[] = {
        {IDC_EDIT_FROM_TIME, wxRect(37, 39, 33, 18)},  // x 36.75-70, y 39-57
        {IDC_EDIT_TO_TIME, wxRect(119, 39, 33, 18)},   // x 119-152.25
        {IDOK, wxRect(261, 246, 87, 21)},              // 149, 164, 50, 14
        {IDC_HOUR_6, wxRect(180, 132, 21, 20)},        // 103, 88, 12, 13
        {IDC_MINUTE_30, wxRect(373, 56, 24, 30)},      // 213, 37, 14, 20
    };
    for (const Case& c : cases) {
        wxWindow* control = dlg.GetDlgItem(c.id);
        ASSERT_NE(control, nullptr) << c.id;
        EXPECT_EQ(control->GetRect(), c.rect) << c.id;
    }
    EXPECT_EQ(dlg.GetClientSize(), wxSize(460, 278));
    EXPECT_EQ(dlg.GetTitle(), wxString::FromUTF8("時間予定記入"));
    EXPECT_EQ(dlg.GetDlgItem(IDC_STATIC), nullptr);
    // Quick-pick buttons do not take part in tabbing, the edits do.
    EXPECT_FALSE(dlg.GetDlgItem(IDC_HOUR_9)->CanAcceptFocusFromKeyboard());
    EXPECT_TRUE(dlg.GetDlgItem(IDC_EDIT_YOTEI_TEXT)->CanAcceptFocusFromKeyboard());
}

// A dialog on the day schedule template for the combo box, check box and list box.
class CDayDlg : public fw::CDialog {
  public:
    CDayDlg() : fw::CDialog(IDD_YOTEI_EDIT) {}
    std::string m_strPeriodFrom;
    int m_nHoliday = 0;
    fw::CSortedListBox* m_pList = nullptr;
    int m_nSelChanges = 0;

  protected:
    void DoDataExchange(fw::CDataExchange& dx) override {
        fw::DDX_Control(dx, IDC_LIST_YOTEI, m_pList);
        fw::DDX_Check(dx, IDC_CHECK_HOLIDAY, m_nHoliday);
        fw::DDX_CBString(dx, IDC_COMBO_PERIOD_FROM, m_strPeriodFrom);
    }

  private:
    void OnSelChange(wxCommandEvent&) { ++m_nSelChanges; }
    wxDECLARE_EVENT_TABLE();
};

wxBEGIN_EVENT_TABLE(CDayDlg, fw::CDialog)
    EVT_COMBOBOX(IDC_COMBO_PERIOD_FROM, CDayDlg::OnSelChange)
wxEND_EVENT_TABLE()

TEST(DialogComboTest, WritingSelectsTheFirstItemThatBeginsWithTheText) {
    const char* items[] = {"2007年03月04日(日)", "2007年03月05日(月)", "2007年03月05日(月)",
                           "2007年03月06日(火)"};
    struct Case {
        const char* member;  // UTF-8
        int selection;
        const char* shown;
    };
    const Case cases[] = {
        {"2007年03月05日(月)", 1, "2007年03月05日(月)"},
        {"2007年03月06", 3, "2007年03月06日(火)"},                  // a prefix shows the whole item
        {"2007年02月10日(土)", wxNOT_FOUND, "2007年02月10日(土)"},  // outside the list
        {"", wxNOT_FOUND, ""},                                      // empty selects nothing
    };
    for (const Case& c : cases) {
        CDayDlg dlg;
        ASSERT_TRUE(dlg.Create());
        auto* combo = dlg.GetDlgItemAs<wxComboBox>(IDC_COMBO_PERIOD_FROM);
        ASSERT_NE(combo, nullptr);
        for (const char* item : items) {
            combo->Append(wxString::FromUTF8(item));
        }
        combo->SetSelection(0);
        dlg.m_strPeriodFrom = Sjis(c.member);
        dlg.UpdateData(false);
        EXPECT_EQ(combo->GetSelection(), c.selection) << c.member;
        EXPECT_EQ(combo->GetValue(), wxString::FromUTF8(c.shown)) << c.member;
        EXPECT_EQ(dlg.m_nSelChanges, 0);
        // Reading takes the edit field's text.
        dlg.m_strPeriodFrom = "junk";
        dlg.UpdateData(true);
        EXPECT_EQ(dlg.m_strPeriodFrom, Sjis(c.shown)) << c.member;
    }
}

TEST(DialogComboTest, UserSelectionNotifiesAndCheckBoxesExchangeZeroOrOne) {
    CDayDlg dlg;
    ASSERT_TRUE(dlg.Create());
    auto* combo = dlg.GetDlgItemAs<wxComboBox>(IDC_COMBO_PERIOD_FROM);
    combo->Append("a");
    combo->Append("b");
    dlg.SimulateSelect(IDC_COMBO_PERIOD_FROM, 1);
    EXPECT_EQ(dlg.m_nSelChanges, 1);
    dlg.UpdateData(true);
    EXPECT_EQ(dlg.m_strPeriodFrom, "b");

    EXPECT_EQ(dlg.m_nHoliday, 0);
    dlg.SimulateClick(IDC_CHECK_HOLIDAY);
    dlg.UpdateData(true);
    EXPECT_EQ(dlg.m_nHoliday, 1);
    dlg.m_nHoliday = 0;
    dlg.UpdateData(false);
    EXPECT_FALSE(dlg.GetDlgItemAs<wxCheckBox>(IDC_CHECK_HOLIDAY)->GetValue());
}

TEST(DialogListTest, SortedRowsCarryTheirItemData) {
    CDayDlg dlg;
    ASSERT_TRUE(dlg.Create());
    ASSERT_NE(dlg.m_pList, nullptr);  // bound by DDX_Control during the first exchange
    fw::CSortedListBox& list = *dlg.m_pList;
    const std::string wave = Sjis("～");
    const std::vector<std::pair<std::string, int>> rows = {
        {"15:00" + wave + " " + Sjis("会議"), 0},
        {" " + Sjis("昼食"), 1},
        {"09:00" + wave + "10:30 a", 2},
        {wave + "12:00 b", 3},
    };
    for (const auto& [text, slot] : rows) {
        list.SetItemData(list.AddString(text), slot);
    }
    ASSERT_EQ(list.GetRowCount(), 4);
    EXPECT_EQ(list.GetCount(), 4u);
    const std::vector<int> expectedSlots = {1, 3, 2, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list.GetItemData(i), expectedSlots[i]) << i;
        EXPECT_EQ(list.GetText(i), rows[expectedSlots[i]].first) << i;
        EXPECT_EQ(list.GetString(i), fw::Cp932ToWx(rows[expectedSlots[i]].first)) << i;
    }
    EXPECT_EQ(list.GetCurSel(), -1);
    list.SetCurSel(2);
    EXPECT_EQ(list.GetCurSel(), 2);
    EXPECT_EQ(list.DeleteString(0), 3);
    EXPECT_EQ(list.GetItemData(0), 3);
    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetItemData(0), -1);
}

// The main window's use of the system menu and of a painted dialog.
class CMainLikeDlg : public fw::CDialog {
  public:
    CMainLikeDlg() : fw::CDialog(IDD_CALENDAR_DIALOG) {}
    std::vector<int> m_commands;
    int m_nPaints = 0;

  protected:
    bool OnInitDialog() override {
        fw::CDialog::OnInitDialog();
        AppendSystemMenuSeparator();
        AppendSystemMenuItem(IDM_ABOUTBOX, fw::Utf8ToWx(res::LoadStringResource(IDS_ABOUTBOX)));
        Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxPaintDC dc(this);
            ++m_nPaints;
        });
        return true;
    }
    void OnSysCommand(int id) override {
        m_commands.push_back(id);
        if ((id & 0xFFF0) != IDM_ABOUTBOX) {
            fw::CDialog::OnSysCommand(id);
        }
    }
    bool PreTranslateKeyDown(int key) override { return key == WXK_RETURN || key == WXK_ESCAPE; }
};

TEST(DialogSystemMenuTest, AppendedEntriesFollowTheStandardOnesAndReachOnSysCommand) {
    CMainLikeDlg dlg;
    EXPECT_EQ(dlg.BuildSystemMenu(), nullptr);  // nothing appended yet: no context menu
    const int result = RunModal(dlg, [](CMainLikeDlg& d) {
        std::unique_ptr<wxMenu> menu(d.BuildSystemMenu());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->GetMenuItemCount(), 4u);
        EXPECT_EQ(menu->FindItemByPosition(0)->GetItemLabelText(), wxString::FromUTF8("最小化"));
        EXPECT_EQ(menu->FindItemByPosition(1)->GetItemLabelText(), wxString::FromUTF8("閉じる"));
        EXPECT_TRUE(menu->FindItemByPosition(2)->IsSeparator());
        EXPECT_EQ(menu->FindItemByPosition(3)->GetId(), IDM_ABOUTBOX);
        EXPECT_EQ(menu->FindItemByPosition(3)->GetItemLabel(),
                  wxString::FromUTF8("ﾊﾞｰｼﾞｮﾝ情報 (&A)..."));
        // Enter and Escape are swallowed; the About entry does not end the dialog.
        d.SimulateKey(WXK_RETURN);
        d.SimulateKey(WXK_ESCAPE);
        d.SimulateSysCommand(IDM_ABOUTBOX);
        EXPECT_TRUE(d.IsModal());
        // A visible template keeps its position.
        EXPECT_EQ(d.GetPosition(), wxPoint(0, 0));
        // Painting a rectangle "now" paints before the call returns (once the window is
        // on the screen at all).
        ASSERT_TRUE(guitest::YieldUntil([&] { return d.m_nPaints > 0; }));
        const int before = d.m_nPaints;
        d.RedrawRectNow({10, 20, 160, 50});
        EXPECT_GT(d.m_nPaints, before);
        d.SimulateSysCommand(fw::SC_CLOSE);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.m_commands, (std::vector<int>{IDM_ABOUTBOX, fw::SC_CLOSE}));
}

}  // namespace
