// The application's name as message boxes show it: the executable's file name without
// its extension.
#pragma once

#include <string>
#include <string_view>

namespace fw {

// The last path component (after '/' or '\\') up to its last '.'; a name that only begins
// with a dot keeps it. "/opt/pemdaro/bin/pemdaro" gives "pemdaro", "C:\\x\\Kelnova.exe"
// gives "Kelnova".
std::string AppNameFromPath(std::string_view path);

}  // namespace fw
