#include "ScheduleModel.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <thread>

#include "DateTime.h"
#include "PathText.h"
#include "PeriodSpan.h"
#include "Schedule.h"
#include "SystemTime.h"
#include "TablePrefetch.h"
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

// Whether two reads of one day hold the same: slots, period (text and dates) and marks.
bool SameDay(const DayContent& a, const DayContent& b) {
    return a.slots == b.slots && a.period.text == b.period.text &&
           a.period.first == b.period.first && a.period.last == b.period.last &&
           a.holiday == b.holiday && a.paidLeave == b.paidLeave;
}

// "20261207-174501": the local time, for the names of copies.
std::string TimeStampText() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = LocalTimeOf(now);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// Whether the file at path is no longer the one stamped (FileChangedOnDisk).
bool ChangedSince(const std::string& path, const FileStamp& stamp, bool settled,
                  int64_t stampedStatusNs, const std::optional<uint64_t>& hash, bool checkContent) {
    int64_t statusChangedNs = 0;
    if (FileStampOf(path, &statusChangedNs) != stamp) {
        return true;
    }
    if (!checkContent || !stamp.exists) {
        return false;
    }
    if (settled && statusChangedNs == stampedStatusNs) {
        return false;
    }
    return FileContentHash(path) != hash;
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

// The table written to its file: whether it was, why not, and the new file's stamp and
// the hash of its bytes as they were written (no second read of the file).
struct CScheduleModel::TableWrite {
    bool saved = false;
    DbSaveError why;
    FileStamp stamp;
    int64_t statusChangedNs = 0;
    uint64_t hash = 0;
};

CScheduleModel::TableWrite CScheduleModel::WriteTableFile(const std::string& path) {
    TableWrite result;
    ContentHasher written;
    result.saved = DbWriteTable(kScheduleTable, &result.why,
                                [&written](std::string_view piece) { written.Add(piece); }) >= 0;
    if (result.saved) {
        result.stamp = FileStampOf(path, &result.statusChangedNs);
        result.hash = written.Finish();
    }
    return result;
}

// The inputs are set on the owner's thread before the worker starts; the worker writes
// the outcome, which the owner reads only after joining it.
struct CScheduleModel::BackgroundSave {
    std::string path;
    FileStamp stamp;
    bool settled = false;
    int64_t statusChangedNs = 0;
    std::optional<uint64_t> hash;
    bool backupDue = false;
    bool looksLikeSchedule = true;
    BackupClock backupClock;
    std::function<void()> done;

    bool changedOnDisk = false;  // nothing was written: the owner saves as Save() does
    BackupStep backup;
    TableWrite written;

    std::thread thread;

    void Run() {
        if (ChangedSince(path, stamp, settled, statusChangedNs, hash, true) &&
            FileStampOf(path).exists) {
            changedOnDisk = true;
        } else {
            backup = TakeBackupIfDue(path, backupDue, looksLikeSchedule, backupClock);
            if (!backup.refused) {
                written = WriteTableFile(path);
            }
        }
        if (done) {
            done();
        }
    }
};

CScheduleModel::CScheduleModel() = default;

CScheduleModel::~CScheduleModel() {
    Close(false);
}

bool CScheduleModel::Open(const std::string& dataFolder) {
    return OpenTable(dataFolder, false, nullptr);
}

bool CScheduleModel::Open(const std::string& dataFolder, CTablePrefetch& prefetch) {
    return OpenTable(dataFolder, false, &prefetch);
}

bool CScheduleModel::OpenForReading(const std::string& dataFolder) {
    return OpenTable(dataFolder, true, nullptr);
}

bool CScheduleModel::OpenTable(const std::string& dataFolder, bool forReading,
                               CTablePrefetch* prefetch) {
    Close(false);
    m_bForReading = forReading;
    if (forReading) {
        m_bReadOnly = true;
    }
    DbRegistry& registry = DbKelnovaRegistry();
    DbSetRegistry(&registry);
    registry.dataFolder = dataFolder;
    m_strFolder = dataFolder;
    std::unique_ptr<CTablePrefetch::Read> ahead =
        prefetch != nullptr ? prefetch->Finish() : nullptr;
    if (ahead != nullptr &&
        !PrefetchStillHolds(*ahead, DbTablePathIn(dataFolder, kScheduleTable))) {
        ahead.reset();  // its memory goes before the file is read again
    }
    m_table = DbOpenTableFrom(kScheduleTable, !forReading,
                              ahead != nullptr ? ahead->table.get() : nullptr);
    // The store leaves the rows where they were when it read the file itself.
    m_bTookPrefetch = m_table != nullptr && ahead != nullptr && !ahead->table->read;
    ahead.reset();
    ++m_nChanges;
    m_pending.clear();
    m_conflicts.clear();
    TakeStamp();
    m_bLooksLikeSchedule = m_table == nullptr || FileHasScheduleHeader(FilePath());
    if (!forReading) {
        m_bBackupDue = m_bBackupDue || FilePath() != m_backedUpPath || !m_bLooksLikeSchedule;
    }
    return m_table != nullptr;
}

std::string CScheduleModel::BackupFolder() const {
    return m_strFolder + "kelnova-backup/";
}

std::string CScheduleModel::FilePath() const {
    return m_table == nullptr ? std::string() : DbTablePath(m_table);
}

bool CScheduleModel::PrefetchStillHolds(const CTablePrefetch::Read& read,
                                        const std::string& path) const {
    if (!read.ok || read.path != path) {
        return false;
    }
    int64_t changedNow = 0;
    const FileStamp now = FileStampOf(path, &changedNow);
    if (!(now == read.stamp) || changedNow != read.statusChangedNs) {
        return false;
    }
    // Left alone long enough when it was stamped, not merely by now: a change shortly
    // before the stamp may be followed by one within the same tick of the file system's
    // clock, during the read, that moves neither time.
    const int64_t since = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::steady_clock::now() - read.stampedAt)
                              .count();
    return LongLeftAlone(read.stamp, read.statusChangedNs, since);
}

bool CScheduleModel::LongLeftAlone(const FileStamp& stamp, int64_t statusChangedNs,
                                   int64_t agoNs) const {
    if (!stamp.exists) {
        return false;
    }
    int64_t now = 0;
    if (m_fileClock) {
        now = m_fileClock();
    } else {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        now = static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }
    return now - agoNs - std::max(stamp.modifiedNs, statusChangedNs) > kSettledNs;
}

void CScheduleModel::TakeStamp() {
    m_settled = false;
    if (m_table == nullptr) {
        m_stamp = {};
        m_hash.reset();
        return;
    }
    // A file left alone for a while (as most are when the program starts) needs no hash:
    // its stamp and status change time tell every later change. Its bytes are read only
    // when they changed shortly before, when a second change could keep the stamp.
    const std::string path = DbTablePath(m_table);
    m_stamp = FileStampOf(path, &m_statusChangedNs);
    m_settled = LongLeftAlone(m_stamp, m_statusChangedNs);
    m_hash = m_settled ? std::nullopt : FileContentHash(path);
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
        content.days.push_back({ScheduleReadDay(m_table, date), periods.Of(date), {}});
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
    FinishSave();
    if (m_bReadOnly) {
        DayWriteOutcome refused;
        refused.refused = true;
        return refused;
    }
    if (m_table == nullptr || !ScheduleIsDate(before.date)) {
        return {};
    }
    // The day as the table holds it now: another program's change of it since `before`
    // was read (taken in by a reload) makes a conflict, and the edit replaces what is there
    // now, not what was there.
    const DayContent current = ReadDay(before.date);
    if (!SameDay(current, before)) {
        m_conflicts.push_back(before.date);
    }
    const DayWriteOutcome outcome = ApplyDay(current, after);
    auto it = m_pending.find(before.date);
    if (it == m_pending.end()) {
        m_pending.emplace(before.date, PendingDay{current, after});
    } else {
        it->second.after = after;
    }
    return outcome;
}

DayWriteOutcome CScheduleModel::ApplyDay(const DayContent& base, const DayContent& after) {
    ++m_nChanges;
    const std::string& date = base.date;
    int removed = 0;
    if (base.period.n > 0) {
        removed =
            ScheduleRemovePeriodRun(m_table, base.period.first, base.period.n, base.period.text);
    }
    DayWriteOutcome outcome = WritePeriod(m_table, base, after);
    outcome.periodRowsRemoved = removed;
    for (int k = 0; k < kSlotCount; ++k) {
        ScheduleWriteSlot(m_table, date, k, after.slots[k]);
    }
    ScheduleWriteMarks(m_table, date, after.holiday, after.paidLeave);
    return outcome;
}

bool CScheduleModel::FileChangedOnDisk(bool checkContent) const {
    if (m_table == nullptr) {
        return false;
    }
    return ChangedSince(DbTablePath(m_table), m_stamp, m_settled, m_statusChangedNs, m_hash,
                        checkContent);
}

bool CScheduleModel::HasUnsavedChanges() {
    FinishSave();
    return !m_pending.empty();
}

bool CScheduleModel::ReloadIfChanged() {
    if (m_table == nullptr || SaveRunning()) {
        return false;
    }
    // One stat per check: it runs every 2 seconds.
    const std::string path = DbTablePath(m_table);
    int64_t statusChangedNs = 0;
    const FileStamp now = FileStampOf(path, &statusChangedNs);
    if (!now.exists) {
        return false;
    }
    if (now == m_stamp) {
        // Once the file has been left alone long enough, one read of it tells whether it
        // still holds what was stamped; from then on its status change time tells the rest.
        if (!m_settled && m_hash.has_value() && LongLeftAlone(now, statusChangedNs) &&
            FileContentHash(path) == m_hash) {
            m_settled = true;
            m_statusChangedNs = statusChangedNs;
        }
        return false;
    }
    Reload();
    return true;
}

void CScheduleModel::Reload() {
    DbCloseTable(kScheduleTable, 0);
    m_table = m_bForReading ? DbOpenTableForReading(kScheduleTable) : DbOpenTable(kScheduleTable);
    ++m_nChanges;
    TakeStamp();
    if (m_table == nullptr) {
        return;
    }
    // The days written since the last save go on top of the file as it is now; each day
    // is built on what the file now holds.
    for (auto& [date, day] : m_pending) {
        const DayContent current = ReadDay(date);
        if (!SameDay(current, day.base)) {
            m_conflicts.push_back(date);
        }
        ApplyDay(current, day.after);
        day.base = current;
    }
}

std::string CScheduleModel::KeepDiskCopy(const char* kind) const {
    std::error_code error;
    const std::filesystem::path folder = PathOf(BackupFolder());
    std::filesystem::create_directories(folder, error);
    if (error) {
        return {};
    }
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, error);
    std::filesystem::path copy =
        folder / (std::string("kelnova-") + kind + "-" + TimeStampText() + ".txt");
    for (int n = 2; std::filesystem::exists(copy, error); ++n) {
        copy = folder / (std::string("kelnova-") + kind + "-" + TimeStampText() + "-" +
                         std::to_string(n) + ".txt");
    }
    if (!std::filesystem::copy_file(PathOf(DbTablePath(m_table)), copy, error) || error) {
        return {};
    }
    return PathText(copy);
}

bool CScheduleModel::Save() {
    FinishSave();
    if (m_table == nullptr || m_bReadOnly) {
        return false;
    }
    // Never an old copy over a newer file: what another program changed is read first.
    if (FileChangedOnDisk(true) && FileStampOf(DbTablePath(m_table)).exists) {
        Reload();
    }
    if (!BackUpBeforeFirstWrite()) {
        return false;
    }
    std::string copy;
    if (!m_conflicts.empty()) {
        copy = KeepDiskCopy("conflict");
    }
    const TableWrite written = WriteTableFile(DbTablePath(m_table));
    m_lastFailure = FailureOf(written.why);
    if (!written.saved) {
        return false;
    }
    std::sort(m_conflicts.begin(), m_conflicts.end());
    m_conflicts.erase(std::unique(m_conflicts.begin(), m_conflicts.end()), m_conflicts.end());
    m_lastConflicts = {std::move(m_conflicts), copy};
    TakeWrite(written);
    return true;
}

bool CScheduleModel::SaveInBackground(std::function<void()> done) {
    FinishSave();
    if (m_table == nullptr || m_bReadOnly || m_pending.empty() || !m_conflicts.empty()) {
        return false;
    }
    auto save = std::make_unique<BackgroundSave>();
    save->path = DbTablePath(m_table);
    save->stamp = m_stamp;
    save->settled = m_settled;
    save->statusChangedNs = m_statusChangedNs;
    save->hash = m_hash;
    save->backupDue = m_bBackupDue;
    save->looksLikeSchedule = m_bLooksLikeSchedule;
    save->backupClock = m_backupClock;
    save->done = std::move(done);
    try {
        save->thread = std::thread([job = save.get()] { job->Run(); });
    } catch (const std::system_error&) {
        return false;  // no thread to be had: the caller saves here
    }
    m_save = std::move(save);
    return true;
}

bool CScheduleModel::FinishSave() {
    if (m_save == nullptr) {
        return true;
    }
    const std::unique_ptr<BackgroundSave> save = std::move(m_save);
    save->thread.join();
    if (save->changedOnDisk) {
        // Another program's change is read in here, where the table may change.
        return Save();
    }
    if (!ApplyBackupStep(save->backup, save->path)) {
        return false;
    }
    m_lastFailure = FailureOf(save->written.why);
    if (!save->written.saved) {
        return false;
    }
    // Nothing was written to the model since the save began (every change finishes it
    // first), so what was pending then is what the file now holds; no conflicts were
    // pending, so there is no conflict copy.
    m_lastConflicts = {};
    TakeWrite(save->written);
    return true;
}

void CScheduleModel::TakeWrite(const TableWrite& written) {
    m_conflicts.clear();
    m_pending.clear();
    m_stamp = written.stamp;
    m_statusChangedNs = written.statusChangedNs;
    m_hash = written.hash;
    m_settled = false;
}

bool CScheduleModel::SaveCopyTo(const std::string& path) {
    FinishSave();
    if (m_table == nullptr) {
        return false;
    }
    DbSaveError why;
    const bool saved = DbWriteTableTo(kScheduleTable, path, &why) >= 0;
    m_lastFailure = FailureOf(why);
    return saved;
}

bool CScheduleModel::Close(bool save) {
    FinishSave();
    if (m_table == nullptr) {
        return true;
    }
    // Only changes not saved yet are written: a file that holds everything is left as it
    // is (and another program's later change of it with it).
    const bool saved = !save || !HasUnsavedChanges() || Save();
    DbCloseTable(kScheduleTable, 0);
    m_table = nullptr;
    ++m_nChanges;
    m_pending.clear();
    m_conflicts.clear();
    m_stamp = {};
    m_hash.reset();
    m_settled = false;
    return saved;
}

bool CScheduleModel::BackUpBeforeFirstWrite() {
    return ApplyBackupStep(
        TakeBackupIfDue(FilePath(), m_bBackupDue, m_bLooksLikeSchedule, m_backupClock), FilePath());
}

CScheduleModel::BackupStep CScheduleModel::TakeBackupIfDue(const std::string& tablePath, bool due,
                                                           bool looksLikeSchedule,
                                                           const BackupClock& clock) {
    BackupStep step;
    if (!due) {
        return step;
    }
    step.taken = true;
    step.failure = BackUpTable(tablePath, clock).failure;
    // Another program's file, or a damaged one, is the only copy of what it holds: it is
    // not written over without its backup (which the next save tries again).
    step.refused = step.failure.Failed() && !looksLikeSchedule;
    return step;
}

bool CScheduleModel::ApplyBackupStep(const BackupStep& step, const std::string& tablePath) {
    m_backupFailure = step.failure;
    if (!step.taken) {
        return true;
    }
    if (step.refused) {
        m_lastFailure = {"backup of a file not in the table's format", m_backupFailure.errnoValue,
                         "予定表の形式ではないデータファイルのバックアップを作成できないため、"
                         "書き込みませんでした。"};
        return false;
    }
    // A table file's backup is tried once a run: a failure is reported once, and the save
    // goes on.
    m_bBackupDue = false;
    m_backedUpPath = tablePath;
    return true;
}

bool CScheduleModel::RestoreBackup(const std::string& backupPath) {
    FinishSave();
    m_backupFailure = {};
    if (m_table == nullptr) {
        m_backupFailure = {"restore a backup", backupPath, EBADF,
                           "データファイルが開かれていません。"};
        return false;
    }
    if (HasUnsavedChanges() && !Save()) {
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
    if (!Open(m_strFolder)) {
        m_backupFailure = {"read the restored table", table, EIO,
                           table + ": 復元したファイルを読めませんでした。"};
        return false;
    }
    return true;
}
