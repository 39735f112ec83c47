// The time entry dialog "時間予定記入" (template 134): start time, end time and entry text
// of one timed entry, with one-click hour and minute buttons.
//
//   CTimeYoteiDlg dlg;                 // all three texts empty: a new entry
//   dlg.m_strFrom = ...;               // or filled to change an entry
//   if (dlg.DoModal() == IDOK) { read m_strFrom, m_strTo, m_strText }
//
// Whenever the focus enters an edit, the time text(s) the user leaves are rewritten as
// HH:MM when they read as a time of day (NormalizeTime); an arrow under the active time
// edit marks it; OK is enabled exactly while the entry text is not empty. OK hands the
// times back as HH:MM or empty and refuses a text that is no time of day, a start of
// 24:00 and an end before the start (dlg::CheckTimes). The texts are CP932 bytes.
#pragma once

#include <wx/bitmap.h>

#include <string>

#include "Dialog.h"
#include "TextGuard.h"
#include "TimeEntryLogic.h"
#include "WxImages.h"

class CTimeYoteiDlg : public fw::CDialog {
  public:
    CTimeYoteiDlg();
    ~CTimeYoteiDlg() override;

    // The arrow under the active time edit, drawn with grey 192 left out.
    fw::CImageList m_imlToArrow;    // bitmap 137
    fw::CImageList m_imlFromArrow;  // bitmap 136
    int m_bShowToArrow = 0;
    int m_bShowFromArrow = 0;
    int m_cxToArrow = 0, m_cyToArrow = 0;
    int m_cxFromArrow = 0, m_cyFromArrow = 0;
    wxBitmap m_bmpToArrow;
    wxBitmap m_bmpFromArrow;
    fw::FontSpec m_fontUnit;
    fw::FontSpec m_fontHeading;
    // The edit that last gained the focus: 1 start, 2 end, 3 entry text, 0 before any.
    int m_nFocusEdit = 0;
    // 1 while the dialog itself moves the focus into a time edit; the focus handler of
    // that edit then leaves buttons and selection to the mover and clears the flag.
    int m_bFocusByCode = 0;
    std::string m_strFrom;  // edit 1059
    std::string m_strText;  // edit 1065
    std::string m_strTo;    // edit 1060

    // The quick-pick actions of the hour (6-23) and minute buttons, acting on the time
    // edit that last had the focus.
    void PickHour(int hour);
    void PickMinute(int minute);

    // Draws what the dialog paints itself (headings, unit labels, the active arrow) onto
    // a device context of its client area; OnPaint passes its paint DC.
    void PaintClient(wxDC& dc);

  protected:
    void DoDataExchange(fw::CDataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;

  private:
    void OnSetFocusFrom(wxCommandEvent& event);
    void OnSetFocusTo(wxCommandEvent& event);
    void OnSetFocusText(wxCommandEvent& event);
    void OnChangeText(wxCommandEvent& event);
    void OnChangeTime(wxCommandEvent& event);
    void OnPaint(wxPaintEvent& event);

    // Every hour and minute button: the value of its table row goes to PickHour or
    // PickMinute.
    void OnPickButton(wxCommandEvent& event);

    // The focus handlers of the three edits share this one.
    void EnterEdit(int edit);
    void ApplyPick(const dlg::PickStep& step);
    void EnableHourButtons(bool enable);
    void EnableMinuteButtons(bool enable);
    // Selects characters of an edit (end -1: to the end) and scrolls them into view.
    void SelectInEdit(int id, dlg::EditSelection selection);
    // After a refusal at OK: the focus on that time edit (1 or 2), its text selected.
    void FocusTimeToMend(int edit);
    // UpdateData(false), and the guard takes over what the edits now show.
    void PutMembers();

    CTextGuard m_guard;

    wxDECLARE_EVENT_TABLE();
};

// The quick-pick buttons: control id and the hour or minute each one picks, hours 6-23 and
// minutes 00, 10, 15, 20, 30, 40, 45, 50 in that order.
struct TimePickButton {
    int id;
    int value;
};
extern const TimePickButton kHourButtons[18];
extern const TimePickButton kMinuteButtons[8];
