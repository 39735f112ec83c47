// "書き出し": what the main window's "書き出し..." writes, chosen before the file dialog
// asks where: the month shown, one year or everything, as an iCalendar file or as a
// spreadsheet file (CP932, or UTF-8 with a byte-order mark). Built in code; it only
// chooses, the caller asks for the file and writes it (ExportFile.h).
#pragma once

#include <wx/dialog.h>

#include "ExportFile.h"

class wxCheckBox;
class wxRadioButton;
class wxSpinCtrl;

class CExportDlg : public wxDialog {
  public:
    // The month the window shows, offered first; the year starts as its year.
    CExportDlg(wxWindow* parent, int year, int month);

    // What the choices ask for.
    ExportRequest Request() const;
    // "pemdaro-202612.ics", "pemdaro-2026.csv", "pemdaro.ics": the file dialog's proposal.
    wxString DefaultFileName() const;
    // The file dialog's filter for the chosen format.
    wxString Wildcard() const;

    wxRadioButton* MonthChoice() const { return m_pMonth; }
    wxRadioButton* YearChoice() const { return m_pYear; }
    wxRadioButton* AllChoice() const { return m_pAll; }
    wxSpinCtrl* YearCtrl() const { return m_pYearCtrl; }
    wxRadioButton* IcsChoice() const { return m_pIcs; }
    wxRadioButton* CsvChoice() const { return m_pCsv; }
    wxCheckBox* Utf8Box() const { return m_pUtf8; }

  private:
    void UpdateEnabled();

    int m_nYear;
    int m_nMonth;
    wxRadioButton* m_pMonth = nullptr;
    wxRadioButton* m_pYear = nullptr;
    wxRadioButton* m_pAll = nullptr;
    wxSpinCtrl* m_pYearCtrl = nullptr;
    wxRadioButton* m_pIcs = nullptr;
    wxRadioButton* m_pCsv = nullptr;
    wxCheckBox* m_pUtf8 = nullptr;
};
