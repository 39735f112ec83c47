#include "CalendarApp.h"

#include <signal.h>

#include <memory>

#include "Backups.h"
#include "CalendarDlg.h"
#include "DataFolder.h"
#include "IniFile.h"
#include "InstanceGuard.h"
#include "MessageBox.h"
#include "Platform.h"
#include "ScheduleModel.h"
#include "TextConv.h"

namespace {

const char kSettingsFile[] = "kelnova.ini";

// SIGTERM, SIGHUP and the end of the desktop session close the window as its close box
// does, so the schedule is saved. Dialogs opened on top of it are cancelled first.
void OnTerminate(CCalendarDlg* main) {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog != nullptr && dialog != main && dialog->IsModal()) {
            dialog->EndModal(wxID_CANCEL);
        }
    }
    main->CallAfter([main] { main->CloseAndSave(); });
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

    CScheduleModel model;
    auto dialog = std::make_unique<CCalendarDlg>(model, &guard);

    IniLoad(kSettingsFile);
    std::optional<std::string> folder = ResolveDataFolder();
    if (!folder || !model.Open(*folder)) {
        fw::AfxMessageBox(
            "データファイルを作成できません。データファイル作成フォルダの指定が間違っている可能性が"
            "あります。");
    } else {
        if (!model.LooksLikeScheduleFile()) {
            // Another program's file or a damaged one: the first save writes over it, so
            // say so now; the backup before that save keeps it.
            const std::string table = model.FilePath();
            fw::AfxMessageBox(fw::Utf8ToWx("データファイル " + table +
                                           " は予定表の形式ではありません。書き込む前に " +
                                           BackupFolderOf(table) + " へバックアップを取ります。"));
        }
        CCalendarDlg* main = dialog.get();
        const unsigned term = fw::WatchSignal(SIGTERM, [main] { OnTerminate(main); });
        const unsigned hup = fw::WatchSignal(SIGHUP, [main] { OnTerminate(main); });
        dialog->DoModal();
        fw::RemoveWatch(term);
        fw::RemoveWatch(hup);
    }

    dialog.reset();
    model.Close(false);
    IniClose(0);
    return 0;
}
