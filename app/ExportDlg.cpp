#include "ExportDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "DayContent.h"
#include "TextConv.h"

CExportDlg::CExportDlg(wxWindow* parent, int year, int month)
    : wxDialog(parent, wxID_ANY, fw::Utf8ToWx("書き出し")), m_nYear(year), m_nMonth(month) {
    auto* top = new wxBoxSizer(wxVERTICAL);

    auto* range = new wxStaticBoxSizer(wxVERTICAL, this, fw::Utf8ToWx("範囲"));
    wxWindow* rangeBox = range->GetStaticBox();
    m_pMonth = new wxRadioButton(
        rangeBox, wxID_ANY,
        fw::Utf8ToWx("表示中の月（" + std::to_string(year) + "年" + std::to_string(month) + "月）"),
        wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    range->Add(m_pMonth, wxSizerFlags().Border(wxALL, FromDIP(4)));
    auto* yearRow = new wxBoxSizer(wxHORIZONTAL);
    m_pYear = new wxRadioButton(rangeBox, wxID_ANY, fw::Utf8ToWx("1年分:"));
    yearRow->Add(m_pYear, wxSizerFlags().CentreVertical());
    m_pYearCtrl = new wxSpinCtrl(rangeBox, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                 wxDefaultSize, wxSP_ARROW_KEYS, 1000, 9999, year);
    yearRow->Add(m_pYearCtrl, wxSizerFlags().CentreVertical().Border(wxLEFT, FromDIP(4)));
    yearRow->Add(new wxStaticText(rangeBox, wxID_ANY, fw::Utf8ToWx("年")),
                 wxSizerFlags().CentreVertical().Border(wxLEFT, FromDIP(4)));
    range->Add(yearRow, wxSizerFlags().Border(wxALL, FromDIP(4)));
    m_pAll = new wxRadioButton(rangeBox, wxID_ANY, fw::Utf8ToWx("すべて"));
    range->Add(m_pAll, wxSizerFlags().Border(wxALL, FromDIP(4)));
    top->Add(range, wxSizerFlags().Expand().Border(wxALL));

    auto* format = new wxStaticBoxSizer(wxVERTICAL, this, fw::Utf8ToWx("形式"));
    wxWindow* formatBox = format->GetStaticBox();
    m_pIcs = new wxRadioButton(formatBox, wxID_ANY,
                               fw::Utf8ToWx("iCalendar（.ics）: スマートフォン、Web カレンダー"),
                               wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    format->Add(m_pIcs, wxSizerFlags().Border(wxALL, FromDIP(4)));
    m_pCsv =
        new wxRadioButton(formatBox, wxID_ANY, fw::Utf8ToWx("CSV（.csv）: Excel などの表計算"));
    format->Add(m_pCsv, wxSizerFlags().Border(wxALL, FromDIP(4)));
    m_pUtf8 = new wxCheckBox(formatBox, wxID_ANY, fw::Utf8ToWx("UTF-8（BOM 付き）で書く"));
    // Indented under the CSV choice it belongs to.
    auto* utf8Row = new wxBoxSizer(wxHORIZONTAL);
    utf8Row->AddSpacer(FromDIP(24));
    utf8Row->Add(m_pUtf8);
    format->Add(utf8Row, wxSizerFlags().Border(wxALL, FromDIP(4)));
    top->Add(format, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxBOTTOM));

    auto* buttons = new wxStdDialogButtonSizer;
    // Enter accepts the dialog, whichever choice has the focus.
    auto* ok = new wxButton(this, wxID_OK, fw::Utf8ToWx("書き出し..."));
    ok->SetDefault();
    buttons->AddButton(ok);
    buttons->AddButton(new wxButton(this, wxID_CANCEL, fw::Utf8ToWx("キャンセル")));
    buttons->Realize();
    top->Add(buttons, wxSizerFlags().Expand().Border(wxALL));

    m_pMonth->SetValue(true);
    m_pIcs->SetValue(true);
    SetSizerAndFit(top);
    CentreOnParent();

    for (wxRadioButton* choice : {m_pMonth, m_pYear, m_pAll, m_pIcs, m_pCsv}) {
        choice->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { UpdateEnabled(); });
    }
    // Typing in the year chooses it.
    m_pYearCtrl->Bind(wxEVT_SPINCTRL, [this](wxSpinEvent&) {
        m_pYear->SetValue(true);
        UpdateEnabled();
    });
    UpdateEnabled();
    SetEscapeId(wxID_CANCEL);
}

void CExportDlg::UpdateEnabled() {
    m_pUtf8->Enable(m_pCsv->GetValue());
}

ExportRequest CExportDlg::Request() const {
    ExportRequest request;
    request.format = m_pCsv->GetValue() ? ExportFormat::kCsv : ExportFormat::kIcs;
    request.utf8 = request.format == ExportFormat::kCsv && m_pUtf8->GetValue();
    if (m_pMonth->GetValue()) {
        request.range.from = ScheduleDate(m_nYear, m_nMonth, 1);
        request.range.to = ScheduleDate(m_nYear, m_nMonth, 31);
    } else if (m_pYear->GetValue()) {
        const int year = m_pYearCtrl->GetValue();
        request.range.from = ScheduleDate(year, 1, 1);
        request.range.to = ScheduleDate(year, 12, 31);
    }
    return request;
}

wxString CExportDlg::DefaultFileName() const {
    wxString name = "pemdaro";
    if (m_pMonth->GetValue()) {
        name += wxString::Format("-%04d%02d", m_nYear, m_nMonth);
    } else if (m_pYear->GetValue()) {
        name += wxString::Format("-%04d", m_pYearCtrl->GetValue());
    }
    return name + (m_pCsv->GetValue() ? ".csv" : ".ics");
}

wxString CExportDlg::Wildcard() const {
    return m_pCsv->GetValue() ? fw::Utf8ToWx("CSV (*.csv)|*.csv")
                              : fw::Utf8ToWx("iCalendar (*.ics)|*.ics");
}
