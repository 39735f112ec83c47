// The data-file lock of a Windows build that does not have the lock's own Windows file
// (support/win/DataLockWin.cpp) yet: every folder counts as one where no lock file can be
// made (CDataLock::State::kUnavailable), so the program runs without the lock, as it does
// on Linux on a read-only folder. The single-copy guard still keeps two copies of one
// user's session apart. CMake drops this file once the lock's own file is there.
#include <windows.h>

#include "DataLock.h"

CDataLock::CDataLock(std::string dataFolder) : m_folder(std::move(dataFolder)) {}

CDataLock::~CDataLock() = default;

CDataLock::State CDataLock::Acquire() {
    m_state = State::kUnavailable;
    return m_state;
}

void CDataLock::Release() {
    m_state = State::kNotTried;
}

std::string CDataLock::HostName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) && size > 0 ? std::string(name, size) : "localhost";
}

std::string CDataLock::Printable(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        shown += u >= 0x20 && u < 0x7F ? c : '?';
    }
    return shown;
}
