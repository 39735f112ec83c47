// The main window itself: the About and restore entries of its context menu, the keys that
// must not end it, and every way of closing it arriving at the one close handler, which
// saves the table.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/print.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>
#include <wx/testing.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "../framework/DialogDriver.h"
#include "../framework/GuiWait.h"
#include "../framework/PaintCounter.h"
#include "../xel/XelTestSupport.h"
#include "AboutDlg.h"
#include "Backups.h"
#include "CalendarDlg.h"
#include "ExportDlg.h"
#include "GoToMonthDlg.h"
#include "MessageBox.h"
#include "MonthPrintout.h"
#include "RestoreDlg.h"
#include "ScheduleModel.h"
#include "XelCalMView.h"
#include "XelFile.h"
#include "YoteiEditDlg.h"

namespace {

namespace fs = std::filesystem;
using xeltest::kEndMark;
using xeltest::kHeader;
using xeltest::ReadBytes;

// Answers the version box with OK.
class ExpectAbout : public wxExpectModalBase<CAboutDlg> {
  protected:
    int OnInvoked(CAboutDlg*) const override { return wxID_OK; }
};

const char kRow[] = "20080308,0930,1000,1,memo,\r\n";

// Answers the restore dialog with what `answer` does to it.
class ExpectRestore : public wxExpectModalBase<CRestoreDlg> {
  public:
    explicit ExpectRestore(std::function<int(CRestoreDlg&)> answer) : m_answer(std::move(answer)) {}

  protected:
    int OnInvoked(CRestoreDlg* dialog) const override { return m_answer(*dialog); }

  private:
    std::function<int(CRestoreDlg&)> m_answer;
};

// Answers "移動" with year and month and then `answer`.
class ExpectGoTo : public wxExpectModalBase<CGoToMonthDlg> {
  public:
    ExpectGoTo(int year, int month, int answer) : m_year(year), m_month(month), m_answer(answer) {}

  protected:
    int OnInvoked(CGoToMonthDlg* dialog) const override {
        dialog->YearCtrl()->SetValue(m_year);
        dialog->MonthCtrl()->SetValue(m_month);
        return m_answer;
    }

  private:
    int m_year, m_month, m_answer;
};

// Notes which day the day schedule dialog came up for, and cancels it.
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

// Answers "書き出し" with what `answer` does to it.
class ExpectExport : public wxExpectModalBase<CExportDlg> {
  public:
    explicit ExpectExport(std::function<int(CExportDlg&)> answer) : m_answer(std::move(answer)) {}

  protected:
    int OnInvoked(CExportDlg* dialog) const override { return m_answer(*dialog); }

  private:
    std::function<int(CExportDlg&)> m_answer;
};

// The user clicking a radio button: it is set, and says so.
void ClickRadio(wxRadioButton* button) {
    button->SetValue(true);
    wxCommandEvent event(wxEVT_RADIOBUTTON, button->GetId());
    event.SetEventObject(button);
    event.SetInt(1);
    button->GetEventHandler()->ProcessEvent(event);
}

std::vector<std::vector<wxString>> ListRows(const CRestoreDlg& d) {
    std::vector<std::vector<wxString>> rows;
    for (int row = 0; row < d.List()->GetItemCount(); ++row) {
        rows.push_back({d.List()->GetItemText(row, 0), d.List()->GetItemText(row, 1),
                        d.List()->GetItemText(row, 2)});
    }
    return rows;
}

// The user clicking row `row` of the list: the toolkit selects it and reports it.
void SelectRow(CRestoreDlg& d, long row) {
    d.List()->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                           wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
}

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

    // An empty table opened afresh, and kRow's entry written in memory, not saved.
    void OpenEmptyAndEnterMemo() {
        m_model.Close(false);
        xeltest::WriteBytes(TablePath(), std::string(kHeader) + kEndMark);
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
        const DayContent before = m_model.ReadDay("20080308");
        DayContent after = before;
        after.slots[0] = {"0930", "1000", "memo"};
        m_model.WriteDay(before, after);
    }

    CScheduleModel m_model;
};

TEST_F(MainWindowTest, ContextMenuOffersAboutAndEnterAndEscapeDoNotEndTheWindow) {
    CCalendarDlg window(m_model);
    const int result = Run(window, [this](CCalendarDlg& w) {
        EXPECT_EQ(w.GetPosition(), wxPoint(0, 0));
        std::unique_ptr<wxMenu> menu(w.BuildSystemMenu());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->GetMenuItemCount(), 16u);
        EXPECT_EQ(menu->FindItemByPosition(0)->GetItemLabelText(), wxString::FromUTF8("最小化"));
        EXPECT_EQ(menu->FindItemByPosition(1)->GetItemLabelText(), wxString::FromUTF8("閉じる"));
        EXPECT_TRUE(menu->FindItemByPosition(2)->IsSeparator());
        // The month entries, with the keys that do the same shown beside them.
        const struct {
            const char* label;
            int id, keyCode, modifiers;
        } months[] = {{"前の月", IDM_PREV_MONTH, WXK_PAGEUP, wxACCEL_NORMAL},
                      {"次の月", IDM_NEXT_MONTH, WXK_PAGEDOWN, wxACCEL_NORMAL},
                      {"今月", IDM_THIS_MONTH, WXK_HOME, wxACCEL_NORMAL},
                      {"移動...", IDM_GOTO_MONTH, 'G', wxACCEL_CTRL},
                      {"検索...", IDM_SEARCH, 'F', wxACCEL_CTRL}};
        for (int k = 0; k < 5; ++k) {
            const wxMenuItem* item = menu->FindItemByPosition(3 + k);
            EXPECT_EQ(item->GetItemLabelText(), wxString::FromUTF8(months[k].label));
            EXPECT_EQ(item->GetId(), months[k].id);
            std::unique_ptr<wxAcceleratorEntry> accel(item->GetAccel());
            ASSERT_NE(accel, nullptr) << k;
            EXPECT_EQ(accel->GetKeyCode(), months[k].keyCode) << k;
            EXPECT_EQ(accel->GetFlags(), months[k].modifiers) << k;
        }
        EXPECT_TRUE(menu->FindItemByPosition(8)->IsSeparator());
        EXPECT_EQ(menu->FindItemByPosition(9)->GetItemLabel(), wxString::FromUTF8("書き出し..."));
        EXPECT_EQ(menu->FindItemByPosition(9)->GetId(), IDM_EXPORT);
        const struct {
            const char* label;
            int id;
        } printing[] = {{"ページ設定...", IDM_PAGE_SETUP},
                        {"印刷プレビュー...", IDM_PRINT_PREVIEW},
                        {"印刷...", IDM_PRINT}};
        for (int k = 0; k < 3; ++k) {
            const wxMenuItem* item = menu->FindItemByPosition(10 + k);
            EXPECT_EQ(item->GetItemLabelText(), wxString::FromUTF8(printing[k].label));
            EXPECT_EQ(item->GetId(), printing[k].id);
        }
        EXPECT_TRUE(menu->FindItemByPosition(13)->IsSeparator());
        EXPECT_EQ(menu->FindItemByPosition(14)->GetItemLabel(),
                  wxString::FromUTF8("バックアップから復元 (&R)..."));
        const wxMenuItem* about = menu->FindItemByPosition(15);
        EXPECT_EQ(about->GetItemLabel(), wxString::FromUTF8("ﾊﾞｰｼﾞｮﾝ情報 (&A)..."));

        // Choosing the entry runs the version box, and the window stays.
        wxTEST_DIALOG(drive::SysCommand(w, about->GetId()), ExpectAbout());
        EXPECT_TRUE(w.IsModal());

        // Escape, and Enter with a modifier (the view leaves it alone), are swallowed; a
        // plain Enter opens the cursor's day (the keys test below).
        const std::pair<int, int> keys[] = {
            {WXK_ESCAPE, wxMOD_NONE}, {WXK_RETURN, wxMOD_SHIFT}, {WXK_NUMPAD_ENTER, wxMOD_SHIFT}};
        for (const auto& [key, modifiers] : keys) {
            drive::Key(w, key, modifiers);
            EXPECT_TRUE(w.IsModal()) << key;
            EXPECT_EQ(drive::Result(w), -1) << key;
        }
        EXPECT_EQ(ReadBytes(TablePath()), std::string(kHeader) + kEndMark);  // nothing saved
        drive::SysCommand(w, fw::SC_CLOSE);
    });
    EXPECT_EQ(result, IDCANCEL);
}

// "印刷プレビュー..." opens the preview window on the month shown: one page, painted by the
// month's printout, with the table's holiday in red; the main window waits until the
// preview is closed, and is usable again after.
TEST_F(MainWindowTest, PrintPreviewEntryShowsTheMonthOnOnePage) {
    m_model.Close(false);
    xeltest::WriteBytes(TablePath(), std::string(kHeader) + "20080310,,,,,1\r\n" + kEndMark);
    ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
    CCalendarDlg window(m_model);
    const int result = Run(window, [](CCalendarDlg& w) {
        w.View()->ShowMonth(2008, 3);
        drive::SysCommand(w, IDM_PRINT_PREVIEW);
        wxPreviewFrame* frame = nullptr;
        for (wxWindow* top : wxTopLevelWindows) {
            if (auto* f = dynamic_cast<wxPreviewFrame*>(top)) {
                frame = f;
            }
        }
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(frame->IsShown());
        EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("印刷プレビュー"));
        wxPrintPreviewBase* preview = nullptr;
        for (wxWindow* child : frame->GetChildren()) {
            if (auto* bar = dynamic_cast<wxPreviewControlBar*>(child)) {
                preview = bar->GetPrintPreview();
            }
        }
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->GetMinPage(), 1);
        EXPECT_EQ(preview->GetMaxPage(), 1);
        auto* printout = dynamic_cast<CMonthPrintout*>(preview->GetPrintout());
        ASSERT_NE(printout, nullptr);
        EXPECT_EQ(printout->Year(), 2008);
        EXPECT_EQ(printout->Month(), 3);
        EXPECT_EQ(printout->GetTitle(), wxString::FromUTF8("Pemdaro 2008年 3月"));
        EXPECT_TRUE(guitest::YieldUntil([&] { return printout->PagesPainted() > 0; }));
        EXPECT_FALSE(w.IsEnabled());  // the preview is modal to the application

        // The page at scale 1: the holiday's number (Monday the 10th) red, the Tuesday
        // after it not, and no grey for days that are over.
        const MonthLayout layout;
        wxBitmap bitmap(layout.ClientWidth(), layout.ClientHeight(), 24);
        {
            wxMemoryDC dc(bitmap);
            printout->PaintPage(dc);
        }
        const wxImage image = bitmap.ConvertToImage();
        const auto count = [&image](int day, auto condition) {
            int n = 0;
            const int y = 20 + 27 * (day - 1);
            for (int py = y + 1; py < y + 18; ++py) {
                for (int px = 21; px < 48; ++px) {
                    n += condition(image.GetRed(px, py), image.GetGreen(px, py),
                                   image.GetBlue(px, py));
                }
            }
            return n;
        };
        const auto red = [](int r, int g, int b) { return r > 180 && g < 120 && b < 120; };
        const auto grey = [](int r, int g, int b) { return r == 220 && g == 220 && b == 220; };
        EXPECT_GT(count(10, red), 10);
        EXPECT_EQ(count(11, red), 0);
        EXPECT_EQ(count(11, grey), 0);

        frame->Close();
        EXPECT_TRUE(guitest::YieldUntil([&] {
            for (wxWindow* top : wxTopLevelWindows) {
                if (dynamic_cast<wxPreviewFrame*>(top) != nullptr) {
                    return false;
                }
            }
            return true;
        }));
        EXPECT_TRUE(w.IsEnabled());
        EXPECT_TRUE(w.IsModal());
        drive::SysCommand(w, fw::SC_CLOSE);
    });
    EXPECT_EQ(result, IDCANCEL);
}

// The keys pressed in the main window reach the view: month keys, the cursor across the
// ends of months, Enter and Space opening the cursor's day (and not ending the window),
// Ctrl+G and the menu's month entries.
TEST_F(MainWindowTest, KeysAndMonthEntriesMoveTheViewAndEnterOpensTheCursorDay) {
    CCalendarDlg window(m_model);
    const int result = Run(window, [](CCalendarDlg& w) {
        CXelCalMView& view = *w.View();
        view.SetClock([] { return LocalDateTime{2008, 3, 10, 12, 0, 0}; });
        view.ShowCurrentMonth();
        const auto shown = [&view] {
            char text[16];
            std::snprintf(text, sizeof text, "%04d%02d%02d", view.ViewYear(), view.ViewMonth(),
                          view.CursorDay());
            return std::string(text);
        };
        EXPECT_EQ(shown(), "20080310");
        const struct {
            int keyCode, modifiers;
            const char* after;
        } keys[] = {
            {WXK_PAGEDOWN, wxMOD_NONE, "20080401"},
            {WXK_PAGEUP, wxMOD_NONE, "20080310"},
            {WXK_PAGEUP, wxMOD_NONE, "20080201"},
            {WXK_HOME, wxMOD_NONE, "20080310"},
            {WXK_RIGHT, wxMOD_NONE, "20080326"},
            {WXK_RIGHT, wxMOD_NONE, "20080410"},
            {WXK_LEFT, wxMOD_NONE, "20080326"},
            {WXK_DOWN, wxMOD_NONE, "20080327"},
            {WXK_UP, wxMOD_NONE, "20080326"},
            {WXK_NUMPAD_PAGEDOWN, wxMOD_NONE, "20080401"},
            {WXK_UP, wxMOD_NONE, "20080331"},
            // Keys with modifiers are left alone.
            {WXK_PAGEDOWN, wxMOD_CONTROL, "20080331"},
            {WXK_DOWN, wxMOD_ALT, "20080331"},
        };
        for (const auto& k : keys) {
            drive::Key(w, k.keyCode, k.modifiers);
            EXPECT_EQ(shown(), k.after) << k.keyCode << " " << k.modifiers;
        }

        for (int key : {WXK_RETURN, WXK_NUMPAD_ENTER, WXK_SPACE}) {
            std::string opened;
            wxTEST_DIALOG(drive::Key(w, key), ExpectDayDialog(opened));
            EXPECT_EQ(opened, "20080331") << key;
            EXPECT_TRUE(w.IsModal()) << key;
            EXPECT_EQ(drive::Result(w), -1) << key;
        }

        wxTEST_DIALOG(drive::Key(w, 'G', wxMOD_CONTROL), ExpectGoTo(2012, 7, wxID_OK));
        EXPECT_EQ(shown(), "20120701");
        wxTEST_DIALOG(drive::Key(w, 'G', wxMOD_CONTROL), ExpectGoTo(1999, 1, wxID_CANCEL));
        EXPECT_EQ(shown(), "20120701");

        drive::SysCommand(w, IDM_PREV_MONTH);
        EXPECT_EQ(shown(), "20120601");
        drive::SysCommand(w, IDM_NEXT_MONTH);
        drive::SysCommand(w, IDM_NEXT_MONTH);
        EXPECT_EQ(shown(), "20120801");
        drive::SysCommand(w, IDM_THIS_MONTH);
        EXPECT_EQ(shown(), "20080310");
        wxTEST_DIALOG(drive::SysCommand(w, IDM_GOTO_MONTH), ExpectGoTo(9999, 12, wxID_OK));
        EXPECT_EQ(shown(), "99991201");

        EXPECT_TRUE(w.IsModal());
        drive::SysCommand(w, fw::SC_CLOSE);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(ReadBytes(TablePath()), std::string(kHeader) + kEndMark);  // nothing written
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
        ASSERT_NO_FATAL_FAILURE(OpenEmptyAndEnterMemo());

        CCalendarDlg window(m_model);
        EXPECT_EQ(Run(window, close), IDCANCEL);
        EXPECT_EQ(ReadBytes(TablePath()), std::string(kHeader) + kRow + kEndMark);
    }
}

// A save that fails at close: a copy goes to the state folder first, then the user tries
// again, saves elsewhere or ends without saving after a confirmation; a signal's close
// asks nothing and leaves the copy.
TEST_F(MainWindowTest, AFailedSaveAtCloseKeepsACopyAndLetsTheUserChoose) {
    const std::filesystem::path state = m_dir / "state";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    static std::string refusedPath;
    refusedPath = TablePath().string();
    static XelSysCalls refusing = XelRealSysCalls();
    refusing.rename = [](const char* from, const char* to) {
        if (refusedPath == to) {
            errno = EACCES;
            return -1;
        }
        return XelRealSysCalls().rename(from, to);
    };
    const std::string elsewhere = (m_dir / "elsewhere.txt").string();
    struct Case {
        const char* what;
        bool ask;
        std::vector<int> answers;  // to the message boxes, in turn
        bool tableSaved;
        bool elsewhereSaved;
    };
    const Case cases[] = {
        {"try again once the disk allows", true, {fw::kIdYes}, true, false},
        {"save to another place", true, {fw::kIdNo, fw::kIdOk}, false, true},
        {"end without saving, after going back once",
         true,
         {fw::kIdCancel, fw::kIdNo, fw::kIdCancel, fw::kIdYes},
         false,
         false},
        {"a signal asks nothing", false, {}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(state);
        std::filesystem::remove(elsewhere);
        ASSERT_NO_FATAL_FAILURE(OpenEmptyAndEnterMemo());

        std::vector<fw::MessageBoxRequest> boxes;
        size_t next = 0;
        const fw::MessageBoxHook previous =
            fw::SetMessageBoxHook([&](const fw::MessageBoxRequest& request) {
                boxes.push_back(request);
                if (c.tableSaved) {
                    XelSetSysCalls(nullptr);  // the disk allows again
                }
                if (next < c.answers.size()) {
                    return c.answers[next++];
                }
                ADD_FAILURE() << "an unexpected box: " << request.text;
                // Ends the loop: end without saving, and confirm it.
                return request.labels.size() == 3 ? int(fw::kIdCancel) : int(fw::kIdYes);
            });
        const fw::SavePathHook previousPath =
            fw::SetSavePathHook([&](const wxString&) { return wxString::FromUTF8(elsewhere); });
        XelSetSysCalls(&refusing);
        CCalendarDlg window(m_model);
        const int result = Run(window, [&](CCalendarDlg& w) { w.CloseAndSave(c.ask); });
        XelSetSysCalls(nullptr);
        fw::SetMessageBoxHook(previous);
        fw::SetSavePathHook(previousPath);

        EXPECT_EQ(result, IDCANCEL) << "the window ended";
        EXPECT_EQ(next, c.answers.size()) << "every answer was asked for";
        const bool asked = !boxes.empty();
        EXPECT_EQ(asked, c.ask);
        if (asked) {
            EXPECT_NE(boxes[0].text.Find(wxString::FromUTF8("書き込みの権限がありません。")),
                      wxNOT_FOUND);
            EXPECT_EQ(boxes[0].labels.size(), 3u);
        }
        // The copy in the state folder holds the edit whatever was chosen.
        std::vector<std::filesystem::path> copies;
        for (const auto& entry : std::filesystem::directory_iterator(state / "pemdaro")) {
            copies.push_back(entry.path());
        }
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_NE(ReadBytes(copies[0]).find(kRow), std::string::npos);
        EXPECT_EQ(ReadBytes(TablePath()).find(kRow) != std::string::npos, c.tableSaved);
        EXPECT_EQ(std::filesystem::exists(elsewhere), c.elsewhereSaved);
        if (c.elsewhereSaved) {
            EXPECT_EQ(ReadBytes(elsewhere), std::string(kHeader) + kRow + kEndMark);
        }
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
    }
    unsetenv("XDG_STATE_HOME");
}

// An OK whose save still runs, or whose end is not yet reported, when the user closes the
// window: the close says how that save went (here its backup failed: the backup folder's
// name is taken by a file) and the entry is in the table. A signal's close shows nothing.
TEST_F(MainWindowTest, TheCloseReportsTheLastOksSaveThatRanBesideTheWindow) {
    for (const bool ask : {true, false}) {
        SCOPED_TRACE(ask ? "the user's close" : "a signal's close");
        m_model.Close(false);
        xeltest::WriteBytes(TablePath(), std::string(kHeader) + kEndMark);
        xeltest::WriteBytes(m_dir / "kelnova-backup", "a file where the backups go");
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
        std::vector<wxString> boxes;
        const fw::MessageBoxHook previous =
            fw::SetMessageBoxHook([&](const fw::MessageBoxRequest& request) {
                boxes.push_back(request.text);
                return int(fw::kIdOk);
            });
        CCalendarDlg window(m_model);
        const int result = Run(window, [&](CCalendarDlg& w) {
            w.View()->ShowMonth(2008, 3);
            w.View()->SetDayDialogRunner([](DayDialogFields& fields) {
                fields.m_strYotei[0] = "memo";
                fields.m_strFromTime[0] = "09:30";
                fields.m_strToTime[0] = "10:00";
                return true;
            });
            w.View()->EditDay(8);
            w.CloseAndSave(ask);
        });
        fw::SetMessageBoxHook(previous);
        std::filesystem::remove(m_dir / "kelnova-backup");

        EXPECT_EQ(result, IDCANCEL);
        ASSERT_EQ(boxes.size(), ask ? 1u : 0u);
        if (ask) {
            EXPECT_NE(boxes[0].Find(wxString::FromUTF8("バックアップを作成できませんでした。")),
                      wxNOT_FOUND)
                << boxes[0];
        }
        EXPECT_NE(ReadBytes(TablePath()).find(kRow), std::string::npos);
    }
}

// The restore entry: the list of backups, the question, and the restore itself, which
// keeps the replaced file as a backup and repaints the month from the restored table.
TEST_F(MainWindowTest, RestoreEntryPutsTheChosenBackupBackAfterAskingAndKeepsTheReplacedFile) {
    const std::string older =
        std::string(kHeader) + "20080305,,,,,1\r\n20080306,,,,,2\r\n" + kEndMark;
    const std::string newer = std::string(kHeader) + "20080307,,,,,1\r\n" + kEndMark;
    const std::string now = std::string(kHeader) + kRow + kEndMark;
    const auto at = [](BackupTime t) { return [t] { return t; }; };
    xeltest::WriteBytes(TablePath(), older);
    ASSERT_FALSE(BackUpTable(TablePath().string(), at({2026, 12, 5, 8, 0, 0})).failure.Failed());
    xeltest::WriteBytes(TablePath(), newer);
    ASSERT_FALSE(BackUpTable(TablePath().string(), at({2026, 12, 6, 9, 30, 0})).failure.Failed());
    m_model.Close(false);
    xeltest::WriteBytes(TablePath(), now);
    ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
    m_model.SetBackupClock(at({2026, 12, 7, 17, 45, 1}));
    const fs::path folder = m_dir / "kelnova-backup";

    CCalendarDlg window(m_model);
    const int result = Run(window, [&](CCalendarDlg& w) {
        PaintCounter paints(*w.View());
        // The window may have painted before the counter came: ask for one more paint,
        // which comes at once on a window on the screen or when it gets there.
        w.View()->Refresh();
        ASSERT_TRUE(paints.WaitForFirst());
        fw::ScopedMessageBoxCapture boxes(fw::kIdNo);

        // Cancelled, and then chosen but answered "いいえ": nothing changes.
        wxTEST_DIALOG(drive::SysCommand(w, IDM_RESTORE),
                      ExpectRestore([](CRestoreDlg&) { return wxID_CANCEL; }));
        wxTEST_DIALOG(drive::SysCommand(w, IDM_RESTORE), ExpectRestore([](CRestoreDlg& d) {
                          SelectRow(d, 1);
                          return wxID_OK;
                      }));
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(ReadBytes(TablePath()), now);
        EXPECT_EQ(ListBackups(TablePath().string()).size(), 2u);

        boxes.SetAnswer(fw::kIdYes);
        const int paintsBefore = paints.Count();
        wxTEST_DIALOG(
            drive::SysCommand(w, IDM_RESTORE), ExpectRestore([&](CRestoreDlg& d) {
                using Row = std::vector<wxString>;
                EXPECT_EQ(ListRows(d),
                          (std::vector<Row>{
                              {wxString::FromUTF8("2026年12月06日(日)"), "09:30:00", "1"},
                              {wxString::FromUTF8("2026年12月05日(土)"), "08:00:00", "2"}}));
                EXPECT_FALSE(d.RestoreButton()->IsEnabled());
                SelectRow(d, 1);
                EXPECT_TRUE(d.RestoreButton()->IsEnabled());
                EXPECT_EQ(d.Chosen()->path, (folder / "kelnova-20261205-080000.txt").string());
                return wxID_OK;
            }));
        ASSERT_EQ(boxes.Requests().size(), 2u);
        EXPECT_EQ(boxes.Requests()[1].text,
                  wxString::FromUTF8("2026年12月05日(土) 08:00:00 のバックアップに戻しますか？\n"
                                     "今のデータもバックアップとして残ります。"));
        EXPECT_EQ(boxes.Requests()[1].style & fw::MB_TYPEMASK, fw::MB_YESNO);

        EXPECT_EQ(ReadBytes(TablePath()), older);
        EXPECT_EQ(ReadBytes(folder / "kelnova-20261207-174501.txt"), now);
        EXPECT_TRUE(m_model.ReadDay("20080305").holiday);
        EXPECT_TRUE(m_model.ReadDay("20080308").slots[0].IsFree());
        EXPECT_GT(paints.Count(), paintsBefore);
        EXPECT_EQ(boxes.Requests().size(), 2u);  // no failure reported
        EXPECT_TRUE(w.IsModal());
        drive::SysCommand(w, fw::SC_CLOSE);
    });
    EXPECT_EQ(result, IDCANCEL);
    // Closing saved the restored rows, and took no second backup of them.
    EXPECT_EQ(ReadBytes(TablePath()), older);
    EXPECT_EQ(ListBackups(TablePath().string()).size(), 3u);
}

TEST_F(MainWindowTest, ExportEntryWritesTheChosenRangeAndFormatToTheChosenFile) {
    const std::string table = std::string(kHeader) + "20080305,0930,1000,1,\"a,b\",\r\n" +
                              "20080306,,,,,1\r\n20090101,1200,,1,next,\r\n" + kEndMark;
    m_model.Close(false);
    xeltest::WriteBytes(TablePath(), table);
    ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
    const fs::path csv = m_dir / "chosen.csv";
    const fs::path ics = m_dir / "all.ics";

    CCalendarDlg window(m_model);
    Run(window, [&](CCalendarDlg& w) {
        fw::ScopedMessageBoxCapture boxes(fw::kIdOk);
        std::vector<wxString> proposed;
        fs::path answer = csv;
        const fw::SavePathHook previous = fw::SetSavePathHook([&](const wxString& name) {
            proposed.push_back(name);
            return wxString::FromUTF8(answer.string());
        });

        // The year 2008 as UTF-8 CSV.
        wxTEST_DIALOG(drive::SysCommand(w, IDM_EXPORT), ExpectExport([](CExportDlg& d) {
                          EXPECT_TRUE(d.MonthChoice()->GetValue());
                          EXPECT_TRUE(d.IcsChoice()->GetValue());
                          EXPECT_FALSE(d.Utf8Box()->IsEnabled()) << "UTF-8 is a CSV choice";
                          ClickRadio(d.CsvChoice());
                          EXPECT_TRUE(d.Utf8Box()->IsEnabled());
                          d.Utf8Box()->SetValue(true);
                          ClickRadio(d.YearChoice());
                          d.YearCtrl()->SetValue(2008);
                          return wxID_OK;
                      }));
        EXPECT_EQ(ReadBytes(csv),
                  "\xEF\xBB\xBF日付,曜日,開始,終了,種別,内容\r\n"
                  "2008/03/05,水,09:30,10:00,予定,\"a,b\"\r\n"
                  "2008/03/06,木,,,祝日,\r\n");
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_NE(boxes.Requests()[0].text.find(wxString::FromUTF8("2 件の予定を書き出しました。")),
                  wxString::npos)
            << boxes.Requests()[0].text;

        // Everything as iCalendar.
        answer = ics;
        wxTEST_DIALOG(drive::SysCommand(w, IDM_EXPORT), ExpectExport([](CExportDlg& d) {
                          ClickRadio(d.AllChoice());
                          return wxID_OK;
                      }));
        const std::string written = ReadBytes(ics);
        EXPECT_EQ(written.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
        EXPECT_NE(written.find("SUMMARY:a\\,b\r\n"), std::string::npos);
        EXPECT_NE(written.find("SUMMARY:next\r\n"), std::string::npos);

        // Cancelled in the dialog, and in the file dialog: nothing is written.
        fs::remove(ics);
        wxTEST_DIALOG(drive::SysCommand(w, IDM_EXPORT),
                      ExpectExport([](CExportDlg&) { return wxID_CANCEL; }));
        answer.clear();
        wxTEST_DIALOG(drive::SysCommand(w, IDM_EXPORT),
                      ExpectExport([](CExportDlg&) { return wxID_OK; }));
        EXPECT_FALSE(fs::exists(ics));

        // A folder that does not exist: the message says why, and nothing is made.
        answer = m_dir / "missing" / "x.ics";
        wxTEST_DIALOG(drive::SysCommand(w, IDM_EXPORT),
                      ExpectExport([](CExportDlg&) { return wxID_OK; }));
        ASSERT_EQ(boxes.Requests().size(), 3u);
        EXPECT_NE(boxes.Requests()[2].text.find(wxString::FromUTF8("書き出せませんでした。")),
                  wxString::npos);
        EXPECT_FALSE(fs::exists(m_dir / "missing"));

        fw::SetSavePathHook(previous);
        const wxString month =
            wxString::Format("pemdaro-%04d%02d.ics", w.View()->ViewYear(), w.View()->ViewMonth());
        EXPECT_EQ(proposed,
                  (std::vector<wxString>{"pemdaro-2008.csv", "pemdaro.ics", month, month}));
    });
    EXPECT_EQ(ReadBytes(TablePath()), table) << "the table is only read";
}

}  // namespace
