// The save on a worker thread against the save on the caller's thread: for the same steps
// the file's bytes, the model's state and what it reports must be the same, whatever
// fails on the way and whatever the caller does while the worker runs. The worker is held
// at a known system call of its write (no sleeping), so that reads, a second edit and a
// close provably happen while it runs.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "BenchData.h"
#include "DateTime.h"
#include "ScheduleModel.h"
#include "ScheduleTestSupport.h"
#include "XelFile.h"

namespace {

using caltest::SlotLine;

enum class Call { kNone, kOpen, kWrite, kFsync, kRename };

// Holds the worker at the first `at` call of the table's save (from the open of its
// temporary file on) until the test releases it, then fails the nth `fail` call with
// `error`. Calls of anything else (the backup, other files) pass through.
struct Seam {
    Call holdAt = Call::kNone;
    Call fail = Call::kNone;
    int nth = 1;
    int error = EIO;

    std::mutex mutex;
    std::condition_variable changed;
    bool inSave = false;
    bool reached = false;
    bool released = false;
    int counts[5] = {};

    void Reset(Call hold, Call failAt, int n, int err) {
        std::lock_guard<std::mutex> lock(mutex);
        holdAt = hold;
        fail = failAt;
        nth = n;
        error = err;
        inSave = reached = released = false;
        std::fill(std::begin(counts), std::end(counts), 0);
    }
    // True when this call is to fail (errno set).
    bool Pass(Call call, const char* path = nullptr) {
        std::unique_lock<std::mutex> lock(mutex);
        if (call == Call::kOpen && path != nullptr && std::strstr(path, "kelnova.txt.tmp-")) {
            inSave = true;
        }
        if (!inSave) {
            return false;
        }
        const int count = ++counts[static_cast<int>(call)];
        if (call == holdAt && count == 1) {
            reached = true;
            changed.notify_all();
            changed.wait(lock, [this] { return released; });
        }
        if (call == fail && count == nth) {
            errno = error;
            return true;
        }
        return false;
    }
    void WaitReached() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return reached; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex);
        released = true;
        changed.notify_all();
    }
} g_seam;

const XelSysCalls kSeamCalls = [] {
    XelSysCalls calls = XelRealSysCalls();
    calls.open = [](const char* path, int flags, mode_t mode) {
        return g_seam.Pass(Call::kOpen, path) ? -1 : XelRealSysCalls().open(path, flags, mode);
    };
    calls.write = [](int fd, const void* buffer, size_t size) -> ssize_t {
        return g_seam.Pass(Call::kWrite) ? -1 : XelRealSysCalls().write(fd, buffer, size);
    };
    calls.fsync = [](int fd) {
        return g_seam.Pass(Call::kFsync) ? -1 : XelRealSysCalls().fsync(fd);
    };
    calls.rename = [](const char* from, const char* to) {
        return g_seam.Pass(Call::kRename) ? -1 : XelRealSysCalls().rename(from, to);
    };
    return calls;
}();

// What a save left: the file, the model's state and what it reports.
struct Outcome {
    bool result = false;
    std::string bytes;
    std::string bytesAtEnd;  // after the steps that follow the save
    SaveFailure failure;
    std::string backupStep;
    bool unsaved = false;
    std::vector<std::string> conflicts;
    std::string conflictCopy;  // its bytes
    bool changedOnDisk = false;
};

void ExpectSame(const Outcome& background, const Outcome& direct) {
    EXPECT_EQ(background.result, direct.result);
    EXPECT_EQ(background.bytes, direct.bytes);
    EXPECT_EQ(background.bytesAtEnd, direct.bytesAtEnd);
    EXPECT_EQ(background.failure.step, direct.failure.step);
    EXPECT_EQ(background.failure.errnoValue, direct.failure.errnoValue);
    EXPECT_EQ(background.failure.reason, direct.failure.reason);
    EXPECT_EQ(background.backupStep, direct.backupStep);
    EXPECT_EQ(background.unsaved, direct.unsaved);
    EXPECT_EQ(background.conflicts, direct.conflicts);
    EXPECT_EQ(background.conflictCopy, direct.conflictCopy);
    EXPECT_EQ(background.changedOnDisk, direct.changedOnDisk);
}

bool SameDay(const DayContent& a, const DayContent& b) {
    return a.date == b.date && a.slots == b.slots && a.period.n == b.period.n &&
           a.period.first == b.period.first && a.period.last == b.period.last &&
           a.period.middle == b.period.middle && a.period.text == b.period.text &&
           a.holiday == b.holiday && a.paidLeave == b.paidLeave;
}

bool SameMonth(const MonthContent& a, const MonthContent& b) {
    if (a.days.size() != b.days.size()) {
        return false;
    }
    for (size_t d = 0; d < a.days.size(); ++d) {
        const MonthDay& x = a.days[d];
        const MonthDay& y = b.days[d];
        if (!SameDay(x.content, y.content) || x.period.type != y.period.type) {
            return false;
        }
    }
    return true;
}

class BackgroundSaveTest : public caltest::ScheduleTest {
  protected:
    void TearDown() override {
        XelSetSysCalls(nullptr);
        caltest::ScheduleTest::TearDown();
    }

    std::string Folder() const { return m_dir.string() + "/"; }
    std::string Read() const { return xeltest::ReadBytes(TablePath()); }

    // The file as the other program leaves it: the same day with their text, renamed over.
    void TheirChange() {
        std::string theirs = Read();
        theirs.replace(theirs.find(",base"), 5, ",theirs");
        xeltest::WriteBytes(TablePath().string() + ".new", theirs);
        std::filesystem::rename(TablePath().string() + ".new", TablePath());
    }

    static DayContent Edited(CScheduleModel& model, const std::string& date, const char* text) {
        DayContent after = model.ReadDay(date);
        after.slots[0] = {"0930", "1000", text};
        return after;
    }
};

// Each case runs twice from the same file: once with Save() on this thread, once with the
// save on the worker (held at a call of its write while the case's step is taken), and
// both must leave the same.
TEST_F(BackgroundSaveTest, EndsAsTheSaveOnTheCallersThreadDoes) {
    enum class Step { kNothing, kSecondEdit, kClose };
    struct Case {
        const char* what;
        bool headless = false;      // the table file lacks the table's header lines
        bool blockBackups = false;  // a plain file where the backup folder would go
        bool theirChange = false;   // another program changed the file before the save
        Call fail = Call::kNone;
        int error = 0;
        Step step = Step::kNothing;
    };
    const Case cases[] = {
        {"a plain save"},
        {"the temporary file cannot be made", false, false, false, Call::kOpen, ENOSPC},
        {"the write fails", false, false, false, Call::kWrite, EIO},
        {"the file's sync fails", false, false, false, Call::kFsync, EIO},
        {"the rename fails", false, false, false, Call::kRename, ENOSPC},
        {"the backup cannot be made; the save goes on", false, true},
        {"no backup of a file not in the table's format: nothing is written", true, true},
        {"another program changed the same day", false, false, true},
        {"a second edit while the save runs", false, false, false, Call::kNone, 0,
         Step::kSecondEdit},
        {"a second edit while a failing save runs", false, false, false, Call::kRename, EIO,
         Step::kSecondEdit},
        {"the window closes while the save runs", false, false, false, Call::kNone, 0,
         Step::kClose},
        {"the window closes while a failing save runs", false, false, false, Call::kFsync, EIO,
         Step::kClose},
    };
    const std::string initial =
        std::string(xeltest::kHeader) + SlotLine("20080305", "0800", "", 0, "base") + "\r\n" +
        SlotLine("20080306", "0800", "", 1, "Old") + "\r\n" + xeltest::kEndMark;
    const std::string headless = SlotLine("20080305", "0800", "", 0, "base") + "\r\n";

    m_model.Close(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Outcome outcomes[2];
        for (const bool background : {false, true}) {
            // A model of its own, as a new run of the program has: its first save is the
            // first of the run, with the backup due.
            CScheduleModel model;
            std::filesystem::remove_all(m_dir);
            std::filesystem::create_directories(m_dir);
            xeltest::WriteBytes(TablePath(), c.headless ? headless : initial);
            if (c.blockBackups) {
                xeltest::WriteBytes(m_dir / "kelnova-backup", "not a folder");
            }
            testing::internal::CaptureStdout();
            ASSERT_TRUE(model.Open(Folder()));
            model.WriteDay(model.ReadDay("20080305"), Edited(model, "20080305", "mine"));
            const DayContent written = model.ReadDay("20080305");
            if (c.theirChange) {
                TheirChange();
            }
            // The worker writes nothing when the file changed, nor without a needed backup:
            // it is held only where it reaches the write.
            const bool held = background && !c.theirChange && !(c.headless && c.blockBackups);
            g_seam.Reset(held ? Call::kOpen : Call::kNone, c.fail, 1, c.error);
            XelSetSysCalls(&kSeamCalls);

            Outcome& out = outcomes[background ? 1 : 0];
            const auto step = [&] {
                if (c.step == Step::kSecondEdit) {
                    model.WriteDay(model.ReadDay("20080306"), Edited(model, "20080306", "second"));
                } else if (c.step == Step::kClose) {
                    out.result = model.Close(true);
                }
            };
            if (!background) {
                out.result = model.Save();
                step();
            } else {
                std::atomic<int> doneCalls{0};
                ASSERT_TRUE(model.SaveInBackground([&doneCalls] { ++doneCalls; }));
                EXPECT_TRUE(model.SaveRunning());
                if (held) {
                    g_seam.WaitReached();
                    // Read beside the worker: the day as written, no reload of our own file.
                    EXPECT_TRUE(SameDay(model.ReadDay("20080305"), written));
                    EXPECT_FALSE(model.ReloadIfChanged());
                }
                if (c.step != Step::kNothing) {
                    // The step waits for the worker, which waits for the release.
                    std::thread stepper(step);
                    g_seam.Release();
                    stepper.join();
                    EXPECT_FALSE(model.SaveRunning());
                    EXPECT_TRUE(model.FinishSave()) << "nothing left to finish";
                } else {
                    g_seam.Release();
                    out.result = model.FinishSave();
                }
                EXPECT_EQ(doneCalls.load(), 1);
                EXPECT_FALSE(model.SaveRunning());
            }
            XelSetSysCalls(nullptr);
            testing::internal::GetCapturedStdout();

            out.bytes = Read();
            out.failure = model.LastSaveFailure();
            out.backupStep = model.LastBackupFailure().step;
            out.conflicts = model.LastSaveConflicts().dates;
            if (!model.LastSaveConflicts().copyPath.empty()) {
                out.conflictCopy = xeltest::ReadBytes(model.LastSaveConflicts().copyPath);
            }
            out.changedOnDisk = model.FileChangedOnDisk(true);
            out.unsaved = model.HasUnsavedChanges();
            if (c.step == Step::kSecondEdit) {
                // Both days reach the file with the next save.
                EXPECT_TRUE(out.unsaved);
                out.result = model.Save();
            }
            out.bytesAtEnd = Read();
        }
        ExpectSame(outcomes[1], outcomes[0]);
        // The cases themselves, so that equal outcomes are also the right ones.
        const Outcome& out = outcomes[0];
        // A failure fails the save alone: the close and the next save try again, and the
        // fault strikes once.
        const bool fails = c.fail != Call::kNone || (c.headless && c.blockBackups);
        const bool endsSaved = c.step != Step::kNothing || !fails;
        EXPECT_EQ(out.result, endsSaved);
        EXPECT_EQ(out.failure.step.empty(), c.step == Step::kClose || !fails);
        EXPECT_EQ(out.bytesAtEnd.find("mine") != std::string::npos, endsSaved);
        EXPECT_EQ(out.bytesAtEnd.find("second") != std::string::npos, c.step == Step::kSecondEdit);
        EXPECT_EQ(out.backupStep.empty(), !c.blockBackups);
        if (c.theirChange) {
            EXPECT_EQ(out.conflicts, std::vector<std::string>{"20080305"});
            EXPECT_NE(out.conflictCopy.find("theirs"), std::string::npos);
        }
    }
    ASSERT_TRUE(m_model.Open(Folder()));
}

// While the worker is inside its write, every month and every day of a generated table of
// thirty years reads as before the save; the file it leaves reads the same again.
TEST_F(BackgroundSaveTest, ReadsBesideTheWorkerSeeTheTableAsItIs) {
    bench::TableSpec shape;
    shape.rows = 30000;
    m_model.Close(false);
    xeltest::WriteBytes(TablePath(), bench::MakeTableFile(shape));
    testing::internal::CaptureStdout();
    ASSERT_TRUE(m_model.Open(Folder()));
    testing::internal::GetCapturedStdout();
    m_model.WriteDay(m_model.ReadDay("20110615"), Edited(m_model, "20110615", "edited"));

    std::vector<MonthContent> months;
    std::vector<DayContent> days;
    for (int year = 1997; year <= 2026; ++year) {
        for (int month = 1; month <= 12; ++month) {
            months.push_back(m_model.ReadMonth(year, month));
            for (const MonthDay& day : months.back().days) {
                days.push_back(m_model.ReadDay(day.content.date));
            }
        }
    }
    const auto readAll = [&](const char* when) {
        SCOPED_TRACE(when);
        size_t m = 0, d = 0;
        int differing = 0;
        for (int year = 1997; year <= 2026; ++year) {
            for (int month = 1; month <= 12; ++month, ++m) {
                differing += SameMonth(m_model.ReadMonth(year, month), months[m]) ? 0 : 1;
                for (size_t k = 0; k < months[m].days.size(); ++k, ++d) {
                    differing += SameDay(m_model.ReadDay(days[d].date), days[d]) ? 0 : 1;
                }
            }
        }
        EXPECT_EQ(differing, 0);
        EXPECT_EQ(d, days.size());
    };

    g_seam.Reset(Call::kWrite, Call::kNone, 1, 0);
    XelSetSysCalls(&kSeamCalls);
    ASSERT_TRUE(m_model.SaveInBackground({}));
    g_seam.WaitReached();
    readAll("while the worker is held in its first write");
    g_seam.Release();
    readAll("while the worker writes the rest");
    EXPECT_TRUE(m_model.FinishSave());
    XelSetSysCalls(nullptr);
    EXPECT_FALSE(m_model.HasUnsavedChanges());
    EXPECT_FALSE(m_model.FileChangedOnDisk(true));

    ASSERT_TRUE(m_model.Open(Folder()));
    readAll("the file read again");
}

}  // namespace
