// The schedule model: the program's one way to the schedule table. The application opens
// it and hands it down (main window, month view, editing flow); every reader and writer of
// the schedule goes through it, and nothing above it sees the table store.
//
//   CScheduleModel model;
//   if (!model.Open(folder)) { ... "データファイルを作成できません。" ... }
//   MonthContent month = model.ReadMonth(2008, 3);          // what one paint needs
//   DayContent before = model.ReadDay("20080305");          // one day, to edit
//   DayContent after = before; after.slots[0].text = ...;
//   model.WriteDay(before, after);                          // in memory
//   model.Save();                                           // to the file
//
// The save can also run on a worker thread (SaveInBackground) while the caller's thread
// goes on; FinishSave takes its outcome in. Readers (ReadDay, ReadMonth, ForEachDay) only
// read the table and may run beside it; everything that changes the table or the file, or
// decides by the saved state, finishes the running save first.
//
// Times in the DayContent handed out and taken back are the table's HHMM texts.
//
// Other programs may change the file while the model holds it (an editor, a sync tool, a
// copy of Pemdaro on another machine). ReloadIfChanged reads such a file again, and Save
// never writes an old copy over a newer one: it reads the file again first when it
// changed, and puts the days written since the last save on top of what it read. A day
// that the other program changed as well is a conflict: the user's version is stored,
// and the file as the other program left it is kept as a copy (LastSaveConflicts).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Backups.h"
#include "DayContent.h"
#include "FileStamp.h"
#include "TablePrefetch.h"

struct DbTable;

// One day of a month as the month view paints it. The content's period is left empty: a
// month needs only its mark, which is found without walking whole runs.
struct MonthDay {
    DayContent content;
    PeriodMark period;
    // The national holiday's name (CP932) when the view shows them, e.g. "春分の日", with
    // "（予測）" after it for an equinox day not yet announced; empty otherwise. The table
    // never holds it.
    std::string nationalHoliday;
};

struct MonthContent {
    int year = 0;
    int month = 0;
    std::vector<MonthDay> days;  // days[d - 1] for each day d the month has
};

// Most days one edit writes for a period, unless the run it replaces was already longer.
inline constexpr int kMaxPeriodDays = 100;
// The most days the period written over this day may take: kMaxPeriodDays, or the old
// run's length when that is longer (so that OK on an unchanged long run keeps it whole).
int MaxPeriodDays(const DayContent& before);

// How the period of a written day was stored.
enum class PeriodWritten {
    kNone,          // no period text: no period rows
    kAsEntered,     // from the entered first day to the entered last day
    kThisDayAlone,  // the dates were not a usable range: the edited day alone
};

struct DayWriteOutcome {
    bool refused = false;  // the model is read-only: nothing was changed
    int periodRowsRemoved = 0;
    int periodRowsWritten = 0;
    PeriodWritten period = PeriodWritten::kNone;
};

// Why the last save failed, for the message that says so.
struct SaveFailure {
    std::string step;    // the step that failed, in English ("rename of the temporary file")
    int errnoValue = 0;  // its errno
    std::string
        reason;  // a short Japanese text for the user, UTF-8 ("ディスクの空き容量が足りません。")
};

class CScheduleModel {
  public:
    CScheduleModel();
    ~CScheduleModel();
    CScheduleModel(const CScheduleModel&) = delete;
    CScheduleModel& operator=(const CScheduleModel&) = delete;

    // Reads kelnova.txt from the folder (file system encoding, ending with the separator,
    // or empty for the current folder), creating an empty table where there is no file.
    // False when the table can be neither read nor created.
    bool Open(const std::string& dataFolder);
    // The same, taking over the rows `prefetch` read of that folder's table file when they
    // are certainly the file's as it is now (see CTablePrefetch); otherwise they are dropped
    // and the file is read here. Waits for the read; the prefetch is spent either way.
    bool Open(const std::string& dataFolder, CTablePrefetch& prefetch);
    // Whether the last open took the rows read ahead over instead of reading the file.
    bool TookPrefetchedRows() const { return m_bTookPrefetch; }
    // Reads kelnova.txt from the folder for reading only, as printing needs it while a
    // window copy may hold the file: read-only from the start, and nothing in the folder is
    // created, removed or written, now or later. False when there is no readable table.
    bool OpenForReading(const std::string& dataFolder);
    bool IsOpen() const { return m_table != nullptr; }
    // The table file's path; empty while closed.
    std::string FilePath() const;

    // Read-only: another copy holds the data file. WriteDay refuses, Save writes nothing
    // and says false, Close never saves. Set before or after Open; Open keeps it.
    void SetReadOnly(bool readOnly) { m_bReadOnly = readOnly; }
    bool IsReadOnly() const { return m_bReadOnly; }

    // One day: its slots, its whole period run and its marks. A date that is not real
    // gives an empty day.
    DayContent ReadDay(const std::string& date) const;
    // Every day of a month, for painting it.
    MonthContent ReadMonth(int year, int month) const;

    // Every day from `from` to `to` (YYYYMMDD, both included) that holds anything, in date
    // order, each with its whole period run.
    void ForEachDay(const std::string& from, const std::string& to,
                    const std::function<void(const DayContent&)>& visit) const;

    // Replaces the day `before` describes (as ReadDay gave it) with `after`, in memory:
    // 1. the old period run's rows go (only the rows with its text, on every day of the
    //    run, in any month);
    // 2. a non-empty period text is written for every day from after.period.first to
    //    after.period.last, at most MaxPeriodDays(before) rows; when either is not a real
    //    date, or the last lies before the first, for the edited day alone;
    // 3. each slot is replaced; an entry with times but no text is removed;
    // 4. the marks are replaced; with both ticked only the holiday is stored.
    // after.date and after.period.n are not read. Nothing changes while closed or when
    // before.date is not a real date; nothing, and the outcome says refused, while
    // read-only.
    DayWriteOutcome WriteDay(const DayContent& before, const DayContent& after);

    // Counts every change of what the model holds (an open, a write, a reload, a close), so
    // that a reader keeping something built from the schedule (the search's list) knows
    // when to build it again.
    uint64_t ChangeCount() const { return m_nChanges; }

    // True after a WriteDay until the next successful Save; a save running in the
    // background is finished first.
    bool HasUnsavedChanges();
    // True when the file on disk is no longer the one last read or saved: another program
    // replaced, changed or removed it. By its stamp (a stat, cheap enough to poll), and
    // with checkContent by its bytes as well.
    // The bytes are read only when the stamp cannot tell: a file whose status last changed
    // well before it was stamped (see kSettledNs) shows any later change in its status
    // change time, which no program can set back.
    bool FileChangedOnDisk(bool checkContent = false) const;
    // Reads the file again when another program changed it, putting the days written since
    // the last save back on top. True when it was read again (the month must be painted
    // again). A file that is gone is not read: the model keeps what it holds. A file the
    // model wrote or read shortly before is read once more (its hash), when it has been
    // left alone long enough, so that later checks need only its stamp. While a save runs
    // in the background nothing is checked (false): its own rename is no other program's
    // change, and the stamp it leaves is taken when it is finished.
    bool ReloadIfChanged();

    // How long a file's status must have been left alone when it is stamped for its status
    // change time to tell every later change: longer than the coarsest clock tick of any
    // file system (two seconds) with room for a file server's clock running behind.
    static constexpr int64_t kSettledNs = int64_t{10} * 1000000000;
    // The clock the settling is judged by (nanoseconds since the epoch); tests move it.
    using FileClock = std::function<int64_t()>;
    void SetFileClock(FileClock clock) { m_fileClock = std::move(clock); }

    // Writes the table to its file, safely; false when the file could not be replaced (it
    // is then left as it was), with the reason in LastSaveFailure; false without writing
    // while read-only.
    bool Save();
    // Starts Save's work on a worker thread and returns at once: the check for another
    // program's change, the backup due before the first write, and the table written,
    // synced and renamed into place. `done` is called on the worker thread when that work
    // has ended (the caller posts to its own thread from there, and calls FinishSave).
    // False, with nothing started, when the model is closed or read-only, when nothing is
    // unsaved, or when days written over another program's change wait for their conflict
    // copy: the caller then saves with Save(). A save still running is finished first.
    // The worker only reads the table; until FinishSave, the model may be read but every
    // change waits for it.
    bool SaveInBackground(std::function<void()> done);
    // Waits for the save SaveInBackground started, if one is running, and takes its
    // outcome in as Save() would have (the stamp, the unsaved days, LastSaveFailure,
    // LastBackupFailure, LastSaveConflicts); returns what Save() would have returned. When
    // the worker found the file changed by another program it wrote nothing, and the
    // whole Save() runs here (reading that change in, with its conflict copy). True, and
    // nothing changes, when no save was running.
    bool FinishSave();
    // True from SaveInBackground until FinishSave (which every change calls) took its
    // outcome in.
    bool SaveRunning() const { return m_save != nullptr; }
    // Releases the table, saving it first when asked; false when that save failed, with
    // the reason in LastSaveFailure. While read-only nothing is saved and nothing can be
    // unsaved: true.
    bool Close(bool save);
    // Writes what the model holds as the file at path (file system encoding) instead of the
    // table's own file, e.g. a copy kept elsewhere when the data folder refuses the save;
    // the table's file and the unsaved state stay as they are. False with the reason in
    // LastSaveFailure when the copy could not be written.
    bool SaveCopyTo(const std::string& path);
    // Why the last failed Save, Close or SaveCopyTo failed; empty texts after a success.
    const SaveFailure& LastSaveFailure() const { return m_lastFailure; }

    // The days the last successful save stored over another program's change of the same
    // day, and the copy of the file as that program had left it (empty when it could not
    // be made).
    struct Conflicts {
        std::vector<std::string> dates;  // YYYYMMDD, ascending
        std::string copyPath;            // file system encoding
    };
    const Conflicts& LastSaveConflicts() const { return m_lastConflicts; }
    // Where copies of the file are kept: "kelnova-backup/" in the data folder.
    std::string BackupFolder() const;

    // ---- Backups (Backups.h). The first Save or Close(true) of a run copies the table file
    // into a backup before writing it, and so does the first after an Open that found a file
    // not LooksLikeScheduleFile. A failed backup of a table file is reported once and does
    // not stop the save; a file not LooksLikeScheduleFile is not written over without its
    // backup (the save fails, and each later one tries the backup again).
    // Why the backup the last Save or Close took failed; no failure when it took none.
    const BackupFailure& LastBackupFailure() const { return m_backupFailure; }
    // False when the table file, as Open found it, neither was empty nor began with the
    // table's header lines: another program's file, or a damaged one.
    bool LooksLikeScheduleFile() const { return m_bLooksLikeSchedule; }
    // Replaces the table file by a backup (the file as it is becomes a backup itself) and
    // reads it again; changes not saved yet are saved first. False with the reason in
    // LastBackupFailure when nothing was replaced (the table stays open), or in the rare
    // case that the restored file could not be read again (the model is then closed).
    bool RestoreBackup(const std::string& backupPath);
    // Where the backups come from the clock; tests set their own.
    void SetBackupClock(BackupClock clock) { m_backupClock = std::move(clock); }

  private:
    // Open and OpenForReading: the same steps, with the store's open for reading alone.
    bool OpenTable(const std::string& dataFolder, bool forReading, CTablePrefetch* prefetch);

    // A day written since the last save: what it was built on, and what was written.
    struct PendingDay {
        DayContent base;
        DayContent after;
    };

    // Applies one day's edit on top of what the table holds now; a day that no longer
    // holds `base` is a conflict.
    DayWriteOutcome ApplyDay(const DayContent& base, const DayContent& after);
    // Reads the file again and applies the pending days on top.
    void Reload();
    // Stamp and content hash of the file as it is now.
    void TakeStamp();
    // Copies the file as it is on disk into the backup folder; the copy's path, or empty.
    std::string KeepDiskCopy(const char* kind) const;

    // Whether the rows read ahead are the file's at `path` as it is now (see CTablePrefetch).
    bool PrefetchStillHolds(const CTablePrefetch::Read& read, const std::string& path) const;
    // True when the file's stamp was last changed more than kSettledNs ago; with agoNs, more
    // than kSettledNs before that long ago.
    bool LongLeftAlone(const FileStamp& stamp, int64_t statusChangedNs, int64_t agoNs = 0) const;
    // The table written to its file, with the new file's stamp and hash (WriteTableFile).
    struct TableWrite;
    // Writes the table to its file at path, the step Save and the background save share;
    // touches nothing of the model, so it runs on the worker thread as well.
    static TableWrite WriteTableFile(const std::string& path);
    // Takes a successful write's stamp and hash in: nothing is unsaved any more.
    void TakeWrite(const TableWrite& written);
    // The save's work on the worker thread: its inputs, copied when it starts, and its
    // outcome, read only once the thread has ended.
    struct BackgroundSave;
    // What the backup before the first write did: its failure, and whether the write must
    // not go on.
    struct BackupStep {
        bool taken = false;  // a backup was due and tried
        BackupFailure failure;
        bool refused = false;
    };
    // The file system side of BackUpBeforeFirstWrite, safe on the worker thread.
    static BackupStep TakeBackupIfDue(const std::string& tablePath, bool due,
                                      bool looksLikeSchedule, const BackupClock& clock);
    // Takes the backup step's outcome into the model; false when the write must not go on.
    bool ApplyBackupStep(const BackupStep& step, const std::string& tablePath);
    // Takes the backup when one is due; false when the write must not go on.
    bool BackUpBeforeFirstWrite();

    DbTable* m_table = nullptr;
    uint64_t m_nChanges = 0;
    bool m_bReadOnly = false;
    bool m_bForReading = false;  // opened by OpenForReading
    bool m_bTookPrefetch = false;
    std::string m_strFolder;
    std::map<std::string, PendingDay> m_pending;  // by date
    std::vector<std::string> m_conflicts;         // since the last save
    FileStamp m_stamp;
    std::optional<uint64_t> m_hash;  // not needed, and not taken, while m_settled
    int64_t m_statusChangedNs = 0;   // of the file as stamped
    bool m_settled = false;          // the stamp tells every change of the file
    FileClock m_fileClock;
    SaveFailure m_lastFailure;
    Conflicts m_lastConflicts;

    std::string m_backedUpPath;  // the table file this run has backed up
    bool m_bBackupDue = true;
    bool m_bLooksLikeSchedule = true;
    BackupFailure m_backupFailure;
    BackupClock m_backupClock = LocalTimeNow;

    std::unique_ptr<BackgroundSave> m_save;  // while a save runs in the background
};
