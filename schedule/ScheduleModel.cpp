#include "ScheduleModel.h"

#include <algorithm>
#include <cerrno>

#include "DateTime.h"
#include "PeriodSpan.h"
#include "Schedule.h"
#include "XelDatabase.h"
#include "XelSaveError.h"

namespace {

// Writes the new period; the old run is gone by now.
DayWriteOutcome WritePeriod(DbTable* table, const DayContent& before, const DayContent& after) {
    DayWriteOutcome outcome;
    const std::string& text = after.period.text;
    if (text.empty()) {
        return outcome;
    }
    const std::string& first = after.period.first;
    const std::string& last = after.period.last;
    if (ScheduleIsDate(first) && ScheduleIsDate(last) && first <= last) {
        outcome.periodRowsWritten =
            ScheduleWritePeriod(table, first, last, text, MaxPeriodDays(before));
        outcome.period = PeriodWritten::kAsEntered;
    } else {
        // The text the user typed is kept where they typed it, and no row ever gets a
        // made-up or malformed DATE.
        outcome.periodRowsWritten = ScheduleWritePeriod(table, before.date, before.date, text, 1);
        outcome.period = PeriodWritten::kThisDayAlone;
    }
    return outcome;
}

SaveFailure FailureOf(const DbSaveError& why) {
    if (!why.Failed()) {
        return {};
    }
    return {DbSaveStepName(why.step), why.errnoValue, DbSaveErrorText(why)};
}

bool HoldsAnything(const DayContent& day) {
    return day.period.n > 0 || day.holiday || day.paidLeave ||
           std::any_of(day.slots.begin(), day.slots.end(),
                       [](const TimedEntry& e) { return !e.IsFree(); });
}

}  // namespace

int MaxPeriodDays(const DayContent& before) {
    return std::max(kMaxPeriodDays, before.period.n);
}

CScheduleModel::~CScheduleModel() {
    Close(false);
}

bool CScheduleModel::Open(const std::string& dataFolder) {
    Close(false);
    DbRegistry& registry = DbKelnovaRegistry();
    DbSetRegistry(&registry);
    registry.dataFolder = dataFolder;
    m_table = DbOpenTable(kScheduleTable);
    m_bUnsaved = false;
    TakeStamp();
    m_dataFolder = dataFolder;
    m_bLooksLikeSchedule = m_table == nullptr || FileHasScheduleHeader(FilePath());
    m_bBackupDue = m_bBackupDue || FilePath() != m_backedUpPath || !m_bLooksLikeSchedule;
    return m_table != nullptr;
}

std::string CScheduleModel::FilePath() const {
    return m_table == nullptr ? std::string() : DbTablePath(m_table);
}

void CScheduleModel::TakeStamp() {
    m_stamp = m_table == nullptr ? FileStamp{} : FileStampOf(DbTablePath(m_table));
}

DayContent CScheduleModel::ReadDay(const std::string& date) const {
    if (m_table == nullptr || !ScheduleIsDate(date)) {
        DayContent empty;
        empty.date = date;
        return empty;
    }
    DayContent day = ScheduleReadDay(m_table, date);
    day.period = FindPeriodSpan(m_table, date);
    return day;
}

MonthContent CScheduleModel::ReadMonth(int year, int month) const {
    MonthContent content;
    content.year = year;
    content.month = month;
    if (m_table == nullptr) {
        return content;
    }
    CMonthPeriods periods(m_table);
    for (int d = 1; d <= 31; ++d) {
        const std::string date = ScheduleDate(year, month, d);
        if (!ScheduleIsDate(date)) {
            break;
        }
        content.days.push_back({ScheduleReadDay(m_table, date), periods.Of(date)});
    }
    return content;
}

void CScheduleModel::ForEachDay(const std::string& from, const std::string& to,
                                const std::function<void(const DayContent&)>& visit) const {
    if (m_table == nullptr) {
        return;
    }
    std::vector<std::string> dates;
    for (int32_t row = 0, n = DbRowCount(m_table); row < n; ++row) {
        const std::string_view date = DbGetCell(m_table, row, kColDate);
        if (date >= from && date <= to && ScheduleIsDate(date)) {
            dates.emplace_back(date);
        }
    }
    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());

    // The last run found, for the day `runDay`: the later days of that run in the same
    // month share it (its middle day is the one of the asked day's month).
    PeriodSpan run;
    std::string runDay;
    for (const std::string& date : dates) {
        DayContent day = ScheduleReadDay(m_table, date);
        const int32_t periodRow = ScheduleFindPeriodRow(m_table, date);
        if (periodRow >= 0) {
            const std::string_view text = DbGetCell(m_table, periodRow, kColYotei);
            const bool sameRun = run.n > 0 && text == run.text && date <= run.last &&
                                 date.compare(0, 6, runDay, 0, 6) == 0;
            if (!sameRun) {
                run = FindPeriodSpan(m_table, date);
                runDay = date;
            }
            day.period = run;
        }
        if (HoldsAnything(day)) {
            visit(day);
        }
    }
}

DayWriteOutcome CScheduleModel::WriteDay(const DayContent& before, const DayContent& after) {
    const std::string& date = before.date;
    if (m_table == nullptr || !ScheduleIsDate(date)) {
        return {};
    }
    int removed = 0;
    if (before.period.n > 0) {
        removed = ScheduleRemovePeriodRun(m_table, before.period.first, before.period.n,
                                          before.period.text);
    }
    DayWriteOutcome outcome = WritePeriod(m_table, before, after);
    outcome.periodRowsRemoved = removed;
    for (int k = 0; k < kSlotCount; ++k) {
        ScheduleWriteSlot(m_table, date, k, after.slots[k]);
    }
    ScheduleWriteMarks(m_table, date, after.holiday, after.paidLeave);
    m_bUnsaved = true;
    return outcome;
}

bool CScheduleModel::FileChangedOnDisk() const {
    return m_table != nullptr && FileStampOf(DbTablePath(m_table)) != m_stamp;
}

bool CScheduleModel::Save() {
    if (m_table == nullptr) {
        return false;
    }
    if (!BackUpBeforeFirstWrite()) {
        return false;
    }
    DbSaveError why;
    const bool saved = DbWriteTable(kScheduleTable, &why) >= 0;
    m_lastFailure = FailureOf(why);
    if (!saved) {
        return false;
    }
    m_bUnsaved = false;
    TakeStamp();
    return true;
}

bool CScheduleModel::Close(bool save) {
    if (m_table == nullptr) {
        return true;
    }
    const bool mayWrite = !save || BackUpBeforeFirstWrite();
    DbSaveError why;
    const bool closed = DbCloseTable(kScheduleTable, save && mayWrite ? 1 : 0, &why) >= 0;
    if (mayWrite) {
        m_lastFailure = FailureOf(why);
    }
    m_table = nullptr;
    m_bUnsaved = false;
    m_stamp = {};
    return closed && mayWrite;
}

bool CScheduleModel::BackUpBeforeFirstWrite() {
    m_backupFailure = {};
    if (!m_bBackupDue) {
        return true;
    }
    m_backupFailure = BackUpTable(FilePath(), m_backupClock).failure;
    if (m_backupFailure.Failed() && !m_bLooksLikeSchedule) {
        // Another program's file, or a damaged one, is the only copy of what it holds: it
        // is not written over without its backup (which the next save tries again).
        m_lastFailure = {"backup of a file not in the table's format", m_backupFailure.errnoValue,
                         "予定表の形式ではないデータファイルのバックアップを作成できないため、"
                         "書き込みませんでした。"};
        return false;
    }
    // A table file's backup is tried once a run: a failure is reported once, and the save
    // goes on.
    m_bBackupDue = false;
    m_backedUpPath = FilePath();
    return true;
}

bool CScheduleModel::RestoreBackup(const std::string& backupPath) {
    m_backupFailure = {};
    if (m_table == nullptr) {
        m_backupFailure = {"restore a backup", backupPath, EBADF,
                           "データファイルが開かれていません。"};
        return false;
    }
    if (m_bUnsaved && !Save()) {
        m_backupFailure = {"save the changes first", FilePath(), m_lastFailure.errnoValue,
                           FilePath() + ": " + m_lastFailure.reason};
        return false;
    }
    const std::string table = FilePath();
    m_backupFailure = ::RestoreBackup(table, backupPath, m_backupClock);
    if (m_backupFailure.Failed()) {
        return false;
    }
    // The file replaced is a backup now: the restored one needs none of its own.
    m_backedUpPath = table;
    m_bBackupDue = false;
    if (!Open(m_dataFolder)) {
        m_backupFailure = {"read the restored table", table, EIO,
                           table + ": 復元したファイルを読めませんでした。"};
        return false;
    }
    return true;
}
