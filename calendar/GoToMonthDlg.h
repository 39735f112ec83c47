// "移動": asks for a year (1000 to 9999) and a month (1 to 12) for the month view to show.
#pragma once

#include <wx/dialog.h>

class wxSpinCtrl;

class CGoToMonthDlg : public wxDialog {
  public:
    // Starts on year/month, each brought into its range.
    CGoToMonthDlg(wxWindow* parent, int year, int month);

    int Year() const;
    int Month() const;
    wxSpinCtrl* YearCtrl() const { return m_pYear; }
    wxSpinCtrl* MonthCtrl() const { return m_pMonth; }

  private:
    wxSpinCtrl* m_pYear = nullptr;
    wxSpinCtrl* m_pMonth = nullptr;
};
