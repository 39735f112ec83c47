// UTF-8 paths and texts as the UTF-16 of the Windows API, and back. The program's paths
// are UTF-8 on every system; on Windows they reach the file system only through the
// wide-character calls, so a folder with a Japanese name works whatever the ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The text in the code page (CP_UTF8, 932) as UTF-16, strictly (MB_ERR_INVALID_CHARS):
// nullopt for bytes that are not of it.
std::optional<std::wstring> MultiByteToWide(unsigned codePage, std::string_view text);
// Strict: nullopt for bytes that are not UTF-8.
std::optional<std::wstring> Utf8ToWide(std::string_view utf8);
// Strict: nullopt for a lone surrogate.
std::optional<std::string> WideToUtf8(std::wstring_view wide);

// The path for the wide-character calls: '/' becomes '\'. An empty string for a path
// that is not UTF-8, which no call finds.
std::wstring WidePath(std::string_view utf8Path);
// A path from the system in the program's form: UTF-8 with '/' between its parts.
std::string Utf8Path(std::wstring_view widePath);

// The errno for a failed open of `widePath`: the C runtime's own, except EISDIR for a
// folder (where the C runtime says EACCES).
int OpenErrno(const std::wstring& widePath, int runtimeErrno);

// Opens an existing file for reading as a C runtime descriptor, shared for reading, writing
// and deletion: another program may replace the file by a rename (as saves do) or remove
// it while it is read, as on other systems, and the read goes on with the file it opened.
// The C runtime's own open would refuse them that. -1 with errno set (OpenErrno) on failure.
int OpenForReadingShared(const std::wstring& widePath);

// The errno that stands for a Windows error code (GetLastError), so that the program's
// texts for a full disk, a refused access and the rest serve on Windows too; EIO for the
// codes without one.
int ErrnoFromWindowsError(unsigned long error);
