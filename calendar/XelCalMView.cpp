#include "XelCalMView.h"

#include <optional>

#include "DayCursor.h"
#include "DayEdit.h"
#include "DayTooltip.h"
#include "Fonts.h"
#include "GoToMonthDlg.h"
#include "MessageBox.h"
#include "MonthPainter.h"
#include "Platform.h"
#include "SaveMessages.h"
#include "TextConv.h"

wxBEGIN_EVENT_TABLE(CXelCalMView, fw::CView)
    EVT_LEFT_UP(CXelCalMView::OnLButtonUp)
    EVT_LEFT_DOWN(CXelCalMView::OnLButtonDown)
    EVT_LEFT_DCLICK(CXelCalMView::OnLButtonDblClk)
    EVT_MOUSEWHEEL(CXelCalMView::OnMouseWheel)
    EVT_MOTION(CXelCalMView::OnMouseMove)
    EVT_LEAVE_WINDOW(CXelCalMView::OnMouseLeave)
    EVT_KEY_DOWN(CXelCalMView::OnKeyDown)
wxEND_EVENT_TABLE()

namespace {
// The month key of a plain key press; nullopt for any other key.
std::optional<MonthKey> MonthKeyOf(int keyCode) {
    switch (keyCode) {
        case WXK_PAGEUP:
        case WXK_NUMPAD_PAGEUP:
            return MonthKey::kPrevMonth;
        case WXK_PAGEDOWN:
        case WXK_NUMPAD_PAGEDOWN:
            return MonthKey::kNextMonth;
        case WXK_HOME:
        case WXK_NUMPAD_HOME:
            return MonthKey::kCurrentMonth;
        case WXK_UP:
        case WXK_NUMPAD_UP:
            return MonthKey::kUp;
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
            return MonthKey::kDown;
        case WXK_LEFT:
        case WXK_NUMPAD_LEFT:
            return MonthKey::kLeft;
        case WXK_RIGHT:
        case WXK_NUMPAD_RIGHT:
            return MonthKey::kRight;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
        case WXK_SPACE:
        case WXK_NUMPAD_SPACE:
            return MonthKey::kOpen;
        default:
            return std::nullopt;
    }
}

}  // namespace

CXelCalMView::CXelCalMView(CScheduleModel& model)
    : m_model(model), m_clock(LocalDateTimeNow), m_nav(m_layout, m_clock()) {}

CXelCalMView::~CXelCalMView() {
    // After this the worker posts to no one; what it posted is dropped with the window.
    m_model.FinishSave();
}

void CXelCalMView::OnDraw(fw::Canvas& canvas) {
    // The month or its content may have changed: the next move builds the tooltip afresh.
    m_nTooltipDay = 0;
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
    const LocalDateTime now = m_clock();
    PaintMonth(canvas, m_layout, year, month, now, &content,
               [&](fw::Canvas& over) { DrawDayCursor(over, m_layout, m_nav.CursorDay(now)); });
}

MonthFit CXelCalMView::Fit() const {
    const wxSize client = GetClientSize();
    return FitMonth(m_layout, client.x, client.y);
}

fw::ViewFit CXelCalMView::FitToClient(wxSize client) const {
    const MonthFit fit = FitMonth(m_layout, client.x, client.y);
    return {fit.scale, fit.left, fit.top};
}

fw::Point CXelCalMView::MonthPointOf(const wxMouseEvent& event) const {
    return Fit().MonthPoint({event.GetX(), event.GetY()});
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

void CXelCalMView::ShowMonth(int year, int month) {
    if (m_nav.ShowMonth(year, month)) {
        RedrawNow();
    }
}

void CXelCalMView::GoToMonth() {
    CGoToMonthDlg dialog(wxGetTopLevelParent(this), m_nav.m_nViewYear, m_nav.m_nViewMonth);
    if (dialog.ShowModal() == wxID_OK) {
        ShowMonth(dialog.Year(), dialog.Month());
    }
}

bool CXelCalMView::HandleKey(int keyCode, int modifiers) {
    if (modifiers == wxMOD_CONTROL && (keyCode == 'G' || keyCode == 'g')) {
        fw::AfterKeyEvent(this, [this] { GoToMonth(); });
        return true;
    }
    const std::optional<MonthKey> key = MonthKeyOf(keyCode);
    if (modifiers != wxMOD_NONE || !key) {
        return false;
    }
    const CMonthNavigator::KeyResult result = m_nav.OnKey(*key, m_clock());
    if (result.action == CMonthNavigator::KeyAction::kOpenDay) {
        fw::AfterKeyEvent(this, [this, day = result.day] { EditDay(day); });
    } else {
        RedrawNow();
    }
    return true;
}

void CXelCalMView::OnKeyDown(wxKeyEvent& event) {
    if (!HandleKey(event.GetKeyCode(), event.GetModifiers())) {
        event.Skip();
    }
}

void CXelCalMView::OnLButtonDown(wxMouseEvent& event) {
    m_nav.OnLButtonDown(MonthPointOf(event));
    event.Skip();
}

void CXelCalMView::OnLButtonUp(wxMouseEvent& event) {
    if (m_nav.OnLButtonUp(MonthPointOf(event))) {
        RedrawNow();
    }
    event.Skip();
}

void CXelCalMView::OnMouseWheel(wxMouseEvent& event) {
    fw::BeginTimedAction("month-wheel");
    // Wheel up (away from the user) is a positive rotation; one event moves one month.
    if (event.GetWheelAxis() == wxMOUSE_WHEEL_VERTICAL &&
        m_nav.OnMouseWheel(event.GetWheelRotation())) {
        RedrawNow();
    }
}

void CXelCalMView::OnMouseMove(wxMouseEvent& event) {
    const MonthHit hit =
        HitTestMonth(m_layout, m_nav.m_nViewYear, m_nav.m_nViewMonth, MonthPointOf(event));
    ShowDayTooltip(hit.kind == MonthHitKind::kDay ? hit.day : 0);
    event.Skip();
}

void CXelCalMView::OnMouseLeave(wxMouseEvent& event) {
    ShowDayTooltip(0);
    event.Skip();
}

void CXelCalMView::ShowDayTooltip(int day) {
    if (day == m_nTooltipDay && day != 0) {
        return;
    }
    m_nTooltipDay = day;
    std::string text;
    if (day != 0 && m_model.IsOpen()) {
        const DayContent content =
            m_model.ReadDay(ScheduleDate(m_nav.m_nViewYear, m_nav.m_nViewMonth, day));
        text = DayTooltipText(content,
                              m_bShowHolidays ? NationalHolidayText(content.date) : std::string());
    }
    // Setting the same text again would make GTK hide and show the tip once more.
    if (text.empty()) {
        if (GetToolTip() != nullptr) {
            UnsetToolTip();
        }
    } else if (const wxString tip = fw::Cp932ToWx(text); tip != GetToolTipText()) {
        SetToolTip(tip);
    }
}

void CXelCalMView::OnLButtonDblClk(wxMouseEvent& event) {
    CMonthNavigator::DblClkResult hit = m_nav.OnLButtonDblClk(MonthPointOf(event), m_clock());
    if (hit.action == CMonthNavigator::DblClkAction::kMonthChanged) {
        RedrawNow();
    } else if (hit.action == CMonthNavigator::DblClkAction::kOpenDay) {
        EditDay(hit.day);
    }
    event.Skip();
}

void CXelCalMView::OpenDay(int year, int month, int day) {
    if (!ScheduleIsDate(ScheduleDate(year, month, day)) || !m_nav.ShowMonth(year, month)) {
        return;
    }
    m_nav.m_nCursorDay = day;
    RedrawNow();
    EditDay(day);
}

void CXelCalMView::PrepareFonts() {
    const MonthLayout layout;
    for (const fw::FontSpec& font : {fw::FontSpec{}, layout.m_fontDay, layout.m_fontWeekday,
                                     layout.m_fontEntry, layout.m_fontHeader}) {
        fw::FontFromSpec(font);
    }
}

void CXelCalMView::EditDay(int day) {
    if (!m_model.IsOpen() || !m_runDayDialog) {
        return;
    }
    fw::BeginTimedAction("day-dialog");
    // The save of the OK before ends first, and says how it went, before the day is read.
    FinishSave();
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
    fw::BeginTimedAction("ok-paint");
    fw::BeginTimedStep("ok-saved");
    fw::BeginTimedTurn("ok-answer");
    m_model.WriteDay(before, FromDialogFields(fields, before));
    // The month shows the change before the save writes it. What the user confirmed
    // reaches the disk now, not only when the window closes; a change another program made
    // in the meantime is kept under it. The save runs beside the window, which answers
    // again at once; its outcome comes back through OnSaveDone. Everything that decides by
    // the saved state (a second OK, the close, the end of the session) waits for it in
    // the model.
    RedrawNow();
    const uint64_t token = ++m_nLastSaveToken;
    if (m_model.SaveInBackground(
            [this, token] { CallAfter([this, token] { OnSaveDone(token); }); })) {
        m_nSaveToken = token;
        return;
    }
    // No save beside the window (days over another program's change wait for their
    // conflict copy, or no thread could be started): the save runs here.
    const uint64_t shown = m_model.ChangeCount();
    const bool saved = m_model.Save();
    fw::EndTimedStep();
    ReportSave(saved, m_model.ChangeCount() != shown);
}

void CXelCalMView::FinishSave() {
    if (m_nSaveToken == 0) {
        return;
    }
    m_nSaveToken = 0;
    if (!m_model.SaveRunning()) {
        return;  // finished on another path (the close), which reported it
    }
    const uint64_t shown = m_model.ChangeCount();
    const bool saved = m_model.FinishSave();
    fw::EndTimedStep();
    ReportSave(saved, m_model.ChangeCount() != shown);
}

void CXelCalMView::OnSaveDone(uint64_t token) {
    // A save that another OK already finished and reported has a token of the past.
    if (token == m_nSaveToken) {
        FinishSave();
    }
}

void CXelCalMView::ReportSave(bool saved, bool reloaded) {
    if (reloaded) {
        RedrawNow();  // the save read another program's change first
    }
    if (m_model.LastBackupFailure().Failed()) {
        fw::AfxMessageBox(fw::Utf8ToWx(BackupFailureMessage(m_model.LastBackupFailure())));
    }
    if (!saved) {
        fw::AfxMessageBox(SaveFailedMessage(m_model.LastSaveFailure(), m_model.FilePath()).c_str(),
                          fw::MB_ICONSTOP);
        return;
    }
    const std::string conflicts = ConflictMessage(m_model.LastSaveConflicts());
    if (!conflicts.empty()) {
        fw::AfxMessageBox(conflicts.c_str(), fw::MB_ICONINFORMATION);
    }
}
