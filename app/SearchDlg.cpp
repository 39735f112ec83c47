#include "SearchDlg.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <ctime>

#include "MarkCounts.h"
#include "Platform.h"
#include "ScheduleModel.h"
#include "SystemTime.h"
#include "TextConv.h"

namespace {

// How often the window looks whether the schedule changed while it is shown.
const int kWatchMilliseconds = 1000;

enum Column { kColDate, kColTimes, kColText, kColKind };

wxString U(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

int ThisFiscalYear() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = LocalTimeOf(now);
    return local.tm_mon + 1 >= 4 ? local.tm_year + 1900 : local.tm_year + 1899;
}

}  // namespace

// The result list holds no texts: it asks for the cells of the rows it shows.
class CSearchDlg::CResultList : public wxListCtrl {
  public:
    CResultList(wxWindow* parent, const CSearchDlg& owner)
        : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxSize(640, 320),
                     wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL),
          m_owner(owner) {}

  protected:
    wxString OnGetItemText(long item, long column) const override {
        const SearchEntry* entry = m_owner.RowEntry(item);
        if (entry == nullptr || column < 0 || column > kColKind) {
            return {};
        }
        return fw::Cp932ToWx(SearchRowTexts(*entry)[static_cast<size_t>(column)]);
    }

  private:
    const CSearchDlg& m_owner;
};

CSearchDlg::CSearchDlg(wxWindow* parent, CScheduleModel& model, DayOpener openDay)
    : wxDialog(parent, wxID_ANY, U("検索"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_model(model),
      m_openDay(std::move(openDay)) {
    m_pPages = new wxNotebook(this, wxID_ANY);

    // The search page.
    auto* page = new wxPanel(m_pPages);
    // The program's compact style leaves an edit no room above its text: these are given
    // the height of a line and a little more.
    const int editHeight = GetCharHeight() + 10;
    m_pText = new wxTextCtrl(page, wxID_ANY, wxEmptyString, wxDefaultPosition,
                             wxSize(320, editHeight), wxTE_PROCESS_ENTER);
    m_pFrom = new wxTextCtrl(page, wxID_ANY, wxEmptyString, wxDefaultPosition,
                             wxSize(120, editHeight), wxTE_PROCESS_ENTER);
    m_pTo = new wxTextCtrl(page, wxID_ANY, wxEmptyString, wxDefaultPosition,
                           wxSize(120, editHeight), wxTE_PROCESS_ENTER);
    m_pListImpl = new CResultList(page, *this);
    m_pList = m_pListImpl;
    m_pList->AppendColumn(U("日付"), wxLIST_FORMAT_LEFT, 250);
    m_pList->AppendColumn(U("時刻"), wxLIST_FORMAT_LEFT, 110);
    m_pList->AppendColumn(U("内容"), wxLIST_FORMAT_LEFT, 220);
    m_pList->AppendColumn(U("種類"), wxLIST_FORMAT_LEFT, 50);
    m_pStatus = new wxStaticText(page, wxID_ANY, wxEmptyString);

    auto* textRow = new wxBoxSizer(wxHORIZONTAL);
    textRow->Add(new wxStaticText(page, wxID_ANY, U("検索する文字:")), 0,
                 wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    textRow->Add(m_pText, 1, wxALIGN_CENTER_VERTICAL);
    auto* rangeRow = new wxBoxSizer(wxHORIZONTAL);
    rangeRow->Add(new wxStaticText(page, wxID_ANY, U("期間:")), 0,
                  wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    rangeRow->Add(m_pFrom, 0, wxALIGN_CENTER_VERTICAL);
    rangeRow->Add(new wxStaticText(page, wxID_ANY, U("～")), 0,
                  wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 4);
    rangeRow->Add(m_pTo, 0, wxALIGN_CENTER_VERTICAL);
    rangeRow->Add(new wxStaticText(page, wxID_ANY, U("（例: 2024/04/01。空欄は指定なし）")), 0,
                  wxALIGN_CENTER_VERTICAL | wxLEFT, 6);
    auto* pageSizer = new wxBoxSizer(wxVERTICAL);
    pageSizer->Add(textRow, 0, wxEXPAND | wxALL, 8);
    pageSizer->Add(rangeRow, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
    pageSizer->Add(m_pList, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);
    pageSizer->Add(m_pStatus, 0, wxEXPAND | wxALL, 8);
    page->SetSizer(pageSizer);
    m_pPages->AddPage(page, U("検索"), true);

    // The counts page.
    auto* counts = new wxPanel(m_pPages);
    m_pYear = new wxSpinCtrl(counts, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                             wxSP_ARROW_KEYS, 1000, 9998, ThisFiscalYear());
    m_pCounts = new wxListCtrl(counts, wxID_ANY, wxDefaultPosition, wxSize(420, 320),
                               wxLC_REPORT | wxLC_SINGLE_SEL);
    m_pCounts->AppendColumn(U("月"), wxLIST_FORMAT_LEFT, 130);
    m_pCounts->AppendColumn(U("計画有給休暇日"), wxLIST_FORMAT_RIGHT, 130);
    m_pCounts->AppendColumn(U("祝日・特別休日"), wxLIST_FORMAT_RIGHT, 130);
    auto* yearRow = new wxBoxSizer(wxHORIZONTAL);
    yearRow->Add(m_pYear, 0, wxALIGN_CENTER_VERTICAL);
    yearRow->Add(new wxStaticText(counts, wxID_ANY, U("年度（4月～3月）")), 0,
                 wxALIGN_CENTER_VERTICAL | wxLEFT, 6);
    auto* countsSizer = new wxBoxSizer(wxVERTICAL);
    countsSizer->Add(yearRow, 0, wxALL, 8);
    countsSizer->Add(m_pCounts, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
    counts->SetSizer(countsSizer);
    m_pPages->AddPage(counts, U("休暇日数"));

    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(m_pPages, 1, wxEXPAND | wxALL, 6);
    auto* close = new wxButton(this, wxID_CANCEL, U("閉じる"));
    all->Add(close, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 8);
    SetSizerAndFit(all);
    SetEscapeId(wxID_CANCEL);

    for (wxTextCtrl* field : {m_pText, m_pFrom, m_pTo}) {
        field->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { RunSearch(); });
        field->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { OnTextEnter(); });
    }
    m_pList->Bind(wxEVT_LIST_ITEM_ACTIVATED, &CSearchDlg::OnActivated, this);
    m_pText->Bind(wxEVT_KEY_DOWN, &CSearchDlg::OnListKey, this);
    m_pYear->Bind(wxEVT_SPINCTRL, [this](wxSpinEvent&) { ShowCounts(); });
    m_pYear->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { ShowCounts(); });
    m_pPages->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, [this](wxBookCtrlEvent& event) {
        if (event.GetSelection() == 1) {
            ShowCounts();
        }
        event.Skip();
    });
    // Ctrl+F here too goes back to the text.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (event.GetModifiers() == wxMOD_CONTROL &&
            (event.GetKeyCode() == 'F' || event.GetKeyCode() == 'f')) {
            Present();
            return;
        }
        event.Skip();
    });
    // Closing only hides the window: the next Ctrl+F finds the same search again.
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); }, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Hide(); });
    m_watch.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        if (IsShown() && m_model.ChangeCount() != m_nLoaded) {
            RunSearch();
            if (m_pPages->GetSelection() == 1) {
                ShowCounts();
            }
        }
    });
    m_watch.Start(kWatchMilliseconds);
    RunSearch();
}

CSearchDlg::~CSearchDlg() {
    m_watch.Stop();
}

void CSearchDlg::Present() {
    if (!IsShown()) {
        Show();
        // The main window runs modal: without this the window would show and take no key.
        // Once shown, as the toolkit's own handling of a window made while a modal one
        // runs would otherwise make it hold every event, the main window's too.
        if (!m_bInputTaken) {
            fw::TakeInputBesideModal(this);
            m_bInputTaken = true;
        }
    }
    Raise();
    m_pPages->SetSelection(0);
    m_pText->SetFocus();
    m_pText->SelectAll();
    RunSearch();
}

bool CSearchDlg::LoadIfChanged() {
    if (m_bLoaded && m_model.ChangeCount() == m_nLoaded) {
        return false;
    }
    m_nLoaded = m_model.ChangeCount();
    m_bLoaded = true;
    m_search.Load(m_model);
    return true;
}

void CSearchDlg::RunSearch() {
    LoadIfChanged();
    m_rows.clear();
    const std::optional<std::string> text = fw::WxToCp932(m_pText->GetValue());
    const std::optional<std::string> from =
        ParseSearchDate(fw::WxToCp932(m_pFrom->GetValue()).value_or("?"));
    const std::optional<std::string> to =
        ParseSearchDate(fw::WxToCp932(m_pTo->GetValue()).value_or("?"));
    wxString status;
    if (!text) {
        status = U("この文字は予定に記録できないため、見つかりません。");
    } else if (!from || !to) {
        status = U("期間の日付を 2024/04/01 のように入力してください。");
    } else {
        m_rows = m_search.Find({*text, *from, *to});
        status = wxString::Format(U("%lu件"), static_cast<unsigned long>(m_rows.size()));
    }
    m_pList->SetItemCount(static_cast<long>(m_rows.size()));
    m_pList->Refresh();
    if (!m_rows.empty()) {
        m_pList->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                              wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        m_pList->EnsureVisible(0);
    }
    m_pStatus->SetLabel(status);
}

const SearchEntry* CSearchDlg::RowEntry(long row) const {
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) {
        return nullptr;
    }
    return &m_search.Entries()[m_rows[static_cast<size_t>(row)]];
}

void CSearchDlg::OpenRow(long row) {
    const SearchEntry* entry = RowEntry(row);
    if (entry == nullptr || !m_openDay) {
        return;
    }
    // A copy: the edit changes the schedule, and the list is made again after it.
    const std::string date = entry->first;
    m_openDay(date);
    RunSearch();
}

void CSearchDlg::OnTextEnter() {
    const long selected = m_pList->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    OpenRow(selected >= 0 ? selected : 0);
}

void CSearchDlg::OnActivated(wxListEvent& event) {
    OpenRow(event.GetIndex());
}

void CSearchDlg::OnListKey(wxKeyEvent& event) {
    // Down from the text goes into the list, to pick a row there.
    if (event.GetKeyCode() == WXK_DOWN && event.GetModifiers() == wxMOD_NONE &&
        m_pList->GetItemCount() > 0) {
        m_pList->SetFocus();
        return;
    }
    event.Skip();
}

void CSearchDlg::ShowCounts() {
    const int year = m_pYear->GetValue();
    const std::vector<FiscalYearCounts> counted = CountMarks(m_model, year, year);
    m_pCounts->DeleteAllItems();
    if (counted.empty()) {
        return;
    }
    const FiscalYearCounts& fiscal = counted.front();
    const auto addRow = [this](const wxString& label, const MarkCounts& counts) {
        const long row = m_pCounts->InsertItem(m_pCounts->GetItemCount(), label);
        m_pCounts->SetItem(row, 1, wxString::Format(U("%d日"), counts.paidLeave));
        m_pCounts->SetItem(row, 2, wxString::Format(U("%d日"), counts.holidays));
    };
    for (int i = 0; i < 12; ++i) {
        const int month = FiscalMonth(i);
        addRow(wxString::Format(U("%d年%d月"), month >= 4 ? year : year + 1, month),
               fiscal.months[static_cast<size_t>(i)]);
    }
    addRow(U("合計"), fiscal.total);
}
