// The stamp and hash of a file through the wide-character calls: the volume's serial number
// and the file index stand for the device and inode, the last write time for the
// modification time.
#include <windows.h>

#include <cstdint>

#include "FileStamp.h"
#include "WidePath.h"

namespace {

// Opens a file for reading while others may read, write or rename it; symbolic links are
// followed.
HANDLE OpenShared(const std::string& path, DWORD access) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// 100-nanosecond ticks since 1601 to nanoseconds since 1970.
int64_t UnixNs(FILETIME time) {
    const uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    constexpr int64_t kTicksTo1970 = 116444736000000000LL;
    return (static_cast<int64_t>(ticks) - kTicksTo1970) * 100;
}

}  // namespace

FileStamp FileStampOf(const std::string& path) {
    int64_t unused = 0;
    return FileStampOf(path, &unused);
}

// The status change time is the file's ChangeTime, which every write, truncation and
// setting of the last write time moves to the present, as st_ctime on other systems.
FileStamp FileStampOf(const std::string& path, int64_t* statusChangedNs) {
    FileStamp stamp;
    *statusChangedNs = 0;
    const HANDLE file = OpenShared(path, 0);
    if (file == INVALID_HANDLE_VALUE) {
        return stamp;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info)) {
        stamp.exists = true;
        stamp.device = info.dwVolumeSerialNumber;
        stamp.inode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        stamp.size = static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) |
                                          info.nFileSizeLow);
        stamp.modifiedNs = UnixNs(info.ftLastWriteTime);
        // FAT and exFAT keep no change time (0), and a network redirector may not give it:
        // the file then never counts as settled (see CScheduleModel::kSettledNs), so its
        // bytes are always checked, rather than a missing time passing for an old one.
        *statusChangedNs = INT64_MAX;
        FILE_BASIC_INFO basic{};
        if (GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
            basic.ChangeTime.QuadPart > 0) {
            FILETIME changed;
            changed.dwLowDateTime = static_cast<DWORD>(basic.ChangeTime.QuadPart);
            changed.dwHighDateTime = static_cast<DWORD>(basic.ChangeTime.QuadPart >> 32);
            *statusChangedNs = UnixNs(changed);
        }
    }
    CloseHandle(file);
    return stamp;
}

// The same hash as on other systems (ContentHasher).
std::optional<uint64_t> FileContentHash(const std::string& path) {
    const HANDLE file = OpenShared(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    ContentHasher hasher;
    char block[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, block, static_cast<DWORD>(sizeof block), &n, nullptr)) {
            CloseHandle(file);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        hasher.Add(std::string_view(block, n));
    }
    CloseHandle(file);
    return hasher.Finish();
}
