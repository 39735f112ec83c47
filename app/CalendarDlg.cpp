#include "CalendarDlg.h"

#include "AboutDlg.h"
#include "Backups.h"
#include "InstanceGuard.h"
#include "MessageBox.h"
#include "Platform.h"
#include "Resources.h"
#include "RestoreDlg.h"
#include "ScheduleModel.h"
#include "TextConv.h"
#include "WxImages.h"
#include "XelCalMView.h"
#include "YoteiEditDlg.h"

namespace {

const int kViewChildId = 10;

// The day schedule dialog over the view's fields; true on OK, with the result in them.
bool RunYoteiEditDialog(DayDialogFields& fields) {
    CYoteiEditDlg dialog;
    static_cast<DayDialogFields&>(dialog) = fields;
    if (dialog.DoModal() != IDOK) {
        return false;
    }
    fields = dialog;
    return true;
}

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
    : fw::CDialog(IDD_CALENDAR_DIALOG), m_model(model), m_pGuard(guard) {}

CCalendarDlg::~CCalendarDlg() {
    fw::RemoveWatch(m_nWatch);
}

bool CCalendarDlg::OnInitDialog() {
    fw::CDialog::OnInitDialog();
    // On GTK the system menu is the window's context menu (right click anywhere).
    std::string_view restore = res::LoadStringResource(IDS_RESTORE);
    std::string_view about = res::LoadStringResource(IDS_ABOUTBOX);
    if (HasSystemMenu() && !about.empty()) {
        AppendSystemMenuSeparator();
        AppendSystemMenuItem(IDM_RESTORE, fw::Utf8ToWx(restore));
        AppendSystemMenuItem(IDM_ABOUTBOX, fw::Utf8ToWx(about));
    }
    SetIcon(fw::LoadResourceIcons(IDR_MAINFRAME).GetIcon(wxSize(32, 32)));

    m_pView = new CXelCalMView(m_model);
    // The client area is exactly the month grid, whatever the frame adds around it.
    const int width = m_pView->Layout().ClientWidth();
    const int height = m_pView->Layout().ClientHeight();
    SetClientSize(width, height);
    Move(0, 0);

    m_pView->Create(this, kViewChildId, wxRect(0, 0, width, height));
    m_pView->Bind(wxEVT_PAINT, &CCalendarDlg::OnViewPaint, this);
    m_pView->SetDayDialogRunner(RunYoteiEditDialog);
    m_pView->SendInitialUpdate();
    m_pView->Show();
    return true;
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
    int fd = m_pGuard->Publish();
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
    } else {
        fw::CDialog::OnSysCommand(id);
    }
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

void CCalendarDlg::CloseAndSave() {
    if (m_bClosed) {
        return;
    }
    m_bClosed = true;
    const bool saved = m_model.Close(true);
    ReportBackupFailure(m_model);
    if (!saved) {
        fw::AfxMessageBox("データファイルの保存に失敗しました。");
    }
    EndDialog(IDCANCEL);
}
