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

// The day schedule dialog over the view's fields; true on OK, with the result in them.
bool RunYoteiEditDialog(DayEditFields& fields) {
    CYoteiEditDlg dialog;
    dialog.m_nYear = fields.m_nYear;
    dialog.m_nMonth = fields.m_nMonth;
    dialog.m_nDay = fields.m_nDay;
    dialog.m_strYotei = fields.m_strYotei;
    dialog.m_strFromTime = fields.m_strFromTime;
    dialog.m_strToTime = fields.m_strToTime;
    dialog.m_strPeriodYotei = fields.m_strPeriodYotei;
    dialog.m_strPeriodFrom = fields.m_strPeriodFrom;
    dialog.m_strPeriodTo = fields.m_strPeriodTo;
    dialog.m_nHoliday = fields.m_nHoliday;
    dialog.m_nPaidLeave = fields.m_nPaidLeave;
    if (dialog.DoModal() != IDOK) {
        return false;
    }
    fields.m_strYotei = dialog.m_strYotei;
    fields.m_strFromTime = dialog.m_strFromTime;
    fields.m_strToTime = dialog.m_strToTime;
    fields.m_strPeriodYotei = dialog.m_strPeriodYotei;
    fields.m_strPeriodFrom = dialog.m_strPeriodFrom;
    fields.m_strPeriodTo = dialog.m_strPeriodTo;
    fields.m_nHoliday = dialog.m_nHoliday;
    fields.m_nPaidLeave = dialog.m_nPaidLeave;
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
    const MonthLayout& layout = m_pView->Layout();
    // The client area is exactly the month grid, whatever the frame adds around it.
    const int width = (layout.m_nColumnWidth + layout.m_nColumnGap) * (layout.m_nColumns - 1) +
                      2 * layout.m_nLeftMargin + layout.m_nColumnWidth;
    const int height = layout.m_nRowHeight * layout.m_nDaysPerColumn + layout.m_nHeaderHeight;
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
