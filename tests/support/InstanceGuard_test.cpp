#include "InstanceGuard.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace {

class InstanceGuardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static int serial = 0;
        m_folder =
            "/tmp/pemdaro-guard-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        std::filesystem::remove_all(m_folder);
        ASSERT_EQ(::mkdir(m_folder.c_str(), 0700), 0);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    // Sends raw bytes to the first copy's socket, as any local process could.
    void SendRaw(const std::string& bytes) const {
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, (m_folder + "/kelnova.sock").c_str());
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
        ::close(fd);
    }
    static bool Readable(int fd) {
        pollfd wait{fd, POLLIN, 0};
        return ::poll(&wait, 1, 2000) == 1;
    }

    std::string m_folder;
};

TEST_F(InstanceGuardTest, SecondCopyBeforePublishingBringsNothingForward) {
    CInstanceGuard first(m_folder);
    ASSERT_TRUE(first.TryBecomeFirst());
    CInstanceGuard second(m_folder);
    EXPECT_FALSE(second.TryBecomeFirst());
    second.AskFirstToRaise();  // nobody listens yet: nothing happens, nothing blocks
    EXPECT_EQ(first.ListenFd(), -1);
    EXPECT_FALSE(first.TakeRequest());
}

TEST_F(InstanceGuardTest, SecondCopyAfterPublishingRaisesTheFirst) {
    CInstanceGuard first(m_folder);
    ASSERT_TRUE(first.TryBecomeFirst());
    int fd = first.Publish();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(first.Publish(), fd);
    CInstanceGuard second(m_folder);
    ASSERT_FALSE(second.TryBecomeFirst());
    second.AskFirstToRaise();
    ASSERT_TRUE(Readable(fd));
    EXPECT_TRUE(first.TakeRequest());
}

TEST_F(InstanceGuardTest, MalformedMessagesAreIgnored) {
    CInstanceGuard first(m_folder);
    ASSERT_TRUE(first.TryBecomeFirst());
    int fd = first.Publish();
    for (const std::string& bytes :
         {std::string("RAISE"), std::string("RAISE\nRAISE\n"), std::string("raise\n"),
          std::string("\0RAISE\n", 7), std::string(4096, 'x'), std::string()}) {
        SendRaw(bytes);
        ASSERT_TRUE(Readable(fd));
        EXPECT_FALSE(first.TakeRequest()) << bytes.size();
    }
}

TEST_F(InstanceGuardTest, CrashedCopyLeavesNoStaleSignal) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    if (child == 0) {
        CInstanceGuard guard(m_folder);
        char ok = guard.TryBecomeFirst() && guard.Publish() >= 0 ? 1 : 0;
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);
    {
        CInstanceGuard blocked(m_folder);
        EXPECT_FALSE(blocked.TryBecomeFirst());
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    CInstanceGuard next(m_folder);
    EXPECT_TRUE(next.TryBecomeFirst());
    EXPECT_GE(next.Publish(), 0);  // the dead copy's socket file is replaced
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST_F(InstanceGuardTest, SimultaneousStartsLeaveExactlyOneFirstCopy) {
    const int kStarts = 20;
    int results[2];
    ASSERT_EQ(::pipe(results), 0);
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < kStarts; ++i) {
        pid_t child = ::fork();
        if (child == 0) {
            char byte;
            ::close(go[1]);
            (void)!::read(go[0], &byte, 1);  // all start when the pipe closes
            CInstanceGuard guard(m_folder);
            char first = guard.TryBecomeFirst() ? 1 : 0;
            (void)!::write(results[1], &first, 1);
            ::pause();
            ::_exit(0);
        }
        children.push_back(child);
    }
    ::close(go[0]);
    ::close(go[1]);
    int firsts = 0;
    for (int i = 0; i < kStarts; ++i) {
        char first = 0;
        ASSERT_EQ(::read(results[0], &first, 1), 1);
        firsts += first;
    }
    EXPECT_EQ(firsts, 1);
    for (pid_t child : children) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
}

TEST_F(InstanceGuardTest, FolderOthersCanEnterIsNotUsed) {
    ::chmod(m_folder.c_str(), 0755);
    std::string saved = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
    ::setenv("XDG_RUNTIME_DIR", m_folder.c_str(), 1);
    EXPECT_NE(CInstanceGuard::DefaultFolder(), m_folder);
    ::chmod(m_folder.c_str(), 0700);
    EXPECT_EQ(CInstanceGuard::DefaultFolder(), m_folder);
    if (saved.empty()) {
        ::unsetenv("XDG_RUNTIME_DIR");
    } else {
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    }
}

}  // namespace
