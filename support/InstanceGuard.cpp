#include "InstanceGuard.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

const char kRaiseMessage[] = "RAISE\n";
// How long the first copy waits for the message of a connection it has accepted.
const int kRequestTimeoutMs = 200;

// A folder that only this user can enter: owned by the user, no access for others.
bool IsPrivateFolder(const std::string& folder) {
    struct stat st;
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

CInstanceGuard::CInstanceGuard(std::string folder)
    : m_folder(folder.empty() ? DefaultFolder() : std::move(folder)) {}

CInstanceGuard::~CInstanceGuard() {
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        ::unlink(SocketPath().c_str());
    }
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
    }
}

std::string CInstanceGuard::DefaultFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime)) {
        return runtime;
    }
    std::string folder = "/tmp/pemdaro-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    return IsPrivateFolder(folder) ? folder : std::string();
}

bool CInstanceGuard::TryBecomeFirst() {
    if (m_folder.empty()) {
        return true;
    }
    const std::string lockPath = m_folder + "/kelnova.lock";
    m_lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0) {
        return true;
    }
    while (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) {
            ::close(m_lockFd);
            m_lockFd = -1;
            return errno != EWOULDBLOCK;
        }
    }
    return true;
}

void CInstanceGuard::AskFirstToRaise() const {
    sockaddr_un address;
    if (m_folder.empty() || !MakeAddress(SocketPath(), address)) {
        return;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        ssize_t ignored = ::send(fd, kRaiseMessage, sizeof kRaiseMessage - 1, MSG_NOSIGNAL);
        (void)ignored;
    }
    ::close(fd);
}

int CInstanceGuard::Publish(void*) {
    sockaddr_un address;
    if (m_listenFd >= 0 || m_lockFd < 0 || !MakeAddress(SocketPath(), address)) {
        return m_listenFd;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    // We hold the lock, so a socket file left behind belongs to a copy that is gone.
    ::unlink(address.sun_path);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 16) != 0) {
        ::close(fd);
        return -1;
    }
    m_listenFd = fd;
    return fd;
}

bool CInstanceGuard::TakeRequest() const {
    if (m_listenFd < 0) {
        return false;
    }
    int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool valid = false;
    ucred peer;
    socklen_t size = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid()) {
        char buffer[sizeof kRaiseMessage + 1];
        size_t got = 0;
        pollfd wait{fd, POLLIN, 0};
        while (got<sizeof buffer&& ::poll(&wait, 1, kRequestTimeoutMs)> 0) {
            ssize_t n = ::recv(fd, buffer + got, sizeof buffer - got, 0);
            if (n <= 0) {
                break;
            }
            got += static_cast<size_t>(n);
        }
        valid = got == sizeof kRaiseMessage - 1 && std::memcmp(buffer, kRaiseMessage, got) == 0;
    }
    ::close(fd);
    return valid;
}
