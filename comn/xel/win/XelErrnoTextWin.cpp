#include <cstring>

#include "XelSaveError.h"

// The C runtime of Windows describes errnos in English whatever the user's language.
std::string DbErrnoText(int errnoValue) {
    const char* text = std::strerror(errnoValue);
    return text != nullptr ? text : "error " + std::to_string(errnoValue);
}
