// "検索": the main window's search across every year, a window of its own that stays open
// beside the month (Ctrl+F or the context menu's "検索..." brings it up again). Its first
// page lists every timed entry and period whose text holds what is typed (SearchText.h
// says what counts as the same character), within an optional range of dates, and the
// list follows every key typed. Enter or a double-click on a row hands its day to the
// main window, which shows that month and opens the day as a double-click on it does.
// The second page, "休暇日数", counts the paid-leave and holiday marks of a fiscal year
// month by month (MarkCounts.h).
//
// The window reads the schedule through the model only, loads it once, and again
// whenever the model's ChangeCount moves (an edit, another program's change taken in).
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ScheduleSearch.h"

class CScheduleModel;
class wxListCtrl;
class wxListEvent;
class wxNotebook;
class wxSpinCtrl;
class wxStaticText;
class wxTextCtrl;

class CSearchDlg : public wxDialog {
  public:
    // Opens the day YYYYMMDD in the main window.
    using DayOpener = std::function<void(const std::string& date)>;
    // model must outlive the window.
    CSearchDlg(wxWindow* parent, CScheduleModel& model, DayOpener openDay);
    ~CSearchDlg() override;

    wxTextCtrl* TextCtrl() const { return m_pText; }
    wxTextCtrl* FromCtrl() const { return m_pFrom; }
    wxTextCtrl* ToCtrl() const { return m_pTo; }
    wxListCtrl* List() const { return m_pList; }
    wxStaticText* Status() const { return m_pStatus; }
    wxNotebook* Pages() const { return m_pPages; }
    wxSpinCtrl* FiscalYearCtrl() const { return m_pYear; }
    wxListCtrl* CountList() const { return m_pCounts; }

    // Shows the window with the focus in its text, all of it selected.
    void Present();
    // The list as the fields ask for it now (loading the schedule again when it changed).
    void RunSearch();
    // The entry of row `row`, or nullptr.
    const SearchEntry* RowEntry(long row) const;
    // Hands the day of row `row` to the main window; nothing for a row that is not there.
    void OpenRow(long row);
    // The counts of the fiscal year in the year field.
    void ShowCounts();

  private:
    class CResultList;

    bool LoadIfChanged();
    void OnTextEnter();
    void OnActivated(wxListEvent& event);
    void OnListKey(wxKeyEvent& event);

    CScheduleModel& m_model;
    DayOpener m_openDay;
    CScheduleSearch m_search;
    uint64_t m_nLoaded = 0;
    bool m_bLoaded = false;
    bool m_bInputTaken = false;
    std::vector<size_t> m_rows;  // the listed entries, indexes into m_search.Entries()

    wxNotebook* m_pPages = nullptr;
    wxTextCtrl* m_pText = nullptr;
    wxTextCtrl* m_pFrom = nullptr;
    wxTextCtrl* m_pTo = nullptr;
    CResultList* m_pListImpl = nullptr;
    wxListCtrl* m_pList = nullptr;
    wxStaticText* m_pStatus = nullptr;
    wxSpinCtrl* m_pYear = nullptr;
    wxListCtrl* m_pCounts = nullptr;
    wxTimer m_watch;
};
