// What identifies one version of a file on disk: its device and inode, size and
// modification time. Two stamps differ when the file was replaced (a rename over it, as
// editors and sync tools save), written to, truncated, created or removed; a program that
// writes the same bytes in the same second and restores the time is not seen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct FileStamp {
    bool exists = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;  // nanoseconds since the epoch
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at path (symbolic links followed); exists is false when it cannot
// be read.
FileStamp FileStampOf(const std::string& path);
// The same, also setting *statusChangedNs to the file's status change time (st_ctime, in
// nanoseconds since the epoch; 0 when the file cannot be read). Every write, truncation and
// setting of the modification time moves it to the present, and no program can set it back.
FileStamp FileStampOf(const std::string& path, int64_t* statusChangedNs);

// A 64-bit hash of the file's bytes (held in memory only, never stored), to tell a rewrite that
// kept the stamp (a copy tool that restores the modification time, a write within one tick of the
// clock); nullopt when the file cannot be read.
std::optional<uint64_t> FileContentHash(const std::string& path);

// The same hash of bytes given in pieces of any size, in order: a save hashes the file's
// bytes as it writes them, instead of reading the file again afterwards.
class ContentHasher {
  public:
    void Add(std::string_view bytes);
    // The hash of everything added: FileContentHash of a file holding those bytes.
    uint64_t Finish() const;

  private:
    uint64_t m_lanes[4] = {0x9E3779B185EBCA87ull, 0xC2B2AE3D27D4EB4Full, ~0x9E3779B185EBCA87ull,
                           ~0xC2B2AE3D27D4EB4Full};
    uint64_t m_total = 0;
    unsigned char m_kept[32] = {};
    size_t m_keptSize = 0;  // bytes in m_kept not hashed yet (fewer than 32)
};
