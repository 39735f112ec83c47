#include "CalendarApp.h"

#include <glib-unix.h>
#include <signal.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>

#include <memory>

#include "CalendarDlg.h"
#include "DataFolder.h"
#include "IniFile.h"
#include "InstanceGuard.h"
#include "MessageBox.h"
#include "Platform.h"
#include "XelDatabase.h"

namespace {

const char kSettingsFile[] = "kelnova.ini";

// SIGTERM, SIGHUP and the end of the desktop session close the window as its close box
// does, so the table is saved. Dialogs opened on top of it are cancelled first, one at a
// time from the innermost: a modal loop ends only while it is the innermost one (ending an
// outer dialog first hides it but leaves its loop running, and the program never ends), so
// the next dialog is cancelled once the loop of the one before has returned.
struct Closing {
    CCalendarDlg* main;
    guint step = 0;                     // the pending CloseStep, or 0
    wxEventLoopBase* ending = nullptr;  // the loop of the dialog cancelled last
};

gboolean CloseStep(gpointer data) {
    auto* closing = static_cast<Closing*>(data);
    if (closing->ending != nullptr && wxEventLoopBase::GetActive() == closing->ending) {
        return G_SOURCE_CONTINUE;  // that loop has not returned yet
    }
    // Dialogs are made just before they run, so the modal one made last is the innermost.
    wxDialog* innermost = nullptr;
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog != nullptr && dialog != closing->main && dialog->IsModal()) {
            innermost = dialog;
        }
    }
    if (innermost != nullptr) {
        closing->ending = wxEventLoopBase::GetActive();
        innermost->EndModal(wxID_CANCEL);
        return G_SOURCE_CONTINUE;
    }
    closing->step = 0;
    closing->main->CloseAndSave();
    return G_SOURCE_REMOVE;
}

gboolean OnTerminate(gpointer data) {
    auto* closing = static_cast<Closing*>(data);
    if (closing->step == 0) {
        closing->ending = nullptr;
        closing->step = g_idle_add(CloseStep, closing);
    }
    return G_SOURCE_CONTINUE;
}

// The data folder in the file system's encoding: DATA_DIR, or the program's own folder.
// nullopt when DATA_DIR is not a CP932 text.
std::optional<std::string> ResolveDataFolder() {
    static const char kUnset[] = "";
    const char* setting = IniGet("DATA_DIR", kUnset);
    if (setting == kUnset) {
        return ExecutableFolder();
    }
    return DataFolderFromSetting(setting);
}

}  // namespace

bool CCalendarApp::OnInit() {
    SetAppName("Pemdaro");
    return true;
}

int CCalendarApp::OnRun() {
    return InitInstance();
}

int CCalendarApp::InitInstance() {
    fw::InitFramework();

    CInstanceGuard guard;
    if (!guard.TryBecomeFirst()) {
        // Another copy runs: bring it forward and end without touching any file.
        guard.AskFirstToRaise();
        return 0;
    }

    auto dialog = std::make_unique<CCalendarDlg>(&guard);

    IniLoad(kSettingsFile);
    std::optional<std::string> folder = ResolveDataFolder();
    DbRegistry& registry = DbKelnovaRegistry();
    DbSetRegistry(&registry);
    DbTable* table = nullptr;
    if (folder) {
        registry.dataFolder = *folder;
        table = DbOpenTable("kelnova");
    }

    if (table == nullptr) {
        fw::AfxMessageBox(
            "データファイルを作成できません。データファイル作成フォルダの指定が間違っている可能性が"
            "あります。");
    } else {
        Closing closing{dialog.get()};
        guint term = g_unix_signal_add(SIGTERM, OnTerminate, &closing);
        guint hup = g_unix_signal_add(SIGHUP, OnTerminate, &closing);
        dialog->DoModal();
        g_source_remove(term);
        g_source_remove(hup);
        if (closing.step != 0) {
            g_source_remove(closing.step);
        }
    }

    DbTerminate();
    IniClose(0);
    dialog.reset();
    return 0;
}
