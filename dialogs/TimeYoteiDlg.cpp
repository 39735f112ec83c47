#include "TimeYoteiDlg.h"

#include <wx/dcclient.h>
#include <wx/textctrl.h>

#include "DialogPaint.h"
#include "MessageBox.h"
#include "TextConv.h"
#include "TimeText.h"
#include "WxCanvas.h"

const TimePickButton kHourButtons[18] = {
    {IDC_HOUR_6, 6},   {IDC_HOUR_7, 7},   {IDC_HOUR_8, 8},   {IDC_HOUR_9, 9},   {IDC_HOUR_10, 10},
    {IDC_HOUR_11, 11}, {IDC_HOUR_12, 12}, {IDC_HOUR_13, 13}, {IDC_HOUR_14, 14}, {IDC_HOUR_15, 15},
    {IDC_HOUR_16, 16}, {IDC_HOUR_17, 17}, {IDC_HOUR_18, 18}, {IDC_HOUR_19, 19}, {IDC_HOUR_20, 20},
    {IDC_HOUR_21, 21}, {IDC_HOUR_22, 22}, {IDC_HOUR_23, 23},
};
const TimePickButton kMinuteButtons[8] = {
    {IDC_MINUTE_00, 0},  {IDC_MINUTE_10, 10}, {IDC_MINUTE_15, 15}, {IDC_MINUTE_20, 20},
    {IDC_MINUTE_30, 30}, {IDC_MINUTE_40, 40}, {IDC_MINUTE_45, 45}, {IDC_MINUTE_50, 50},
};

namespace {

int EditId(int edit) {
    switch (edit) {
        case dlg::kEditFrom:
            return IDC_EDIT_FROM_TIME;
        case dlg::kEditTo:
            return IDC_EDIT_TO_TIME;
        case dlg::kEditText:
            return IDC_EDIT_YOTEI_TEXT;
        default:
            return 0;
    }
}

}  // namespace

wxBEGIN_EVENT_TABLE(CTimeYoteiDlg, fw::CDialog)
    EVT_CTRL_SETFOCUS(IDC_EDIT_FROM_TIME, CTimeYoteiDlg::OnSetFocusFrom)
    EVT_CTRL_SETFOCUS(IDC_EDIT_TO_TIME, CTimeYoteiDlg::OnSetFocusTo)
    EVT_CTRL_SETFOCUS(IDC_EDIT_YOTEI_TEXT, CTimeYoteiDlg::OnSetFocusText)
    EVT_TEXT(IDC_EDIT_YOTEI_TEXT, CTimeYoteiDlg::OnChangeText)
    EVT_TEXT(IDC_EDIT_FROM_TIME, CTimeYoteiDlg::OnChangeTime)
    EVT_TEXT(IDC_EDIT_TO_TIME, CTimeYoteiDlg::OnChangeTime)
    EVT_PAINT(CTimeYoteiDlg::OnPaint)
wxEND_EVENT_TABLE()

CTimeYoteiDlg::CTimeYoteiDlg()
    : fw::CDialog(IDD_TIME_YOTEI),
      m_fontUnit(dlg::TimeUnitFont()),
      m_fontHeading(dlg::TimeHeadingFont()) {
    m_guard.Watch(IDC_EDIT_FROM_TIME, dlg::TextField::kTime);
    m_guard.Watch(IDC_EDIT_TO_TIME, dlg::TextField::kTime);
    m_guard.Watch(IDC_EDIT_YOTEI_TEXT, dlg::TextField::kEntry);
    // Bound once per object, not per run: OnInitDialog runs again for every DoModal.
    for (const TimePickButton& button : kHourButtons) {
        Bind(wxEVT_BUTTON, &CTimeYoteiDlg::OnPickButton, this, button.id);
    }
    for (const TimePickButton& button : kMinuteButtons) {
        Bind(wxEVT_BUTTON, &CTimeYoteiDlg::OnPickButton, this, button.id);
    }
}

CTimeYoteiDlg::~CTimeYoteiDlg() = default;

void CTimeYoteiDlg::DoDataExchange(fw::CDataExchange& dx) {
    fw::DDX_Text(dx, IDC_EDIT_FROM_TIME, m_strFrom);
    fw::DDX_Text(dx, IDC_EDIT_YOTEI_TEXT, m_strText);
    fw::DDX_Text(dx, IDC_EDIT_TO_TIME, m_strTo);
}

bool CTimeYoteiDlg::OnInitDialog() {
    fw::CDialog::OnInitDialog();
    m_guard.Sync(*this);

    m_bmpFromArrow = fw::LoadResourceBitmap(IDB_FROM_ARROW);
    m_bmpToArrow = fw::LoadResourceBitmap(IDB_TO_ARROW);
    m_cxFromArrow = m_bmpFromArrow.GetWidth();
    m_cyFromArrow = m_bmpFromArrow.GetHeight();
    m_cxToArrow = m_bmpToArrow.GetWidth();
    m_cyToArrow = m_bmpToArrow.GetHeight();
    m_imlFromArrow.Create(IDB_FROM_ARROW, res::kTransparentGrey);
    m_imlToArrow.Create(IDB_TO_ARROW, res::kTransparentGrey);

    EnableDlgItem(IDOK, !m_strText.empty());

    // The start edit's focus handler runs inside this call and leaves the buttons as the
    // template has them: all enabled.
    m_bFocusByCode = 1;
    SetFocusByCode(IDC_EDIT_FROM_TIME);
    SelectInEdit(IDC_EDIT_FROM_TIME, dlg::kOpeningSelection);
    return false;
}

void CTimeYoteiDlg::OnOK() {
    if (!UpdateData(true)) {
        return;
    }
    // A time still being typed ("930", "1730") goes back as HH:MM; a text that is no time
    // of day, or an end before the start, keeps the dialog open on the time to mend.
    const dlg::TimesVerdict verdict = dlg::CheckTimes(m_strFrom, m_strTo);
    if (!verdict.Ok()) {
        MessageBox(fw::Utf8ToWx(verdict.message), wxString(), fw::MB_ICONEXCLAMATION);
        FocusTimeToMend(verdict.nEdit);
        return;
    }
    m_strFrom = verdict.strFrom;
    m_strTo = verdict.strTo;
    EndDialog(IDOK);
}

// The focus goes to the time edit as if the user had moved it there, with the whole text
// selected for typing over it.
void CTimeYoteiDlg::FocusTimeToMend(int edit) {
    const int id = EditId(edit);
    if (GetFocusId() != id) {
        m_bFocusByCode = 1;
        SetFocusByCode(id);  // the focus handler runs in here and clears the flag
    }
    m_bFocusByCode = 0;
    m_nFocusEdit = edit;
    EnableHourButtons(true);
    EnableMinuteButtons(false);
    SelectInEdit(id, {0, -1});
}

void CTimeYoteiDlg::PutMembers() {
    UpdateData(false);
    m_guard.Sync(*this);
}

void CTimeYoteiDlg::EnableHourButtons(bool enable) {
    for (const TimePickButton& button : kHourButtons) {
        EnableDlgItem(button.id, enable);
    }
}

void CTimeYoteiDlg::EnableMinuteButtons(bool enable) {
    for (const TimePickButton& button : kMinuteButtons) {
        EnableDlgItem(button.id, enable);
    }
}

void CTimeYoteiDlg::SelectInEdit(int id, dlg::EditSelection selection) {
    // The caret is scrolled into view first: on GTK that moves the caret, which would
    // drop a selection made before it. The entry keeps the new selection in view itself.
    ScrollCaret(id);
    SetEditSel(id, selection.start, selection.end);
}

// ---- Focus ---------------------------------------------------------------------------------

void CTimeYoteiDlg::EnterEdit(int edit) {
    UpdateData(true);
    const dlg::FocusStep step = dlg::EnterEdit(edit, m_strFrom, m_strTo, m_bFocusByCode != 0);
    m_strFrom = step.strFrom;
    m_strTo = step.strTo;
    PutMembers();
    m_bShowFromArrow = step.bShowFromArrow ? 1 : 0;
    m_bShowToArrow = step.bShowToArrow ? 1 : 0;
    RedrawRectNow(dlg::kArrowBand, true);
    if (step.buttons) {
        EnableHourButtons(step.buttons->hours);
        EnableMinuteButtons(step.buttons->minutes);
    }
    m_nFocusEdit = step.nFocusEdit;
    m_bFocusByCode = step.bFocusByCode ? 1 : 0;
    if (step.selection) {
        SelectInEdit(EditId(edit), *step.selection);
    }
}

void CTimeYoteiDlg::OnSetFocusFrom(wxCommandEvent&) {
    EnterEdit(dlg::kEditFrom);
}
void CTimeYoteiDlg::OnSetFocusTo(wxCommandEvent&) {
    EnterEdit(dlg::kEditTo);
}
void CTimeYoteiDlg::OnSetFocusText(wxCommandEvent&) {
    EnterEdit(dlg::kEditText);
}

// ---- Texts ---------------------------------------------------------------------------------

void CTimeYoteiDlg::OnChangeText(wxCommandEvent&) {
    if (!m_guard.Check(*this, IDC_EDIT_YOTEI_TEXT)) {
        return;
    }
    UpdateData(true);
    EnableDlgItem(IDOK, !m_strText.empty());
}

// The time edits have no behaviour of their own while typing; only texts the table
// cannot hold are kept out.
void CTimeYoteiDlg::OnChangeTime(wxCommandEvent& event) {
    m_guard.Check(*this, event.GetId());
}

// ---- Quick-pick buttons --------------------------------------------------------------------

void CTimeYoteiDlg::ApplyPick(const dlg::PickStep& step) {
    if (step.nTarget == dlg::kEditNone) {
        return;
    }
    m_strFrom = step.strFrom;
    m_strTo = step.strTo;
    PutMembers();
    EnableHourButtons(step.buttons.hours);
    EnableMinuteButtons(step.buttons.minutes);
    if (step.bSetFocusByCode) {
        m_bFocusByCode = 1;
    }
    // The focus handler of that edit runs inside this call.
    SetFocusByCode(EditId(step.nFocusTo));
    if (step.selection) {
        SelectInEdit(EditId(step.nFocusTo), *step.selection);
    }
}

void CTimeYoteiDlg::PickHour(int hour) {
    UpdateData(true);
    ApplyPick(dlg::PickHour(m_nFocusEdit, m_strFrom, m_strTo, hour));
}

void CTimeYoteiDlg::PickMinute(int minute) {
    UpdateData(true);
    ApplyPick(dlg::PickMinute(m_nFocusEdit, m_strFrom, m_strTo, minute));
}

void CTimeYoteiDlg::OnPickButton(wxCommandEvent& event) {
    for (const TimePickButton& button : kHourButtons) {
        if (button.id == event.GetId()) {
            PickHour(button.value);
            return;
        }
    }
    for (const TimePickButton& button : kMinuteButtons) {
        if (button.id == event.GetId()) {
            PickMinute(button.value);
            return;
        }
    }
}

// ---- Painting ------------------------------------------------------------------------------

void CTimeYoteiDlg::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    PaintClient(dc);
}

void CTimeYoteiDlg::PaintClient(wxDC& dc) {
    fw::WxCanvas canvas(dc);
    dlg::PaintTimeYoteiTexts(canvas, m_fontHeading, m_fontUnit);
    if (m_bShowFromArrow == 1) {
        m_imlFromArrow.Draw(dc, dlg::kFromArrowAt.x, dlg::kFromArrowAt.y);
    }
    if (m_bShowToArrow == 1) {
        m_imlToArrow.Draw(dc, dlg::kToArrowAt.x, dlg::kToArrowAt.y);
    }
}
