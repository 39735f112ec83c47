#include <windows.h>

#include <cstdio>

#include "CommandRun.h"

namespace {

bool Leads(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void UseCallersConsole() {
    // A window program started from a console gets no console of its own, and its standard
    // streams lead nowhere unless the caller redirected them; a stream that leads somewhere
    // (a file, a pipe) is kept.
    const bool out = Leads(STD_OUTPUT_HANDLE);
    const bool err = Leads(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    if (!out) {
        (void)std::freopen("CONOUT$", "w", stdout);
    }
    if (!err) {
        (void)std::freopen("CONOUT$", "w", stderr);
    }
}
