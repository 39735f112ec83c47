// One running copy per user session on Windows. The first copy creates the named shared
// block "kelnova" (a mapping on the paging file, in the session's own namespace) and holds
// it while it runs; the system drops it when the process ends in any way, so a crash
// leaves no stale signal. A later copy finds the block there.
//
// The hand-over to the first copy's window belongs to the window layer and is not made
// here yet: Publish gives -1, AskFirstToRaise does nothing and no request is ever taken.
#include <windows.h>

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
                                            sizeof(DWORD), BlockName(m_folder).c_str());
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

void CInstanceGuard::AskFirstToRaise() const {}

int CInstanceGuard::Publish() {
    return -1;
}

bool CInstanceGuard::TakeRequest() const {
    return false;
}

std::string CInstanceGuard::DefaultFolder() {
    return {};
}
