#include "Holidays.h"

#include <cstdio>
#include <map>

#include "DateTime.h"

namespace {

// The law took effect on 20 July 1948; days before it are not holidays.
constexpr std::string_view kLawStart = "19480720";
// Substitute holidays from the amendment of 12 April 1973.
constexpr std::string_view kSubstituteStart = "19730412";
// A day between two holidays from the amendment of 27 December 1985.
constexpr std::string_view kBetweenStart = "19851227";
// The amendment of 2007 (昭和の日) also reworded both rules above.
constexpr std::string_view kRules2007 = "20070101";

// The name both the Cabinet Office's list and the law give substitute holidays and days
// between two holidays.
constexpr const char* kRestDay = "休日";

struct Day {
    std::string name;
    bool predicted = false;
    // A national holiday proper (国民の祝日), or a one-off day treated as one; not a
    // substitute holiday or a day between holidays.
    bool proper = true;
};

using DayMap = std::map<std::string, Day>;

std::string Ymd(int year, int month, int day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return text;
}

// The day of the month of its n-th Monday.
int NthMonday(int year, int month, int n) {
    const int firstWeekday = DateWeekday(Ymd(year, month, 1));
    return 1 + (8 - firstWeekday) % 7 + 7 * (n - 1);
}

std::optional<int> EquinoxDay(int year, double from1900, double from1980, double from2100) {
    if (year < 1900 || year > 2150) {
        return std::nullopt;
    }
    const double base = year < 1980 ? from1900 : year < 2100 ? from1980 : from2100;
    const int since1980 = year - 1980;
    // The leap days since 1980 round down, also before 1980: floor((y - 1980) / 4), the same
    // as the truncated (y - 1983) / 4 of the usual form for 1900 to 1979. A truncated
    // (y - 1980) / 4 would be one day early in three years out of four before 1980.
    const int leapDays = since1980 >= 0 ? since1980 / 4 : -((3 - since1980) / 4);
    return static_cast<int>(base + 0.242194 * since1980 - leapDays);
}

void AddProper(DayMap& days, int year, int month, int day, const char* name,
               bool predicted = false) {
    std::string date = Ymd(year, month, day);
    if (date < kLawStart) {
        return;
    }
    days.emplace(std::move(date), Day{name, predicted, true});
}

bool IsProper(const DayMap& days, const std::string& date) {
    const auto found = days.find(date);
    return found != days.end() && found->second.proper;
}

void AddNationalHolidays(DayMap& days, int y) {
    AddProper(days, y, 1, 1, "元日");
    if (y < 2000) {
        AddProper(days, y, 1, 15, "成人の日");
    } else {
        AddProper(days, y, 1, NthMonday(y, 1, 2), "成人の日");
    }
    if (y >= 1967) {
        AddProper(days, y, 2, 11, "建国記念の日");
    }
    if (y <= 1988) {
        AddProper(days, y, 4, 29, "天皇誕生日");
    } else if (y <= 2018) {
        AddProper(days, y, 12, 23, "天皇誕生日");
    } else if (y >= 2020) {
        AddProper(days, y, 2, 23, "天皇誕生日");
    }
    const bool equinoxPredicted = y > kLastAnnouncedEquinoxYear;
    if (const auto spring = SpringEquinoxDay(y)) {
        AddProper(days, y, 3, *spring, "春分の日", equinoxPredicted);
    }
    if (y >= 2007) {
        AddProper(days, y, 4, 29, "昭和の日");
        AddProper(days, y, 5, 4, "みどりの日");
    } else if (y >= 1989) {
        AddProper(days, y, 4, 29, "みどりの日");
    }
    AddProper(days, y, 5, 3, "憲法記念日");
    AddProper(days, y, 5, 5, "こどもの日");
    // Marine Day, Mountain Day and Sports Day moved for the Olympic Games in 2020 and 2021.
    if (y == 2020) {
        AddProper(days, y, 7, 23, "海の日");
    } else if (y == 2021) {
        AddProper(days, y, 7, 22, "海の日");
    } else if (y >= 2003) {
        AddProper(days, y, 7, NthMonday(y, 7, 3), "海の日");
    } else if (y >= 1996) {
        AddProper(days, y, 7, 20, "海の日");
    }
    if (y == 2020) {
        AddProper(days, y, 8, 10, "山の日");
    } else if (y == 2021) {
        AddProper(days, y, 8, 8, "山の日");
    } else if (y >= 2016) {
        AddProper(days, y, 8, 11, "山の日");
    }
    if (y >= 2003) {
        AddProper(days, y, 9, NthMonday(y, 9, 3), "敬老の日");
    } else if (y >= 1966) {
        AddProper(days, y, 9, 15, "敬老の日");
    }
    if (const auto autumn = AutumnEquinoxDay(y)) {
        AddProper(days, y, 9, *autumn, "秋分の日", equinoxPredicted);
    }
    if (y == 2020) {
        AddProper(days, y, 7, 24, "スポーツの日");
    } else if (y == 2021) {
        AddProper(days, y, 7, 23, "スポーツの日");
    } else if (y >= 2020) {
        AddProper(days, y, 10, NthMonday(y, 10, 2), "スポーツの日");
    } else if (y == 2019) {
        // The renaming was law but not yet in force; the Cabinet Office's list names the
        // day with both names.
        AddProper(days, y, 10, NthMonday(y, 10, 2), "体育の日（スポーツの日）");
    } else if (y >= 2000) {
        AddProper(days, y, 10, NthMonday(y, 10, 2), "体育の日");
    } else if (y >= 1966) {
        AddProper(days, y, 10, 10, "体育の日");
    }
    AddProper(days, y, 11, 3, "文化の日");
    AddProper(days, y, 11, 23, "勤労感謝の日");
}

// Days made holidays by laws of their own, named as the Cabinet Office's list names them.
// Those of 2019 count as national holidays for the rule on days between holidays (which
// makes 30 April and 2 May 2019 holidays); the older ones never had a holiday beside them.
void AddOneOffDays(DayMap& days, int y) {
    switch (y) {
        case 1959:
            AddProper(days, y, 4, 10, "結婚の儀");  // 皇太子明仁親王の結婚の儀
            break;
        case 1989:
            AddProper(days, y, 2, 24, "大喪の礼");  // 昭和天皇の大喪の礼
            break;
        case 1990:
            AddProper(days, y, 11, 12, "即位礼正殿の儀");
            break;
        case 1993:
            AddProper(days, y, 6, 9, "結婚の儀");  // 皇太子徳仁親王の結婚の儀
            break;
        case 2019:
            AddProper(days, y, 5, 1, "休日（祝日扱い）");    // 天皇の即位の日
            AddProper(days, y, 10, 22, "休日（祝日扱い）");  // 即位礼正殿の儀
            break;
        default:
            break;
    }
}

// 振替休日: a national holiday on a Sunday makes the next day a holiday; from 2007 the
// next day that is not itself a national holiday.
void AddSubstituteHolidays(DayMap& days) {
    DayMap added;
    for (const auto& [date, day] : days) {
        if (!day.proper || date < kSubstituteStart || DateWeekday(date) != 0) {
            continue;
        }
        std::string next = DateAddDays(date, 1);
        if (date >= kRules2007) {
            while (IsProper(days, next)) {
                next = DateAddDays(next, 1);
            }
        } else if (days.count(next) != 0) {
            continue;
        }
        if (!next.empty()) {
            added.emplace(next, Day{kRestDay, day.predicted, false});
        }
    }
    days.merge(added);
}

// 国民の休日: a day whose day before and day after are national holidays. Until 2006 the
// law left out Sundays and substitute holidays; from 2007 only national holidays, and a
// day that is already a holiday stays what it is.
void AddDaysBetweenHolidays(DayMap& days) {
    DayMap added;
    for (const auto& [date, day] : days) {
        if (!day.proper) {
            continue;
        }
        const std::string between = DateAddDays(date, 1);
        const std::string after = DateAddDays(date, 2);
        if (between.empty() || between < kBetweenStart || days.count(between) != 0 ||
            !IsProper(days, after)) {
            continue;
        }
        if (between < kRules2007 && DateWeekday(between) == 0) {
            continue;
        }
        added.emplace(between, Day{kRestDay, day.predicted || days.at(after).predicted, false});
    }
    days.merge(added);
}

}  // namespace

std::optional<int> SpringEquinoxDay(int year) {
    return EquinoxDay(year, 20.8357, 20.8431, 21.8510);
}

std::optional<int> AutumnEquinoxDay(int year) {
    return EquinoxDay(year, 23.2588, 23.2488, 24.2488);
}

std::vector<DatedHoliday> HolidaysOfYear(int year) {
    std::vector<DatedHoliday> result;
    if (year < 1948 || year > 9999) {
        return result;
    }
    DayMap days;
    AddNationalHolidays(days, year);
    AddOneOffDays(days, year);
    AddSubstituteHolidays(days);
    AddDaysBetweenHolidays(days);
    result.reserve(days.size());
    for (auto& [date, day] : days) {
        // A substitute for 31 December would fall into the next year; no holiday does.
        if (date.compare(0, 4, Ymd(year, 1, 1), 0, 4) == 0) {
            result.push_back({date, Holiday{std::move(day.name), day.predicted}});
        }
    }
    return result;
}

std::optional<Holiday> NationalHoliday(std::string_view date) {
    if (date.size() < 8) {
        return std::nullopt;
    }
    const std::string value(date.substr(0, 8));
    // DateAddDays refuses dates that do not exist and those outside 1000 to 9999.
    if (DateAddDays(value, 0).empty()) {
        return std::nullopt;
    }
    const int year = std::stoi(value.substr(0, 4));
    for (DatedHoliday& h : HolidaysOfYear(year)) {
        if (h.date == value) {
            return std::move(h.holiday);
        }
    }
    return std::nullopt;
}

std::optional<Holiday> NationalHoliday(int year, int month, int day) {
    if (year < 1000 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) {
        return std::nullopt;
    }
    return NationalHoliday(Ymd(year, month, day));
}
