// The file layer of the table store: whole-file reads and the safe replacement of a
// file, over a table of system calls that tests can swap to inject faults.
#pragma once

#include <sys/types.h>

#include <string>

struct XelSysCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*read)(int fd, void* buffer, size_t size);
    ssize_t (*write)(int fd, const void* buffer, size_t size);
    int (*fsync)(int fd);
    int (*fchmod)(int fd, mode_t mode);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
};

// The real system calls.
const XelSysCalls& XelRealSysCalls();
// Makes `calls` the table every later file operation uses; null restores the real one.
void XelSetSysCalls(const XelSysCalls* calls);

enum class XelReadResult { kOk, kMissing, kError };
// Reads the whole file into `contents`. kMissing when the file does not exist (or cannot
// be opened), kError when it opened but could not be read to its end.
XelReadResult XelReadFile(const std::string& path, std::string& contents);

// Creates an empty file if none exists; never truncates an existing one. 0 or -1.
int XelCreateEmpty(const std::string& path);

enum class XelWriteResult { kOk, kOpenFailed, kFailed };
// Replaces the file at `path` with `contents` so that the old file stays byte-identical
// unless the whole new content reached the disk: a temporary file in the same folder is
// written, flushed to the disk and renamed over the file, then the folder is synced.
// Keeps the permission bits of an existing file; a symbolic link keeps pointing at its
// target, which is replaced. The temporary file never outlives a failure.
XelWriteResult XelReplaceFile(const std::string& path, const std::string& contents);

// Marker in the names of the temporary files: "<file>.tmp-<pid>-<n>".
inline constexpr const char* kXelTempMarker = ".tmp-";
