#include "RestoreDlg.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "DateTime.h"
#include "TextConv.h"

namespace {

enum Column { kDate, kTime, kRows };

wxString Digits2(int value) {
    return wxString::Format("%02d", value);
}

// 12345 as "12,345".
wxString Grouped(int64_t value) {
    wxString digits = wxString::Format("%lld", static_cast<long long>(value));
    for (int at = static_cast<int>(digits.length()) - 3; at > 0; at -= 3) {
        digits.insert(at, ",");
    }
    return digits;
}

}  // namespace

CRestoreDlg::CRestoreDlg(wxWindow* parent, std::vector<BackupEntry> backups, const wxString& folder)
    : wxDialog(parent, wxID_ANY, fw::Utf8ToWx("バックアップから復元")),
      m_backups(std::move(backups)) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    const char* prompt = m_backups.empty() ? "バックアップはまだありません。"
                                           : "元に戻すバックアップを選んでください。";
    top->Add(new wxStaticText(this, wxID_ANY, fw::Utf8ToWx(prompt)),
             wxSizerFlags().Border(wxLEFT | wxRIGHT | wxTOP));

    m_pList = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_SUNKEN);
    m_pList->AppendColumn(fw::Utf8ToWx("日付"));
    m_pList->AppendColumn(fw::Utf8ToWx("時刻"));
    m_pList->AppendColumn(fw::Utf8ToWx("行数"), wxLIST_FORMAT_RIGHT);
    for (size_t i = 0; i < m_backups.size(); ++i) {
        const long row = m_pList->InsertItem(static_cast<long>(i), DateText(m_backups[i]));
        m_pList->SetItem(row, kTime, TimeText(m_backups[i]));
        m_pList->SetItem(row, kRows, Grouped(m_backups[i].rows));
    }
    // Wide enough for the longest text of each column and its heading.
    const int pad = FromDIP(24);
    const wxString widest[] = {fw::Utf8ToWx("0000年00月00日(水)"), "00:00:00 (0)",
                               fw::Utf8ToWx("0,000,000")};
    int total = 0;
    for (int c = kDate; c <= kRows; ++c) {
        const int width = GetTextExtent(widest[c]).x + pad;
        m_pList->SetColumnWidth(c, width);
        total += width;
    }
    m_pList->SetMinSize(wxSize(total + FromDIP(24), FromDIP(240)));
    top->Add(m_pList, wxSizerFlags(1).Expand().Border(wxALL));

    auto* where = new wxStaticText(this, wxID_ANY, fw::Utf8ToWx("保存場所: ") + folder);
    top->Add(where, wxSizerFlags().Border(wxLEFT | wxRIGHT));

    auto* buttons = new wxStdDialogButtonSizer;
    m_pRestore = new wxButton(this, wxID_OK, fw::Utf8ToWx("復元"));
    buttons->AddButton(m_pRestore);
    buttons->AddButton(new wxButton(this, wxID_CANCEL, fw::Utf8ToWx("キャンセル")));
    buttons->Realize();
    top->Add(buttons, wxSizerFlags().Expand().Border(wxALL));
    m_pRestore->Enable(false);

    SetSizerAndFit(top);
    CentreOnParent();

    m_pList->Bind(wxEVT_LIST_ITEM_SELECTED, &CRestoreDlg::OnSelectionChanged, this);
    m_pList->Bind(wxEVT_LIST_ITEM_DESELECTED, &CRestoreDlg::OnSelectionChanged, this);
    m_pList->Bind(wxEVT_LIST_ITEM_ACTIVATED, &CRestoreDlg::OnActivated, this);
    SetEscapeId(wxID_CANCEL);
}

const BackupEntry* CRestoreDlg::Chosen() const {
    const long row = m_pList->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (row < 0 || static_cast<size_t>(row) >= m_backups.size()) {
        return nullptr;
    }
    return &m_backups[static_cast<size_t>(row)];
}

wxString CRestoreDlg::DateText(const BackupEntry& backup) {
    const BackupTime& t = backup.time;
    const std::string date = wxString::Format("%04d%02d%02d", t.year, t.month, t.day).ToStdString();
    return fw::Cp932ToWx(DateFormat(kDatePatternJa, date).value_or(date));
}

wxString CRestoreDlg::TimeText(const BackupEntry& backup) {
    const BackupTime& t = backup.time;
    wxString text = Digits2(t.hour) + ":" + Digits2(t.minute) + ":" + Digits2(t.second);
    if (backup.serial > 1) {
        text += wxString::Format(" (%d)", backup.serial);
    }
    return text;
}

void CRestoreDlg::OnSelectionChanged(wxListEvent& event) {
    m_pRestore->Enable(Chosen() != nullptr);
    event.Skip();
}

void CRestoreDlg::OnActivated(wxListEvent& event) {
    if (Chosen() != nullptr && IsModal()) {
        EndModal(wxID_OK);
    }
    event.Skip();
}
