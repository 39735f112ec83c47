// One writing copy per data file, whoever and wherever runs it.
//
// The single-instance guard (InstanceGuard.h) sees only the copies of one user in one
// login session. Two sessions of the same user, two users sharing a folder, or two
// machines on a network folder would each save their own table over the other's. The
// data lock lives beside the table instead:
//
//   <data folder>/.kelnova.txt.lock     one line, e.g. "host=vm user=taro pid=4711\n"
//
// It is written whole to a temporary file first (.kelnova.txt.lock.<host>.<pid>), flushed,
// and put in place with link(), which fails when a lock file is already there: a lock file
// is never seen half-written, and of two copies starting at once exactly one gets it. The
// holder also keeps an flock() on it where the file system supports that.
//
// A lock file already there is taken over only when it is certainly stale:
//   - it names this host and a process that no longer runs (kill(pid, 0) gives ESRCH),
//     and no one holds its flock();
//   - it cannot be read as a lock line (empty, garbage) and is older than two minutes,
//     measured by the folder's own clock (against the temporary file just written), and no
//     one holds its flock().
// A lock naming another host is never taken over: this program cannot see whether that
// process runs. The user removes the file by hand once sure it does not.
//
// Two machines must have different host names for this to hold; on a network file system
// that forwards flock(), the flock() check still keeps them apart.
//
// On Windows (support/win/DataLockWin.cpp) the holder keeps the lock file open with a share
// mode that lets others only read it, and the system drops that with the process: a lock
// file that can be opened for writing is no running copy's, and is taken over when it
// names this host or is unreadable and two minutes old.
#pragma once

#include <string>

struct stat;

// Who holds the lock, as its file says. Empty fields and pid 0 when the file could not be
// read as a lock line.
struct DataLockHolder {
    std::string host;
    std::string user;
    long pid = 0;

    bool Known() const { return pid > 0; }
};

class CDataLock {
  public:
    enum class State {
        kNotTried,     // Acquire has not run, or Release has
        kHeld,         // this object holds the lock
        kHeldByOther,  // another copy holds it: open the table for viewing only
        kUnavailable,  // no lock file can be made here (read-only or missing folder): run
                       // without the lock
    };

    static constexpr const char* kFileName = ".kelnova.txt.lock";
    // An unreadable lock file younger than this may still be in the making by some other
    // writer, and is respected.
    static constexpr int kUnreadableStaleSeconds = 120;

    // dataFolder: the folder holding kelnova.txt, in the file system's encoding, ending
    // with the separator, or empty for the current folder.
    explicit CDataLock(std::string dataFolder);
    ~CDataLock();
    CDataLock(const CDataLock&) = delete;
    CDataLock& operator=(const CDataLock&) = delete;

    State Acquire();
    // Removes the lock file if it is still this object's (same file, same line); another
    // copy's lock that replaced it is left alone. Safe to call more than once.
    void Release();

    State GetState() const { return m_state; }
    // After kHeldByOther: what the lock file says.
    const DataLockHolder& Holder() const { return m_holder; }
    std::string Path() const { return m_folder + kFileName; }

    // This process's own line, as written to the lock file.
    static std::string OwnLine();
    // This host's name as the lock line holds it.
    static std::string HostName();
    // A lock line read back; false when the text is not one.
    static bool ParseLine(const std::string& text, DataLockHolder& holder);
    // The text with every byte that is not printable ASCII replaced by '?', for showing a
    // name read from the file.
    static std::string Printable(const std::string& text);
    // A name as written into the line: spaces, control bytes and '=', which would break
    // it, become '_'; "?" for an empty name.
    static std::string Token(std::string text);

  private:
    enum class Step { kHeld, kHeldByOther, kUnavailable, kRetry };
    // One look at the lock file's place, with our line ready in `temp` (`written` is its
    // status, for its file identity and the folder's clock). Not on Windows.
    Step TryOnce(const std::string& temp, const struct stat& written);

    int m_fd = -1;  // the lock file while held, with its flock()
    // On Windows: the lock file's handle while held, shared for reading only.
    [[maybe_unused]] void* m_file = nullptr;
    std::string m_folder;
    State m_state = State::kNotTried;
    DataLockHolder m_holder;
    std::string m_line;
};
