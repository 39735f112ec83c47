// One running copy per user session on Windows. The first copy creates the named shared
// block "kelnova" (a mapping on the paging file, in the session's own namespace) and holds
// it while it runs; the system drops it when the process ends in any way, so a crash
// leaves no stale signal. A later copy finds the block there.
//
// Once its window is drawn, the first copy writes the window's handle and its process id
// into the block (Publish). A later copy reads them and brings that window to the front
// itself: the user has just started it, so it may set the foreground window, which the
// first copy, in the background, may not. There is no request to take.
#include <windows.h>

#include <cstdint>

#include "InstanceGuard.h"
#include "WidePath.h"

namespace {

// "Local\kelnova", or for a guard given a folder (tests) a block of its own named after it.
std::wstring BlockName(const std::string& folder) {
    std::wstring name = L"Local\\kelnova";
    if (!folder.empty()) {
        std::wstring suffix = Utf8ToWide(folder).value_or(L"?");
        for (wchar_t& c : suffix) {
            if (c == L'\\') {
                c = L'/';  // a name holds no further '\'
            }
        }
        name += L"-" + suffix;
    }
    return name;
}

// What the block holds. The handle is written last, so a reader that sees one sees the
// process id that goes with it; zero until the window is published.
struct SharedWindow {
    volatile LONG64 window;
    volatile LONG processId;
};

}  // namespace

CInstanceGuard::CInstanceGuard(std::string folder) : m_folder(std::move(folder)) {}

CInstanceGuard::~CInstanceGuard() {
    if (m_sharedBlock != nullptr) {
        CloseHandle(m_sharedBlock);
    }
}

bool CInstanceGuard::TryBecomeFirst() {
    if (m_sharedBlock != nullptr) {
        return true;
    }
    const HANDLE block = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            sizeof(SharedWindow), BlockName(m_folder).c_str());
    const DWORD error = GetLastError();
    if (block == nullptr) {
        // A block of that name that this user may not open belongs to another copy; with
        // no block at all the program runs unguarded, as without a private folder.
        return error != ERROR_ACCESS_DENIED;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(block);
        return false;
    }
    m_sharedBlock = block;
    return true;
}

void CInstanceGuard::AskFirstToRaise() const {
    const HANDLE block = OpenFileMappingW(FILE_MAP_READ, FALSE, BlockName(m_folder).c_str());
    if (block == nullptr) {
        return;
    }
    LONG64 value = 0;
    DWORD processId = 0;
    if (const auto* shared = static_cast<const SharedWindow*>(
            MapViewOfFile(block, FILE_MAP_READ, 0, 0, sizeof(SharedWindow)))) {
        value = shared->window;
        MemoryBarrier();
        processId = static_cast<DWORD>(shared->processId);
        UnmapViewOfFile(shared);
    }
    CloseHandle(block);
    const HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(value));
    DWORD owner = 0;
    // A handle of a window that has gone, or been reused by another process, is left alone.
    if (window == nullptr || !IsWindow(window) || GetWindowThreadProcessId(window, &owner) == 0 ||
        owner != processId) {
        return;
    }
    // The first copy may then bring up windows of its own as well (a dialog over the
    // window activates itself).
    AllowSetForegroundWindow(processId);
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    } else if (!IsWindowVisible(window)) {
        ShowWindow(window, SW_SHOW);
    }
    // A dialog open over the window is what takes the keys: it goes in front.
    HWND front = GetLastActivePopup(window);
    if (front == nullptr || !IsWindowVisible(front)) {
        front = window;
    }
    // Activation alone does not always restack it (Wine without a window manager): the
    // window, then the dialog over it, go to the top of the order first.
    BringWindowToTop(window);
    if (front != window) {
        BringWindowToTop(front);
    }
    SetForegroundWindow(front);
}

int CInstanceGuard::Publish(void* window) {
    if (m_sharedBlock == nullptr || window == nullptr) {
        return -1;
    }
    if (auto* shared = static_cast<SharedWindow*>(
            MapViewOfFile(m_sharedBlock, FILE_MAP_WRITE, 0, 0, sizeof(SharedWindow)))) {
        shared->processId = static_cast<LONG>(GetCurrentProcessId());
        MemoryBarrier();
        shared->window = static_cast<LONG64>(reinterpret_cast<intptr_t>(window));
        UnmapViewOfFile(shared);
    }
    return -1;
}

bool CInstanceGuard::TakeRequest() const {
    return false;
}

std::string CInstanceGuard::DefaultFolder() {
    return {};
}
