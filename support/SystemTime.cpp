#include "SystemTime.h"

std::tm LocalTimeOf(std::time_t time) {
    std::tm local{};
    ::localtime_r(&time, &local);
    return local;
}

std::tm UtcTimeOf(std::time_t time) {
    std::tm utc{};
    ::gmtime_r(&time, &utc);
    return utc;
}

std::time_t TimeOfUtc(std::tm parts) {
    return ::timegm(&parts);
}
