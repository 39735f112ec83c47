#include "WidePath.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdint>

std::optional<std::wstring> MultiByteToWide(unsigned codePage, std::string_view text) {
    if (text.empty()) {
        return std::wstring();
    }
    if (text.size() > INT_MAX) {
        return std::nullopt;
    }
    const int inSize = static_cast<int>(text.size());
    const int size =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), inSize, nullptr, 0);
    if (size <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<size_t>(size), L'\0');
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), inSize, wide.data(),
                            size) != size) {
        return std::nullopt;
    }
    return wide;
}

std::optional<std::wstring> Utf8ToWide(std::string_view utf8) {
    return MultiByteToWide(CP_UTF8, utf8);
}

std::optional<std::string> WideToUtf8(std::wstring_view wide) {
    if (wide.empty()) {
        return std::string();
    }
    if (wide.size() > INT_MAX) {
        return std::nullopt;
    }
    const int inSize = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), inSize,
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return std::nullopt;
    }
    std::string utf8(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), inSize, utf8.data(), size,
                            nullptr, nullptr) != size) {
        return std::nullopt;
    }
    return utf8;
}

std::wstring WidePath(std::string_view utf8Path) {
    std::wstring wide = Utf8ToWide(utf8Path).value_or(std::wstring());
    for (wchar_t& c : wide) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return wide;
}

std::string Utf8Path(std::wstring_view widePath) {
    std::string path = WideToUtf8(widePath).value_or(std::string());
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}

int OpenErrno(const std::wstring& widePath, int runtimeErrno) {
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return EISDIR;
    }
    return runtimeErrno != 0 ? runtimeErrno : EIO;
}

int OpenForReadingShared(const std::wstring& widePath) {
    const HANDLE handle = CreateFileW(widePath.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = OpenErrno(widePath, ErrnoFromWindowsError(GetLastError()));
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        errno = EMFILE;
    }
    return fd;
}

int ErrnoFromWindowsError(unsigned long error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_PRIVILEGE_NOT_HELD:
            return EACCES;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_NO_UNICODE_TRANSLATION:
            return ENOENT;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_NOT_SUPPORTED:
        case ERROR_CALL_NOT_IMPLEMENTED:
            return ENOSYS;
        default:
            return EIO;
    }
}
