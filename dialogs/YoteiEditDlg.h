// The day schedule dialog "予定編集" (template 131): the four timed entries of a day, its
// period entry with start and end date, and its two marks.
//
// The caller fills the members below, runs DoModal and, after IDOK only, reads them back
// (all but the date numbers). Every text is CP932 bytes; a text the user did not touch
// comes back as the bytes it was given.
//
//   CYoteiEditDlg dlg;
//   dlg.m_nYear = 2008; dlg.m_nMonth = 3; dlg.m_nDay = 5;
//   dlg.m_strYotei[k] = ...; dlg.m_strFromTime[k] = "09:30"; dlg.m_strToTime[k] = ...;
//   dlg.m_strPeriodYotei = ...; dlg.m_strPeriodFrom = "2008年03月01日(土)" (CP932); ...
//   dlg.m_nHoliday = 1; dlg.m_nPaidLeave = 0;
//   if (dlg.DoModal() == IDOK) { ... }
#pragma once

#include <wx/dc.h>

#include <array>
#include <string>

#include "DaySchedule.h"
#include "Dialog.h"
#include "SortedListBox.h"
#include "TextGuard.h"

class CTimeYoteiDlg;

class CYoteiEditDlg : public fw::CDialog {
  public:
    CYoteiEditDlg();
    ~CYoteiEditDlg() override;

    // Slots 0-3. A slot is free exactly when its entry text is empty; times are HH:MM or
    // empty (or as typed). After an add, change or remove the slots are arranged by start
    // time; otherwise they come back in the caller's order.
    std::array<std::string, dlg::kSlotCount> m_strYotei;
    std::array<std::string, dlg::kSlotCount> m_strFromTime;
    std::array<std::string, dlg::kSlotCount> m_strToTime;
    // YYYYMMDD of the day, set by OnInitDialog from the three numbers below.
    std::string m_strDate;
    int m_nYear = 0, m_nMonth = 0, m_nDay = 0;
    fw::FontSpec m_fontTitle;
    fw::FontSpec m_fontLabel;
    // The list of timed entries (control 1061); each row carries its slot as item data.
    fw::CSortedListBox* m_listYotei = nullptr;
    int m_nHoliday = 0;    // check box 1024 "祝日・特別休日", 0 or 1
    int m_nPaidLeave = 0;  // check box 1023 "計画有給休暇日", 0 or 1
    // Period entry (edit 1026); empty: the day has none. Its dates as the combo boxes show
    // them, "%Y年%M月%D日(%A)" or whatever was typed, handed back unparsed.
    std::string m_strPeriodYotei;
    std::string m_strPeriodTo;    // combo box 1028
    std::string m_strPeriodFrom;  // combo box 1027
    // The most days a period may take at OK; 0: no limit.
    int m_nPeriodMaxDays = 0;

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
    void OnAddClicked(wxCommandEvent& event);
    void StoreEntry(int k, const CTimeYoteiDlg& entry);
    void OnChangeClicked(wxCommandEvent& event);
    void OnRemoveClicked(wxCommandEvent& event);
    void OnPeriodTextChange(wxCommandEvent& event);
    void OnPeriodDateChange(wxCommandEvent& event);
    void OnYoteiSelChange(wxCommandEvent& event);
    void OnYoteiDblClk(wxCommandEvent& event);

    // Rebuilds the list rows from the slots.
    void FillYoteiList();
    // Reassigns the entries to slots by the band of their start time (dlg::TimeBand),
    // taking them in the order of the list rows.
    void ArrangeSlots();
    // Change and remove are enabled exactly while a row is selected.
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
