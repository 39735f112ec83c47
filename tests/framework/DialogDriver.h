// Drives a dialog in the GUI tests the way the toolkit does for a user: each function
// raises the event the toolkit raises (through the control's own event handler, so the
// dialog's notification lock, focus tracking and event tables all take part) and returns
// when every handler has run.
//
//   drive::Typing(dlg, IDC_EDIT_FROM_TIME, "9:30");
//   drive::Click(dlg, IDOK);
#pragma once

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>

#include "Dialog.h"

namespace fw {

// What the driver needs from inside the dialog: a system-menu entry has no event of its
// own to raise (the context menu calls OnSysCommand directly), and a dialog driven
// without a modal run (after Create) keeps the result of EndDialog for the test to read.
class DialogDriver {
  public:
    static void SysCommand(CDialog& dialog, int id) { dialog.OnSysCommand(id); }
    static int Result(const CDialog& dialog) { return dialog.m_bEnded ? dialog.m_nResult : -1; }
};

}  // namespace fw

namespace drive {

namespace detail {

inline void Raise(wxWindow& control, wxEventType type, int index = 0,
                  const wxString& text = wxString()) {
    wxCommandEvent event(type, control.GetId());
    event.SetEventObject(&control);
    event.SetInt(index);
    event.SetString(text);
    control.GetEventHandler()->ProcessEvent(event);
}

}  // namespace detail

// The user moving the focus to control id: the toolkit's focus event for the control.
inline void UserFocus(fw::CDialog& dialog, int id) {
    wxWindow* control = dialog.GetDlgItem(id);
    if (!control) {
        return;
    }
    control->SetFocus();
    wxFocusEvent event(wxEVT_SET_FOCUS, id);
    event.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(event);
}

// A click on button or check box id: the focus moves to it, a check box toggles, then
// the notification. Nothing happens for a disabled control.
inline void Click(fw::CDialog& dialog, int id) {
    wxWindow* control = dialog.GetDlgItem(id);
    if (!control || !control->IsEnabled()) {
        return;
    }
    if (auto* check = dynamic_cast<wxCheckBox*>(control)) {
        check->SetValue(!check->GetValue());
        detail::Raise(*check, wxEVT_CHECKBOX, check->GetValue() ? 1 : 0);
        return;
    }
    detail::Raise(*control, wxEVT_BUTTON);
}

// The user replacing the text of an edit or of a combo box's edit field.
inline void Typing(fw::CDialog& dialog, int id, const wxString& text) {
    wxWindow* control = dialog.GetDlgItem(id);
    wxTextEntry* entry = dynamic_cast<wxTextCtrl*>(control);
    if (!entry) {
        entry = dynamic_cast<wxComboBox*>(control);
    }
    if (!entry) {
        return;
    }
    entry->ChangeValue(text);
    entry->SetInsertionPointEnd();
    detail::Raise(*control, wxEVT_TEXT, 0, text);
}

// The user picking row index of a list box or combo box: the focus moves to it, then the
// selection notification.
inline void Select(fw::CDialog& dialog, int id, int index) {
    wxWindow* control = dialog.GetDlgItem(id);
    wxEventType type = wxEVT_NULL;
    if (auto* combo = dynamic_cast<wxComboBox*>(control)) {
        combo->SetSelection(index);
        type = wxEVT_COMBOBOX;
    } else if (auto* list = dynamic_cast<wxListBox*>(control)) {
        list->SetSelection(index);
        type = wxEVT_LISTBOX;
    } else {
        return;
    }
    UserFocus(dialog, id);
    detail::Raise(*control, type, index);
}

// A double click on row index of a list box: its selection first, as for a user.
inline void DoubleClick(fw::CDialog& dialog, int id, int index) {
    auto* list = dynamic_cast<wxListBox*>(dialog.GetDlgItem(id));
    if (!list) {
        return;
    }
    Select(dialog, id, index);
    detail::Raise(*list, wxEVT_LISTBOX_DCLICK, index);
}

// A key pressed in the dialog (WXK_ESCAPE, WXK_RETURN, ...): the key hook event the
// toolkit sends the top-level window before the focused control sees the key.
// modifiers: wxMOD_CONTROL etc.; a letter comes as its upper-case code ('G' for Ctrl+G).
inline void Key(fw::CDialog& dialog, int keyCode, int modifiers = wxMOD_NONE) {
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = keyCode;
    event.m_controlDown = (modifiers & wxMOD_CONTROL) != 0;
    event.m_shiftDown = (modifiers & wxMOD_SHIFT) != 0;
    event.m_altDown = (modifiers & wxMOD_ALT) != 0;
    event.SetEventObject(&dialog);
    dialog.GetEventHandler()->ProcessEvent(event);
}

// The close box: the window's close request.
inline void Close(fw::CDialog& dialog) {
    dialog.Close();
}

// The result given to the dialog's last EndDialog; -1 when it has not ended.
inline int Result(const fw::CDialog& dialog) {
    return fw::DialogDriver::Result(dialog);
}

// Choosing entry id of the system menu (the context menu on GTK).
inline void SysCommand(fw::CDialog& dialog, int id) {
    fw::DialogDriver::SysCommand(dialog, id);
}

}  // namespace drive
