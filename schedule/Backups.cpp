#include "Backups.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "DateTime.h"
#include "FileCalls.h"
#include "PathText.h"
#include "SystemTime.h"
#include "XelFile.h"
#include "XelSaveError.h"

namespace {

namespace fs = std::filesystem;

const char kHeaderLines[3][72] = {
    "# X-- Database Version 1.0",
    "# Table Name : kelnova",
    "# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]",
};
const size_t kHeaderProbeBytes = 512;
const char kTempSuffix[] = ".tmp";

// A short Japanese text for an errno.
std::string ErrnoReason(int error) {
    switch (error) {
        case ENOSPC:
#ifdef EDQUOT  // a quota: not on Windows
        case EDQUOT:
#endif
            return "ディスクの空き容量が足りません。";
        case EACCES:
        case EPERM:
            return "権限がありません。";
        case EROFS:
            return "読み取り専用の場所です。";
        case EIO:
            return "ディスクの読み書きに失敗しました。";
        case ENOMEM:
            return "メモリが足りません。";
        case ENOTDIR:
            return "フォルダではありません。";
        case ENOENT:
            return "見つかりません。";
        case EISDIR:
            return "ファイルではなくフォルダです。";
        default:
            return DbErrnoText(error) + ".";
    }
}

BackupFailure Failure(const char* step, const std::string& path, int error) {
    error = error != 0 ? error : EIO;
    return {step, path, error, path + ": " + ErrnoReason(error)};
}

// Reads up to `limit` bytes of the file (all of it for 0). 0 or the errno.
int ReadFileBytes(const std::string& path, std::string& bytes, size_t limit = 0) {
    bytes.clear();
    FileHandle fd = -1;
    if (const int error = FileOpenRead(path, fd); error != 0) {
        return error;
    }
    char block[65536];
    for (;;) {
        size_t want = sizeof block;
        if (limit != 0) {
            want = std::min(want, limit - bytes.size());
            if (want == 0) {
                break;
            }
        }
        const int64_t n = FileRead(fd, block, want);
        if (n < 0) {
            const int error = errno;
            FileClose(fd);
            return error;
        }
        if (n == 0) {
            break;
        }
        bytes.append(block, static_cast<size_t>(n));
    }
    FileClose(fd);
    return 0;
}

// FileWriteAll with errno set on failure.
bool WriteAll(FileHandle fd, std::string_view bytes) {
    const int error = FileWriteAll(fd, bytes);
    errno = error;
    return error == 0;
}

std::string StemOf(const std::string& tablePath) {
    return PathText(PathOf(tablePath).stem());
}

std::string Digits(int value, int width) {
    std::string text = std::to_string(value);
    return std::string(text.size() < static_cast<size_t>(width) ? width - text.size() : 0, '0') +
           text;
}

std::string DayOf(const BackupTime& t) {
    return Digits(t.year, 4) + Digits(t.month, 2) + Digits(t.day, 2);
}

std::string NameOf(const std::string& stem, const BackupTime& t, int serial) {
    std::string name =
        stem + "-" + DayOf(t) + "-" + Digits(t.hour, 2) + Digits(t.minute, 2) + Digits(t.second, 2);
    if (serial > 1) {
        name += "-" + std::to_string(serial);
    }
    return name + ".txt";
}

// The backups in the folder, without their rows counted.
std::vector<BackupEntry> FindBackups(const std::string& folder, const std::string& stem) {
    std::vector<BackupEntry> found;
    std::error_code error;
    fs::directory_iterator entries(PathOf(folder), error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        BackupEntry entry;
        if (ParseBackupName(PathText(entries->path().filename()), stem, entry) &&
            entries->is_regular_file(error)) {
            entry.path = folder + "/" + entry.name;
            found.push_back(std::move(entry));
        }
    }
    return found;
}

// Removes the backups that are no longer kept, except those named in `protect`, and the
// temporary files a crash in the middle of a backup left.
void ThinOut(const std::string& folder, const std::string& stem, const BackupTime& now,
             const std::set<std::string>& protect) {
    std::vector<BackupEntry> backups = FindBackups(folder, stem);
    const std::vector<std::string> kept = BackupsToKeep(backups, now);
    const std::set<std::string> keep(kept.begin(), kept.end());
    for (const BackupEntry& backup : backups) {
        if (keep.count(backup.name) == 0 && protect.count(backup.path) == 0) {
            FileRemove(backup.path);
        }
    }
    std::error_code error;
    fs::directory_iterator entries(PathOf(folder), error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string name = PathText(entries->path().filename());
        BackupEntry entry;
        if (name.size() > sizeof kTempSuffix - 1 && name.ends_with(kTempSuffix) &&
            ParseBackupName(name.substr(0, name.size() - (sizeof kTempSuffix - 1)), stem, entry)) {
            FileRemove(PathText(entries->path()));
        }
    }
}

// What goes into a new backup: writes it to the descriptor; false with errno set when it
// could not, and with `failed` set to the step when that was not the write itself.
using BackupFiller = std::function<bool(FileHandle fd, const char*& failed)>;

const char kReadTable[] = "read the table file";

// Writes a new backup of the table, filled by `fill`; see BackUpTable.
BackupResult WriteBackup(const std::string& tablePath, const BackupFiller& fill,
                         const BackupTime& now, std::set<std::string> protect) {
    const std::string folder = BackupFolderOf(tablePath);
    if (const int error = FolderMake(folder); error != 0) {
        return {{}, Failure("create the backup folder", folder, error)};
    }

    const std::string stem = StemOf(tablePath);
    std::string path;
    for (int serial = 1; serial < 1000 && path.empty(); ++serial) {
        const std::string candidate = folder + "/" + NameOf(stem, now, serial);
        if (PathIsFree(candidate)) {
            path = candidate;
        }
    }
    if (path.empty()) {
        return {{}, Failure("find a free backup name", folder, EEXIST)};
    }

    const std::string temp = path + kTempSuffix;
    FileHandle fd = -1;
    if (const int error = FileCreateNew(temp, fd); error != 0) {
        return {{}, Failure("create the backup file", temp, error)};
    }
    const char* failed = nullptr;
    int error = 0;
    if (!fill(fd, failed)) {
        if (failed == nullptr) {
            failed = "write the backup file";
        }
    } else if (const int synced = FileSync(fd); synced != 0) {
        failed = "sync the backup file";
        errno = synced;
    }
    error = errno;
    if (const int closed = FileClose(fd); closed != 0 && failed == nullptr) {
        failed = "close the backup file";
        error = closed;
    }
    if (failed == nullptr) {
        if (const int renamed = FileRename(temp, path); renamed != 0) {
            failed = "rename the backup file";
            error = renamed;
        }
    }
    if (failed != nullptr) {
        FileRemove(temp);
        return {{}, Failure(failed, failed == kReadTable ? tablePath : path, error)};
    }
    if (const int synced = FolderSync(folder); synced != 0) {
        return {{}, Failure("sync the backup folder", folder, synced)};
    }
    protect.insert(path);
    ThinOut(folder, stem, now, protect);
    return {path, {}};
}

bool IsHeaderLine(std::string_view& rest, std::string_view line, bool mayEndBytes) {
    if (!rest.starts_with(line)) {
        return false;
    }
    rest.remove_prefix(line.size());
    if (rest.starts_with("\r\n")) {
        rest.remove_prefix(2);
        return true;
    }
    if (rest.starts_with("\n")) {
        rest.remove_prefix(1);
        return true;
    }
    return mayEndBytes && rest.empty();
}

}  // namespace

BackupTime LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = LocalTimeOf(now);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     std::min(local.tm_sec, 59)};
}

std::string BackupFailureMessage(const BackupFailure& failure) {
    return "バックアップを作成できませんでした。（" + failure.reason + "）";
}

std::string BackupFolderOf(const std::string& tablePath) {
    const std::string folder = PathText(PathOf(tablePath).parent_path());
    return (folder.empty() ? std::string(".") : folder) + "/" + kBackupFolderName;
}

bool ParseBackupName(std::string_view name, std::string_view stem, BackupEntry& entry) {
    // "<stem>-YYYYMMDD-HHMMSS" then "-N" or nothing, then ".txt".
    if (name.size() < stem.size() + 4 || !name.starts_with(stem) || !name.ends_with(".txt")) {
        return false;
    }
    std::string_view rest = name.substr(stem.size(), name.size() - stem.size() - 4);
    const auto allDigits = [](std::string_view text) {
        return !text.empty() &&
               std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const auto number = [](std::string_view text) {
        int value = 0;
        for (char c : text) {
            value = value * 10 + (c - '0');
        }
        return value;
    };
    if (rest.size() < 16 || rest[0] != '-' || rest[9] != '-' || !allDigits(rest.substr(1, 8)) ||
        !allDigits(rest.substr(10, 6))) {
        return false;
    }
    int serial = 1;
    if (rest.size() > 16) {
        const std::string_view suffix = rest.substr(17);
        if (rest[16] != '-' || !allDigits(suffix) || suffix.size() > 3 || suffix[0] == '0') {
            return false;
        }
        serial = number(suffix);
        if (serial < 2) {
            return false;
        }
    }
    const std::string_view date = rest.substr(1, 8);
    BackupTime t{number(date.substr(0, 4)),  number(date.substr(4, 2)),
                 number(date.substr(6, 2)),  number(rest.substr(10, 2)),
                 number(rest.substr(12, 2)), number(rest.substr(14, 2))};
    if (DateAddDays(date, 0).empty() || t.hour > 23 || t.minute > 59 || t.second > 59) {
        return false;
    }
    entry.name = std::string(name);
    entry.time = t;
    entry.serial = serial;
    return true;
}

BackupResult WriteBackup(const std::string& tablePath, std::string_view bytes,
                         const BackupTime& now, std::set<std::string> protect) {
    return WriteBackup(
        tablePath, [bytes](FileHandle fd, const char*&) { return WriteAll(fd, bytes); }, now,
        std::move(protect));
}

BackupResult BackUpTable(const std::string& tablePath, const BackupClock& clock) {
    // The table is copied a block at a time: a copy of it in memory would double what a
    // large table holds at its first save.
    FileHandle in = -1;
    if (const int error = FileOpenRead(tablePath, in); error != 0) {
        return error == ENOENT ? BackupResult{}
                               : BackupResult{{}, Failure(kReadTable, tablePath, error)};
    }
    char block[65536];
    int64_t first = FileRead(in, block, sizeof block);
    if (first <= 0) {
        const int error = errno;
        FileClose(in);
        return first == 0 ? BackupResult{}
                          : BackupResult{{}, Failure(kReadTable, tablePath, error)};
    }
    BackupResult made =
        WriteBackup(tablePath,
                    [&](FileHandle fd, const char*& failed) {
                        for (int64_t n = first; n != 0; n = FileRead(in, block, sizeof block)) {
                            if (n < 0) {
                                failed = kReadTable;
                                return false;
                            }
                            if (!WriteAll(fd, std::string_view(block, static_cast<size_t>(n)))) {
                                return false;
                            }
                        }
                        return true;
                    },
                    clock(), {});
    FileClose(in);
    return made;
}

std::vector<std::string> BackupsToKeep(std::vector<BackupEntry> backups, const BackupTime& now) {
    std::sort(backups.begin(), backups.end(), [](const BackupEntry& a, const BackupEntry& b) {
        return a.time != b.time ? a.time > b.time : a.serial > b.serial;
    });
    std::vector<std::string> keep;
    const std::string firstDay = DateAddDays(DayOf(now), -(kKeepDailyDays - 1));
    std::set<std::string> daysSeen;
    for (size_t i = 0; i < backups.size(); ++i) {
        const std::string day = DayOf(backups[i].time);
        const bool newestOfItsDay = daysSeen.insert(day).second;
        const bool recentDay = !firstDay.empty() && day >= firstDay;
        if (i < static_cast<size_t>(kKeepLastBackups) || (newestOfItsDay && recentDay)) {
            keep.push_back(backups[i].name);
        }
    }
    return keep;
}

std::vector<BackupEntry> ListBackups(const std::string& tablePath) {
    std::vector<BackupEntry> backups = FindBackups(BackupFolderOf(tablePath), StemOf(tablePath));
    for (BackupEntry& backup : backups) {
        std::string bytes;
        if (ReadFileBytes(backup.path, bytes) == 0) {
            backup.rows = CountRows(bytes);
            backup.bytes = static_cast<int64_t>(bytes.size());
        }
    }
    std::sort(backups.begin(), backups.end(), [](const BackupEntry& a, const BackupEntry& b) {
        return a.time != b.time ? a.time > b.time : a.serial > b.serial;
    });
    return backups;
}

int64_t CountRows(std::string_view bytes) {
    int64_t rows = 0;
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (!line.empty() && line[0] != '#') {
            ++rows;
        }
    }
    return rows;
}

BackupFailure RestoreBackup(const std::string& tablePath, const std::string& backupPath,
                            const BackupClock& clock, std::string* madeBackup) {
    std::string bytes;
    if (const int error = ReadFileBytes(backupPath, bytes); error != 0) {
        return Failure("read the backup", backupPath, error);
    }
    // The file as it is now becomes a backup; the thinning out that follows leaves the one
    // being restored alone.
    std::string current;
    const int error = ReadFileBytes(tablePath, current);
    if (error != 0 && error != ENOENT) {
        return Failure("read the table file", tablePath, error);
    }
    if (!current.empty()) {
        BackupResult made = WriteBackup(tablePath, current, clock(), {backupPath});
        if (made.failure.Failed()) {
            return made.failure;
        }
        if (madeBackup != nullptr) {
            *madeBackup = made.path;
        }
    }
    DbSaveError why;
    if (XelReplaceFile(tablePath, bytes, &why) != XelWriteResult::kOk) {
        BackupFailure failure = Failure("replace the table file", tablePath, why.errnoValue);
        failure.reason = tablePath + ": " + DbSaveErrorText(why);
        return failure;
    }
    return {};
}

bool HasScheduleHeader(std::string_view firstBytes) {
    if (firstBytes.empty()) {
        return true;
    }
    std::string_view rest = firstBytes;
    return IsHeaderLine(rest, kHeaderLines[0], false) &&
           IsHeaderLine(rest, kHeaderLines[1], false) && IsHeaderLine(rest, kHeaderLines[2], true);
}

bool FileHasScheduleHeader(const std::string& path) {
    std::string bytes;
    if (ReadFileBytes(path, bytes, kHeaderProbeBytes) != 0) {
        return true;
    }
    return HasScheduleHeader(bytes);
}
