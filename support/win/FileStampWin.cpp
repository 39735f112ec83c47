// The stamp and hash of a file through the wide-character calls: the volume's serial number
// and the file index stand for the device and inode, the last write time for the
// modification time.
#include <windows.h>

#include <cstring>

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

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;

uint64_t Rotl(uint64_t x, int r) {
    return (x << r) | (x >> (64 - r));
}

uint64_t Step(uint64_t lane, uint64_t word) {
    return Rotl(lane ^ (word * kPrime2), 31) * kPrime1;
}

}  // namespace

FileStamp FileStampOf(const std::string& path) {
    FileStamp stamp;
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
    }
    CloseHandle(file);
    return stamp;
}

// The same hash as on other systems (support/FileStamp.cpp): four lanes of eight bytes.
std::optional<uint64_t> FileContentHash(const std::string& path) {
    const HANDLE file = OpenShared(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    uint64_t lanes[4] = {kPrime1, kPrime2, ~kPrime1, ~kPrime2};
    uint64_t total = 0;
    alignas(32) unsigned char block[65536];
    size_t kept = 0;
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, block + kept, static_cast<DWORD>(sizeof block - kept), &n, nullptr)) {
            CloseHandle(file);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        total += n;
        const size_t have = kept + n;
        size_t at = 0;
        for (; at + 32 <= have; at += 32) {
            for (int k = 0; k < 4; ++k) {
                uint64_t word;
                std::memcpy(&word, block + at + 8 * k, 8);
                lanes[k] = Step(lanes[k], word);
            }
        }
        kept = have - at;
        std::memmove(block, block + at, kept);
    }
    CloseHandle(file);
    uint64_t hash = total * kPrime1;
    for (size_t i = 0; i < kept; ++i) {
        hash = Step(hash, block[i] + 1);
    }
    for (uint64_t lane : lanes) {
        hash = Step(hash, lane);
    }
    hash ^= hash >> 29;
    return hash;
}
