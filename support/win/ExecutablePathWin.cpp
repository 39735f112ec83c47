#include <windows.h>

#include <string>

#include "ExecutablePath.h"
#include "WidePath.h"

// The path of the running program from GetModuleFileNameW, in UTF-8 with '/' between its
// parts; empty when it cannot be read (or was cut at a buffer that long paths overflow).
std::string ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (size == 0) {
            return {};
        }
        if (size < path.size()) {
            path.resize(size);
            return Utf8Path(path);
        }
        if (path.size() >= 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}
