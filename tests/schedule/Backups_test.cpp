// Backups of the table file: how many generations stay after long use, restoring one (the
// file it replaces becomes a backup, bytes exact), a backup that cannot be made not stopping
// the save, and the check of the first lines that tells a table file from another file.
#include "Backups.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../xel/XelTestSupport.h"
#include "DateTime.h"
#include "ScheduleModel.h"

namespace {

namespace fs = std::filesystem;
using xeltest::kEndMark;
using xeltest::kHeader;
using xeltest::ReadBytes;
using xeltest::WriteBytes;

BackupTime At(const std::string& date, int hour, int minute = 0, int second = 0) {
    return {std::stoi(date.substr(0, 4)),
            std::stoi(date.substr(4, 2)),
            std::stoi(date.substr(6, 2)),
            hour,
            minute,
            second};
}

class BackupsTest : public xeltest::StoreTest {
  protected:
    fs::path BackupFolder() const { return m_dir / "kelnova-backup"; }
    std::set<std::string> BackupNames() const {
        std::set<std::string> names;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(BackupFolder(), error)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
    // One run of the program: the table holds `bytes` when its backup is taken at `when`.
    BackupResult Session(const BackupTime& when, const std::string& bytes) {
        WriteBytes(TablePath(), bytes);
        return BackUpTable(TablePath().string(), [when] { return when; });
    }
};

// Runs of the program at the given days and hours, each backing up the table first.
struct Generations {
    const char* name;
    std::string firstDay;
    int days;                       // days with runs, one after another from firstDay
    std::vector<int> hours;         // runs on each of those days
    int pauseDays;                  // then one more run this many days after the last (0: none)
    std::vector<std::string> kept;  // what stays: the names' "YYYYMMDD-HHMMSS[-N]" parts
};

// The "YYYYMMDD-HH0000" parts of every day from first to last at hour.
std::vector<std::string> Daily(const std::string& first, const std::string& last, int hour) {
    std::vector<std::string> parts;
    for (std::string day = first; day <= last; day = DateAddDays(day, 1)) {
        parts.push_back(day + "-" + (hour < 10 ? "0" : "") + std::to_string(hour) + "0000");
    }
    return parts;
}

std::vector<std::string> Join(std::vector<std::vector<std::string>> groups) {
    std::vector<std::string> all;
    for (auto& group : groups) {
        all.insert(all.end(), group.begin(), group.end());
    }
    return all;
}

TEST_F(BackupsTest, GenerationsKeepTheLastTenRunsAndOnePerDayForThirtyDays) {
    const Generations cases[] = {
        // One run a day for a year: the thirty days up to the last run stay.
        {"a year of daily use", "20260101", 365, {9}, 0, Daily("20261202", "20261231", 9)},
        // Three runs a day: the ten newest runs (the last three days and the evening before)
        // and the evening of every older day of the thirty.
        {"three runs a day",
         "20260301",
         20,
         {8, 12, 18},
         0,
         Join({Daily("20260301", "20260317", 18), Daily("20260318", "20260320", 8),
               Daily("20260318", "20260320", 12), Daily("20260318", "20260320", 18)})},
        // Back after three months: the new run and the nine before the pause stay, though
        // all of them are older than thirty days.
        {"a pause of ninety days",
         "20260101",
         60,
         {9},
         90,
         Join({Daily("20260221", "20260301", 9), {"20260530-090000"}})},
        // Three runs within one second get the same time and a number each.
        {"three runs in one second",
         "20261207",
         1,
         {17, 17, 17},
         0,
         {"20261207-170000", "20261207-170000-2", "20261207-170000-3"}},
    };
    for (const Generations& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(BackupFolder());
        fs::create_directory(BackupFolder());
        // Files of other names are never thinned out; a crashed backup's temporary file is.
        WriteBytes(BackupFolder() / "notes.txt", "mine");
        WriteBytes(BackupFolder() / "kelnova-20200101-000000.txt.bak", "mine");
        WriteBytes(BackupFolder() / "kelnova-20200101-000000.txt.tmp", "half");

        int run = 0;
        std::string day = c.firstDay;
        std::string lastBytes;
        BackupResult last;
        for (int d = 0; d < c.days; ++d, day = DateAddDays(day, 1)) {
            for (int hour : c.hours) {
                lastBytes = std::string(kHeader) + "run " + std::to_string(++run) + "\r\n";
                last = Session(At(day, hour), lastBytes);
                ASSERT_FALSE(last.failure.Failed()) << last.failure.reason;
            }
        }
        if (c.pauseDays > 0) {
            lastBytes = "after the pause";
            last = Session(At(DateAddDays(day, c.pauseDays - 1), 9), lastBytes);
        }

        std::set<std::string> expected = {"notes.txt", "kelnova-20200101-000000.txt.bak"};
        for (const std::string& part : c.kept) {
            expected.insert("kelnova-" + part + ".txt");
        }
        EXPECT_EQ(BackupNames(), expected);
        EXPECT_EQ(ReadBytes(last.path), lastBytes);
    }
}

// The backup is the table byte for byte, whatever its size against the copy's blocks; an
// empty table needs none, and a table that cannot be read is reported with its own path
// and leaves no file in the backup folder.
TEST_F(BackupsTest, BackupIsTheTableByteForByte) {
    const size_t sizes[] = {1, 65535, 65536, 65537, 3 * 65536 + 17};
    int second = 0;
    for (size_t size : sizes) {
        SCOPED_TRACE("size " + std::to_string(size));
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>(i * 7 + i / 65536);
        }
        const BackupResult made = Session(At("20261207", 9, 0, second++), bytes);
        ASSERT_FALSE(made.failure.Failed()) << made.failure.step;
        EXPECT_EQ(ReadBytes(made.path), bytes);
    }
    const size_t before = BackupNames().size();
    EXPECT_EQ(Session(At("20261207", 10), "").path, "");
    fs::remove(TablePath());
    fs::create_directory(TablePath());  // opens, but cannot be read
    const BackupResult unreadable =
        BackUpTable(TablePath().string(), [] { return At("20261207", 11); });
    EXPECT_EQ(unreadable.failure.step, "read the table file");
    EXPECT_EQ(xeltest::Slashed(unreadable.failure.path), xeltest::Slashed(TablePath().string()));
    EXPECT_EQ(unreadable.failure.errnoValue, EISDIR);
    EXPECT_EQ(BackupNames().size(), before);
    fs::remove(TablePath());
}

TEST_F(BackupsTest, RestorePutsTheBackupBackByteForByteAndKeepsTheReplacedFile) {
    // Bytes a reshaping copy would change: a bare LF, no last line end, CP932, a NUL.
    const std::string old = std::string(kHeader) + "20080305,0930,1000,1,\x89\xEF\x8B\x63,\n" +
                            std::string("20080306,,,,,1\r\nx\0y", 19);
    const std::string now = std::string(kHeader) + "20080307,,,0,Trip,\r\n" + kEndMark;
    const struct {
        const char* name;
        bool symlink;  // the table file is a symbolic link, which must stay one
    } cases[] = {{"plain file", false}, {"symbolic link", true}};
    for (const auto& c : cases) {
        if (c.symlink && !xeltest::kPosixFiles) {
            continue;  // no symbolic links on Windows
        }
        SCOPED_TRACE(c.name);
        fs::remove_all(BackupFolder());
        fs::remove(TablePath());
        const fs::path real = m_dir / "real.txt";
        if (c.symlink) {
            fs::create_symlink("real.txt", TablePath());
        }
        const BackupResult chosen = Session(At("20261201", 8), old);
        ASSERT_FALSE(chosen.failure.Failed()) << chosen.failure.reason;
        WriteBytes(TablePath(), now);

        std::string made;
        const BackupFailure failure = RestoreBackup(
            TablePath().string(), chosen.path, [] { return At("20261207", 17, 45, 1); }, &made);
        ASSERT_FALSE(failure.Failed()) << failure.reason;
        EXPECT_EQ(ReadBytes(TablePath()), old);
        EXPECT_EQ(xeltest::Slashed(made),
                  xeltest::Slashed((BackupFolder() / "kelnova-20261207-174501.txt").string()));
        EXPECT_EQ(ReadBytes(made), now);
        EXPECT_EQ(fs::is_symlink(TablePath()), c.symlink);
        if (c.symlink) {
            EXPECT_EQ(ReadBytes(real), old);
        }

        // The listing: newest first, with the rows each holds.
        const std::vector<BackupEntry> list = ListBackups(TablePath().string());
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[0].path, made);
        EXPECT_EQ(list[0].rows, 1);
        EXPECT_EQ(list[1].path, chosen.path);
        EXPECT_EQ(list[1].rows, 3);  // the two rows and the unended "x\0y"
        EXPECT_EQ(list[1].bytes, static_cast<int64_t>(old.size()));

        // Undoing the restore gives the replaced file back.
        ASSERT_FALSE(RestoreBackup(TablePath().string(), made, [] {
                         return At("20261207", 17, 46);
                     }).Failed());
        EXPECT_EQ(ReadBytes(TablePath()), now);
        fs::remove(real);
    }
}

TEST_F(BackupsTest, RestoreReplacesNothingWhenTheReplacedFileCannotBeKept) {
    const std::string now = std::string(kHeader) + "20080307,,,0,Trip,\r\n" + kEndMark;
    WriteBytes(TablePath(), now);
    WriteBytes(m_dir / "elsewhere.txt", "older");
    WriteBytes(BackupFolder(), "a plain file where the backup folder goes");

    const BackupFailure failure =
        RestoreBackup(TablePath().string(), (m_dir / "elsewhere.txt").string(), LocalTimeNow);
    EXPECT_TRUE(failure.Failed());
    EXPECT_EQ(failure.errnoValue, ENOTDIR);
    EXPECT_EQ(ReadBytes(TablePath()), now);
}

// The model backs the table up before the first write of a run, and a backup it cannot
// make is reported without stopping the save.
class ModelBackupTest : public BackupsTest {
  protected:
    void OpenModel(const std::string& bytes) {
        m_model.Close(false);
        WriteBytes(TablePath(), bytes);
        testing::internal::CaptureStdout();  // the store's diagnostics about odd lines
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
        testing::internal::GetCapturedStdout();
    }
    void Edit() {
        const DayContent before = m_model.ReadDay("20080308");
        DayContent after = before;
        after.slots[0] = {"0930", "1000", "memo"};
        m_model.WriteDay(before, after);
    }
    void TearDown() override {
        m_model.Close(false);
        BackupsTest::TearDown();
    }
    CScheduleModel m_model;
};

// A table file is saved without its backup (reported once a run); a file that is not a
// table file is not written over without one, and each save tries the backup again.
TEST_F(ModelBackupTest, AFailedBackupIsReportedAndStopsOnlyTheWriteOverAForeignFile) {
    const std::string table = std::string(kHeader) + "20080305,,,,,1\r\n" + kEndMark;
    const std::string saved =
        std::string(kHeader) + "20080305,,,,,1\r\n20080308,0930,1000,1,memo,\r\n" + kEndMark;
    const std::string foreign = "20080305,,,,,1\r\n";
    const std::string foreignSaved =
        std::string(kHeader) + "20080305,,,,,1\r\n20080308,0930,1000,1,memo,\r\n" + kEndMark;
    const struct {
        const char* name;
        const std::string& bytes;
        bool close;  // the first write is the save of Close(true), not Save
        bool written;
    } cases[] = {
        {"table file, Save", table, false, true},
        {"table file, Close(true)", table, true, true},
        {"foreign file, Save", foreign, false, false},
        {"foreign file, Close(true)", foreign, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CScheduleModel model;  // a new run
        fs::remove_all(BackupFolder());
        WriteBytes(BackupFolder(), "a plain file where the backup folder goes");
        WriteBytes(TablePath(), c.bytes);
        testing::internal::CaptureStdout();
        ASSERT_TRUE(model.Open(m_dir.string() + "/"));
        testing::internal::GetCapturedStdout();
        const DayContent before = model.ReadDay("20080308");
        DayContent after = before;
        after.slots[0] = {"0930", "1000", "memo"};
        model.WriteDay(before, after);

        EXPECT_EQ(c.close ? model.Close(true) : model.Save(), c.written);
        EXPECT_EQ(ReadBytes(TablePath()), c.written ? saved : c.bytes);
        const BackupFailure& failure = model.LastBackupFailure();
        EXPECT_EQ(failure.errnoValue, ENOTDIR);
        EXPECT_EQ(xeltest::Slashed(failure.path), xeltest::Slashed(BackupFolder().string()));
        EXPECT_EQ(xeltest::Slashed(BackupFailureMessage(failure)),
                  xeltest::Slashed("バックアップを作成できませんでした。（" +
                                   BackupFolder().string() + ": フォルダではありません。）"));
        EXPECT_EQ(model.LastSaveFailure().reason.empty(), c.written);
        if (c.close) {
            continue;
        }
        // The next save: a table file's backup is not tried again; a foreign file's is, and
        // once the folder can be made, the file is backed up and then written.
        EXPECT_EQ(model.Save(), c.written);
        EXPECT_EQ(model.LastBackupFailure().Failed(), !c.written);
        fs::remove(BackupFolder());
        EXPECT_TRUE(model.Save());
        EXPECT_EQ(ReadBytes(TablePath()), c.written ? saved : foreignSaved);
        const std::vector<BackupEntry> backups = ListBackups(TablePath().string());
        ASSERT_EQ(backups.size(), c.written ? 0u : 1u);
        if (!c.written) {
            EXPECT_EQ(ReadBytes(backups[0].path), foreign);
        }
    }
}

TEST_F(ModelBackupTest, OneBackupARunBeforeTheFirstWrite) {
    const std::string table = std::string(kHeader) + "20080305,,,,,1\r\n" + kEndMark;
    OpenModel(table);
    EXPECT_TRUE(m_model.Save());  // nothing changed, but the file is rewritten all the same
    EXPECT_FALSE(m_model.LastBackupFailure().Failed());
    Edit();
    EXPECT_TRUE(m_model.Save());
    const std::vector<BackupEntry> backups = ListBackups(TablePath().string());
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(ReadBytes(backups[0].path), table);
#ifndef _WIN32  // Windows keeps access lists instead of these mode bits
    struct stat info;
    ASSERT_EQ(::stat(BackupFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(backups[0].path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
#endif

    // A restore through the model: the month shows the restored rows at once.
    ASSERT_TRUE(m_model.RestoreBackup(backups[0].path));
    EXPECT_EQ(ReadBytes(TablePath()), table);
    EXPECT_TRUE(m_model.ReadDay("20080305").holiday);
    EXPECT_TRUE(m_model.ReadDay("20080308").slots[0].IsFree());
    EXPECT_EQ(ListBackups(TablePath().string()).size(), 2u);
    // The replaced file is a backup already: saving the restored table adds none.
    EXPECT_TRUE(m_model.Save());
    EXPECT_EQ(ListBackups(TablePath().string()).size(), 2u);
}

TEST_F(ModelBackupTest, HeaderCheckTellsTableFilesFromOthersAndOthersAreBackedUpFirst) {
    const std::string crlf = std::string(kHeader) + "20080305,,,,,1\r\n" + kEndMark;
    const std::string lf =
        "# X-- Database Version 1.0\n# Table Name : kelnova\n"
        "# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\n";
    const struct {
        const char* name;
        std::string bytes;
        bool looksLikeTable;
    } cases[] = {
        {"the header, CR LF", crlf, true},
        {"the header, LF", lf + "20080305,,,,,1\n", true},
        {"the header alone, the last line unended", lf.substr(0, lf.size() - 1), true},
        {"empty", "", true},
        {"binary bytes", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), false},
        {"another program's text", "20080305,0930,1000,1,memo,\r\n", false},
        {"another table's header",
         "# X-- Database Version 1.0\r\n# Table Name : address\r\n# Format : [NAME]\r\n", false},
        {"the header after a byte order mark", "\xEF\xBB\xBF" + crlf, false},
        {"the header cut short", crlf.substr(0, 40), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HasScheduleHeader(c.bytes), c.looksLikeTable);

        // A run that finds the file: the backup before its first save holds the file as
        // it was, and an empty one needs none.
        fs::remove_all(BackupFolder());
        CScheduleModel model;
        WriteBytes(TablePath(), c.bytes);
        testing::internal::CaptureStdout();
        ASSERT_TRUE(model.Open(m_dir.string() + "/"));
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(model.LooksLikeScheduleFile(), c.looksLikeTable);
        EXPECT_TRUE(model.Save());
        const std::vector<BackupEntry> backups = ListBackups(TablePath().string());
        if (c.bytes.empty()) {
            EXPECT_TRUE(backups.empty());
        } else {
            ASSERT_EQ(backups.size(), 1u);
            EXPECT_EQ(ReadBytes(backups[0].path), c.bytes);
        }
        model.Close(false);
    }
}

TEST_F(ModelBackupTest, AForeignFileFoundAgainIsBackedUpAgainInTheSameRun) {
    const std::string table = std::string(kHeader) + kEndMark;
    const std::string foreign = "name,phone\r\nsomeone,0123\r\n";
    OpenModel(table);
    ASSERT_TRUE(m_model.Save());
    OpenModel(foreign);  // the same run opens the table again and finds another file
    EXPECT_FALSE(m_model.LooksLikeScheduleFile());
    ASSERT_TRUE(m_model.Save());
    const std::vector<BackupEntry> backups = ListBackups(TablePath().string());
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(ReadBytes(backups[0].path), foreign);
    EXPECT_EQ(ReadBytes(backups[1].path), table);
}

}  // namespace
