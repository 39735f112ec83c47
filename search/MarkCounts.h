// The counts a Japanese employee is asked for: the planned paid-leave days ("計画有給休暇日"
// marks) and the marked holidays ("祝日・特別休日" marks), per month and per fiscal year
// (April to March; the fiscal year 2024 runs from April 2024 to March 2025). Only the
// marks of the schedule count, not the national holidays the month view computes.
#pragma once

#include <array>
#include <string_view>
#include <vector>

class CScheduleModel;

struct MarkCounts {
    int paidLeave = 0;
    int holidays = 0;
    friend bool operator==(const MarkCounts&, const MarkCounts&) = default;
};

struct FiscalYearCounts {
    int fiscalYear = 0;                 // the year its April belongs to
    std::array<MarkCounts, 12> months;  // [0] April to [11] March of the next year
    MarkCounts total;
};

// The fiscal year of a date YYYYMMDD: its year from April on, the year before until March.
int FiscalYearOf(std::string_view date);
// The calendar month of months[index]: 4 for index 0, 3 for index 11.
inline int FiscalMonth(int index) {
    return (index + 3) % 12 + 1;
}

// The counts of the fiscal years first to last (both included), one walk over their days.
// A day that holds both marks (a file edited by hand) counts for both.
std::vector<FiscalYearCounts> CountMarks(const CScheduleModel& model, int firstFiscalYear,
                                         int lastFiscalYear);
