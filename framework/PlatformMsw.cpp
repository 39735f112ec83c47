// Windows. The native controls already have the sizes the dialog templates were laid out
// for, so most of the look-and-feel settings have nothing to change here. There are no
// signals and no descriptors to watch: the end of the Windows session arrives as a window
// message (the toolkit's wxEVT_QUERY_END_SESSION and wxEVT_END_SESSION), and the second
// copy reaches the first through the named shared block that holds its window handle.
// The data file is not watched either: the 2-second poll of the file's stamp sees every
// change (WatchFile gives 0, which its callers expect).
#include "Dialog.h"  // before windows.h, whose macros share names with its constants
#include "Platform.h"

#ifdef __WXMSW__

#include <wx/app.h>
#include <wx/fontenum.h>
#include <wx/msw/wrapwin.h>  // windows.h as the toolkit includes it
#include <wx/toplevel.h>
#include <wx/window.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace fw {

void BeforeToolkitStarts() {
    // Nothing to do: the toolkit opens no OpenGL driver as it starts.
}

void InitFramework() {
    // Nothing to do: the common controls 6 of the manifest have the templates' sizes, and
    // an edit selects its whole text only when the user tabs into it.
}

void FitListRows(wxWindow*) {
    // A list box's rows are its font's height already.
}

void FitNarrowEdit(wxWindow* edit) {
    const HWND hwnd = edit ? static_cast<HWND>(edit->GetHandle()) : nullptr;
    if (hwnd == nullptr) {
        return;
    }
    // The template's one-pixel border instead of the toolkit's sunken edge of two, and no
    // inner margins: a time of five characters then fits.
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_BORDER);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SendMessageW(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    // A stand-in face with wider figures than the one the template was laid out with
    // (IPAPGothic for ＭＳ Ｐゴシック) would still scroll the hour out of sight: the edit grows
    // to the right into the gap the template leaves there, by at most a third.
    const int needed = edit->GetTextExtent("00:00").x + 2 + 1;  // borders, caret
    const wxSize size = edit->GetSize();
    if (needed > size.x) {
        edit->SetSize(std::min(needed, size.x + size.x / 3), size.y);
    }
}

void ShowKeyboardFocus(wxWindow* topLevel) {
    const HWND hwnd = topLevel ? static_cast<HWND>(topLevel->GetHandle()) : nullptr;
    if (hwnd != nullptr) {
        // Windows hides the focus rectangle until the first key press; clearing the
        // flag on the top-level window clears it on all its children.
        SendMessageW(hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    }
}

bool KeyboardFocusShown(wxWindow* topLevel) {
    const HWND hwnd = topLevel ? static_cast<HWND>(topLevel->GetHandle()) : nullptr;
    return hwnd != nullptr && (SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

bool FontFamilyInstalled(const std::string& utf8Name) {
    // The enumeration knows a face by its English and by its localized name.
    return !utf8Name.empty() && wxFontEnumerator::IsValidFacename(wxString::FromUTF8(utf8Name));
}

int DesktopFontResolution() {
    // The system's DPI (the "make text bigger" setting raises it above 96), in the same
    // unit as GTK's setting.
    const HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return -1;
    }
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi * 1024 : -1;
}

unsigned WatchSignal(int, std::function<void()>) {
    return 0;
}

unsigned WatchReadable(int, std::function<void()>) {
    return 0;
}

unsigned WatchFile(const std::string&, std::function<void()>) {
    return 0;
}

namespace {

// The idle steps, run from the application's wxEVT_IDLE, which the toolkit sends in its
// main loop and in every modal loop of its own. A step that opens a modal loop of its own
// is not run again from inside it (as a GLib source is not).
struct IdleStep {
    std::function<bool()> step;
    bool running = false;
    bool removed = false;
};

std::map<unsigned, std::shared_ptr<IdleStep>>& IdleSteps() {
    static std::map<unsigned, std::shared_ptr<IdleStep>> steps;
    return steps;
}

void RunIdleSteps(wxIdleEvent& event) {
    event.Skip();
    std::vector<std::pair<unsigned, std::shared_ptr<IdleStep>>> due(IdleSteps().begin(),
                                                                    IdleSteps().end());
    for (auto& [id, entry] : due) {
        if (entry->running || entry->removed) {
            continue;
        }
        entry->running = true;
        const bool again = entry->step();
        entry->running = false;
        if (!again || entry->removed) {
            entry->removed = true;
            IdleSteps().erase(id);
        }
    }
    if (!IdleSteps().empty()) {
        event.RequestMore();
    }
}

}  // namespace

unsigned RunWhenIdle(std::function<bool()> step) {
    if (wxTheApp == nullptr) {
        return 0;
    }
    static unsigned next = 0;
    static bool bound = false;
    if (!bound) {
        wxTheApp->Bind(wxEVT_IDLE, RunIdleSteps);
        bound = true;
    }
    auto entry = std::make_shared<IdleStep>();
    entry->step = std::move(step);
    IdleSteps()[++next] = entry;
    wxWakeUpIdle();
    return next;
}

void RemoveWatch(unsigned watch) {
    const auto found = IdleSteps().find(watch);
    if (found != IdleSteps().end()) {
        found->second->removed = true;
        IdleSteps().erase(found);
    }
}

namespace {

// The system's own modal dialogs of this thread (the file chooser, the print dialogs):
// shown windows of the dialog class that are none of the toolkit's top-level windows.
std::vector<HWND> NativeModalDialogs() {
    struct Search {
        std::vector<HWND> own;
        std::vector<HWND> found;
    } search;
    for (wxWindow* window : wxTopLevelWindows) {
        search.own.push_back(static_cast<HWND>(window->GetHandle()));
    }
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            wchar_t name[16] = {};
            if (IsWindowVisible(hwnd) && GetClassNameW(hwnd, name, 16) > 0 &&
                wcscmp(name, L"#32770") == 0 &&
                std::find(search.own.begin(), search.own.end(), hwnd) == search.own.end()) {
                search.found.push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

bool CancelNativeDialogs() {
    bool cancelled = false;
    for (const HWND dialog : NativeModalDialogs()) {
        // As the dialog's Cancel button or its close box.
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        cancelled = true;
    }
    return cancelled;
}

bool HasNativeModalDialog() {
    return !NativeModalDialogs().empty();
}

bool HasSessionBus() {
    // There is no message bus to start by mistake: the toolkit's notifications on Windows
    // go to the shell's notification area, which every session has.
    return true;
}

void TakeInputBesideModal(wxWindow* topLevel) {
    // A modal loop disables the top-level windows that exist when it starts; a window made
    // while it runs takes input as it is. One that was disabled all the same is enabled;
    // a modal dialog opened later disables it and enables it again as usual.
    const HWND hwnd = topLevel ? static_cast<HWND>(topLevel->GetHandle()) : nullptr;
    if (hwnd != nullptr && !IsWindowEnabled(hwnd)) {
        EnableWindow(hwnd, TRUE);
    }
}

void AfterKeyEvent(wxWindow* window, std::function<void()> action) {
    window->CallAfter(std::move(action));
}

void AppendToWindowMenu(wxWindow* topLevel, int id, const wxString& text) {
    const HWND hwnd = topLevel ? static_cast<HWND>(topLevel->GetHandle()) : nullptr;
    const HMENU menu = hwnd ? GetSystemMenu(hwnd, FALSE) : nullptr;
    if (menu == nullptr) {
        return;
    }
    if (id == 0) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), text.wc_str());
    }
}

}  // namespace fw

#endif  // __WXMSW__
