// The file layer of the table store: whole-file reads and the safe replacement of a
// file, over a table of system calls that tests can swap to inject faults.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "XelSaveError.h"

struct XelSysCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*read)(int fd, void* buffer, size_t size);
    ssize_t (*write)(int fd, const void* buffer, size_t size);
    int (*fsync)(int fd);
    int (*fchmod)(int fd, mode_t mode);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
    int (*link)(const char* from, const char* to);
    int (*ftruncate)(int fd, off_t length);
    int (*fallocate)(int fd, int mode, off_t offset, off_t length);
};

// The real system calls.
const XelSysCalls& XelRealSysCalls();
// Makes `calls` the table every later file operation uses; null restores the real one.
void XelSetSysCalls(const XelSysCalls* calls);

// A whole file's bytes in one block, followed by at least `slack` zero bytes (as many as
// the read was asked for) that may be read and written.
struct XelFileBytes {
    std::unique_ptr<char[]> data;
    size_t size = 0;
};

enum class XelReadResult { kOk, kMissing, kError };
// Reads the whole file straight into one block. kMissing when the file does not exist
// (or cannot be opened), kError when it opened but could not be read to its end. On
// Windows a file that is there but will not open (a folder, a file held by another
// program) is kError too.
XelReadResult XelReadFile(const std::string& path, XelFileBytes& bytes, size_t slack);
// The same, read in blocks of at most kXelCancelBlock bytes with `cancel` looked at before
// each: once it is set the read stops there and fails (kError, errno ECANCELED).
XelReadResult XelReadFile(const std::string& path, XelFileBytes& bytes, size_t slack,
                          const std::atomic<bool>* cancel);
inline constexpr size_t kXelCancelBlock = size_t{4} << 20;

// Creates an empty file if none exists, through a symbolic link whose target is missing
// too; never truncates an existing file. 0 or -1.
int XelCreateEmpty(const std::string& path);

enum class XelWriteResult { kOk, kOpenFailed, kFailed };
// Replaces the file at `path` with `contents` so that the old file stays byte-identical
// unless the whole new content reached the disk:
//   1. "<file>.tmp-<pid>-<n>" is written in the same folder, synced and closed;
//   2. the old file gets a second name "<file>.tmp-<pid>-<n>.old" (a hard link);
//   3. the temporary file is renamed over the file and the folder is synced;
//   4. when that folder sync fails, the old file is renamed back, so a failure reported
//      never leaves the new content behind; otherwise its second name goes.
// A folder that takes no new file (EACCES or EPERM for the temporary file) while the file
// itself may be written, as a shared folder can be, has the file rewritten in place:
// room for the new bytes is reserved before anything is overwritten, and the old bytes
// are written back when the new ones cannot all be written and synced. That keeps the
// file's inode, owner and links, but a crash in the middle of it can leave a mixture.
// Interrupted calls are retried (a bounded number of times) and short writes continued.
// Keeps the permission bits of an existing file; a symbolic link keeps pointing at its
// target, which is replaced. No temporary name outlives the call, but a crash can leave
// one: XelRemoveStaleTemps clears those.
// `failure`, when given, is set to the step that failed and its errno (kNone on success).
// The rare failure to put the old file back (its second name could not be made or will
// not go back, or the old bytes could not all be written back in place) is set there
// too: only then may a failed save leave the file other than it was.
XelWriteResult XelReplaceFile(const std::string& path, const std::string& contents,
                              DbSaveError* failure = nullptr);

// The contents of a file produced in pieces, so that a large file is written without a
// second copy of it in memory: the source calls `write` with each piece in order and
// returns false as soon as a call returned false (the write failed; errno tells why).
using XelContentWriter = std::function<bool(std::string_view piece)>;
using XelContentSource = std::function<bool(const XelContentWriter& write)>;
// XelReplaceFile with the contents from a source, in the same steps. Only the rewrite in
// place, where the folder takes no new file, holds the whole contents at once.
XelWriteResult XelReplaceFile(const std::string& path, const XelContentSource& contents,
                              DbSaveError* failure = nullptr);

// Removes the temporary files that saves of `path` by processes no longer running left
// behind. Returns how many were removed.
int XelRemoveStaleTemps(const std::string& path);

// Marker in the names of the temporary files: "<file>.tmp-<pid>-<n>".
inline constexpr const char* kXelTempMarker = ".tmp-";
