#include "DayTooltip.h"

#include "Cp932.h"
#include "DateTime.h"

namespace {

std::string Cp932(const char* utf8) {
    return Utf8ToCp932(utf8).value_or("");
}

// "09:30-10:00 text", "09:30- text", "-10:00 text", or the text alone without times. A
// time cell the table holds in another form shows as nothing, as in the month's row.
std::string EntryLine(const TimedEntry& entry) {
    if (entry.from.empty() && entry.to.empty()) {
        return entry.text;
    }
    return TimeFormat(kTimePattern, entry.from) + "-" + TimeFormat(kTimePattern, entry.to) + " " +
           entry.text;
}

std::string DateLine(const std::string& date) {
    return DateFormat(kDatePatternJa, date).value_or(date);
}

}  // namespace

std::string DayTooltipText(const DayContent& day, const std::string& nationalHoliday) {
    std::string lines;
    const auto add = [&lines](const std::string& line) {
        lines += '\n';
        lines += line;
    };
    for (const TimedEntry& entry : day.slots) {
        if (!entry.IsFree()) {
            add(EntryLine(entry));
        }
    }
    if (day.period.n > 0) {
        add(Cp932("期間：") + day.period.text);
        add(DateLine(day.period.first) + Cp932("～") + DateLine(day.period.last));
    }
    if (day.holiday) {
        add(Cp932("祝日・特別休日"));
    }
    if (day.paidLeave) {
        add(Cp932("計画有給休暇日"));
    }
    if (lines.empty() && nationalHoliday.empty()) {
        return std::string();
    }
    std::string text = DateLine(day.date);
    if (!nationalHoliday.empty()) {
        text += "  " + nationalHoliday;
    }
    return text + lines;
}
