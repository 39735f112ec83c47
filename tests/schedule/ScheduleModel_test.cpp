// The schedule model against a table of three years of mixed rows: what it walks and
// what a month read gives must be exactly what a day read gives, and it must tell when
// the file on disk is no longer the one it read or saved.
#include "ScheduleModel.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "BenchData.h"
#include "DateTime.h"
#include "FileStamp.h"
#include "PeriodSpan.h"
#include "ScheduleTestSupport.h"
#include "TablePrefetch.h"
#include "XelFile.h"

namespace {

using caltest::MarkLine;
using caltest::PeriodLine;
using caltest::SlotLine;

// Puts a file's modification time (as FileStampOf gives it) back through the system's own
// call, to the unit the file system keeps. std::filesystem cannot be used for that on
// Windows: MinGW's reads and sets it in whole seconds, where the file keeps 100 ns ticks.
bool SetModifiedNs(const std::filesystem::path& path, int64_t ns) {
#ifdef _WIN32
    const HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    constexpr int64_t kTicksTo1970 = 116444736000000000LL;
    const uint64_t ticks = static_cast<uint64_t>(ns / 100 + kTicksTo1970);
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    const bool set = SetFileTime(file, nullptr, nullptr, &time) != 0;
    CloseHandle(file);
    return set;
#else
    const struct timespec times[2] = {{0, UTIME_OMIT},
                                      {static_cast<time_t>(ns / 1000000000), ns % 1000000000}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
#endif
}

bool operator==(const PeriodSpan& a, const PeriodSpan& b) {
    return a.n == b.n && a.first == b.first && a.last == b.last && a.middle == b.middle &&
           a.text == b.text;
}

void ExpectSameDay(const DayContent& seen, const DayContent& read) {
    EXPECT_EQ(seen.date, read.date);
    EXPECT_EQ(seen.slots, read.slots) << read.date;
    EXPECT_TRUE(seen.period == read.period)
        << read.date << ": " << seen.period.first << "-" << seen.period.last << " against "
        << read.period.first << "-" << read.period.last;
    EXPECT_EQ(seen.holiday, read.holiday) << read.date;
    EXPECT_EQ(seen.paidLeave, read.paidLeave) << read.date;
}

bool HoldsAnything(const DayContent& day) {
    for (const TimedEntry& e : day.slots) {
        if (!e.IsFree()) {
            return true;
        }
    }
    return day.period.n > 0 || day.holiday || day.paidLeave;
}

class ScheduleModelTest : public caltest::ScheduleTest {
  protected:
    // 2007 to 2009: entries on a third of the days, runs of 1 to 60 days (some over month
    // and year ends, some overlapping with another text), marks, duplicates, and rows the
    // model must pass over (INDEX 5, a short DATE, a day that does not exist).
    void AddThreeYears() {
        std::mt19937 random(20080305);
        const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
        int runLeft = 0;
        std::string runText;
        for (std::string day = "20070101"; day <= "20091231"; day = DateAddDays(day, 1)) {
            if (chance(33)) {
                const int slot = static_cast<int>(random() % kSlotCount);
                Add(SlotLine(day, chance(80) ? "0930" : "", chance(50) ? "1000" : "", slot,
                             "E" + std::to_string(random() % 1000)));
                if (chance(5)) {
                    Add(SlotLine(day, "1200", "", slot, "hidden duplicate"));
                }
            }
            if (runLeft == 0 && chance(4)) {
                runLeft = 1 + static_cast<int>(random() % 60);
                runText = chance(30) ? "Trip" : "R" + std::to_string(random() % 100);
            }
            if (runLeft > 0) {
                Add(PeriodLine(day, runText));
                if (chance(3)) {
                    Add(PeriodLine(day, "Overlap"));
                }
                --runLeft;
            }
            if (chance(5)) {
                Add(MarkLine(day, chance(50) ? "1" : "2"));
            }
            if (chance(1)) {
                Add(day + ",,,5,Unknown,");
            }
        }
        AddLines({"2008035,,,1,Short date,", "20080230,0930,,1,No such day,"});
    }
};

TEST_F(ScheduleModelTest, WalksEveryDayThatHoldsAnythingAsADayReadGivesIt) {
    AddThreeYears();
    struct Range {
        const char* from;
        const char* to;
    };
    const Range ranges[] = {
        {"20070101", "20091231"},  // everything
        {"20080215", "20080315"},  // starts and ends inside runs, over the leap day
        {"20081231", "20090101"},  // a year end
        {"20080305", "20080305"},  // one day
        {"20100101", "20101231"},  // nothing there
        {"20080301", "20080201"},  // from after to
    };
    for (const Range& r : ranges) {
        SCOPED_TRACE(std::string(r.from) + "-" + r.to);
        std::vector<DayContent> seen;
        m_model.ForEachDay(r.from, r.to, [&](const DayContent& day) { seen.push_back(day); });
        std::vector<DayContent> expected;
        for (std::string day = r.from; !day.empty() && day <= r.to; day = DateAddDays(day, 1)) {
            DayContent read = m_model.ReadDay(day);
            if (HoldsAnything(read)) {
                expected.push_back(std::move(read));
            }
        }
        ASSERT_EQ(seen.size(), expected.size());
        for (size_t i = 0; i < seen.size(); ++i) {
            ExpectSameDay(seen[i], expected[i]);
        }
    }
}

TEST_F(ScheduleModelTest, AMonthReadIsWhatItsDaysReadGive) {
    AddThreeYears();
    for (int year = 2007; year <= 2009; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const MonthContent content = m_model.ReadMonth(year, month);
            const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
            const int days = kDays[month - 1] + (year == 2008 && month == 2 ? 1 : 0);
            ASSERT_EQ(content.days.size(), static_cast<size_t>(days));
            for (const MonthDay& day : content.days) {
                const DayContent read = m_model.ReadDay(day.content.date);
                EXPECT_EQ(day.content.slots, read.slots) << read.date;
                EXPECT_EQ(day.content.holiday, read.holiday) << read.date;
                EXPECT_EQ(day.content.paidLeave, read.paidLeave) << read.date;
                EXPECT_EQ(day.period.type,
                          read.period.n == 0 ? -1 : PeriodMarkType(read.period, read.date))
                    << read.date;
                EXPECT_EQ(day.period.text, read.period.text) << read.date;
            }
        }
    }
}

TEST_F(ScheduleModelTest, WrittenDayReadsBackAndOnlyASaveClearsTheUnsavedMark) {
    Add(SlotLine("20080305", "0800", "", 1, "Old"));
    ASSERT_FALSE(m_model.HasUnsavedChanges());
    DayContent before = m_model.ReadDay("20080305");
    DayContent after = before;
    after.slots[1] = {};
    after.slots[0] = {"0930", "1000", "New"};
    after.period = {0, "20080304", "20080306", "", "Trip"};
    after.paidLeave = true;
    const DayWriteOutcome outcome = m_model.WriteDay(before, after);
    EXPECT_EQ(outcome.periodRowsWritten, 3);
    EXPECT_TRUE(m_model.HasUnsavedChanges());

    const DayContent read = m_model.ReadDay("20080305");
    EXPECT_EQ(read.slots, after.slots);
    EXPECT_EQ(read.period.first, "20080304");
    EXPECT_EQ(read.period.last, "20080306");
    EXPECT_TRUE(read.paidLeave);

    // A refused rename keeps the mark (the close will try again), a good save clears it.
    static XelSysCalls failingRename = XelRealSysCalls();
    failingRename.rename = [](const char*, const char*) {
        errno = ENOSPC;
        return -1;
    };
    XelSetSysCalls(&failingRename);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(m_model.Save());
    testing::internal::GetCapturedStdout();
    XelSetSysCalls(nullptr);
    EXPECT_TRUE(m_model.HasUnsavedChanges());
    EXPECT_EQ(m_model.LastSaveFailure().errnoValue, ENOSPC);
    EXPECT_NE(m_model.LastSaveFailure().step.find("rename"), std::string::npos);
    EXPECT_EQ(m_model.LastSaveFailure().reason, "ディスクの空き容量が足りません。");
    EXPECT_TRUE(m_model.Save());
    EXPECT_FALSE(m_model.HasUnsavedChanges());
    EXPECT_EQ(m_model.LastSaveFailure().errnoValue, 0);
}

TEST_F(ScheduleModelTest, SeesWhenAnotherProgramChangedTheFile) {
    ASSERT_TRUE(m_model.Save());
    const std::string saved = xeltest::ReadBytes(TablePath());
    const std::filesystem::path other = m_dir / "other.txt";
    struct Case {
        const char* what;
        std::function<void()> change;
        bool changed;         // by the stamp alone
        bool contentChanged;  // with the content checked as well
    };
    const Case cases[] = {
        {"nothing", [] {}, false, false},
        // The hash a save keeps is that of the bytes it wrote: only those bytes match it.
        {"other bytes of the same size written in place, the time put back",
         [&] {
             const int64_t time = FileStampOf(TablePath().string()).modifiedNs;
             std::string other = saved;
             other[other.size() / 2] ^= 0x01;
             std::fstream(TablePath(), std::ios::binary | std::ios::in | std::ios::out)
                 .write(other.data(), static_cast<std::streamsize>(other.size()));
             ASSERT_TRUE(SetModifiedNs(TablePath(), time));
         },
         false, true},
        {"the same bytes written in place, the time put back",
         [&] {
             const int64_t time = FileStampOf(TablePath().string()).modifiedNs;
             std::fstream(TablePath(), std::ios::binary | std::ios::in | std::ios::out)
                 .write(saved.data(), static_cast<std::streamsize>(saved.size()));
             ASSERT_TRUE(SetModifiedNs(TablePath(), time));
         },
         false, false},
        {"replaced by a rename, as editors and sync tools save",
         [&] {
             xeltest::WriteBytes(other, saved + "20080305,,,1,x,\r\n");
             std::filesystem::rename(other, TablePath());
         },
         true, true},
        {"the same bytes written in place under a new time",
         [&] {
             xeltest::WriteBytes(TablePath(), saved);
             std::filesystem::last_write_time(
                 TablePath(),
                 std::filesystem::last_write_time(TablePath()) + std::chrono::seconds(2));
         },
         true, true},
        {"removed", [&] { std::filesystem::remove(TablePath()); }, true, true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(m_model.Save()) << c.what;
        ASSERT_FALSE(m_model.FileChangedOnDisk(true)) << c.what;
        c.change();
        EXPECT_EQ(m_model.FileChangedOnDisk(), c.changed) << c.what;
        EXPECT_EQ(m_model.FileChangedOnDisk(true), c.contentChanged) << c.what;
    }
    ASSERT_TRUE(m_model.Save());
    EXPECT_FALSE(m_model.FileChangedOnDisk()) << "a save takes the file as its own again";
}

// A file left alone long enough is checked by its stamp and status change time alone; the
// rewrite that keeps the stamp (other bytes of the same size, the time put back) must be
// seen all the same, whether the file was opened long after its last change or settled by
// the check that polls it after a save, and also when it came before that check.
TEST_F(ScheduleModelTest, ARewriteThatKeepsTheStampIsSeenOnceTheFileHasSettled) {
    AddLines({SlotLine("20080305", "0930", "1000", 0, "Kept")});
    ASSERT_TRUE(m_model.Save());
    int64_t ahead = 0;
    m_model.SetFileClock([&ahead] {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
                   .count() +
               ahead;
    });
    const int64_t later = CScheduleModel::kSettledNs + int64_t{1000000000};
    const auto rewrite = [&] {
        const int64_t time = FileStampOf(TablePath().string()).modifiedNs;
        std::string bytes = xeltest::ReadBytes(TablePath());
        bytes[bytes.size() - 20] ^= 0x01;
        std::fstream(TablePath(), std::ios::binary | std::ios::in | std::ios::out)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(SetModifiedNs(TablePath(), time));
        ASSERT_EQ(FileStampOf(TablePath().string()).modifiedNs, time);
    };
    const struct {
        const char* what;
        bool reopenLater;   // opened long after the file's last change
        bool rewriteFirst;  // rewritten before the polling check after a save
        bool rewriteAfter;  // rewritten once the file has settled
        bool changed;
    } cases[] = {
        {"opened long after, left alone", true, false, false, false},
        {"opened long after, then rewritten", true, false, true, true},
        {"saved and settled, left alone", false, false, false, false},
        {"saved and settled, then rewritten", false, false, true, true},
        {"saved, rewritten before it settled", false, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ahead = 0;
        ASSERT_TRUE(m_model.Save());
        if (c.reopenLater) {
            m_model.Close(false);
            ahead = later;
            ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
            m_table = DbOpenTable(kScheduleTable);
        } else {
            if (c.rewriteFirst) {
                rewrite();
            }
            ahead = later;
            EXPECT_FALSE(m_model.ReloadIfChanged());
        }
        if (c.rewriteAfter) {
            // The file system's clock moves on in ticks: the rewrite of a settled file comes
            // in a later one, as it would ten seconds later.
            int64_t tableChanged = 0;
            FileStampOf(TablePath().string(), &tableChanged);
            const std::string probe = (m_dir / "tick").string();
            for (int64_t probeChanged = tableChanged; probeChanged <= tableChanged;) {
                xeltest::WriteBytes(probe, "x");
                FileStampOf(probe, &probeChanged);
            }
            rewrite();
        }
        EXPECT_FALSE(m_model.FileChangedOnDisk());
        EXPECT_EQ(m_model.FileChangedOnDisk(true), c.changed);
    }
}

TEST_F(ScheduleModelTest, ReadOnlyRefusesEveryChangeAndWritesNothing) {
    AddLines({SlotLine("20080305", "0930", "1000", 0, "Kept"), PeriodLine("20080304", "Trip"),
              PeriodLine("20080305", "Trip"), MarkLine("20080305", "1")});
    ASSERT_TRUE(m_model.Save());
    const std::string saved = xeltest::ReadBytes(TablePath());
    const auto savedTime = std::filesystem::last_write_time(TablePath());
    m_model.SetReadOnly(true);

    const DayContent before = m_model.ReadDay("20080305");
    struct Edit {
        const char* what;
        std::function<void(DayContent&)> change;
    };
    const Edit edits[] = {
        {"a slot",
         [](DayContent& d) {
             d.slots[1] = {"1200", "1300", "New"};
         }},
        {"a removed slot", [](DayContent& d) { d.slots[0] = {}; }},
        {"the period", [](DayContent& d) { d.period.text.clear(); }},
        {"the marks", [](DayContent& d) { d.holiday = false, d.paidLeave = true; }},
    };
    for (const Edit& e : edits) {
        DayContent after = before;
        e.change(after);
        const DayWriteOutcome outcome = m_model.WriteDay(before, after);
        EXPECT_TRUE(outcome.refused) << e.what;
        EXPECT_EQ(outcome.periodRowsRemoved + outcome.periodRowsWritten, 0) << e.what;
        ExpectSameDay(m_model.ReadDay("20080305"), before);
        EXPECT_FALSE(m_model.HasUnsavedChanges()) << e.what;
    }
    EXPECT_FALSE(m_model.Save()) << "nothing was written, and the caller is told so";
    EXPECT_TRUE(m_model.Close(true)) << "nothing unsaved is lost at close";
    EXPECT_EQ(xeltest::ReadBytes(TablePath()), saved);
    EXPECT_EQ(std::filesystem::last_write_time(TablePath()), savedTime);
}

TEST(ScheduleModelOpenTest, AFolderThatCannotHoldTheTableIsRefused) {
    CScheduleModel model;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(model.Open("/nonexistent-pemdaro-folder/"));
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(model.IsOpen());
    EXPECT_TRUE(model.ReadDay("20080305").slots[0].IsFree());
    EXPECT_TRUE(model.ReadMonth(2008, 3).days.empty());
    DayContent day;
    day.date = "20080305";
    day.slots[0].text = "x";
    EXPECT_EQ(model.WriteDay(day, day).periodRowsWritten, 0);
    EXPECT_FALSE(model.HasUnsavedChanges());
    EXPECT_FALSE(model.Save());
}

}  // namespace

namespace {

// Another program changes the file while the model holds it; the user then confirms an
// edit of 5 March. Nothing either side stored may be lost, and a day both changed is the
// user's, with the other version kept in a copy.
TEST_F(ScheduleModelTest, AnotherProgramsChangesAreKeptUnderTheUsersEdit) {
    using Rows = std::vector<caltest::Cells>;
    const std::string kOther = SlotLine("20080310", "1200", "", 0, "other program");
    const std::string kTheirs = SlotLine("20080305", "0800", "", 0, "their version");
    struct Case {
        const char* what;
        // What the other program writes over the file, given the file's lines as saved.
        std::function<void(const std::filesystem::path&, const std::string&)> change;
        bool reloadFirst;  // the file monitor noticed before the edit
        Rows rows;         // the file's rows afterwards, sorted
        std::vector<std::string> conflicts;
    };
    const auto renameOver = [](const std::string& extra) {
        return [extra](const std::filesystem::path& table, const std::string& saved) {
            const std::string head = saved.substr(0, saved.rfind(xeltest::kEndMark));
            xeltest::WriteBytes(table.string() + ".new", head + extra + xeltest::kEndMark);
            std::filesystem::rename(table.string() + ".new", table);
        };
    };
    const Case cases[] = {
        {"a row on another day, renamed over the file",
         renameOver(kOther + "\r\n"),
         false,
         {{"20080305", "0930", "1000", "1", "mine", ""},
          {"20080306", "0800", "", "1", "Old", ""},
          {"20080310", "1200", "", "1", "other program", ""}},
         {}},
        {"the same, noticed before the edit",
         renameOver(kOther + "\r\n"),
         true,
         {{"20080305", "0930", "1000", "1", "mine", ""},
          {"20080306", "0800", "", "1", "Old", ""},
          {"20080310", "1200", "", "1", "other program", ""}},
         {}},
        {"the same day changed there too",
         renameOver(kTheirs + "\r\n"),
         false,
         {{"20080305", "0930", "1000", "1", "mine", ""}, {"20080306", "0800", "", "1", "Old", ""}},
         {"20080305"}},
        {"the same day, noticed before the edit",
         renameOver(kTheirs + "\r\n"),
         true,
         {{"20080305", "0930", "1000", "1", "mine", ""}, {"20080306", "0800", "", "1", "Old", ""}},
         {"20080305"}},
        {"rewritten in place with the same size and time",
         [&](const std::filesystem::path& table, const std::string& saved) {
             const auto time = std::filesystem::last_write_time(table);
             std::string bytes = saved;
             bytes.replace(bytes.find("Old"), 3, "Odd");
             xeltest::WriteBytes(table, bytes);
             std::filesystem::last_write_time(table, time);
         },
         false,
         {{"20080305", "0930", "1000", "1", "mine", ""}, {"20080306", "0800", "", "1", "Odd", ""}},
         {}},
        {"removed",
         [](const std::filesystem::path& table, const std::string&) {
             std::filesystem::remove(table);
         },
         false,
         {{"20080305", "0930", "1000", "1", "mine", ""}, {"20080306", "0800", "", "1", "Old", ""}},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_model.Close(false);
        xeltest::WriteBytes(TablePath(), std::string(xeltest::kHeader) +
                                             SlotLine("20080306", "0800", "", 0, "Old") + "\r\n" +
                                             xeltest::kEndMark);
        std::filesystem::remove_all(m_model.BackupFolder());
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
        m_table = DbOpenTable(kScheduleTable);
        const DayContent before = m_model.ReadDay("20080305");

        c.change(TablePath(), xeltest::ReadBytes(TablePath()));
        const std::string theirs = xeltest::ReadBytes(TablePath());
        if (c.reloadFirst) {
            EXPECT_TRUE(m_model.ReloadIfChanged());
        }
        DayContent after = before;
        after.slots[0] = {"0930", "1000", "mine"};
        m_model.WriteDay(before, after);
        ASSERT_TRUE(m_model.Save());
        const CScheduleModel::Conflicts& conflicts = m_model.LastSaveConflicts();
        EXPECT_EQ(conflicts.dates, c.conflicts);
        if (c.conflicts.empty()) {
            EXPECT_TRUE(conflicts.copyPath.empty());
        } else {
            EXPECT_EQ(xeltest::ReadBytes(conflicts.copyPath), theirs) << "their version kept";
        }
        EXPECT_FALSE(m_model.HasUnsavedChanges());
        EXPECT_FALSE(m_model.FileChangedOnDisk(true));

        // What the file holds, read anew.
        m_model.Close(false);
        m_table = DbOpenTable(kScheduleTable);
        EXPECT_EQ(SortedRows(), c.rows);
        DbCloseTable(kScheduleTable, 0);
    }
    ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
    m_table = DbOpenTable(kScheduleTable);
}

// Closing writes only what was not saved yet: a file another program changed after the
// last save stays as that program left it when nothing is pending.
TEST_F(ScheduleModelTest, ClosingWithNothingPendingLeavesTheFileAsItIs) {
    const DayContent before = m_model.ReadDay("20080305");
    DayContent after = before;
    after.slots[0] = {"0930", "", "mine"};
    m_model.WriteDay(before, after);
    ASSERT_TRUE(m_model.Save());
    const std::string theirs = xeltest::ReadBytes(TablePath())
                                   .insert(std::string(xeltest::kHeader).size(),
                                           SlotLine("20080310", "", "", 0, "theirs") + "\r\n");
    xeltest::WriteBytes(TablePath(), theirs);
    const FileStamp stamp = FileStampOf(TablePath().string());
    EXPECT_TRUE(m_model.Close(true));
    EXPECT_EQ(xeltest::ReadBytes(TablePath()), theirs);
    EXPECT_EQ(FileStampOf(TablePath().string()), stamp);
    ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
    m_table = DbOpenTable(kScheduleTable);
}

}  // namespace

namespace {

// Every month of the years a generated table covers, as the month view reads them, one
// line a day: what a model holds, rows and index alike.
std::string EveryMonth(const CScheduleModel& model) {
    std::string out;
    for (int year = 1996; year <= 2027; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (const MonthDay& day : model.ReadMonth(year, month).days) {
                out += day.content.date;
                for (const TimedEntry& e : day.content.slots) {
                    out += "|" + e.from + "," + e.to + "," + e.text;
                }
                out += "|" + std::to_string(day.period.type) + "," + day.period.middle + "," +
                       day.period.text + (day.content.holiday ? "|H" : "|") +
                       (day.content.paidLeave ? "P\n" : "\n");
            }
        }
    }
    return out;
}

// What an open leaves: the months, the bytes a save writes, what the store printed.
struct Opened {
    bool open = false;
    bool took = false;
    std::string months;
    std::string saved;
    std::string printed;
};

// The first read of the file fails (EIO); later reads are the system's.
std::atomic<int> g_readsToFail{0};
ssize_t FailingRead(int fd, void* buffer, size_t size) {
    if (g_readsToFail.fetch_sub(1) > 0) {
        errno = EIO;
        return -1;
    }
    return XelRealSysCalls().read(fd, buffer, size);
}

}  // namespace

class TablePrefetchTest : public xeltest::StoreTest {
  protected:
    // Opens the folder with a fresh model, with the prefetch or plainly, and closes it.
    Opened OpenAndClose(const std::string& folder, CTablePrefetch* prefetch, int64_t clockAhead) {
        CScheduleModel model;
        model.SetFileClock([clockAhead] {
            return std::chrono::duration_cast<std::chrono::nanoseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count() +
                   clockAhead;
        });
        Opened opened;
        testing::internal::CaptureStdout();
        opened.open = prefetch != nullptr ? model.Open(folder, *prefetch) : model.Open(folder);
        opened.printed = testing::internal::GetCapturedStdout();
        opened.took = model.TookPrefetchedRows();
        opened.months = EveryMonth(model);
        const std::filesystem::path copy = m_dir / "saved-copy";
        if (opened.open && model.SaveCopyTo(copy.string())) {
            opened.saved = xeltest::ReadBytes(copy);
            std::filesystem::remove(copy);
        }
        model.Close(false);
        return opened;
    }
};

// The rows read ahead are taken over only while they are certainly the file's: the model
// then holds exactly what a plain open of the file gives (every month, the bytes of a save,
// the store's warnings), and whenever the file may have changed since the stamp taken
// before the read, or the read is not the file's, they are dropped and the plain open's
// result is had all the same.
TEST_F(TablePrefetchTest, TakesTheRowsReadAheadOnlyWhileTheyAreTheFilesAsItIsNow) {
    bench::TableSpec shape;
    shape.rows = 20000;
    // Rows with fewer cells than columns make the store warn; the warnings are printed once,
    // by the open, as a plain open prints them.
    std::string lf = bench::MakeTableFile(shape) + "20110620,0900,1000,1,Short\r\n20110621\r\n";
    std::string crAlone = lf;
    crAlone.erase(std::remove(crAlone.begin(), crAlone.end(), '\n'), crAlone.end());
    shape.seed = 2;
    const std::string other = bench::MakeTableFile(shape);
    ASSERT_NE(lf.find(",\"", 0), std::string::npos) << "the table has quoted cells";

    enum class After { kNothing, kRewrite, kRename, kRemove, kOtherFolder, kReadFails, kCancel };
    const int64_t settled = CScheduleModel::kSettledNs + int64_t{1000000000};
    const struct {
        const char* what;
        const std::string& bytes;
        int64_t clockAhead;  // the file was left alone for long when this is `settled`
        After after;         // what happens between the prefetch's start and the open
        bool taken;
    } cases[] = {
        {"left alone", lf, settled, After::kNothing, true},
        {"left alone, lines ended by CR alone", crAlone, settled, After::kNothing, true},
        {"changed shortly before", lf, 0, After::kNothing, false},
        {"rewritten in place, same size and time", lf, settled, After::kRewrite, false},
        {"replaced by a rename", lf, settled, After::kRename, false},
        {"removed", lf, settled, After::kRemove, false},
        {"another folder's table read", lf, settled, After::kOtherFolder, false},
        {"the read failed", lf, settled, After::kReadFails, false},
        {"cancelled", lf, settled, After::kCancel, false},
    };
    const std::string folder = m_dir.string() + "/";
    const std::filesystem::path otherFolder = m_dir / "other";
    std::filesystem::create_directories(otherFolder);
    xeltest::WriteBytes(otherFolder / "kelnova.txt", other);
    XelSysCalls failing = XelRealSysCalls();
    failing.read = FailingRead;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        xeltest::WriteBytes(TablePath(), c.bytes);
        // A rewrite must come after the file's status change time has moved on, as the
        // rewrites a prefetch must notice do.
        if (c.after == After::kRewrite) {
            int64_t written = 0;
            FileStampOf(TablePath().string(), &written);
            const std::filesystem::path probe = m_dir / "probe";
            int64_t now = written;
            for (int i = 0; i < 100000 && now <= written; ++i) {
                xeltest::WriteBytes(probe, "x");
                FileStampOf(probe.string(), &now);
            }
            ASSERT_GT(now, written);
        }

        CTablePrefetch prefetch;
        if (c.after == After::kReadFails) {
            g_readsToFail = 1;
            XelSetSysCalls(&failing);
        }
        prefetch.Start(c.after == After::kOtherFolder ? otherFolder.string() + "/" : folder);
        ASSERT_TRUE(prefetch.Pending());
        switch (c.after) {
            case After::kRewrite: {
                const int64_t time = FileStampOf(TablePath().string()).modifiedNs;
                std::string bytes = c.bytes;
                const size_t at = bytes.find("20110620");
                bytes[at + 7] = '1';  // 20110621: same size, another day
                std::fstream(TablePath(), std::ios::binary | std::ios::in | std::ios::out)
                    .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
                ASSERT_TRUE(SetModifiedNs(TablePath(), time));
                break;
            }
            case After::kRename:
                xeltest::WriteBytes(m_dir / "new", other);
                std::filesystem::rename(m_dir / "new", TablePath());
                break;
            case After::kRemove:
                std::filesystem::remove(TablePath());
                break;
            case After::kCancel:
                prefetch.Cancel();
                break;
            default:
                break;
        }
        const Opened ahead = OpenAndClose(folder, &prefetch, c.clockAhead);
        XelSetSysCalls(nullptr);
        EXPECT_FALSE(prefetch.Pending()) << "the open spends the prefetch";
        if (c.after == After::kRemove) {
            ASSERT_TRUE(std::filesystem::exists(TablePath())) << "the open made the file";
            std::filesystem::remove(TablePath());  // as it was when that open came
        }
        const Opened plain = OpenAndClose(folder, nullptr, c.clockAhead);

        EXPECT_EQ(ahead.took, c.taken);
        ASSERT_TRUE(ahead.open);
        ASSERT_TRUE(plain.open);
        EXPECT_TRUE(ahead.months == plain.months) << "the months differ from a plain open's";
        EXPECT_TRUE(ahead.saved == plain.saved) << "a save's bytes differ from a plain open's";
        EXPECT_EQ(ahead.printed, plain.printed);
        EXPECT_GT(plain.saved.size(), c.after == After::kRemove ? 0u : 500000u);
        if (c.after == After::kNothing) {
            EXPECT_NE(plain.printed.find("(503)"), std::string::npos) << plain.printed;
        }
    }
}
