// The main window: a dialog without controls that frames the month view, publishes
// itself for the single-instance guard when first drawn, offers the restore of a backup
// and the About box, and saves the schedule whenever and however it is closed.
#pragma once

#include <wx/cmndata.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include <functional>
#include <memory>
#include <string>

#include "Dialog.h"
#include "MonthLayout.h"
#include "WindowPlacement.h"

struct DayDialogFields;
class CInstanceGuard;
class CDesktopReminders;
class CScheduleModel;
class CSearchDlg;
class CXelCalMView;
class CYoteiEditDlg;

class CCalendarDlg : public fw::CDialog {
  public:
    // model: the open schedule, which the window hands to its view and saves at close; it
    // must outlive the window. guard: the running copy's guard, published at the first
    // paint; may be null.
    explicit CCalendarDlg(CScheduleModel& model, CInstanceGuard* guard = nullptr);
    ~CCalendarDlg() override;

    CXelCalMView* View() const { return m_pView; }
    // The search window once Ctrl+F or "検索..." made it; nullptr before.
    CSearchDlg* SearchWindow() const { return m_pSearch.get(); }
    // Whether the month shows national holidays (HOLIDAYS in kelnova.ini); set before the
    // window runs.
    void SetShowHolidays(bool show) { m_bShowHolidays = show; }
    // Minutes before a timed entry's start that its reminder is shown (REMIND_MINUTES in
    // kelnova.ini), 0 for none; set before the window runs.
    void SetReminderMinutes(int minutes) { m_nReminderMinutes = minutes; }
    // Where "now" comes from, for the month view and the reminders; set before the window
    // runs. The local clock unless set.
    using Clock = std::function<LocalDateTime()>;
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    // The file that keeps the window's size and place between runs (WindowPlacement.h):
    // read when the window is made, written when it closes. Empty (the default) keeps
    // nothing: the window starts at the month's size, grown by the desktop's text size,
    // in the top left corner. Set before the window runs.
    void SetPlacementFile(std::string path) { m_placementFile = std::move(path); }

    // The close handler every way of closing arrives at: saves what is not saved yet and
    // releases the schedule, then ends the dialog. When the save fails, a copy goes to the
    // user's state folder first; then, with ask, the user chooses to try again, to save to
    // another place, or to end without saving after a confirmation. Without ask (a signal,
    // the end of the session) the copy is all that is done.
    void CloseAndSave(bool ask = true);
    // What CloseAndSave(false) saves, at once and without closing anything: for the end of
    // the session, which may come while dialogs run over the window.
    void SaveBeforeEnd();
    // IDM_SEARCH opens the search window, IDM_EXPORT exports the schedule, IDM_RESTORE
    // restores a backup, IDM_ABOUTBOX shows the About box, IDM_PREV_MONTH, IDM_NEXT_MONTH,
    // IDM_THIS_MONTH and IDM_GOTO_MONTH move the view, IDM_PAGE_SETUP, IDM_PRINT_PREVIEW and
    // IDM_PRINT print the month shown; the rest is the base's (close, minimise).
    void OnSysCommand(int id) override;
    // "書き出し": the range and format, the file, the export through the model and a
    // message that says how many entries went out, or why nothing was written.
    void ExportSchedule();
    // The restore dialog, a question, the restore through the model and a repaint.
    void RestoreFromBackup();
    // The program is ending (a signal, the end of the session): questions that would keep
    // it open are not asked again.
    void BeginEnding() { m_bEnding = true; }
    // The toolkit's page setup dialog ("ページ設定...") for the printing that follows.
    void PageSetup();
    // The print preview window ("印刷プレビュー...") of the month shown; it can print too.
    void PrintPreview();
    // The print dialog ("印刷...") and the month shown on one page.
    void Print();
    // The search window, made at its first use and kept (hidden) when closed.
    void OpenSearch();
    // Shows the month of the day YYYYMMDD and edits that day as a double-click on it does.
    void OpenDay(const std::string& date);
    // Brings the window to the front, as a second start asks for.
    void BringToFront();
    // A connection is waiting on the guard's socket.
    void HandleGuardRequest();
    // Takes in a change another program made to the data file, and repaints. Runs when the
    // file monitor reports the file and every few seconds besides (a network folder
    // reports nothing).
    void CheckOutsideChange();
    // A reminder's "開く": the day's month is shown and the day opened for editing, as a
    // double-click on it does. While another dialog is open the window only comes forward.
    void OpenDayFromReminder(const std::string& date);

  protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnClose() override;
    bool PreTranslateKeyDown(int keyCode) override;
    // The place StartPlacement chose, maximised when the window was at its last close.
    void PlaceOnScreen() override;

  private:
    // After a failed save at close: true once what the user entered is safe somewhere or
    // the user chose to end without it.
    bool ResolveFailedSave(bool ask);
    void OnViewPaint(wxPaintEvent& event);
    // The window's size and place at start: the remembered ones or the default, made to
    // fit the displays there are now.
    WindowPlacement StartPlacement() const;
    // Notes the size and place while the window is neither maximised nor minimised, so a
    // maximised window remembers where it goes back to.
    void NoteNormalPlacement();
    void SavePlacement();
    // Every key pressed in the window goes to the view first; what it does not take goes
    // on to the dialog's own handling (PreTranslateKeyDown).
    void OnKeyHook(wxKeyEvent& event);
    void Publish();
    // Whether another dialog runs modal over the window (its own or the system's).
    bool DialogRunsOver() const;
    // The day schedule dialog over the view's fields; true on OK, with the result in them.
    bool RunDayDialog(DayDialogFields& fields);
    // Builds the next day dialog's window a moment after the window started or the last
    // day dialog closed, so that a double-click does not wait for its controls to be made.
    void PrepareDayDialogLater();
    void PrepareDayDialog();

    CScheduleModel& m_model;
    CXelCalMView* m_pView = nullptr;
    wxWeakRef<CSearchDlg> m_pSearch;
    bool m_bHandlePublished = false;
    bool m_bClosed = false;
    bool m_bEnding = false;
    bool m_bShowHolidays = true;
    int m_nReminderMinutes = 0;
    Clock m_clock = LocalDateTimeNow;
    std::unique_ptr<CDesktopReminders> m_pReminders;
    CInstanceGuard* m_pGuard;
    unsigned m_nWatch = 0;      // the platform watch on the guard's socket
    unsigned m_nFileWatch = 0;  // the platform watch on the data file
    wxTimer m_pollTimer;
    // The next day dialog, built but not yet run; owned, hidden. Each one runs once.
    CYoteiEditDlg* m_pNextDayDialog = nullptr;
    wxTimer m_dayDialogTimer;           // PrepareDayDialogLater's wait
    wxPageSetupDialogData m_pageSetup;  // paper, orientation and margins for printing
    std::string m_placementFile;
    WindowPlacement m_startPlacement;
    WindowPlacement m_normalPlacement;
};
