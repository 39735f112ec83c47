#include "CalendarApp.h"

#include <signal.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "Backups.h"
#include "CalendarDlg.h"
#include "CopyFolders.h"
#include "DataFolder.h"
#include "DataLock.h"
#include "IniFile.h"
#include "InstanceGuard.h"
#include "MessageBox.h"
#include "Platform.h"
#include "Reminders.h"
#include "ScheduleModel.h"
#include "TextConv.h"
#include "UserFolders.h"
#include "WindowPlacement.h"
#include "XelCalMView.h"

namespace {

// SIGTERM, SIGHUP and the end of the desktop session close the window as its close box
// does, so the schedule is saved. Dialogs opened on top of it are cancelled first, one at
// a time from the innermost: a modal loop ends only while it is the innermost one (ending
// an outer dialog first hides it but leaves its loop running, and the program never ends),
// so the next dialog is cancelled once the loop of the one before has returned. Each step
// runs when the innermost loop is idle.
class CTerminator {
  public:
    explicit CTerminator(CCalendarDlg* main) : m_pMain(main) {}
    ~CTerminator() { fw::RemoveWatch(m_nStep); }

    // The session ends now (Windows' WM_ENDSESSION): the process may be ended as soon as
    // the message has been answered, so the schedule is saved before, as the steps would
    // save it; the steps then close what is open over the window. (The window itself is
    // not ended from here: a dialog's loop may run above it.)
    void EndNow() {
        m_pMain->BeginEnding();
        m_pMain->SaveBeforeEnd();
        Request();
    }

    // A signal arrived; a second one while the first is being handled changes nothing.
    void Request() {
        m_pMain->BeginEnding();
        if (m_nStep == 0) {
            m_pEnding = nullptr;
            m_nStep = fw::RunWhenIdle([this] { return Step(); });
        }
    }

  private:
    // One step; false once the window is closed.
    bool Step() {
        if (m_pEnding != nullptr && wxEventLoopBase::GetActive() == m_pEnding) {
            return true;  // that loop has not returned yet
        }
        // A message box runs the toolkit's own loop inside the dialog that showed it; it
        // goes first, and the dialog under it is ended at a later step.
        if (fw::CancelNativeDialogs()) {
            m_pEnding = nullptr;
            return true;
        }
        // Dialogs are made just before they run, so the modal one made last is the innermost.
        wxDialog* innermost = nullptr;
        for (wxWindow* window : wxTopLevelWindows) {
            auto* dialog = dynamic_cast<wxDialog*>(window);
            if (dialog != nullptr && dialog != m_pMain && dialog->IsModal()) {
                innermost = dialog;
            }
        }
        if (innermost != nullptr) {
            m_pEnding = wxEventLoopBase::GetActive();
            innermost->EndModal(wxID_CANCEL);
            return true;
        }
        m_nStep = 0;
        m_pMain->CloseAndSave(false);
        return false;
    }

    CCalendarDlg* m_pMain;
    unsigned m_nStep = 0;                  // the idle step while closing, else 0
    wxEventLoopBase* m_pEnding = nullptr;  // the loop of the dialog cancelled last
};

// Why the schedule opens for viewing only, and who holds it. A lock of another host or one
// that cannot be read is never taken over by itself, so the user is told how to free it.
std::string HeldByOtherMessage(const CDataLock& lock) {
    const DataLockHolder& holder = lock.Holder();
    std::string text = "このデータファイルは他で使用中です。\n";
    if (holder.Known()) {
        text += "（ホスト " + CDataLock::Printable(holder.host) + "、ユーザー " +
                CDataLock::Printable(holder.user) + "、プロセス " + std::to_string(holder.pid) +
                "）\n";
    }
    text += "表示のみで開きます。";
    if (!holder.Known() || holder.host != CDataLock::HostName()) {
        text += "\n使用中でないことが確かなときは、データフォルダの ";
        text += CDataLock::kFileName;
        text += " を削除してください。";
    }
    return text;
}

// PEMDARO_TEST_CLOCK=YYYYMMDDHHMM[SS] starts the program's clock at that local time, from
// where it runs on: the end-to-end tests set it so that what is due does not depend on the
// hour they run at. Unset, or not such a time: the local clock.
CCalendarDlg::Clock ProgramClock() {
    const char* setting = std::getenv("PEMDARO_TEST_CLOCK");
    const std::optional<LocalDateTime> start =
        setting != nullptr ? ParseLocalDateTime(setting) : std::nullopt;
    if (!start) {
        return LocalDateTimeNow;
    }
    const auto began = std::chrono::steady_clock::now();
    return [start = *start, began] {
        const auto elapsed = std::chrono::steady_clock::now() - began;
        return AddSeconds(start, std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
    };
}

WindowStart* g_windowStart = nullptr;

}  // namespace

void BeginWindowStart(WindowStart& start, bool prefetch) {
    // kelnova.ini in the current folder, or for an installed copy in the user's
    // configuration folder.
    start.copy = InspectCopy();
    LoadCopySettings(start.copy);
    start.folder = DataFolderFromSettings(start.copy);
    if (prefetch && start.folder) {
        start.prefetch.Start(*start.folder);
    }
}

void CCalendarApp::SetWindowStart(WindowStart* start) {
    g_windowStart = start;
}

bool CCalendarApp::OnInit() {
    SetAppName("Pemdaro");
    return true;
}

int CCalendarApp::OnRun() {
    return InitInstance();
}

int CCalendarApp::InitInstance() {
    fw::InitFramework();

    WindowStart own;
    WindowStart& start = g_windowStart != nullptr ? *g_windowStart : own;
    CInstanceGuard guard;
    if (!guard.TryBecomeFirst()) {
        // Another copy runs: bring it forward and end without touching any file.
        start.prefetch.Cancel();
        guard.AskFirstToRaise();
        return 0;
    }
    if (g_windowStart == nullptr) {
        BeginWindowStart(own, false);
    }

    CScheduleModel model;
    auto dialog = std::make_unique<CCalendarDlg>(model, &guard);

    // HOLIDAYS=0 turns the national holidays off; any other value, or none, leaves them on.
    dialog->SetShowHolidays(std::string_view(IniGet("HOLIDAYS", "1")) != "0");
    // The window's size and place, kept in a file of the program's own, apart from
    // kelnova.ini, which is only read.
    const std::string config = UserConfigFolder();
    if (!config.empty()) {
        dialog->SetPlacementFile(config + kWindowSettingsFile);
    }
    // REMIND_MINUTES=0 turns the reminders off; a value that is no number of minutes from 0
    // to a day gives the default lead of ten minutes.
    dialog->SetReminderMinutes(ReminderLeadMinutes(IniGet("REMIND_MINUTES", "")));
    dialog->SetClock(ProgramClock());
    const std::optional<std::string>& folder = start.folder;
    // One writing copy per data file, across sessions, users and machines. Where no lock
    // file can be made (a read-only folder) the copy runs without one.
    CDataLock dataLock(folder.value_or(std::string()));
    if (folder && dataLock.Acquire() == CDataLock::State::kHeldByOther) {
        model.SetReadOnly(true);
    }
    // The month's fonts are looked up while the table's read on the other thread ends.
    CXelCalMView::PrepareFonts();
    if (!folder || !model.Open(*folder, start.prefetch)) {
        fw::AfxMessageBox(fw::Utf8ToWx(CannotCreateDataMessage(folder)), fw::MB_ICONSTOP);
    } else {
        if (model.IsReadOnly()) {
            fw::AfxMessageBox(HeldByOtherMessage(dataLock).c_str());
        }
        if (!model.LooksLikeScheduleFile()) {
            // Another program's file or a damaged one: the first save writes over it, so
            // say so now; the backup before that save keeps it.
            const std::string table = model.FilePath();
            fw::AfxMessageBox(fw::Utf8ToWx("データファイル " + table +
                                           " は予定表の形式ではありません。書き込む前に " +
                                           BackupFolderOf(table) + " へバックアップを取ります。"));
        }
        CTerminator terminator(dialog.get());
        const unsigned term = fw::WatchSignal(SIGTERM, [&terminator] { terminator.Request(); });
#ifdef SIGHUP  // Windows has no hang-up signal
        const unsigned hup = fw::WatchSignal(SIGHUP, [&terminator] { terminator.Request(); });
#else
        const unsigned hup = 0;
#endif
        // The end of the Windows session: the program lets it end (nothing is lost, it is
        // saved when it ends) and saves once it does. The toolkit's own handling would
        // close the window without the save, or end the process at once.
        auto mayEnd = [](wxCloseEvent&) {};
        auto ends = [&terminator](wxCloseEvent&) { terminator.EndNow(); };
        Bind(wxEVT_QUERY_END_SESSION, mayEnd);
        Bind(wxEVT_END_SESSION, ends);
        dialog->DoModal();
        Unbind(wxEVT_QUERY_END_SESSION, mayEnd);
        Unbind(wxEVT_END_SESSION, ends);
        fw::RemoveWatch(term);
        fw::RemoveWatch(hup);
    }

    dialog.reset();
    model.Close(false);
    dataLock.Release();
    IniClose(0);
    return 0;
}
