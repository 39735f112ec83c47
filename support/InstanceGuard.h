// One running copy per user.
//
// The signal "kelnova" is a lock file and a socket in the user's private runtime folder
// ($XDG_RUNTIME_DIR, else /tmp/pemdaro-<uid>, mode 0700):
//
//   kelnova.lock  held with flock() by the running copy; the kernel drops the lock when
//                 the process ends in any way, so a crash leaves no stale signal
//   kelnova.sock  listening once the first copy's window has been drawn; a later copy
//                 connects, sends "RAISE\n" and ends
//
// Only connections from processes of the same user are heard; anything else than the
// one message is ignored.
//
// On Windows the signal is the named shared block "Local\kelnova" of the user's session,
// created by the first copy and dropped by the system when it ends; once its window is
// drawn it holds that window's handle and the process id, and a later copy brings that
// window to the front itself (InstanceGuardWin.cpp).
#pragma once

#include <string>

class CInstanceGuard {
  public:
    // `folder` overrides the runtime folder (tests); empty picks the user's own.
    explicit CInstanceGuard(std::string folder = {});
    ~CInstanceGuard();
    CInstanceGuard(const CInstanceGuard&) = delete;
    CInstanceGuard& operator=(const CInstanceGuard&) = delete;

    // Takes the lock. False when another copy of this user holds it. When no private
    // folder can be had the program runs unguarded: true.
    bool TryBecomeFirst();

    // For a second copy: asks the first copy to bring its window forward. Does nothing
    // when the first copy has not published yet.
    void AskFirstToRaise() const;

    // For the first copy, once its window is drawn: starts listening. Returns the
    // socket to watch for readability, or -1. window: the main window's native handle,
    // which the Windows guard hands to later copies (there is no socket there: -1).
    int Publish(void* window = nullptr);
    int ListenFd() const { return m_listenFd; }

    // Takes one waiting connection; true when it was a valid request from this user to
    // raise the window.
    bool TakeRequest() const;

    const std::string& Folder() const { return m_folder; }

    // The folder the guard uses when none is given; empty when none is safe to use.
    static std::string DefaultFolder();

  private:
    std::string SocketPath() const { return m_folder + "/kelnova.sock"; }

    std::string m_folder;
    int m_lockFd = -1;
    int m_listenFd = -1;
    // On Windows: the handle of the named shared block; unused elsewhere.
    [[maybe_unused]] void* m_sharedBlock = nullptr;
};
