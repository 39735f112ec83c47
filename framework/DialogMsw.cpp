// The Windows side of CDialog: the entries appended to the system menu (AppendToWindowMenu)
// arrive as WM_SYSCOMMAND with their id; the system's own entries (move, size, minimise,
// close) go on to the toolkit and the system as before.
#include "Dialog.h"

#ifdef __WXMSW__

#include <wx/msw/wrapwin.h>  // windows.h as the toolkit includes it

namespace fw {

WXLRESULT CDialog::MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) {
    if (message == WM_SYSCOMMAND) {
        // The low four bits are the system's own.
        const int id = static_cast<int>(wParam & 0xFFF0);
        for (const SystemMenuItem& item : m_systemMenu) {
            if (item.id != 0 && item.id == id) {
                OnSysCommand(id);
                return 0;
            }
        }
    }
    return wxDialog::MSWWindowProc(message, wParam, lParam);
}

}  // namespace fw

#endif  // __WXMSW__
