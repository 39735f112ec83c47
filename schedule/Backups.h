// Backups of the table file, kept in a folder of their own beside it:
//
//   <data folder>/kelnova-backup/kelnova-20261207-174501.txt     (made at 17:45:01 local time)
//   <data folder>/kelnova-backup/kelnova-20261207-174501-2.txt   (a second one in that second)
//
// A backup is the table file byte for byte as it was, written to a temporary name, synced
// and renamed, so a half-written backup never carries a backup's name. The folder is made
// with mode 0700 and each backup with 0600. After each new backup the old ones are thinned
// out: the kKeepLastBackups newest stay, and so does the newest of each of the last
// kKeepDailyDays days; files of other names in the folder are never touched.
//
// The schedule model takes one backup a run before its first write (CScheduleModel::Save);
// the restore dialog lists them with ListBackups and puts one back with RestoreBackup.
// Toolkit-free; paths are in the file system's encoding, texts for the user UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kKeepLastBackups = 10;
inline constexpr int kKeepDailyDays = 30;
inline constexpr const char* kBackupFolderName = "kelnova-backup";

// A moment in local time, as a backup's name holds it.
struct BackupTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    friend auto operator<=>(const BackupTime&, const BackupTime&) = default;
};
// Where backups get their time from; tests pass their own.
using BackupClock = std::function<BackupTime()>;
// The local time now.
BackupTime LocalTimeNow();

// Why a backup or a restore failed.
struct BackupFailure {
    std::string step;    // what failed, in English ("create the backup folder")
    std::string path;    // the file or folder it failed on
    int errnoValue = 0;  // its errno
    std::string reason;  // for the user, UTF-8: "<path>: 書き込みの権限がありません。"
    bool Failed() const { return !step.empty(); }
};
// "バックアップを作成できませんでした。（<reason>）", UTF-8.
std::string BackupFailureMessage(const BackupFailure& failure);

struct BackupResult {
    std::string path;  // the backup made; empty when none was needed or it failed
    BackupFailure failure;
};

// One backup in the folder.
struct BackupEntry {
    std::string path;
    std::string name;  // "kelnova-20261207-174501-2.txt"
    BackupTime time;
    int serial = 1;     // 2, 3, ... for the later backups of one second
    int64_t rows = 0;   // lines that are neither comments nor empty (ListBackups only)
    int64_t bytes = 0;  // (ListBackups only)
};

// "<folder of the table file>/kelnova-backup".
std::string BackupFolderOf(const std::string& tablePath);
// The backup a file name stands for: "<stem>-YYYYMMDD-HHMMSS[-N].txt" with a real date and
// time; false for any other name.
bool ParseBackupName(std::string_view name, std::string_view stem, BackupEntry& entry);

// Copies the table file into a new backup, then thins out the old ones. A missing or empty
// table file needs no backup (nothing is made, no failure). The table file is only read.
BackupResult BackUpTable(const std::string& tablePath, const BackupClock& clock);

// Of these backups, the names that stay at `now`: the kKeepLastBackups newest, and the
// newest of each day from kKeepDailyDays - 1 days before now's day on.
std::vector<std::string> BackupsToKeep(std::vector<BackupEntry> backups, const BackupTime& now);

// The table's backups, newest first, with their rows and bytes counted.
std::vector<BackupEntry> ListBackups(const std::string& tablePath);
// Rows of a table file: the lines (CR LF or LF; a last line may lack its end) that neither
// are empty nor start with "#".
int64_t CountRows(std::string_view bytes);

// Puts backup `backupPath` in place of the table file: the table file as it is becomes a
// backup first (so that the restore can be undone), then the backup's bytes replace it
// through a temporary file and a rename (a symbolic link stays a link; the permission bits
// stay). Nothing is replaced when that first backup fails or the backup cannot be read.
// `madeBackup`, when given, receives the path of the backup of the replaced file.
BackupFailure RestoreBackup(const std::string& tablePath, const std::string& backupPath,
                            const BackupClock& clock, std::string* madeBackup = nullptr);

// Whether these first bytes of a file begin like a table file: empty, or the three header
// lines the store writes, each ended by CR LF or LF (the third may end the bytes).
bool HasScheduleHeader(std::string_view firstBytes);
// HasScheduleHeader on the first bytes of the file at path; true when it cannot be read.
bool FileHasScheduleHeader(const std::string& path);
