// The month on paper through the toolkit's printing: one A4 page, painted by
// PaintMonthOnPaper through a WxCanvas on the printer's (or the preview's) device context,
// scaled to fit inside the page setup's margins. The print preview uses it as well.
#pragma once

#include <wx/cmndata.h>
#include <wx/print.h>

#include "MonthLayout.h"
#include "ScheduleModel.h"

class CMonthPrintout : public wxPrintout {
  public:
    // The model must outlive the printout; the month is read when the page is painted.
    CMonthPrintout(const CScheduleModel& model, int year, int month, bool showHolidays,
                   const wxPageSetupDialogData& pageSetup);

    bool OnPrintPage(int page) override;
    bool HasPage(int page) override { return page == 1; }
    void GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) override;

    int Year() const { return m_nYear; }
    int Month() const { return m_nMonth; }
    // How many times the page was painted (a preview paints it when it shows it).
    int PagesPainted() const { return m_nPainted; }

    // Paints the month onto dc in the dc's current scale and origin; OnPrintPage does this
    // on the printout's own dc after fitting the month inside the margins.
    void PaintPage(wxDC& dc) const;

    // A4 portrait with 10 mm margins: what printing starts with.
    static wxPageSetupDialogData DefaultPageSetup();

  private:
    const CScheduleModel& m_model;
    int m_nYear;
    int m_nMonth;
    bool m_bShowHolidays;
    wxPageSetupDialogData m_pageSetup;
    MonthLayout m_layout;
    int m_nPainted = 0;
};
