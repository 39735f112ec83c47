#include "CalendarApp.h"

#include <glib-unix.h>
#include <signal.h>

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
// does, so the table is saved. Dialogs opened on top of it are cancelled first.
gboolean OnTerminate(gpointer data) {
    auto* main = static_cast<CCalendarDlg*>(data);
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog != nullptr && dialog != main && dialog->IsModal()) {
            dialog->EndModal(wxID_CANCEL);
        }
    }
    main->CallAfter([main] { main->CloseAndSave(); });
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
        guint term = g_unix_signal_add(SIGTERM, OnTerminate, dialog.get());
        guint hup = g_unix_signal_add(SIGHUP, OnTerminate, dialog.get());
        dialog->DoModal();
        g_source_remove(term);
        g_source_remove(hup);
    }

    DbTerminate();
    IniClose(0);
    dialog.reset();
    return 0;
}
