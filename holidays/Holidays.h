// Japan's national holidays, computed from the law (国民の祝日に関する法律 and its
// amendments, and the laws made for single days); no data is read at run time.
//
// Covered: every day from 20 July 1948, when the law took effect (earlier days are never
// holidays), to 31 December 9999. Each amendment counts from the day it took effect: the
// fixed days and the Monday rules, the era's emperor's birthday, the Olympic moves of 2020
// and 2021, substitute holidays from 12 April 1973 (the rule of 2007 from 2007 on), days
// between two holidays from 27 December 1985.
//
// Names are UTF-8 and spelled as the Cabinet Office's list spells them: a substitute holiday
// (振替休日) and a day between two holidays (国民の休日) are both "休日"; the one-off days
// are "結婚の儀", "大喪の礼", "即位礼正殿の儀" and "休日（祝日扱い）"; the second Monday of
// October 2019 is "体育の日（スポーツの日）".
//
// The vernal and autumnal equinox days (春分の日, 秋分の日) are fixed by the Cabinet Office
// each February for the following year only. Later ones come from the usual approximation,
// valid for 1900 to 2150, and are marked predicted, as are the substitute holidays and days
// between holidays that follow from a predicted day. After 2150 there is no equinox holiday
// at all (the approximation does not reach that far); the other holidays go on.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The last year whose equinox days the Cabinet Office has announced (in its February
// announcement of the year before). Raise it every February; a unit test fails when it
// has fallen behind.
inline constexpr int kLastAnnouncedEquinoxYear = 2027;

struct Holiday {
    std::string nameUtf8;
    // True when the day rests on an equinox day not yet announced.
    bool predicted = false;
};

struct DatedHoliday {
    std::string date;  // YYYYMMDD
    Holiday holiday;
};

// The holiday on that day, or nullopt for an ordinary day or a date that does not exist.
std::optional<Holiday> NationalHoliday(int year, int month, int day);
// The same for a date value YYYYMMDD (only its first eight bytes are read); nullopt when
// it is not a real date.
std::optional<Holiday> NationalHoliday(std::string_view date);
// Every holiday of the year in date order; empty before 1948 and after 9999.
std::vector<DatedHoliday> HolidaysOfYear(int year);

// The day in March (spring) or September (autumn) of the equinox day by the approximation,
// whether announced yet or not; nullopt outside 1900 to 2150.
std::optional<int> SpringEquinoxDay(int year);
std::optional<int> AutumnEquinoxDay(int year);
