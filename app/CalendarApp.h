// The application: one running copy per user, the data folder from kelnova.ini, the
// schedule model opened and handed to the main window, which runs modally until it
// closes, then teardown.
#pragma once

#include <wx/app.h>

#include <optional>
#include <string>

#include "CopyFolders.h"
#include "TablePrefetch.h"

// What the window's start finds before the toolkit starts: the copy's settings loaded, its
// data folder, and the table file being read meanwhile on a thread of its own.
struct WindowStart {
    CopyFacts copy;
    std::optional<std::string> folder;  // DataFolderFromSettings
    CTablePrefetch prefetch;            // started when there is a folder and `prefetch`
};

// Fills `start` (InspectCopy, LoadCopySettings, DataFolderFromSettings) and, when asked,
// starts reading the table of that folder. Needs no toolkit and shows nothing.
void BeginWindowStart(WindowStart& start, bool prefetch);

class CCalendarApp : public wxApp {
  public:
    // What main found before wxEntry (it outlives the toolkit); without it InitInstance
    // finds the settings and the folder itself and reads the table in the open.
    static void SetWindowStart(WindowStart* start);

    bool OnInit() override;
    int OnRun() override;

    // The whole life of the program after the toolkit is up, in the order: guard (another
    // copy runs: the table's read is cancelled), schedule model and main window objects,
    // settings, data folder, the data lock (held by another copy: the model read-only, and
    // a message), the model opened (taking over the table read meanwhile), modal run,
    // teardown.
    // Returns the process exit code.
    int InitInstance();
};

wxDECLARE_APP(CCalendarApp);
