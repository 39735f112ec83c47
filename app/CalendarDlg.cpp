#include "CalendarDlg.h"

#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/print.h>
#include <wx/printdlg.h>

#include <ctime>
#include <utility>

#include "AboutDlg.h"
#include "Backups.h"
#include "DesktopReminders.h"
#if PEMDARO_HAVE_EXPORTS
#include "ExportDlg.h"
#include "ExportFile.h"
#endif
#include "InstanceGuard.h"
#include "MessageBox.h"
#include "MonthPrintout.h"
#include "MonthScale.h"
#include "Platform.h"
#include "Resources.h"
#include "RestoreDlg.h"
#include "SaveMessages.h"
#include "ScheduleModel.h"
#include "SearchDlg.h"
#include "SystemTime.h"
#include "TextConv.h"
#include "UserFolders.h"
#include "WxImages.h"
#include "XelCalMView.h"
#include "YoteiEditDlg.h"

namespace {

const int kViewChildId = 10;
// How often the data file's stamp is checked besides the file monitor.
const int kPollMilliseconds = 2000;
// How long after the first paint, or after a day dialog closed, the next one is built: the
// OK's paint, its save and the reminders' look come first, and a user's next double-click
// comes later.
const int kPrepareDayDialogMilliseconds = 200;

// A text in the file system's encoding (a path) or UTF-8 holding one, for display.
wxString PathText(const std::string& text) {
    const wxString utf8 = fw::Utf8ToWx(text);
    return utf8.empty() && !text.empty() ? wxString::From8BitData(text.data(), text.size()) : utf8;
}

// "バックアップを作成できませんでした。（...）" when the model's last Save or Close could not
// take its backup.
void ReportBackupFailure(const CScheduleModel& model) {
    if (model.LastBackupFailure().Failed()) {
        fw::AfxMessageBox(PathText(BackupFailureMessage(model.LastBackupFailure())));
    }
}

}  // namespace

CCalendarDlg::CCalendarDlg(CScheduleModel& model, CInstanceGuard* guard)
    : fw::CDialog(IDD_CALENDAR_DIALOG),
      m_model(model),
      m_pGuard(guard),
      m_pageSetup(CMonthPrintout::DefaultPageSetup()) {}

CCalendarDlg::~CCalendarDlg() {
    m_pReminders.reset();
    m_pollTimer.Stop();
    m_dayDialogTimer.Stop();
    delete m_pNextDayDialog;
    delete m_pSearch.get();
    fw::RemoveWatch(m_nFileWatch);
    fw::RemoveWatch(m_nWatch);
}

bool CCalendarDlg::OnInitDialog() {
    fw::CDialog::OnInitDialog();
    // On GTK the system menu is the window's context menu (right click anywhere).
    std::string_view restore = res::LoadStringResource(IDS_RESTORE);
    std::string_view about = res::LoadStringResource(IDS_ABOUTBOX);
    if (HasSystemMenu() && !about.empty()) {
        // The labels name the keys after a tab; the menu shows them right-aligned.
        AppendSystemMenuSeparator();
        AppendSystemMenuItem(IDM_PREV_MONTH, wxString::FromUTF8("前の月\tPageUp"));
        AppendSystemMenuItem(IDM_NEXT_MONTH, wxString::FromUTF8("次の月\tPageDown"));
        AppendSystemMenuItem(IDM_THIS_MONTH, wxString::FromUTF8("今月\tHome"));
        AppendSystemMenuItem(IDM_GOTO_MONTH, wxString::FromUTF8("移動...\tCtrl+G"));
        AppendSystemMenuItem(IDM_SEARCH, wxString::FromUTF8("検索...\tCtrl+F"));
        AppendSystemMenuSeparator();
#if PEMDARO_HAVE_EXPORTS
        AppendSystemMenuItem(IDM_EXPORT, wxString::FromUTF8("書き出し..."));
#endif
        AppendSystemMenuItem(IDM_PAGE_SETUP, wxString::FromUTF8("ページ設定..."));
        AppendSystemMenuItem(IDM_PRINT_PREVIEW, wxString::FromUTF8("印刷プレビュー..."));
        AppendSystemMenuItem(IDM_PRINT, wxString::FromUTF8("印刷..."));
        AppendSystemMenuSeparator();
        AppendSystemMenuItem(IDM_RESTORE, fw::Utf8ToWx(restore));
        AppendSystemMenuItem(IDM_ABOUTBOX, fw::Utf8ToWx(about));
    }
    SetIcon(fw::LoadResourceIcons(IDR_MAINFRAME).GetIcon(wxSize(32, 32)));
    if (m_model.IsReadOnly()) {
        SetTitle(GetTitle() + wxString::FromUTF8("（表示のみ）"));
    }

    m_pView = new CXelCalMView(m_model);
    // The client area is the month, at its own size at least, whatever the frame adds
    // around it; the view fills it and scales the month to it.
    const MonthLayout& layout = m_pView->Layout();
    SetMinClientSize(wxSize(layout.ClientWidth(), layout.ClientHeight()));
    const WindowPlacement placement = StartPlacement();
    SetClientSize(placement.width, placement.height);
    m_startPlacement = placement;
    m_normalPlacement = placement;
    m_normalPlacement.maximized = false;

    m_pView->Create(this, kViewChildId, wxRect(0, 0, placement.width, placement.height));
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        if (m_pView != nullptr) {
            m_pView->SetSize(GetClientSize());
        }
        NoteNormalPlacement();
        event.Skip();
    });
    Bind(wxEVT_MOVE, [this](wxMoveEvent& event) {
        NoteNormalPlacement();
        event.Skip();
    });
    m_pView->Bind(wxEVT_PAINT, &CCalendarDlg::OnViewPaint, this);
    m_pView->SetClock(m_clock);
    m_pView->SetDayDialogRunner([this](DayDialogFields& fields) {
        if (!RunDayDialog(fields)) {
            return false;
        }
        // The edit is written and saved once the view's handler has returned: today's
        // reminders are planned afresh then.
        CallAfter([this] {
            if (m_pReminders && !m_bClosed) {
                m_pReminders->Check();
            }
        });
        return true;
    });
    m_pView->SetShowHolidays(m_bShowHolidays);
    m_pView->SendInitialUpdate();
    m_pView->ShowCurrentMonth();  // of the window's clock
    m_pView->Show();
    // Bound handlers run before the event table's, so the view sees the keys before the
    // dialog base turns Enter and Escape into OK and Cancel.
    Bind(wxEVT_CHAR_HOOK, &CCalendarDlg::OnKeyHook, this);

    if (m_nFileWatch == 0 && m_model.IsOpen()) {
        m_nFileWatch = fw::WatchFile(m_model.FilePath(), [this] { CheckOutsideChange(); });
    }
    m_pollTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { CheckOutsideChange(); });
    m_pollTimer.Start(kPollMilliseconds);
    m_dayDialogTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { PrepareDayDialog(); });
    // Once the month has been painted (a call after runs after the first paint).
    CallAfter([this] {
        if (!m_bClosed) {
            PrepareDayDialogLater();
        }
    });

    m_pReminders = std::make_unique<CDesktopReminders>(
        m_model, m_clock, [this](const std::string& date) { OpenDayFromReminder(date); });
    // The first look (which may talk to the notification service) once the window runs.
    CallAfter([this] {
        if (!m_bClosed) {
            m_pReminders->Start(m_nReminderMinutes);
        }
    });
    return true;
}

WindowPlacement CCalendarDlg::StartPlacement() const {
    const MonthLayout& layout = m_pView->Layout();
    const MonthClientSize size =
        DefaultMonthClientSize(layout, TextScaleFromXftDpi(fw::DesktopFontResolution()));
    WindowPlacement placement{0, 0, size.width, size.height, false};
    if (!m_placementFile.empty()) {
        placement = ReadWindowPlacement(m_placementFile).value_or(placement);
    }
    std::vector<ScreenArea> screens;
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
        const wxRect area = wxDisplay(i).GetClientArea();
        screens.push_back({area.x, area.y, area.width, area.height});
    }
    return ClampWindowPlacement(placement, screens, layout.ClientWidth(), layout.ClientHeight());
}

void CCalendarDlg::PlaceOnScreen() {
    Move(m_startPlacement.x, m_startPlacement.y);
    if (m_startPlacement.maximized) {
        Maximize();
    }
}

void CCalendarDlg::NoteNormalPlacement() {
    if (IsMaximized() || IsIconized() || !IsShown()) {
        return;
    }
    const wxPoint at = GetPosition();
    const wxSize size = GetClientSize();
    m_normalPlacement = {at.x, at.y, size.x, size.y, false};
}

void CCalendarDlg::SavePlacement() {
    if (m_placementFile.empty()) {
        return;
    }
    NoteNormalPlacement();
    WindowPlacement placement = m_normalPlacement;
    placement.maximized = IsMaximized();
    // The place is a convenience: a file that cannot be written leaves the next start at
    // the default place, which is no reason to hold up the closing.
    WriteWindowPlacement(m_placementFile, placement);
}

void CCalendarDlg::CheckOutsideChange() {
    if (!m_bClosed && m_pView != nullptr && m_model.ReloadIfChanged()) {
        m_pView->RedrawNow();
        if (m_pReminders) {
            m_pReminders->Check();
        }
    }
}

void CCalendarDlg::OpenDayFromReminder(const std::string& date) {
    if (m_bClosed || m_pView == nullptr || !ScheduleIsDate(date)) {
        return;
    }
    BringToFront();
    // A dialog over the window has the user's attention (and may be this very day).
    if (DialogRunsOver()) {
        return;
    }
    OpenDay(date);
}

bool CCalendarDlg::DialogRunsOver() const {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog != nullptr && dialog != this && dialog->IsModal()) {
            return true;
        }
    }
    return fw::HasNativeModalDialog();
}

bool CCalendarDlg::RunDayDialog(DayDialogFields& fields) {
    m_dayDialogTimer.Stop();
    // The dialog built ahead, or one built now. Each runs once, as a new one would: nothing
    // of an earlier edit is left in it.
    CYoteiEditDlg* dialog = std::exchange(m_pNextDayDialog, nullptr);
    if (dialog == nullptr) {
        dialog = new CYoteiEditDlg;
    }
    static_cast<DayDialogFields&>(*dialog) = fields;
    const bool ok = dialog->DoModal() == IDOK;
    if (ok) {
        fields = *dialog;
    }
    // Taken apart once the window is idle, after the month shows the edit.
    dialog->Destroy();
    if (!m_bClosed) {
        PrepareDayDialogLater();
    }
    return ok;
}

void CCalendarDlg::PrepareDayDialogLater() {
    m_dayDialogTimer.StartOnce(kPrepareDayDialogMilliseconds);
}

void CCalendarDlg::PrepareDayDialog() {
    if (m_bClosed || m_pNextDayDialog != nullptr) {
        return;
    }
    if (DialogRunsOver()) {
        PrepareDayDialogLater();  // once it has ended
        return;
    }
    auto* dialog = new CYoteiEditDlg;
    if (!dialog->BuildAhead()) {
        delete dialog;
        return;
    }
    m_pNextDayDialog = dialog;
}

void CCalendarDlg::OnKeyHook(wxKeyEvent& event) {
    if (!m_bClosed && event.GetModifiers() == wxMOD_CONTROL &&
        (event.GetKeyCode() == 'F' || event.GetKeyCode() == 'f')) {
        OpenSearch();
        return;
    }
    if (m_pView != nullptr && !m_bClosed &&
        m_pView->HandleKey(event.GetKeyCode(), event.GetModifiers())) {
        return;
    }
    event.Skip();
}

void CCalendarDlg::OnViewPaint(wxPaintEvent& event) {
    if (!m_bHandlePublished && !IsIconized()) {
        Publish();
    }
    event.Skip();
}

void CCalendarDlg::Publish() {
    m_bHandlePublished = true;
    if (m_pGuard == nullptr) {
        return;
    }
    int fd = m_pGuard->Publish(GetHandle());
    if (fd >= 0) {
        // A second copy knocked on the guard's socket: bring the window forward.
        m_nWatch = fw::WatchReadable(fd, [this] { HandleGuardRequest(); });
    }
}

void CCalendarDlg::HandleGuardRequest() {
    if (m_pGuard != nullptr && m_pGuard->TakeRequest()) {
        BringToFront();
    }
}

void CCalendarDlg::BringToFront() {
    if (IsIconized()) {
        Iconize(false);
    }
    Show();
    Raise();
    SetFocus();
}

void CCalendarDlg::OnSysCommand(int id) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else if ((id & 0xFFF0) == IDM_RESTORE) {
        RestoreFromBackup();
    } else if ((id & 0xFFF0) == IDM_PREV_MONTH) {
        m_pView->ShowPrevMonth();
    } else if ((id & 0xFFF0) == IDM_NEXT_MONTH) {
        m_pView->ShowNextMonth();
    } else if ((id & 0xFFF0) == IDM_THIS_MONTH) {
        m_pView->ShowCurrentMonth();
    } else if ((id & 0xFFF0) == IDM_GOTO_MONTH) {
        m_pView->GoToMonth();
    } else if ((id & 0xFFF0) == IDM_PAGE_SETUP) {
        PageSetup();
    } else if ((id & 0xFFF0) == IDM_PRINT_PREVIEW) {
        PrintPreview();
    } else if ((id & 0xFFF0) == IDM_PRINT) {
        Print();
    } else if ((id & 0xFFF0) == IDM_EXPORT) {
        ExportSchedule();
    } else if ((id & 0xFFF0) == IDM_SEARCH) {
        OpenSearch();
    } else {
        fw::CDialog::OnSysCommand(id);
    }
}

void CCalendarDlg::PageSetup() {
    wxPageSetupDialog dialog(this, &m_pageSetup);
    if (dialog.ShowModal() == wxID_OK) {
        m_pageSetup = dialog.GetPageSetupDialogData();
    }
}

void CCalendarDlg::PrintPreview() {
    const int year = m_pView->ViewYear();
    const int month = m_pView->ViewMonth();
    wxPrintDialogData printData(m_pageSetup.GetPrintData());
    // One printout for the preview's page, one for printing from the preview.
    auto* preview = new wxPrintPreview(
        new CMonthPrintout(m_model, year, month, m_bShowHolidays, m_pageSetup),
        new CMonthPrintout(m_model, year, month, m_bShowHolidays, m_pageSetup), &printData);
    if (!preview->IsOk()) {
        delete preview;
        fw::MessageBox(this, wxString::FromUTF8("印刷プレビューを表示できません。"), wxString(),
                       fw::MB_ICONEXCLAMATION);
        return;
    }
    auto* frame = new wxPreviewFrame(preview, this, wxString::FromUTF8("印刷プレビュー"),
                                     wxDefaultPosition, FromDIP(wxSize(760, 900)));
    // The main window runs modal, and while a modal dialog runs the toolkit closes only
    // dialogs from their close box: the preview is marked as one, and taken out of the
    // modal window's grab (it disables the main window itself while it is up).
    frame->SetExtraStyle(frame->GetExtraStyle() | wxTOPLEVEL_EX_DIALOG);
    // Disabling the main window took the keyboard focus from the month: give it back once
    // the preview is closed, or the keys would go nowhere until a click.
    frame->Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
        event.Skip();
        CallAfter([this] {
            if (m_pView != nullptr && !m_bClosed) {
                m_pView->SetFocus();
            }
        });
    });
    frame->Initialize();
    frame->Show();
    fw::TakeInputBesideModal(frame);
}

void CCalendarDlg::Print() {
    wxPrintDialogData printData(m_pageSetup.GetPrintData());
    wxPrinter printer(&printData);
    CMonthPrintout printout(m_model, m_pView->ViewYear(), m_pView->ViewMonth(), m_bShowHolidays,
                            m_pageSetup);
    if (printer.Print(this, &printout, true)) {
        m_pageSetup.SetPrintData(printer.GetPrintDialogData().GetPrintData());
    } else if (wxPrinter::GetLastError() == wxPRINTER_ERROR) {
        fw::MessageBox(this, wxString::FromUTF8("印刷できませんでした。"), wxString(),
                       fw::MB_ICONEXCLAMATION);
    }
}

void CCalendarDlg::ExportSchedule() {
#if PEMDARO_HAVE_EXPORTS
    if (!m_model.IsOpen()) {
        return;
    }
    CExportDlg dialog(this, m_pView->ViewYear(), m_pView->ViewMonth());
    if (dialog.ShowModal() != wxID_OK) {
        return;
    }
    const ExportRequest request = dialog.Request();
    const wxString chosen = fw::AskSavePath(this, wxString::FromUTF8("書き出し先を選んでください"),
                                            dialog.DefaultFileName(), dialog.Wildcard());
    if (chosen.empty()) {
        return;
    }
    const std::string path = fw::WxToUtf8(chosen);
    const ExportOutcome outcome = ExportToFile(m_model, request, path);
    if (!outcome.ok) {
        fw::MessageBox(this, fw::Utf8ToWx("書き出せませんでした。\n" + outcome.reason), wxString(),
                       fw::MB_ICONEXCLAMATION);
        return;
    }
    fw::MessageBox(
        this,
        fw::Utf8ToWx(std::to_string(outcome.entries) + " 件の予定を書き出しました。\n" + path),
        wxString(), fw::MB_ICONINFORMATION);
#endif
}

void CCalendarDlg::OpenSearch() {
    if (m_bClosed) {
        return;
    }
    if (!m_pSearch) {
        m_pSearch =
            new CSearchDlg(this, m_model, [this](const std::string& date) { OpenDay(date); });
    }
    m_pSearch->Present();
}

void CCalendarDlg::OpenDay(const std::string& date) {
    if (m_bClosed || m_pView == nullptr || !ScheduleIsDate(date)) {
        return;
    }
    const int year = std::stoi(date.substr(0, 4));
    const int month = std::stoi(date.substr(4, 2));
    const int day = std::stoi(date.substr(6, 2));
    Raise();
    // The same flow as a double-click on the day, with its save and its messages.
    m_pView->OpenDay(year, month, day);
}

void CCalendarDlg::RestoreFromBackup() {
    if (!m_model.IsOpen()) {
        return;
    }
    const std::string table = m_model.FilePath();
    CRestoreDlg dialog(this, ListBackups(table), PathText(BackupFolderOf(table)));
    if (dialog.ShowModal() != wxID_OK || dialog.Chosen() == nullptr) {
        return;
    }
    const BackupEntry chosen = *dialog.Chosen();
    const wxString question =
        CRestoreDlg::DateText(chosen) + " " + CRestoreDlg::TimeText(chosen) +
        fw::Utf8ToWx(" のバックアップに戻しますか？\n今のデータもバックアップとして残ります。");
    if (fw::MessageBox(this, question, wxString(), fw::MB_YESNO | fw::MB_ICONQUESTION) !=
        fw::kIdYes) {
        return;
    }
    if (!m_model.RestoreBackup(chosen.path)) {
        fw::MessageBox(this,
                       PathText("バックアップから復元できませんでした。（" +
                                m_model.LastBackupFailure().reason + "）"),
                       wxString(), fw::MB_ICONEXCLAMATION);
    }
    m_pView->RedrawNow();
    if (m_pReminders) {
        m_pReminders->Check();
    }
}

bool CCalendarDlg::PreTranslateKeyDown(int keyCode) {
    // Neither key may end the window past the close handler and its save.
    return keyCode == WXK_RETURN || keyCode == WXK_NUMPAD_ENTER || keyCode == WXK_ESCAPE;
}

void CCalendarDlg::OnOK() {
    CloseAndSave();
}
void CCalendarDlg::OnCancel() {
    CloseAndSave();
}
void CCalendarDlg::OnClose() {
    CloseAndSave();
}

void CCalendarDlg::CloseAndSave(bool ask) {
    if (m_bClosed) {
        return;
    }
    m_bClosed = true;
    m_pollTimer.Stop();
    m_dayDialogTimer.Stop();
    if (m_pReminders) {
        m_pReminders->Stop();
    }
    if (m_pSearch) {
        m_pSearch->Hide();
    }
    // The save of the last OK, if it still runs beside the window or its end is not yet
    // reported, ends and says how it went (a backup that failed, conflicts) as it would
    // have a moment later; a signal or the end of the session shows nothing.
    if (ask && m_pView != nullptr) {
        m_pView->FinishSave();
    }
    if (m_model.HasUnsavedChanges()) {
        const bool saved = m_model.Save();
        if (ask) {
            ReportBackupFailure(m_model);
        }
        if (!saved && !ResolveFailedSave(ask)) {
            m_bClosed = false;  // the user went back to the window
            m_pollTimer.Start(kPollMilliseconds);
            if (m_pReminders) {
                m_pReminders->Check();
            }
            return;
        }
    }
    m_model.Close(false);
    SavePlacement();
    EndDialog(IDCANCEL);
}

void CCalendarDlg::SaveBeforeEnd() {
    if (m_bClosed) {
        return;
    }
    if (m_model.HasUnsavedChanges() && !m_model.Save()) {
        ResolveFailedSave(false);  // the copy in the user's state folder
    }
    SavePlacement();
}

namespace {

// "kelnova-unsaved-20261207-174501.txt" in the user's state folder; empty without one.
std::string EmergencyCopyPath() {
    const std::string folder = UserStateFolder();
    if (folder.empty()) {
        return {};
    }
    const std::time_t now = std::time(nullptr);
    const std::tm local = LocalTimeOf(now);
    char name[64];
    std::strftime(name, sizeof name, "kelnova-unsaved-%Y%m%d-%H%M%S.txt", &local);
    return folder + name;
}

}  // namespace

bool CCalendarDlg::ResolveFailedSave(bool ask) {
    const std::string failed = SaveFailedMessage(m_model.LastSaveFailure(), m_model.FilePath());
    // Before anything else, what the user entered goes where it can be found again.
    const std::string copy = EmergencyCopyPath();
    const bool copied = !copy.empty() && m_model.SaveCopyTo(copy);
    const std::string kept = copied ? "入力した内容は次のファイルに退避しました。\n" + copy
                                    : std::string("退避用のコピーも作れませんでした。");
    if (!ask) {
        return true;
    }
    // Each question returns at once (cancelled) when the program is ending meanwhile.
    for (; !m_bEnding;) {
        const int choice =
            fw::AfxChoiceBox(fw::Utf8ToWx(failed + "\n\n" + kept + "\n\nどうしますか？"),
                             fw::MB_YESNOCANCEL | fw::MB_ICONEXCLAMATION,
                             {wxString::FromUTF8("再試行"), wxString::FromUTF8("別の場所に保存..."),
                              wxString::FromUTF8("保存せずに終了")});
        if (choice == fw::kIdYes) {
            if (m_model.Save()) {
                return true;
            }
            continue;
        }
        if (choice == fw::kIdNo) {
            const wxString chosen =
                fw::AskSavePath(this, wxString::FromUTF8("保存先を選んでください"), "kelnova.txt",
                                wxString::FromUTF8("予定表 (*.txt)|*.txt"));
            if (chosen.empty()) {
                continue;
            }
            const std::string path = fw::WxToUtf8(chosen);
            if (m_model.SaveCopyTo(path)) {
                fw::AfxMessageBox(fw::Utf8ToWx("次のファイルに保存しました。\n" + path),
                                  fw::MB_ICONINFORMATION);
                return true;
            }
            fw::AfxMessageBox(fw::Utf8ToWx(SaveFailedMessage(m_model.LastSaveFailure(), path)),
                              fw::MB_ICONSTOP);
            continue;
        }
        const char* confirm = copied ? "保存せずに終了しますか？\n"
                                       "保存されていない入力は、退避したファイルにだけ残ります。"
                                     : "保存せずに終了しますか？\n"
                                       "保存されていない入力は失われます。";
        if (fw::AfxMessageBox(confirm, fw::MB_YESNO | fw::MB_ICONQUESTION) == fw::kIdYes) {
            return true;
        }
    }
    return true;
}
