#include "XelCalMView.h"

#include "MessageBox.h"
#include "MonthPainter.h"
#include "XelDatabase.h"

IMPLEMENT_DYNCREATE(CXelCalMView, fw::CView)

wxBEGIN_EVENT_TABLE(CXelCalMView, fw::CView)
    EVT_LEFT_UP(CXelCalMView::OnLButtonUp)
    EVT_LEFT_DOWN(CXelCalMView::OnLButtonDown)
    EVT_LEFT_DCLICK(CXelCalMView::OnLButtonDblClk)
    EVT_MOUSEWHEEL(CXelCalMView::OnMouseWheel)
wxEND_EVENT_TABLE()

namespace {
const char kTableName[] = "kelnova";

fw::Point PointOf(const wxMouseEvent& event) {
    return {event.GetX(), event.GetY()};
}

}  // namespace

CXelCalMView::CXelCalMView() : m_clock(LocalDateTimeNow), m_nav(m_layout, m_clock()) {}

void CXelCalMView::OnDraw(fw::Canvas& canvas) {
    PaintMonth(canvas, m_layout, m_nav.m_nViewYear, m_nav.m_nViewMonth, m_clock(),
               DbOpenTable(kTableName));
}

void CXelCalMView::ShowNextMonth() {
    m_nav.ShowNextMonth();
    RedrawNow();
}

void CXelCalMView::ShowPrevMonth() {
    m_nav.ShowPrevMonth();
    RedrawNow();
}

void CXelCalMView::ShowCurrentMonth() {
    m_nav.ShowCurrentMonth(m_clock());
    RedrawNow();
}

void CXelCalMView::OnLButtonDown(wxMouseEvent& event) {
    m_nav.OnLButtonDown(PointOf(event));
    event.Skip();
}

void CXelCalMView::OnLButtonUp(wxMouseEvent& event) {
    if (m_nav.OnLButtonUp(PointOf(event))) {
        RedrawNow();
    }
    event.Skip();
}

void CXelCalMView::OnMouseWheel(wxMouseEvent& event) {
    // Wheel up (away from the user) is a positive rotation; one event moves one month.
    if (event.GetWheelAxis() == wxMOUSE_WHEEL_VERTICAL &&
        m_nav.OnMouseWheel(event.GetWheelRotation())) {
        RedrawNow();
    }
}

void CXelCalMView::OnLButtonDblClk(wxMouseEvent& event) {
    CMonthNavigator::DblClkResult hit = m_nav.OnLButtonDblClk(PointOf(event), m_clock());
    if (hit.action == CMonthNavigator::DblClkAction::kMonthChanged) {
        RedrawNow();
    } else if (hit.action == CMonthNavigator::DblClkAction::kOpenDay) {
        EditDay(hit.day);
    }
    event.Skip();
}

void CXelCalMView::EditDay(int day) {
    DbTable* table = DbOpenTable(kTableName);
    if (table == nullptr || !m_runDayDialog) {
        return;
    }
    DayEditSession session = BeginDayEdit(table, m_nav.m_nViewYear, m_nav.m_nViewMonth, day);
    DayEditFields result = session.m_fields;
    if (!m_runDayDialog(result)) {
        return;
    }
    CommitDayEdit(table, session, result);
    // What the user confirmed reaches the disk now, not only when the window closes.
    if (DbWriteTable(kTableName) < 0) {
        fw::AfxMessageBox("データファイルの保存に失敗しました。");
    }
    RedrawNow();
}
