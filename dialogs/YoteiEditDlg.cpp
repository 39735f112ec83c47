#include "YoteiEditDlg.h"

#include <wx/combobox.h>
#include <wx/dcclient.h>

#include "DateTime.h"
#include "DialogPaint.h"
#include "MessageBox.h"
#include "TextConv.h"
#include "TimeYoteiDlg.h"
#include "WxCanvas.h"

wxBEGIN_EVENT_TABLE(CYoteiEditDlg, fw::CDialog)
    EVT_PAINT(CYoteiEditDlg::OnPaint)
    EVT_CHECKBOX(IDC_CHECK_HOLIDAY, CYoteiEditDlg::OnHolidayClicked)
    EVT_CHECKBOX(IDC_CHECK_PAID_LEAVE, CYoteiEditDlg::OnPaidLeaveClicked)
    EVT_BUTTON(IDC_BUTTON_ADD, CYoteiEditDlg::OnAddClicked)
    EVT_BUTTON(IDC_BUTTON_CHANGE, CYoteiEditDlg::OnChangeClicked)
    EVT_BUTTON(IDC_BUTTON_REMOVE, CYoteiEditDlg::OnRemoveClicked)
    EVT_TEXT(IDC_EDIT_PERIOD_YOTEI, CYoteiEditDlg::OnPeriodTextChange)
    EVT_LISTBOX(IDC_LIST_YOTEI, CYoteiEditDlg::OnYoteiSelChange)
    EVT_LISTBOX_DCLICK(IDC_LIST_YOTEI, CYoteiEditDlg::OnYoteiDblClk)
    EVT_TEXT(IDC_COMBO_PERIOD_FROM, CYoteiEditDlg::OnPeriodDateChange)
    EVT_TEXT(IDC_COMBO_PERIOD_TO, CYoteiEditDlg::OnPeriodDateChange)
wxEND_EVENT_TABLE()

namespace {
// Items of the period boxes that stand for the day itself.
constexpr int kStartItemOfDay = dlg::kPeriodItemCount - 1;
constexpr int kEndItemOfDay = 0;
// Why "追加..." is disabled, where the pointer rests.
constexpr const char* kFourEntriesReason =
    "時間予定は１日に４つまでです。追加するには、どれかを取り消してください。";

}  // namespace

CYoteiEditDlg::CYoteiEditDlg()
    : fw::CDialog(IDD_YOTEI_EDIT),
      m_fontTitle(dlg::DayTitleFont()),
      m_fontLabel(dlg::DayLabelFont()) {
    m_guard.Watch(IDC_EDIT_PERIOD_YOTEI, dlg::TextField::kPeriod);
    m_guard.Watch(IDC_COMBO_PERIOD_FROM, dlg::TextField::kDate);
    m_guard.Watch(IDC_COMBO_PERIOD_TO, dlg::TextField::kDate);
}

CYoteiEditDlg::~CYoteiEditDlg() = default;

void CYoteiEditDlg::DoDataExchange(fw::CDataExchange& dx) {
    fw::DDX_Control(dx, IDC_LIST_YOTEI, m_listYotei);
    fw::DDX_Check(dx, IDC_CHECK_HOLIDAY, m_nHoliday);
    fw::DDX_Check(dx, IDC_CHECK_PAID_LEAVE, m_nPaidLeave);
    fw::DDX_Text(dx, IDC_EDIT_PERIOD_YOTEI, m_strPeriodYotei);
    fw::DDX_CBString(dx, IDC_COMBO_PERIOD_TO, m_strPeriodTo);
    fw::DDX_CBString(dx, IDC_COMBO_PERIOD_FROM, m_strPeriodFrom);
}

bool CYoteiEditDlg::OnInitDialog() {
    // The combo boxes are still empty here: they only show the period dates as text.
    fw::CDialog::OnInitDialog();
    m_strDate = ScheduleDate(m_nYear, m_nMonth, m_nDay);

    const std::pair<int, int> boxes[] = {{IDC_COMBO_PERIOD_FROM, dlg::kPeriodStartFirstOffset},
                                         {IDC_COMBO_PERIOD_TO, dlg::kPeriodEndFirstOffset}};
    for (const auto& [id, firstOffset] : boxes) {
        auto* combo = GetDlgItemAs<wxComboBox>(id);
        if (!combo) {
            continue;
        }
        fw::CDialog::NotifyLock lock(*this);
        for (const std::string& item : dlg::PeriodDateItems(m_strDate, firstOffset)) {
            combo->Append(fw::Cp932ToWx(item));
        }
    }
    EnablePeriodDates(!m_strPeriodYotei.empty());
    // A day stored with both marks shows the holiday alone, as OK will store it.
    const dlg::MarkBoxes shown = dlg::ShownMarks({m_nHoliday == 1, m_nPaidLeave == 1});
    m_nHoliday = shown.holiday ? 1 : 0;
    m_nPaidLeave = shown.paidLeave ? 1 : 0;
    FillYoteiList();
    UpdateYoteiButtons();
    // Now the boxes select the items equal to the period dates; a date outside the 41
    // days stays as text with no item selected.
    PutMembers();
    // The keyboard starts where the day's work starts: the entry list when there are
    // entries, its first row selected (a list without a selected row shows no focus),
    // "追加(&A)..." when there are none. Never OK: a space typed there would close the
    // dialog.
    if (m_listYotei && m_listYotei->GetRowCount() > 0) {
        {
            fw::CDialog::NotifyLock lock(*this);
            m_listYotei->SetCurSel(0);
        }
        UpdateYoteiButtons();
        SetFocusByCode(m_listYotei);
    } else {
        SetFocusByCode(IDC_BUTTON_ADD);
    }
    return false;
}

// Why OK cannot take the period's dates.
wxString CYoteiEditDlg::PeriodDatesMessage(dlg::PeriodDates verdict) const {
    switch (verdict) {
        case dlg::PeriodDates::kEndBeforeStart:
            return fw::Utf8ToWx("期間の終了日が開始日より前です。");
        case dlg::PeriodDates::kTooLong:
            return wxString::Format(fw::Utf8ToWx("期間は%d日までです。"), m_nPeriodMaxDays);
        default:
            return fw::Utf8ToWx("期間の日付は「") +
                   fw::Cp932ToWx(DateFormat(kDatePatternJa, m_strDate).value_or("")) +
                   fw::Utf8ToWx("」の形で入力してください。");
    }
}

void CYoteiEditDlg::OnOK() {
    if (!UpdateData(true)) {
        return;
    }
    // A period whose dates cannot be stored is not taken: the dialog stays open on the
    // date to mend, and nothing the user entered is lost.
    const dlg::PeriodDates verdict =
        m_strPeriodYotei.empty()
            ? dlg::PeriodDates::kOk
            : dlg::CheckPeriodDates(m_strPeriodFrom, m_strPeriodTo, m_nPeriodMaxDays);
    if (verdict != dlg::PeriodDates::kOk) {
        MessageBox(PeriodDatesMessage(verdict), wxString(), fw::MB_ICONEXCLAMATION);
        SetFocusByCode(verdict == dlg::PeriodDates::kStartNotADate ? IDC_COMBO_PERIOD_FROM
                                                                   : IDC_COMBO_PERIOD_TO);
        return;
    }
    EndDialog(IDOK);
}

void CYoteiEditDlg::PutMembers() {
    UpdateData(false);
    m_guard.Sync(*this);
}

void CYoteiEditDlg::EnablePeriodDates(bool enable) {
    EnableDlgItem(IDC_COMBO_PERIOD_FROM, enable);
    EnableDlgItem(IDC_COMBO_PERIOD_TO, enable);
}

// ---- Slots and the list --------------------------------------------------------------------

dlg::Slots CYoteiEditDlg::GetSlots() const {
    dlg::Slots slots;
    for (int k = 0; k < kSlotCount; ++k) {
        slots[k] = {m_strFromTime[k], m_strToTime[k], m_strYotei[k]};
    }
    return slots;
}

void CYoteiEditDlg::SetSlots(const dlg::Slots& slots) {
    for (int k = 0; k < kSlotCount; ++k) {
        m_strFromTime[k] = slots[k].from;
        m_strToTime[k] = slots[k].to;
        m_strYotei[k] = slots[k].text;
    }
}

void CYoteiEditDlg::FillYoteiList() {
    if (!m_listYotei) {
        return;
    }
    fw::CDialog::NotifyLock lock(*this);
    m_listYotei->ResetContent();
    const dlg::Slots slots = GetSlots();
    for (int k : dlg::UsedSlots(slots)) {
        const int row = m_listYotei->AddString(dlg::ListRowText(slots[k]));
        m_listYotei->SetItemData(row, k);
    }
}

void CYoteiEditDlg::ArrangeSlots() {
    const dlg::Slots slots = GetSlots();
    SetSlots(dlg::ArrangeSlots(slots, dlg::SortedRowSlots(slots)));
}

void CYoteiEditDlg::UpdateYoteiButtons() {
    const bool selected =
        m_listYotei && m_listYotei->GetRowCount() > 0 && m_listYotei->GetCurSel() >= 0;
    EnableDlgItem(IDC_BUTTON_CHANGE, selected);
    EnableDlgItem(IDC_BUTTON_REMOVE, selected);
    // A fifth entry has no slot: "追加..." is disabled before anything is typed, and its
    // tooltip (GTK shows it on a disabled button too) says why.
    const bool full = dlg::FirstFreeSlot(GetSlots()) < 0;
    EnableDlgItem(IDC_BUTTON_ADD, !full);
    if (wxWindow* add = GetDlgItem(IDC_BUTTON_ADD)) {
        if (full) {
            add->SetToolTip(fw::Utf8ToWx(kFourEntriesReason));
        } else {
            add->UnsetToolTip();
        }
    }
}

void CYoteiEditDlg::SelectSlotRow(int k) {
    if (!m_listYotei) {
        return;
    }
    for (int row = 0; row < m_listYotei->GetRowCount(); ++row) {
        if (m_listYotei->GetItemData(row) == k) {
            m_listYotei->SetCurSel(row);
        }
    }
}

int CYoteiEditDlg::SelectedSlot() const {
    if (!m_listYotei || m_listYotei->GetCurSel() < 0) {
        return -1;
    }
    return m_listYotei->GetItemData(m_listYotei->GetCurSel());
}

// ---- Handlers ------------------------------------------------------------------------------

void CYoteiEditDlg::OnHolidayClicked(wxCommandEvent&) {
    TickMark(dlg::MarkBox::kHoliday);
}

void CYoteiEditDlg::OnPaidLeaveClicked(wxCommandEvent&) {
    TickMark(dlg::MarkBox::kPaidLeave);
}

// The file keeps one mark per day: ticking one box clears the other.
void CYoteiEditDlg::TickMark(dlg::MarkBox box) {
    UpdateData(true);
    const bool ticked = (box == dlg::MarkBox::kHoliday ? m_nHoliday : m_nPaidLeave) == 1;
    const dlg::MarkBoxes shown = dlg::TickMark({m_nHoliday == 1, m_nPaidLeave == 1}, box, ticked);
    m_nHoliday = shown.holiday ? 1 : 0;
    m_nPaidLeave = shown.paidLeave ? 1 : 0;
    PutMembers();
    RedrawRectNow(dlg::kTitleBand, true);
}

void CYoteiEditDlg::OnAddClicked(wxCommandEvent&) {
    UpdateData(true);
    // The button is disabled with four entries; asked anyway, nothing is typed in vain.
    const int k = dlg::FirstFreeSlot(GetSlots());
    if (k < 0) {
        UpdateYoteiButtons();
        return;
    }
    CTimeYoteiDlg entry;
    if (entry.DoModal() != IDOK) {
        return;
    }
    if (entry.m_strText.empty()) {
        UpdateYoteiButtons();
        return;
    }
    SelectSlotRow(StoreEntry(k, entry));
    UpdateYoteiButtons();
}

// Puts the time entry dialog's result into slot k and lays the slots out again; returns
// the slot the entry has afterwards.
int CYoteiEditDlg::StoreEntry(int k, const CTimeYoteiDlg& entry) {
    m_strFromTime[k] = entry.m_strFrom;
    m_strToTime[k] = entry.m_strTo;
    m_strYotei[k] = entry.m_strText;
    const dlg::Slots slots = GetSlots();
    const int arranged = dlg::ArrangedSlotOf(slots, dlg::SortedRowSlots(slots), k);
    ArrangeSlots();
    FillYoteiList();
    PutMembers();
    return arranged;
}

void CYoteiEditDlg::OnChangeClicked(wxCommandEvent&) {
    UpdateData(true);
    const int k = SelectedSlot();
    if (k < 0 || k >= kSlotCount) {
        return;
    }
    CTimeYoteiDlg entry;
    entry.m_strFrom = m_strFromTime[k];
    entry.m_strTo = m_strToTime[k];
    entry.m_strText = m_strYotei[k];
    if (entry.DoModal() != IDOK) {
        return;
    }
    // An empty text keeps the entry as it was: removing is the remove button's job.
    SelectSlotRow(entry.m_strText.empty() ? k : StoreEntry(k, entry));
    UpdateYoteiButtons();
}

void CYoteiEditDlg::OnRemoveClicked(wxCommandEvent&) {
    UpdateData(true);
    const int k = SelectedSlot();
    if (k < 0 || k >= kSlotCount) {
        return;
    }
    m_strYotei[k].clear();
    m_strFromTime[k].clear();
    m_strToTime[k].clear();
    ArrangeSlots();
    FillYoteiList();
    PutMembers();
    const int next = dlg::SlotToSelectAfterRemove(GetSlots(), k);
    if (next >= 0) {
        SelectSlotRow(next);
    }
    UpdateYoteiButtons();
}

void CYoteiEditDlg::OnPeriodTextChange(wxCommandEvent&) {
    if (!m_guard.Check(*this, IDC_EDIT_PERIOD_YOTEI)) {
        return;
    }
    UpdateData(true);
    if (m_strPeriodYotei.empty()) {
        EnablePeriodDates(false);
        return;
    }
    EnablePeriodDates(true);
    auto* from = GetDlgItemAs<wxComboBox>(IDC_COMBO_PERIOD_FROM);
    auto* to = GetDlgItemAs<wxComboBox>(IDC_COMBO_PERIOD_TO);
    // A new period starts and ends on the day itself. A start date that is there as text
    // alone (a period that began before the list's first day, or a date typed in) is
    // kept: taking the day instead would cut the period to this one day at OK.
    if (from && to && from->GetSelection() == wxNOT_FOUND && from->GetValue().empty()) {
        {
            fw::CDialog::NotifyLock lock(*this);
            from->SetSelection(kStartItemOfDay);
            to->SetSelection(kEndItemOfDay);
        }
        m_guard.Sync(*this);
    }
}

// The date boxes have no behaviour of their own; only texts the table cannot hold are
// kept out.
void CYoteiEditDlg::OnPeriodDateChange(wxCommandEvent& event) {
    m_guard.Check(*this, event.GetId());
}

void CYoteiEditDlg::OnYoteiSelChange(wxCommandEvent&) {
    EnableDlgItem(IDC_BUTTON_CHANGE, true);
    EnableDlgItem(IDC_BUTTON_REMOVE, true);
}

void CYoteiEditDlg::OnYoteiDblClk(wxCommandEvent& event) {
    OnChangeClicked(event);
}

// ---- Painting ------------------------------------------------------------------------------

void CYoteiEditDlg::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    PaintClient(dc);
}

void CYoteiEditDlg::PaintClient(wxDC& dc) {
    fw::WxCanvas canvas(dc);
    const bool holiday = m_nHoliday == 1 || !m_strHolidayName.empty();
    const fw::Rgb color = dlg::TitleColor(DateWeekday(m_strDate), holiday);
    std::string title = dlg::TitleText(m_nMonth, m_nDay, m_strDate);
    if (!m_strHolidayName.empty()) {
        title += "\x81\x40" + m_strHolidayName;  // an ideographic space, then the name
    }
    dlg::PaintYoteiEditTexts(canvas, title, color, m_fontTitle, m_fontLabel);
}
