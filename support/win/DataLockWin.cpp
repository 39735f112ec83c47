// The data lock on Windows (see DataLock.h for the rules shared with other systems).
//
// The holder keeps the lock file open while it runs, through CreateFileW with a share
// mode that lets others read it and nothing else: no one can write, rename over or remove
// it, and another copy's open for writing is refused with a sharing violation. The
// system enforces share modes on every file system and on network shares, and closes the
// handle when the process ends in any way, a crash included. So a lock file that can be
// opened for writing is no running copy's: when it names this host, or cannot be read as
// a lock line and was last written two minutes ago or more, it is taken over (rewritten in
// place with our line). A lock naming another host is respected as on other systems: a
// copy on a system that does not keep the file open may hold it there.
//
// A new lock file is created with CREATE_NEW and written while already held, so of two
// copies starting at once exactly one gets it; the other sees the sharing violation and
// reads the holder's line, looking again while it is still being written.
#include <windows.h>

#include <iterator>
#include <optional>

#include "DataLock.h"
#include "WidePath.h"

namespace {

// How often a lock file that changes under our feet is looked at again, and the pause in
// between (a copy writes its line within microseconds of creating the file).
const int kAttempts = 5;
const DWORD kPauseMs = 20;
// More than any lock line this program writes; a longer file is not a lock line.
const DWORD kMaxLockBytes = 1024;
// Windows file times count 100-nanosecond ticks.
const int64_t kTicksPerSecond = 10 * 1000 * 1000;

// Read, write, and delete for the release; others may only read.
HANDLE OpenToHold(const std::wstring& path, DWORD disposition) {
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                       nullptr, disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                       nullptr);
}

// Up to kMaxLockBytes + 1 bytes from the start of the file.
std::string ReadHead(HANDLE file) {
    std::string text(kMaxLockBytes + 1, '\0');
    DWORD got = 0;
    OVERLAPPED at{};  // from offset 0, whatever the file pointer
    if (!ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, &at)) {
        got = 0;
    }
    text.resize(got);
    return text;
}

// What a lock file held by a running copy says; false while it is no lock line (being
// written, or not this program's).
bool ReadHolder(const std::wstring& path, DataLockHolder& holder) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool known = CDataLock::ParseLine(ReadHead(file), holder);
    CloseHandle(file);
    return known;
}

// Seconds since the file was last written, by this machine's clock.
int64_t AgeSeconds(HANDLE file) {
    FILETIME written;
    FILETIME now;
    if (!GetFileTime(file, nullptr, nullptr, &written)) {
        return 0;
    }
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](FILETIME t) {
        return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) |
                                    t.dwLowDateTime);
    };
    return (ticks(now) - ticks(written)) / kTicksPerSecond;
}

// Puts the line at the start of the file as its only content, on the disk.
bool WriteLine(HANDLE file, const std::string& line) {
    LARGE_INTEGER start{};
    DWORD written = 0;
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && SetEndOfFile(file) &&
           WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
           written == line.size() && FlushFileBuffers(file);
}

// Removes the file once this handle, the last one that may write it, is closed.
void RemoveAndClose(HANDLE file) {
    FILE_DISPOSITION_INFO remove{TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove);
    CloseHandle(file);
}

std::string UserName() {
    wchar_t name[256 + 1];
    DWORD size = static_cast<DWORD>(std::size(name));
    if (GetUserNameW(name, &size) && size > 1) {
        if (const std::optional<std::string> text = WideToUtf8(std::wstring_view(name, size - 1))) {
            return *text;
        }
    }
    return {};
}

enum class Look { kHeld, kHeldByOther, kUnavailable, kRetry };

// One look at the lock file's place: `held` gets the handle when the lock is ours, `holder`
// what the file says when it is another's.
Look LookOnce(const std::wstring& path, const std::string& line, HANDLE& held,
              DataLockHolder& holder) {
    HANDLE file = OpenToHold(path, CREATE_NEW);
    if (file != INVALID_HANDLE_VALUE) {
        if (!WriteLine(file, line)) {
            RemoveAndClose(file);
            return Look::kUnavailable;
        }
        held = file;
        return Look::kHeld;
    }
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
        // No new file may be made here (a read-only folder, or one this user may not
        // write), or something that is no plain file has the name (a folder, a file
        // being removed).
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return GetLastError() == ERROR_ACCESS_DENIED ? Look::kRetry : Look::kUnavailable;
        }
        if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
            return Look::kHeldByOther;
        }
        error = ERROR_FILE_EXISTS;  // a plain file: look whose it is
    }
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
        return Look::kUnavailable;  // no such folder, a full disk, a bad name
    }

    // A lock file is there. While a running copy holds it, it cannot be opened to write.
    file = OpenToHold(path, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return Look::kRetry;  // released in the meantime
        }
        DataLockHolder found;
        const bool known = ReadHolder(path, found);
        holder = known ? found : DataLockHolder{};
        // A holder still writing its line is looked at again; a file this user may not
        // write (read-only) is nobody's lock we can judge, and respected.
        return error == ERROR_SHARING_VIOLATION && !known ? Look::kRetry : Look::kHeldByOther;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        // A symbolic link or junction in the lock file's place is not judged: respected.
        CloseHandle(file);
        return Look::kHeldByOther;
    }
    // No running copy holds it: stale unless it is another host's, or unreadable and
    // young enough to be in the making by a copy on a system without share modes.
    DataLockHolder found;
    const bool known = CDataLock::ParseLine(ReadHead(file), found);
    const bool stale = known ? found.host == CDataLock::HostName()
                             : AgeSeconds(file) >= CDataLock::kUnreadableStaleSeconds;
    if (!stale) {
        holder = known ? found : DataLockHolder{};
        CloseHandle(file);
        return Look::kHeldByOther;
    }
    if (!WriteLine(file, line)) {
        RemoveAndClose(file);
        return Look::kUnavailable;
    }
    held = file;
    return Look::kHeld;
}

}  // namespace

CDataLock::CDataLock(std::string dataFolder) : m_folder(std::move(dataFolder)) {}

CDataLock::~CDataLock() {
    Release();
}

std::string CDataLock::HostName() {
    wchar_t name[256];
    DWORD size = static_cast<DWORD>(std::size(name));
    if (GetComputerNameExW(ComputerNameDnsHostname, name, &size) && size > 0) {
        if (const std::optional<std::string> text = WideToUtf8(std::wstring_view(name, size))) {
            return Token(*text);
        }
    }
    return "localhost";
}

std::string CDataLock::OwnLine() {
    return "host=" + HostName() + " user=" + Token(UserName()) +
           " pid=" + std::to_string(GetCurrentProcessId()) + "\n";
}

CDataLock::State CDataLock::Acquire() {
    if (m_state == State::kHeld) {
        return m_state;
    }
    m_holder = {};
    m_line = OwnLine();
    m_state = State::kHeldByOther;
    const std::wstring path = WidePath(Path());  // empty for a folder name that is not UTF-8
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0) {
            Sleep(kPauseMs);
        }
        HANDLE held = nullptr;
        const Look look =
            path.empty() ? Look::kUnavailable : LookOnce(path, m_line, held, m_holder);
        if (look == Look::kRetry) {
            continue;
        }
        m_file = held;
        m_state = look == Look::kHeld          ? State::kHeld
                  : look == Look::kHeldByOther ? State::kHeldByOther
                                               : State::kUnavailable;
        break;
    }
    if (m_state != State::kHeldByOther) {
        m_holder = {};
    }
    return m_state;
}

// Nothing else could write, replace or remove the file while it was held: it is still ours.
void CDataLock::Release() {
    if (m_file != nullptr) {
        RemoveAndClose(static_cast<HANDLE>(m_file));
        m_file = nullptr;
    }
    m_state = State::kNotTried;
    m_holder = {};
}
