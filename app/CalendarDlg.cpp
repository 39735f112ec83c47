#include "CalendarDlg.h"

#include <glib-unix.h>
#include <wx/menu.h>

#include "AboutDlg.h"
#include "Images.h"
#include "InstanceGuard.h"
#include "MessageBox.h"
#include "Resources.h"
#include "XelCalMView.h"
#include "XelDatabase.h"

namespace {

const int kViewChildId = 10;

// A second copy knocked on the guard's socket: bring the window forward.
gboolean OnGuardReadable(gint, GIOCondition, gpointer data) {
    auto* dialog = static_cast<CCalendarDlg*>(data);
    dialog->HandleGuardRequest();
    return G_SOURCE_CONTINUE;
}

}  // namespace

wxBEGIN_EVENT_TABLE(CCalendarDlg, fw::CDialog)
    EVT_CONTEXT_MENU(CCalendarDlg::OnContextMenu)
    EVT_MENU(IDM_ABOUTBOX, CCalendarDlg::OnMenu)
    EVT_MENU(wxID_CLOSE, CCalendarDlg::OnMenu)
wxEND_EVENT_TABLE()

CCalendarDlg::CCalendarDlg(CInstanceGuard* guard)
    : fw::CDialog(IDD_CALENDAR_DIALOG), m_pGuard(guard) {}

CCalendarDlg::~CCalendarDlg() {
    if (m_nWatch != 0) {
        g_source_remove(m_nWatch);
    }
}

bool CCalendarDlg::OnInitDialog() {
    fw::CDialog::OnInitDialog();
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

void CCalendarDlg::OnContextMenu(wxContextMenuEvent&) {
    // GTK has no system menu: its entries live in the window's context menu.
    wxMenu menu;
    menu.Append(wxID_CLOSE, wxString::FromUTF8("閉じる(&C)"));
    std::string_view about = res::LoadStringResource(IDS_ABOUTBOX);
    if (!about.empty()) {
        menu.AppendSeparator();
        menu.Append(IDM_ABOUTBOX, wxString::FromUTF8(about.data(), about.size()));
    }
    PopupMenu(&menu);
}

void CCalendarDlg::OnMenu(wxCommandEvent& event) {
    if (event.GetId() == wxID_CLOSE) {
        CloseAndSave();
    } else {
        OnSysCommand(event.GetId());
    }
}

void CCalendarDlg::OnSysCommand(int id) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    }
}

bool CCalendarDlg::PreTranslateKeyDown(int keyCode) {
    // Neither key may end the window past the close handler and its save.
    return keyCode == WXK_RETURN || keyCode == WXK_NUMPAD_ENTER || keyCode == WXK_ESCAPE;
}

void CCalendarDlg::OnOK() { CloseAndSave(); }
void CCalendarDlg::OnCancel() { CloseAndSave(); }
void CCalendarDlg::OnClose() { CloseAndSave(); }

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
