#include "TextGuard.h"

#include <wx/combobox.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "Dialog.h"
#include "TextConv.h"

namespace {

wxTextEntry* EntryOf(wxWindow* window) {
    if (auto* text = dynamic_cast<wxTextCtrl*>(window)) {
        return text;
    }
    return dynamic_cast<wxComboBox*>(window);
}

}  // namespace

void CTextGuard::Watch(int id, dlg::TextField field) {
    m_watched[id] = Watched{field, {}};
}

bool CTextGuard::Check(fw::CDialog& dialog, int id) {
    const auto it = m_watched.find(id);
    wxTextEntry* entry = EntryOf(dialog.GetDlgItem(id));
    if (it == m_watched.end() || !entry) {
        return true;
    }
    const wxString now = entry->GetValue();
    const dlg::TextVerdict verdict = dlg::CheckTypedText(fw::WxToUtf8(now), it->second.field);
    if (verdict.Ok()) {
        it->second.allowed = now;
        return true;
    }
    // The caret goes back to where the refused characters were typed, so the typing that
    // follows continues there.
    const long allowedLength = static_cast<long>(it->second.allowed.length());
    const long typed = static_cast<long>(now.length()) - allowedLength;
    const long caret =
        std::clamp(entry->GetInsertionPoint() - std::max(typed, 0L), 0L, allowedLength);
    {
        fw::CDialog::NotifyLock lock(dialog);
        entry->ChangeValue(it->second.allowed);
        entry->SetInsertionPoint(caret);
    }
    // Said in a balloon, not a message box: a box would take the keys typed next.
    dialog.ShowNote(id, fw::Utf8ToWx(verdict.message));
    return false;
}

void CTextGuard::Sync(const fw::CDialog& dialog) {
    for (auto& [id, watched] : m_watched) {
        if (wxTextEntry* entry = EntryOf(dialog.GetDlgItem(id))) {
            watched.allowed = entry->GetValue();
        }
    }
}
