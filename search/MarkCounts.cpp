#include "MarkCounts.h"

#include "DateTime.h"
#include "ScheduleModel.h"

namespace {

int YearOf(std::string_view date) {
    int year = 0;
    for (size_t i = 0; i < 4 && i < date.size(); ++i) {
        year = year * 10 + (date[i] - '0');
    }
    return year;
}

}  // namespace

int FiscalYearOf(std::string_view date) {
    return DateMonth(date) >= 4 ? YearOf(date) : YearOf(date) - 1;
}

std::vector<FiscalYearCounts> CountMarks(const CScheduleModel& model, int firstFiscalYear,
                                         int lastFiscalYear) {
    std::vector<FiscalYearCounts> years;
    if (lastFiscalYear < firstFiscalYear) {
        return years;
    }
    for (int year = firstFiscalYear; year <= lastFiscalYear; ++year) {
        years.push_back({year, {}, {}});
    }
    // The dates run from 1000 to 9999: a fiscal year outside them counts only its days
    // inside.
    const std::string from =
        firstFiscalYear < 1000 ? "10000101" : ScheduleDate(firstFiscalYear, 4, 1);
    const std::string to =
        lastFiscalYear >= 9999 ? "99991231" : ScheduleDate(lastFiscalYear + 1, 3, 31);
    model.ForEachDay(from, to, [&](const DayContent& day) {
        if (!day.holiday && !day.paidLeave) {
            return;
        }
        const int fiscalYear = FiscalYearOf(day.date);
        if (fiscalYear < firstFiscalYear || fiscalYear > lastFiscalYear) {
            return;
        }
        FiscalYearCounts& year = years[fiscalYear - firstFiscalYear];
        MarkCounts& month = year.months[(DateMonth(day.date) + 8) % 12];
        month.paidLeave += day.paidLeave ? 1 : 0;
        month.holidays += day.holiday ? 1 : 0;
        year.total.paidLeave += day.paidLeave ? 1 : 0;
        year.total.holidays += day.holiday ? 1 : 0;
    });
    return years;
}
