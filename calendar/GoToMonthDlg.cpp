#include "GoToMonthDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include <algorithm>

CGoToMonthDlg::CGoToMonthDlg(wxWindow* parent, int year, int month)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("移動")) {
    m_pYear = new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                             wxSP_ARROW_KEYS, 1000, 9999, std::clamp(year, 1000, 9999));
    m_pMonth = new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                              wxSP_ARROW_KEYS | wxSP_WRAP, 1, 12, std::clamp(month, 1, 12));
    auto* fields = new wxBoxSizer(wxHORIZONTAL);
    fields->Add(m_pYear, 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8("年")), 0,
                wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 4);
    fields->Add(m_pMonth, 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8("月")), 0,
                wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(fields, 0, wxALL, 10);
    // The toolkit has no Japanese texts for its buttons: the program gives them.
    wxStdDialogButtonSizer* buttons = CreateStdDialogButtonSizer(wxOK | wxCANCEL);
    buttons->GetCancelButton()->SetLabel(wxString::FromUTF8("キャンセル"));
    all->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(all);
    m_pYear->SetFocus();
    m_pYear->SetSelection(-1, -1);
}

int CGoToMonthDlg::Year() const {
    return m_pYear->GetValue();
}

int CGoToMonthDlg::Month() const {
    return m_pMonth->GetValue();
}
