// The day schedule dialog "予定編集" (template 131): the four timed entries of a day, its
// period entry with start and end date, and its two marks.
//
// The caller fills the fields (DayDialogFields.h), runs DoModal and, after IDOK only,
// reads them back.
//
//   CYoteiEditDlg dlg;
//   static_cast<DayDialogFields&>(dlg) = fields;   // m_nYear = 2008, m_strYotei[k], ...
//   if (dlg.DoModal() == IDOK) { fields = dlg; ... }
#pragma once

#include <wx/dc.h>

#include <array>
#include <string>

#include "DayDialogFields.h"
#include "DaySchedule.h"
#include "Dialog.h"
#include "SortedListBox.h"
#include "TextGuard.h"

class CTimeYoteiDlg;

class CYoteiEditDlg : public fw::CDialog, public DayDialogFields {
  public:
    CYoteiEditDlg();
    ~CYoteiEditDlg() override;

    // YYYYMMDD of the day, set by OnInitDialog from m_nYear, m_nMonth, m_nDay.
    std::string m_strDate;
    fw::FontSpec m_fontTitle;
    fw::FontSpec m_fontLabel;
    // The list of timed entries (control 1061); each row carries its slot as item data.
    fw::CSortedListBox* m_listYotei = nullptr;
    // Draws what the dialog paints itself (title and section labels) onto a device
    // context of its client area; OnPaint passes its paint DC.
    void PaintClient(wxDC& dc);

  protected:
    void DoDataExchange(fw::CDataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;

  private:
    void OnPaint(wxPaintEvent& event);
    void OnHolidayClicked(wxCommandEvent& event);
    void OnPaidLeaveClicked(wxCommandEvent& event);
    void TickMark(dlg::MarkBox box);
    void OnAddClicked(wxCommandEvent& event);
    int StoreEntry(int k, const CTimeYoteiDlg& entry);
    void OnChangeClicked(wxCommandEvent& event);
    void OnRemoveClicked(wxCommandEvent& event);
    void OnPeriodTextChange(wxCommandEvent& event);
    void OnPeriodDateChange(wxCommandEvent& event);
    void OnYoteiSelChange(wxCommandEvent& event);
    void OnYoteiDblClk(wxCommandEvent& event);

    // Rebuilds the list rows from the slots.
    void FillYoteiList();
    // Reassigns the entries to slots by the band of their start time (dlg::TimeBand),
    // taking them in the order the sorted list shows them (dlg::SortedRowSlots).
    void ArrangeSlots();
    // Change and remove are enabled exactly while a row is selected, add while a slot is
    // free.
    void UpdateYoteiButtons();
    // Selects the row that carries slot k, if any.
    void SelectSlotRow(int k);

    dlg::Slots GetSlots() const;
    void SetSlots(const dlg::Slots& slots);
    void EnablePeriodDates(bool enable);
    wxString PeriodDatesMessage(dlg::PeriodDates verdict) const;
    // UpdateData(false), and the guard takes over what the controls now show.
    void PutMembers();
    // The item data of the selected row, -1 when no row is selected.
    int SelectedSlot() const;

    CTextGuard m_guard;

    wxDECLARE_EVENT_TABLE();
};
