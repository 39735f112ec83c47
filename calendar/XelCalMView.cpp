#include "XelCalMView.h"

#include "DayEdit.h"
#include "MessageBox.h"
#include "MonthPainter.h"
#include "SaveMessages.h"
#include "TextConv.h"

wxBEGIN_EVENT_TABLE(CXelCalMView, fw::CView)
    EVT_LEFT_UP(CXelCalMView::OnLButtonUp)
    EVT_LEFT_DOWN(CXelCalMView::OnLButtonDown)
    EVT_LEFT_DCLICK(CXelCalMView::OnLButtonDblClk)
    EVT_MOUSEWHEEL(CXelCalMView::OnMouseWheel)
wxEND_EVENT_TABLE()

namespace {
fw::Point PointOf(const wxMouseEvent& event) {
    return {event.GetX(), event.GetY()};
}

}  // namespace

CXelCalMView::CXelCalMView(CScheduleModel& model)
    : m_model(model), m_clock(LocalDateTimeNow), m_nav(m_layout, m_clock()) {}

void CXelCalMView::OnDraw(fw::Canvas& canvas) {
    const int year = m_nav.m_nViewYear;
    const int month = m_nav.m_nViewMonth;
    if (!m_model.IsOpen()) {
        PaintMonth(canvas, m_layout, year, month, m_clock(), nullptr);
        return;
    }
    MonthContent content = m_model.ReadMonth(year, month);
    if (m_bShowHolidays) {
        AddNationalHolidays(content);
    }
    PaintMonth(canvas, m_layout, year, month, m_clock(), &content);
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
    if (!m_model.IsOpen() || !m_runDayDialog) {
        return;
    }
    if (m_model.IsReadOnly()) {
        // Another copy holds the data file: its saves would be overwritten, or ours theirs.
        fw::AfxMessageBox("表示のみで開いているため、変更できません。");
        return;
    }
    const DayContent before =
        m_model.ReadDay(ScheduleDate(m_nav.m_nViewYear, m_nav.m_nViewMonth, day));
    DayDialogFields fields = ToDialogFields(before);
    if (m_bShowHolidays) {
        fields.m_strHolidayName = NationalHolidayText(before.date);
    }
    if (!m_runDayDialog(fields)) {
        return;
    }
    m_model.WriteDay(before, FromDialogFields(fields, before));
    // What the user confirmed reaches the disk now, not only when the window closes; a
    // change another program made in the meantime is kept under it.
    const bool saved = m_model.Save();
    if (m_model.LastBackupFailure().Failed()) {
        fw::AfxMessageBox(fw::Utf8ToWx(BackupFailureMessage(m_model.LastBackupFailure())));
    }
    if (!saved) {
        RedrawNow();
        fw::AfxMessageBox(SaveFailedMessage(m_model.LastSaveFailure(), m_model.FilePath()).c_str());
        return;
    }
    RedrawNow();
    const std::string conflicts = ConflictMessage(m_model.LastSaveConflicts());
    if (!conflicts.empty()) {
        fw::AfxMessageBox(conflicts.c_str(), fw::MB_ICONINFORMATION);
    }
}
