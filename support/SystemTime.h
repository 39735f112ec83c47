// The C library's conversions between a time and its calendar parts, under one name on
// every system.
#pragma once

#include <ctime>

// The local time of `time`.
std::tm LocalTimeOf(std::time_t time);
// The UTC parts of `time`.
std::tm UtcTimeOf(std::time_t time);
// The time that UTC parts stand for (fields out of range are carried, as by mktime).
std::time_t TimeOfUtc(std::tm parts);
