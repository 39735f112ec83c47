#include <locale.h>

#include <cstring>

#include "XelSaveError.h"

std::string DbErrnoText(int errnoValue) {
    // The "C" locale's messages are the English ones, whatever locale the program set.
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    if (c == locale_t{}) {
        return "error " + std::to_string(errnoValue);
    }
    return ::strerror_l(errnoValue, c);
}
