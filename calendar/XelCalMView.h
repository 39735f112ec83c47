// The month view: the main window's only child. It keeps no data of its own; every paint
// reads the month from the schedule model afresh, and a double-click on a day edits that
// day through the day schedule dialog and saves the result. The keyboard works the same
// month through HandleKey (MonthInput.h has the rules): the main window forwards its keys
// there, and the view takes its own key presses when it has the focus.
#pragma once

#include <cstdint>
#include <functional>

#include "DayDialogFields.h"
#include "MonthInput.h"
#include "MonthLayout.h"
#include "MonthScale.h"
#include "ScheduleModel.h"
#include "View.h"

class CXelCalMView : public fw::CView {
  public:
    // The view reads and writes the schedule through the model, which must outlive it.
    explicit CXelCalMView(CScheduleModel& model);
    // A save still running is finished (its worker must not post to a view that is gone).
    ~CXelCalMView() override;

    // Looks the month's fonts up as its first paint does (fw::FontFromSpec keeps them, so
    // that paint finds them): the start does it while the table's read on another thread
    // ends.
    static void PrepareFonts();

    // Geometry, fonts, pens and brushes; fixed after construction.
    const MonthLayout& Layout() const { return m_layout; }
    int ViewYear() const { return m_nav.m_nViewYear; }
    int ViewMonth() const { return m_nav.m_nViewMonth; }

    void ShowNextMonth();
    void ShowPrevMonth();
    void ShowCurrentMonth();
    // year 1000..9999, month 1..12; anything else is ignored.
    void ShowMonth(int year, int month);
    // The "移動" dialog; OK shows the month it names.
    void GoToMonth();
    // The day under the day cursor.
    int CursorDay() const { return m_nav.CursorDay(m_clock()); }

    // A key press (wx key code, wx modifier flags): PageUp, PageDown, Home, the arrows,
    // Enter and Space without modifiers, and Ctrl+G. Returns whether the key was taken.
    bool HandleKey(int keyCode, int modifiers);

    // Where "now" comes from; tests fix it.
    using Clock = std::function<LocalDateTime()>;
    void SetClock(Clock clock) { m_clock = std::move(clock); }

    // Runs the day schedule dialog on the fields; true when it ended with OK and the
    // fields hold the result. The main window sets it; tests replace it.
    using DayDialogRunner = std::function<bool(DayDialogFields&)>;
    void SetDayDialogRunner(DayDialogRunner runner) { m_runDayDialog = std::move(runner); }

    // Whether national holidays are painted and named (HOLIDAYS in kelnova.ini); on by
    // default.
    void SetShowHolidays(bool show) { m_bShowHolidays = show; }

    // Shows year/month with the day cursor on day, then edits that day as a double-click
    // on it does (the search opens its rows so). Nothing for a date that is not real.
    void OpenDay(int year, int month, int day);

    // The editing flow of a double-click on day of the month shown. While the model is
    // read-only it says so instead of opening the dialog.
    void EditDay(int day);

    // Where the month lies in the view's client area now (MonthScale.h).
    MonthFit Fit() const;

    // Takes in the outcome of the save the last OK started beside the window, if it is
    // still unreported, and reports it as the OK's own save reports: a repaint when it
    // read another program's change, the backup failure, the failed save, the conflicts.
    // The window's close calls it first.
    void FinishSave();

  protected:
    void OnDraw(fw::Canvas& canvas) override;
    fw::ViewFit FitToClient(wxSize client) const override;

  private:
    void OnLButtonDown(wxMouseEvent& event);
    void OnLButtonUp(wxMouseEvent& event);
    void OnLButtonDblClk(wxMouseEvent& event);
    void OnMouseWheel(wxMouseEvent& event);
    // The tooltip shows the whole day under the pointer (DayTooltipText); it is built
    // anew only when the pointer reaches another day, and after every paint.
    void OnMouseMove(wxMouseEvent& event);
    void OnMouseLeave(wxMouseEvent& event);
    void ShowDayTooltip(int day);
    void OnKeyDown(wxKeyEvent& event);
    // Posted by the save's worker when it has ended.
    void OnSaveDone(uint64_t token);
    void ReportSave(bool saved, bool reloaded);

    // The month pixel under the mouse.
    fw::Point MonthPointOf(const wxMouseEvent& event) const;

    CScheduleModel& m_model;
    bool m_bShowHolidays = true;
    MonthLayout m_layout;
    Clock m_clock;
    CMonthNavigator m_nav;
    DayDialogRunner m_runDayDialog;
    int m_nTooltipDay = 0;  // the day whose tooltip is set; 0 for none
    uint64_t m_nLastSaveToken = 0;
    uint64_t m_nSaveToken = 0;  // of the save running beside the window, unreported; 0 for none

    wxDECLARE_EVENT_TABLE();
};
