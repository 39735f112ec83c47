#include "CalendarDlg.h"

#include <glib-unix.h>

#include "AboutDlg.h"
#include "Images.h"
#include "InstanceGuard.h"
#include "MessageBox.h"
#include "Resources.h"
#include "XelCalMView.h"
#include "XelDatabase.h"
#include "YoteiEditDlg.h"

namespace {

const int kViewChildId = 10;

// A second copy knocked on the guard's socket: bring the window forward.
gboolean OnGuardReadable(gint, GIOCondition, gpointer data) {
    auto* dialog = static_cast<CCalendarDlg*>(data);
    dialog->HandleGuardRequest();
    return G_SOURCE_CONTINUE;
}

// The fields the day schedule dialog hands back; the dialog's members carry the same names.
template <class From, class To>
void CopyDayResult(const From& from, To& to) {
    to.m_strYotei = from.m_strYotei;
    to.m_strFromTime = from.m_strFromTime;
    to.m_strToTime = from.m_strToTime;
    to.m_strPeriodYotei = from.m_strPeriodYotei;
    to.m_strPeriodFrom = from.m_strPeriodFrom;
    to.m_strPeriodTo = from.m_strPeriodTo;
    to.m_nHoliday = from.m_nHoliday;
    to.m_nPaidLeave = from.m_nPaidLeave;
}

// The day schedule dialog over the view's fields; true on OK, with the result in them.
bool RunYoteiEditDialog(DayEditFields& fields) {
    CYoteiEditDlg dialog;
    dialog.m_nYear = fields.m_nYear;
    dialog.m_nMonth = fields.m_nMonth;
    dialog.m_nDay = fields.m_nDay;
    dialog.m_nPeriodMaxDays = fields.m_nPeriodMaxDays;
    CopyDayResult(fields, dialog);
    if (dialog.DoModal() != IDOK) {
        return false;
    }
    CopyDayResult(dialog, fields);
    return true;
}

}  // namespace

CCalendarDlg::CCalendarDlg(CInstanceGuard* guard)
    : fw::CDialog(IDD_CALENDAR_DIALOG), m_pGuard(guard) {}

CCalendarDlg::~CCalendarDlg() {
    if (m_nWatch != 0) {
        g_source_remove(m_nWatch);
    }
}

bool CCalendarDlg::OnInitDialog() {
    fw::CDialog::OnInitDialog();
    // On GTK the system menu is the window's context menu (right click anywhere).
    std::string_view about = res::LoadStringResource(IDS_ABOUTBOX);
    if (HasSystemMenu() && !about.empty()) {
        AppendSystemMenuSeparator();
        AppendSystemMenuItem(IDM_ABOUTBOX, wxString::FromUTF8(about.data(), about.size()));
    }
    SetIcon(fw::LoadResourceIcons(IDR_MAINFRAME).GetIcon(wxSize(32, 32)));

    m_pView = static_cast<CXelCalMView*>(RUNTIME_CLASS(CXelCalMView)->CreateObject());
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
        m_nWatch = g_unix_fd_add(fd, G_IO_IN, OnGuardReadable, this);
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
    } else {
        fw::CDialog::OnSysCommand(id);
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

void CCalendarDlg::CloseAndSave() {
    if (m_bClosed) {
        return;
    }
    m_bClosed = true;
    if (DbCloseTable("kelnova", 1) < 0) {
        fw::AfxMessageBox("データファイルの保存に失敗しました。");
    }
    EndDialog(IDCANCEL);
}
