#include "MonthPrintout.h"

#include <wx/graphics.h>

#include "MonthPainter.h"
#include "TextConv.h"
#include "WxCanvas.h"

CMonthPrintout::CMonthPrintout(const CScheduleModel& model, int year, int month, bool showHolidays,
                               const wxPageSetupDialogData& pageSetup)
    : wxPrintout(wxString::FromUTF8("Pemdaro ") + fw::Cp932ToWx(MonthHeaderText(year, month))),
      m_model(model),
      m_nYear(year),
      m_nMonth(month),
      m_bShowHolidays(showHolidays),
      m_pageSetup(pageSetup) {}

void CMonthPrintout::GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) {
    *minPage = *maxPage = *pageFrom = *pageTo = 1;
}

bool CMonthPrintout::OnPrintPage(int page) {
    wxDC* dc = GetDC();
    if (dc == nullptr || page != 1) {
        return false;
    }
    // The month's client area scaled into the page inside the margins of the page setup.
    FitThisSizeToPageMargins(wxSize(m_layout.ClientWidth(), m_layout.ClientHeight()), m_pageSetup);
    PaintPage(*dc);
    ++m_nPainted;
    return true;
}

void CMonthPrintout::PaintPage(wxDC& dc) const {
    fw::WxCanvas canvas(dc);
    // The page is scaled: a line one pixel of the month wide is less than a pixel of a
    // preview, and would vanish with the hard edges the screen is painted with.
    if (wxGraphicsContext* gc = dc.GetGraphicsContext()) {
        gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
    }
    MonthContent content = m_model.ReadMonth(m_nYear, m_nMonth);
    content.year = m_nYear;
    content.month = m_nMonth;
    if (m_bShowHolidays) {
        AddNationalHolidays(content);
    }
    PaintMonthOnPaper(canvas, m_layout, content);
}

wxPageSetupDialogData CMonthPrintout::DefaultPageSetup() {
    wxPageSetupDialogData setup;
    setup.GetPrintData().SetPaperId(wxPAPER_A4);
    setup.GetPrintData().SetOrientation(wxPORTRAIT);
    setup.SetPaperId(wxPAPER_A4);
    setup.SetMarginTopLeft(wxPoint(10, 10));
    setup.SetMarginBottomRight(wxPoint(10, 10));
    return setup;
}
