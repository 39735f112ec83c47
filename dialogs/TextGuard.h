// Keeps texts the schedule table cannot hold out of a dialog's edits.
//
// Each watched control remembers the last text it was allowed to hold. The control's
// change notification calls Check: a storable text becomes the new remembered one; any
// other text (a line break, an ASCII double quote, a character CP932 cannot hold, a text
// too long for its row line) is put back to the remembered one, the caret where the
// refused characters were typed, and the user is told why in a balloon under the field
// (CDialog::ShowNote), which leaves the focus and the following keys to the field. Whatever the
// dialog writes into its controls itself must be taken over with Sync afterwards.
#pragma once

#include <wx/string.h>

#include <map>

#include "StorableText.h"

namespace fw {
class CDialog;
}

class CTextGuard {
  public:
    void Watch(int id, dlg::TextField field);
    // True when the control's text may stay; false when it was put back.
    bool Check(fw::CDialog& dialog, int id);
    // Takes over the texts the controls show now as the allowed ones.
    void Sync(const fw::CDialog& dialog);

  private:
    struct Watched {
        dlg::TextField field;
        wxString allowed;
    };
    std::map<int, Watched> m_watched;
};
