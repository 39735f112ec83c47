// The plain file calls on Windows: C runtime descriptors opened through the wide-character
// calls, FlushFileBuffers for the sync and a write-through move for the rename, which
// leaves nothing for a folder sync to do.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "FileCalls.h"
#include "WidePath.h"

namespace {

int ErrnoOr(int fallback) {
    return errno != 0 ? errno : fallback;
}

int LastError() {
    return ErrnoFromWindowsError(GetLastError());
}

int Open(const std::string& path, int flags, int mode, FileHandle& file) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        file = -1;
        return ENOENT;
    }
    errno = 0;
    file = ::_wopen(wide.c_str(), flags | _O_BINARY | _O_NOINHERIT, mode);
    return file >= 0 ? 0 : OpenErrno(wide, errno);
}

}  // namespace

int FileOpenRead(const std::string& path, FileHandle& file) {
    file = -1;
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        return ENOENT;
    }
    file = OpenForReadingShared(wide);
    return file >= 0 ? 0 : errno;
}

int FileCreateNew(const std::string& path, FileHandle& file) {
    // The folder's inherited access rights stand for the owner-only mode of other systems.
    return Open(path, _O_WRONLY | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE, file);
}

int FileCreateNewOrdinary(const std::string& path, FileHandle& file) {
    return FileCreateNew(path, file);
}

int64_t FileRead(FileHandle file, void* buffer, size_t size) {
    return ::_read(file, buffer, static_cast<unsigned>(std::min<size_t>(size, INT_MAX)));
}

int FileWriteAll(FileHandle file, std::string_view bytes) {
    while (!bytes.empty()) {
        errno = 0;
        const int n = ::_write(file, bytes.data(),
                               static_cast<unsigned>(std::min<size_t>(bytes.size(), INT_MAX)));
        if (n <= 0) {
            return n == 0 ? EIO : ErrnoOr(EIO);
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
}

int FileSync(FileHandle file) {
    errno = 0;
    return ::_commit(file) == 0 ? 0 : ErrnoOr(EIO);
}

int FileClose(FileHandle file) {
    errno = 0;
    return ::_close(file) == 0 ? 0 : ErrnoOr(EIO);
}

int FileRename(const std::string& from, const std::string& to) {
    const std::wstring wideFrom = WidePath(from);
    const std::wstring wideTo = WidePath(to);
    if (wideFrom.empty() || wideTo.empty()) {
        return ENOENT;
    }
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : LastError();
}

int FileRemove(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        return ENOENT;
    }
    return DeleteFileW(wide.c_str()) ? 0 : LastError();
}

bool PathIsFree(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        return false;
    }
    if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

int FolderMake(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        return ENOENT;
    }
    if (CreateDirectoryW(wide.c_str(), nullptr)) {
        return 0;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        return LastError();
    }
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
               ? 0
               : ENOTDIR;
}

// The access rights of a folder are an access list that only an attempt reads reliably: a
// probe file is made, and goes again when closed.
bool FolderTakesFiles(const std::string& folder) {
    const std::wstring wide = WidePath(folder);
    if (wide.empty()) {
        return false;
    }
    std::wstring probe = wide;
    if (probe.back() != L'\\') {
        probe += L'\\';
    }
    probe += L".pemdaro-probe-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

// The write-through move of FileRename is on the disk when it returns.
int FolderSync(const std::string&) {
    return 0;
}
