// The data lock against real processes: a child of this test holds it, ends, or is killed;
// lock files of other hosts, unreadable ones and a read-only folder. On Windows the child is
// this test program started again, holding the lock for its parent.
#include "DataLock.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <vector>

// Readable states in failure messages.
std::ostream& operator<<(std::ostream& out, CDataLock::State state) {
    const char* names[] = {"kNotTried", "kHeld", "kHeldByOther", "kUnavailable"};
    return out << names[static_cast<int>(state)];
}

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
#ifdef _WIN32
    // A held lock file may be removed by its holder: it is read only with a share mode
    // that allows that, as the program itself reads it.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    std::string bytes;
    if (file != INVALID_HANDLE_VALUE) {
        char block[4096];
        DWORD n = 0;
        while (ReadFile(file, block, sizeof block, &n, nullptr) && n > 0) {
            bytes.append(block, n);
        }
        CloseHandle(file);
    }
    return bytes;
#else
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
#endif
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

#ifdef _WIN32
using pid_t = long;

// Started again as a child (see Children): holds the lock on the folder the variable names
// and reports its state as one byte on its standard output, then keeps the lock until its
// standard input ends. Runs before the tests are even listed.
const bool kIsLockChild = [] {
    wchar_t folder[MAX_PATH * 2];
    if (GetEnvironmentVariableW(L"PEMDARO_DATALOCK_CHILD", folder, MAX_PATH * 2) == 0) {
        return false;
    }
    if (folder[0] != L'-') {
        const int size = WideCharToMultiByte(CP_UTF8, 0, folder, -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, folder, -1, utf8.data(), size, nullptr, nullptr);
        utf8.resize(static_cast<size_t>(size - 1));
        CDataLock lock(utf8);
        const char state = static_cast<char>(lock.Acquire());
        DWORD n = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), &state, 1, &n, nullptr);
        char byte;
        while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &n, nullptr) && n > 0) {
        }
    }
    ExitProcess(0);
}();

// Child processes of one case; whatever still runs at its end is killed. Handles kept open
// stand for a live process that holds a file open.
class Children {
  public:
    ~Children() {
        for (const Child& c : m_children) {
            CloseHandle(c.stop);
            TerminateProcess(c.process, 1);
            WaitForSingleObject(c.process, INFINITE);
            CloseHandle(c.process);
        }
        for (HANDLE h : m_open) {
            CloseHandle(h);
        }
    }

    // Starts this program as a child that acquires the lock on folder ("-": ends at once);
    // answer is the state it reports.
    pid_t Start(const std::string& folder, char& answer) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE readyRead, readyWrite, stopRead, stopWrite;
        if (!CreatePipe(&readyRead, &readyWrite, &inherit, 0) ||
            !CreatePipe(&stopRead, &stopWrite, &inherit, 0)) {
            ADD_FAILURE() << "CreatePipe";
            return -1;
        }
        SetHandleInformation(readyRead, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(stopWrite, HANDLE_FLAG_INHERIT, 0);
        wchar_t exe[MAX_PATH * 2];
        GetModuleFileNameW(nullptr, exe, MAX_PATH * 2);
        std::wstring wideFolder(folder.size() * 2 + 1, L'\0');
        wideFolder.resize(static_cast<size_t>(
            MultiByteToWideChar(CP_UTF8, 0, folder.data(), static_cast<int>(folder.size()),
                                wideFolder.data(), static_cast<int>(wideFolder.size()))));
        SetEnvironmentVariableW(L"PEMDARO_DATALOCK_CHILD", wideFolder.c_str());
        STARTUPINFOW start{};
        start.cb = sizeof start;
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdInput = stopRead;
        start.hStdOutput = readyWrite;
        start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION process{};
        std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
        const BOOL started = CreateProcessW(exe, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                            nullptr, nullptr, &start, &process);
        SetEnvironmentVariableW(L"PEMDARO_DATALOCK_CHILD", nullptr);
        CloseHandle(readyWrite);
        CloseHandle(stopRead);
        if (!started) {
            ADD_FAILURE() << "CreateProcessW " << GetLastError();
            CloseHandle(readyRead);
            CloseHandle(stopWrite);
            return -1;
        }
        CloseHandle(process.hThread);
        answer = 0;
        DWORD n = 0;
        if (folder != "-") {
            EXPECT_TRUE(ReadFile(readyRead, &answer, 1, &n, nullptr) && n == 1);
        }
        CloseHandle(readyRead);
        m_children.push_back(
            {static_cast<pid_t>(process.dwProcessId), process.hProcess, stopWrite});
        return static_cast<pid_t>(process.dwProcessId);
    }

    // Lets the child end normally and waits for it.
    void Stop(pid_t pid) {
        for (auto it = m_children.begin(); it != m_children.end(); ++it) {
            if (it->pid == pid) {
                CloseHandle(it->stop);
                WaitForSingleObject(it->process, INFINITE);
                CloseHandle(it->process);
                m_children.erase(it);
                return;
            }
        }
    }

    void Kill(pid_t pid) {
        for (const Child& c : m_children) {
            if (c.pid == pid) {
                TerminateProcess(c.process, 1);
            }
        }
        Stop(pid);
    }

    // Opens the file as a running copy does, shared for reading only, until the case ends.
    bool KeepOpen(const fs::path& path) {
        const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return false;
        }
        m_open.push_back(h);
        return true;
    }

  private:
    struct Child {
        pid_t pid;
        HANDLE process;
        HANDLE stop;
    };
    std::vector<Child> m_children;
    std::vector<HANDLE> m_open;
};

// A process id that no process has: a child that has ended.
pid_t EndedPid() {
    Children children;
    char unused;
    const pid_t pid = children.Start("-", unused);
    children.Stop(pid);
    return pid;
}

pid_t OwnPid() {
    return static_cast<pid_t>(GetCurrentProcessId());
}
#else
// A process id that no process has: a child that has ended and been reaped.
pid_t EndedPid() {
    pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

// Child processes of one case; whatever still runs at its end is killed.
class Children {
  public:
    ~Children() {
        for (const Child& c : m_children) {
            ::close(c.stop);
            ::kill(c.pid, SIGKILL);
            ::waitpid(c.pid, nullptr, 0);
        }
    }

    // Runs work in a child. The work reports one byte, which comes back as answer; the
    // report then waits until Stop or the end of the case, and the work goes on from
    // there (its objects are destroyed) before the child ends.
    using Report = std::function<void(char)>;
    pid_t Start(const std::function<void(const Report&)>& work, char& answer) {
        int ready[2];
        int stop[2];
        if (::pipe(ready) != 0 || ::pipe(stop) != 0) {
            ADD_FAILURE() << "pipe";
            return -1;
        }
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            ::close(stop[1]);
            work([&](char byte) {
                (void)!::write(ready[1], &byte, 1);
                (void)!::read(stop[0], &byte, 1);  // a byte or the end of the pipe
            });
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(stop[0]);
        answer = 0;
        EXPECT_EQ(::read(ready[0], &answer, 1), 1);
        ::close(ready[0]);
        m_children.push_back({pid, stop[1]});
        return pid;
    }

    // Lets the child end normally and waits for it.
    void Stop(pid_t pid) {
        for (auto it = m_children.begin(); it != m_children.end(); ++it) {
            if (it->pid == pid) {
                ::close(it->stop);
                ::waitpid(pid, nullptr, 0);
                m_children.erase(it);
                return;
            }
        }
    }

    void Kill(pid_t pid) {
        ::kill(pid, SIGKILL);
        Stop(pid);
    }

  private:
    struct Child {
        pid_t pid;
        int stop;
    };
    std::vector<Child> m_children;
};

pid_t OwnPid() {
    return ::getpid();
}
#endif

#ifndef _WIN32
// A copy holding the lock in a child until it is stopped; it then releases the lock.
void HoldLock(const std::string& folder, const Children::Report& report) {
    CDataLock lock(folder);
    report(static_cast<char>(lock.Acquire()));
}
#endif

const char kCannotDropRoot = 100;

struct Setting {
    fs::path folder;
    fs::path lock;
    Children children;
    pid_t holderPid = 0;  // a child holding the lock, when there is one
};

struct Case {
    const char* what;
    std::function<void(Setting&)> setup;
    CDataLock::State expected;
    // Acquire runs in a child process, as an unprivileged user when the test runs as root.
    bool unprivileged = false;
    // Puts another copy's lock in place of ours before Release; its bytes must survive.
    // On Windows the held lock cannot be replaced at all.
    bool replacedBeforeRelease = false;
    // Why the case cannot be made on Windows; empty when it can.
    const char* notOnWindows = "";
};

class DataLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() / ("pemdaro-datalock-" + std::to_string(OwnPid()));
        fs::remove_all(m_root);
        fs::create_directories(m_root);
        fs::permissions(m_root, fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    }
    void TearDown() override {
        for (const auto& entry : fs::directory_iterator(m_root)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
        }
        fs::remove_all(m_root);
    }

    fs::path m_root;
};

TEST_F(DataLockTest, TakesFreeAndStaleLocksAndRespectsLiveOnes) {
    DataLockHolder own;
    ASSERT_TRUE(CDataLock::ParseLine(CDataLock::OwnLine(), own));
    ASSERT_EQ(own.pid, OwnPid());
    ASSERT_EQ(own.host, CDataLock::HostName());
    // Names read from a lock file are shown as printable ASCII only: an invalid UTF-8 text
    // would blank the whole message.
    EXPECT_EQ(CDataLock::Printable("ho\xe3\x81st\n"), "ho??st?");

    const auto holdInChild = [](Setting& s) {
        char answer;
#ifdef _WIN32
        s.holderPid = s.children.Start(s.folder.string() + "/", answer);
#else
        s.holderPid = s.children.Start(
            [&](const Children::Report& report) { HoldLock(s.folder.string() + "/", report); },
            answer);
#endif
        ASSERT_EQ(answer, static_cast<char>(CDataLock::State::kHeld));
    };
    const auto aged = [](const fs::path& path) {
        fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(1));
    };
    // The lock file with these bytes (none: as it is), held by a live process: its flock(),
    // or on Windows the file kept open, shared for reading only, as a running copy keeps it.
    const auto heldOpen = [](Setting& s, const std::string& bytes) {
#ifdef _WIN32
        if (!bytes.empty()) {
            WriteBytes(s.lock, bytes);
        }
        ASSERT_TRUE(s.children.KeepOpen(s.lock));
#else
        char answer;
        s.children.Start(
            [&](const Children::Report& report) {
                if (!bytes.empty()) {
                    WriteBytes(s.lock, bytes);
                }
                const int fd = ::open(s.lock.c_str(), O_RDWR);
                report(static_cast<char>(fd >= 0 && ::flock(fd, LOCK_EX) == 0));
            },
            answer);
        ASSERT_EQ(answer, 1);
#endif
    };
    const Case cases[] = {
        {"a fresh folder", [](Setting&) {}, CDataLock::State::kHeld},
        {"held by a live process of this host", holdInChild, CDataLock::State::kHeldByOther},
        {"held by a process that was killed: stale, taken over",
         [&](Setting& s) {
             holdInChild(s);
             s.children.Kill(s.holderPid);
             s.holderPid = 0;
         },
         CDataLock::State::kHeld},
        {"this host and an ended process, but its flock() is held by a live process",
         [&](Setting& s) {
             heldOpen(s, "host=" + CDataLock::HostName() +
                             " user=x pid=" + std::to_string(EndedPid()) + "\n");
         },
         CDataLock::State::kHeldByOther},
        {"an unreadable lock file of an hour ago, but held by a live process",
         [&](Setting& s) {
             WriteBytes(s.lock, "host=half");
             aged(s.lock);
             heldOpen(s, "");
         },
         CDataLock::State::kHeldByOther},
        {"another host, even with a process id that does not run here",
         [](Setting& s) {
             WriteBytes(s.lock, "host=elsewhere.example user=hanako pid=" +
                                    std::to_string(EndedPid()) + "\n");
         },
         CDataLock::State::kHeldByOther},
        {"an unreadable lock file just written",
         [](Setting& s) { WriteBytes(s.lock, "host=half"); }, CDataLock::State::kHeldByOther},
        {"an unreadable lock file of an hour ago",
         [&](Setting& s) {
             WriteBytes(s.lock, "\x01garbage pid=-1\n");
             aged(s.lock);
         },
         CDataLock::State::kHeld},
        {"an empty lock file of an hour ago",
         [&](Setting& s) {
             WriteBytes(s.lock, "");
             aged(s.lock);
         },
         CDataLock::State::kHeld},
        {"process id 0 is no lock line (kill() would ask about the whole group)",
         [&](Setting& s) {
             WriteBytes(s.lock, "host=" + CDataLock::HostName() + " user=x pid=0\n");
             aged(s.lock);
         },
         CDataLock::State::kHeld},
        {"a symbolic link in the lock file's place",
         [](Setting& s) {
             WriteBytes(s.folder / "elsewhere", "keep\n");
             fs::create_symlink("elsewhere", s.lock);
         },
         CDataLock::State::kHeldByOther, false, false, "symbolic links need a privilege there"},
        {"release leaves another copy's lock alone", [](Setting&) {}, CDataLock::State::kHeld,
         false, true},
        {"a read-only folder",
         [](Setting& s) {
             fs::permissions(s.folder, fs::perms::owner_read | fs::perms::owner_exec |
                                           fs::perms::others_read | fs::perms::others_exec);
         },
         CDataLock::State::kUnavailable, true, false,
         "a folder's read-only attribute does not keep files out; its access list does"},
        {"a folder that does not exist", [](Setting& s) { fs::remove(s.folder); },
         CDataLock::State::kUnavailable},
    };

#ifndef _WIN32
    // A private umask, as many users have.
    struct Umask {
        mode_t old = ::umask(077);
        ~Umask() { ::umask(old); }
    } umask;
#endif
    int serial = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
#ifdef _WIN32
        if (*c.notOnWindows != '\0') {
            std::cout << "skipped: " << c.what << " (" << c.notOnWindows << ")\n";
            continue;
        }
#endif
        Setting s;
        s.folder = m_root / std::to_string(serial++);
        s.lock = s.folder / CDataLock::kFileName;
        fs::create_directory(s.folder);
        fs::permissions(s.folder,
                        fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
        c.setup(s);
        std::error_code error;
        const bool existed = fs::exists(fs::symlink_status(s.lock, error));
        const std::string before = ReadBytes(s.lock);
        const auto entries = [&] {
            std::vector<std::string> names;
            for (const auto& entry : fs::directory_iterator(s.folder, error)) {
                names.push_back(entry.path().filename().string());
            }
            std::sort(names.begin(), names.end());
            return names;
        };
        const std::vector<std::string> entriesBefore = entries();

#ifndef _WIN32
        if (c.unprivileged) {
            char answer = -1;
            const pid_t pid = s.children.Start(
                [&](const Children::Report& report) {
                    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                        report(kCannotDropRoot);
                        return;
                    }
                    CDataLock lock(s.folder.string() + "/");
                    report(static_cast<char>(lock.Acquire()));
                },
                answer);
            s.children.Stop(pid);
            if (answer == kCannotDropRoot) {
                // Root that may not change its user (a restricted container) passes every
                // permission check: this case cannot be made here.
                std::cout << "skipped: " << c.what << " (cannot drop root)\n";
                continue;
            }
            EXPECT_EQ(answer, static_cast<char>(c.expected));
            EXPECT_EQ(entries(), entriesBefore) << "nothing is left in the folder";
            continue;
        }
#endif

        CDataLock lock(s.folder.string() + "/");
        ASSERT_EQ(lock.Acquire(), c.expected);
        switch (c.expected) {
            case CDataLock::State::kHeld:
                EXPECT_EQ(ReadBytes(s.lock), CDataLock::OwnLine());
#ifndef _WIN32
                EXPECT_NE(fs::status(s.lock).permissions() & fs::perms::others_read,
                          fs::perms::none)
                    << "readable by the others sharing the folder, whatever the umask";
#endif
                EXPECT_EQ(entries(), std::vector<std::string>{CDataLock::kFileName})
                    << "only the lock file, no temporary file";
                break;
            case CDataLock::State::kHeldByOther: {
                EXPECT_EQ(ReadBytes(s.lock), before) << "another's lock is not touched";
                EXPECT_EQ(entries(), entriesBefore) << "no temporary file is left";
                DataLockHolder expected;
                CDataLock::ParseLine(before, expected);
                EXPECT_EQ(lock.Holder().host, expected.host);
                EXPECT_EQ(lock.Holder().user, expected.user);
                EXPECT_EQ(lock.Holder().pid, expected.pid);
                if (s.holderPid != 0) {
                    EXPECT_EQ(lock.Holder().host, own.host);
                    EXPECT_EQ(lock.Holder().user, own.user);
                    EXPECT_EQ(lock.Holder().pid, s.holderPid);
                }
                break;
            }
            case CDataLock::State::kUnavailable:
            case CDataLock::State::kNotTried:
                EXPECT_EQ(entries(), entriesBefore);
                break;
        }

        std::string survivor;
        if (c.replacedBeforeRelease) {
            survivor = "host=elsewhere.example user=hanako pid=1\n";
            WriteBytes(s.folder / "other", survivor);
#ifdef _WIN32
            // Nothing can be put in the place of a lock held on Windows.
            std::error_code refused;
            fs::rename(s.folder / "other", s.lock, refused);
            EXPECT_TRUE(refused) << "a held lock file was replaced";
            EXPECT_EQ(ReadBytes(s.lock), CDataLock::OwnLine());
            fs::remove(s.folder / "other");
            survivor.clear();
#else
            fs::rename(s.folder / "other", s.lock);
#endif
        }
        lock.Release();
        EXPECT_EQ(lock.GetState(), CDataLock::State::kNotTried);
        if (!survivor.empty()) {
            EXPECT_EQ(ReadBytes(s.lock), survivor);
        } else if (c.expected == CDataLock::State::kHeld) {
            EXPECT_FALSE(fs::exists(fs::symlink_status(s.lock, error))) << "released";
        } else {
            EXPECT_EQ(fs::exists(fs::symlink_status(s.lock, error)), existed);
            EXPECT_EQ(ReadBytes(s.lock), before);
        }
        if (s.holderPid != 0) {
            // The live holder ends normally and removes its own lock.
            s.children.Stop(s.holderPid);
            EXPECT_FALSE(fs::exists(s.lock));
        }
    }
}

}  // namespace
