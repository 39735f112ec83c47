#include "DataLock.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace {

// How often a lock file that changes under our feet is looked at again, and the pause in
// between (a takeover by another copy lasts microseconds).
const int kAttempts = 5;
const long kPauseNs = 20L * 1000 * 1000;
// More than any lock line this program writes; a longer file is not a lock line.
const size_t kMaxLockBytes = 1024;

std::string UserName() {
    std::string name;
    struct passwd entry;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
        found->pw_name != nullptr) {
        name = found->pw_name;
    }
    return name.empty() ? "uid" + std::to_string(::geteuid()) : name;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Up to kMaxLockBytes + 1 bytes from the start of the file.
std::string ReadHead(int fd) {
    std::string text(kMaxLockBytes + 1, '\0');
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n =
            ::pread(fd, text.data() + got, text.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    text.resize(got);
    return text;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool ProcessIsGone(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

void Pause() {
    struct timespec pause = {0, kPauseNs};
    while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

// Whether link() may have been refused because the file system has no hard links (FAT,
// some network shares), rather than because of the folder's permissions.
bool NoHardLinks(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK;
}

}  // namespace

CDataLock::CDataLock(std::string dataFolder) : m_folder(std::move(dataFolder)) {}

CDataLock::~CDataLock() {
    Release();
}

std::string CDataLock::HostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') {
        return "localhost";
    }
    return Token(name);
}

std::string CDataLock::OwnLine() {
    return "host=" + HostName() + " user=" + Token(UserName()) +
           " pid=" + std::to_string(::getpid()) + "\n";
}

CDataLock::State CDataLock::Acquire() {
    if (m_state == State::kHeld) {
        return m_state;
    }
    m_holder = {};
    m_line = OwnLine();
    const std::string path = Path();
    const std::string temp = path + "." + HostName() + "." + std::to_string(::getpid());

    // The line, whole and on the disk, in a file of our own name first.
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0 && errno == EEXIST) {
        // Left by a crashed process of this host that had our process id: not a lock.
        ::unlink(temp.c_str());
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    }
    if (fd < 0) {
        m_state = State::kUnavailable;
        return m_state;
    }
    // Readable by everyone who shares the folder, whatever the umask: they are told who
    // holds it. Some file systems have no modes; that is no reason to run unguarded.
    (void)::fchmod(fd, 0644);
    struct stat written;
    const bool ok = WriteAll(fd, m_line) && ::fsync(fd) == 0 && ::fstat(fd, &written) == 0;
    ::close(fd);
    if (!ok) {
        ::unlink(temp.c_str());
        m_state = State::kUnavailable;
        return m_state;
    }

    m_state = State::kHeldByOther;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0) {
            Pause();
        }
        Step step = TryOnce(temp, written);
        if (step == Step::kRetry) {
            continue;
        }
        m_state = step == Step::kHeld          ? State::kHeld
                  : step == Step::kHeldByOther ? State::kHeldByOther
                                               : State::kUnavailable;
        break;
    }
    ::unlink(temp.c_str());
    if (m_state != State::kHeldByOther) {
        m_holder = {};
    }
    return m_state;
}

CDataLock::Step CDataLock::TryOnce(const std::string& temp, const struct stat& written) {
    const std::string path = Path();
    bool placed = ::link(temp.c_str(), path.c_str()) == 0;
    if (!placed && errno != EEXIST) {
        const int error = errno;
        struct stat after;
        // Over NFS a link() whose answer was lost may still have been made.
        if (::stat(temp.c_str(), &after) == 0 && after.st_nlink == 2) {
            placed = true;
        } else if (NoHardLinks(error)) {
            // Without hard links: create the lock file itself exclusively. A crash while
            // writing it leaves an unreadable file, which ages into a stale one.
            const int fd =
                ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
            if (fd < 0 && errno != EEXIST) {
                return Step::kUnavailable;
            }
            if (fd >= 0) {
                if (!WriteAll(fd, m_line) || ::fsync(fd) != 0) {
                    ::close(fd);
                    ::unlink(path.c_str());
                    return Step::kUnavailable;
                }
                ::flock(fd, LOCK_EX | LOCK_NB);
                m_fd = fd;
                return Step::kHeld;
            }
        } else {
            return Step::kUnavailable;
        }
    }
    if (placed) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        struct stat there;
        if (fd >= 0 && ::fstat(fd, &there) == 0 && SameFile(there, written)) {
            // Where the file system has no flock() the lock file alone keeps others out.
            ::flock(fd, LOCK_EX | LOCK_NB);
            m_fd = fd;
            return Step::kHeld;
        }
        if (fd >= 0) {
            ::close(fd);
        }
        struct stat now;
        if (::lstat(path.c_str(), &now) == 0 && SameFile(now, written)) {
            // Ours, but it cannot be kept open: it must not stay behind naming us.
            ::unlink(path.c_str());
            return Step::kUnavailable;
        }
        return Step::kRetry;  // replaced in the meantime: look at what is there now
    }

    // A lock file is there: whose, and is it stale?
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == EACCES) {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (fd < 0) {
        // Gone since the link: try again. A symbolic link or a file we may not read is
        // nobody's lock we can judge: respected.
        return errno == ENOENT ? Step::kRetry : Step::kHeldByOther;
    }
    struct stat found;
    if (::fstat(fd, &found) != 0) {
        ::close(fd);
        return Step::kHeldByOther;
    }
    DataLockHolder holder;
    const bool known = ParseLine(ReadHead(fd), holder);
    bool stale;
    if (known) {
        stale = holder.host == HostName() && ProcessIsGone(holder.pid);
    } else {
        stale = found.st_mtime <= written.st_mtime - kUnreadableStaleSeconds;
    }
    m_holder = known ? holder : DataLockHolder{};
    if (!stale) {
        ::close(fd);
        return Step::kHeldByOther;
    }
    // Stale by its line; a live flock() says otherwise: looked at again, and respected
    // when it stays so (a process in another pid
    // namespace, or a machine of the same name on a network file system).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return Step::kRetry;
    }
    struct stat now;
    if (::lstat(path.c_str(), &now) != 0 || !SameFile(now, found)) {
        ::close(fd);
        return Step::kRetry;
    }
    const bool removed = ::unlink(path.c_str()) == 0;
    ::close(fd);
    return removed ? Step::kRetry : Step::kUnavailable;
}

void CDataLock::Release() {
    if (m_fd >= 0) {
        struct stat mine;
        struct stat there;
        if (::fstat(m_fd, &mine) == 0 && ::lstat(Path().c_str(), &there) == 0 &&
            SameFile(mine, there) && ReadHead(m_fd) == m_line) {
            ::unlink(Path().c_str());
        }
        ::close(m_fd);
        m_fd = -1;
    }
    m_state = State::kNotTried;
    m_holder = {};
}
