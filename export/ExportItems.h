// The entries of the schedule as the exports write them: every timed entry, every period
// run once and every holiday or paid-leave mark, in date order. Read through the schedule
// model alone; the iCalendar and spreadsheet writers (IcsExport.h, CsvExport.h) only
// format them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CScheduleModel;

enum class ExportKind {
    kHoliday,    // "祝日・特別休日"
    kPaidLeave,  // "計画有給休暇日"
    kPeriod,     // a period run
    kTimed,      // a timed entry
};

struct ExportItem {
    ExportKind kind = ExportKind::kTimed;
    std::string first;  // YYYYMMDD: the day, or a period's first day
    std::string last;   // YYYYMMDD: the day, or a period's last day
    int slot = -1;      // 0 to 3 for a timed entry, else -1
    std::string from;   // a timed entry's times as the table holds them (HHMM, or the cell)
    std::string to;
    std::string text;  // CP932 as the table holds it; empty for the marks
};

// The first and last day exported, YYYYMMDD, both included.
struct ExportRange {
    std::string from = "00000000";
    std::string to = "99999999";
};

// Every entry of the days from range.from to range.to. A period is taken once, whole,
// when any of its days lies in the range (so a run across the range's start keeps its
// real first day). Per day: the holiday mark, the paid-leave mark, the periods that start
// that day, then the timed entries by slot.
std::vector<ExportItem> CollectExportItems(const CScheduleModel& model, const ExportRange& range);

// A time cell as HHMM when it is one: four digits from 0000 to 2359, or 2400. Hours and
// minutes in *hours and *minutes.
bool ExportTimeOf(std::string_view cell, int* hours, int* minutes);

// A 64-bit FNV-1a hash of the entry's date (a period's first day), kind or slot and text,
// as 16 hex digits: the same entry gives the same text in every export, and a period whose
// end moved keeps it.
std::string ExportEntryKey(const ExportItem& item);
