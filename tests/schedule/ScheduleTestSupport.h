// Shared helpers of the schedule tests: a loaded, empty schedule table in a private data
// folder with the schedule model open on it, and row lines of each kind.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "../xel/XelTestSupport.h"
#include "DateTime.h"
#include "Schedule.h"
#include "ScheduleModel.h"
#include "XelDatabase.h"

namespace caltest {

using Cells = std::vector<std::string>;

inline std::string SlotLine(const std::string& date, const std::string& from, const std::string& to,
                            int slot, const std::string& text) {
    return date + "," + from + "," + to + "," + std::to_string(slot + 1) + "," + text + ",";
}
inline std::string PeriodLine(const std::string& date, const std::string& text) {
    return date + ",,,0," + text + ",";
}
inline std::string MarkLine(const std::string& date, const std::string& mark) {
    return date + ",,,,," + mark;
}

class ScheduleTest : public xeltest::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        testing::internal::CaptureStdout();  // the warning about the new, empty file
        m_table = DbOpenTable(kScheduleTable);
        testing::internal::GetCapturedStdout();
        ASSERT_NE(m_table, nullptr);
        // The model takes the table already loaded: rows added through m_table are the
        // model's rows.
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
    }
    void TearDown() override {
        m_model.Close(false);
        DbCloseTable(kScheduleTable, 0);
        StoreTest::TearDown();
    }

    void Add(const std::string& line) { DbAddRow(m_table, line); }
    void AddLines(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            Add(line);
        }
    }
    // One period row for every day from first to last.
    void AddPeriod(const std::string& first, const std::string& last, const std::string& text);

    // The table's rows in a fixed order, for comparisons where row order carries no
    // meaning.
    std::vector<Cells> SortedRows() const {
        std::vector<Cells> rows = xeltest::Rows(m_table);
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    // Dates of the period rows with this text, ascending.
    std::vector<std::string> PeriodDays(const std::string& text) const {
        std::vector<std::string> days;
        for (const Cells& row : xeltest::Rows(m_table)) {
            if (row[3] == "0" && row[4] == text) {
                days.push_back(row[0]);
            }
        }
        std::sort(days.begin(), days.end());
        return days;
    }

    DbTable* m_table = nullptr;
    CScheduleModel m_model;
};

// Dates from first to last, ascending.
inline std::vector<std::string> DaysFromTo(const std::string& first, const std::string& last) {
    std::vector<std::string> days;
    for (std::string day = first; !day.empty() && day <= last; day = DateAddDays(day, 1)) {
        days.push_back(day);
    }
    return days;
}

inline void ScheduleTest::AddPeriod(const std::string& first, const std::string& last,
                                    const std::string& text) {
    for (const std::string& day : DaysFromTo(first, last)) {
        Add(PeriodLine(day, text));
    }
}

}  // namespace caltest

inline void PrintTo(const TimedEntry& entry, std::ostream* out) {
    *out << "{\"" << entry.from << "\", \"" << entry.to << "\", \"" << entry.text << "\"}";
}
