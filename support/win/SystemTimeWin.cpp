#include "SystemTime.h"

std::tm LocalTimeOf(std::time_t time) {
    std::tm local{};
    ::localtime_s(&local, &time);
    return local;
}

std::tm UtcTimeOf(std::time_t time) {
    std::tm utc{};
    ::gmtime_s(&utc, &time);
    return utc;
}

std::time_t TimeOfUtc(std::tm parts) {
    return ::_mkgmtime(&parts);
}
