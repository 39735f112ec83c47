// The program's start: the command line is read before anything else, so that the
// commands (an export, a month's PDF, --help, --version) run without initialising the toolkit, and
// a bad command line never opens the window. Only the window goes through wxEntry, which hands the
// toolkit's own options (--display, ...) to GTK. Before that, the window's settings and data
// folder are found and the table file is read on a second thread while the toolkit starts;
// the schedule's open takes the rows over (CTablePrefetch).
#include <wx/app.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CalendarApp.h"
#include "CommandLine.h"
#include "CommandRun.h"
#include "Platform.h"

wxIMPLEMENT_APP_NO_MAIN(CCalendarApp);

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const CommandLine line = ParseCommandLine(args);
    if (line.kind != CommandKind::kWindow) {
        UseCallersConsole();
        return RunCommand(line, stdout, stderr);
    }
    // Before the table's read starts its thread: the toolkit's settings go into the
    // environment while no other thread can read it.
    fw::BeforeToolkitStarts();
    // Outlives the toolkit: its destructor ends a read the program did not wait for.
    WindowStart start;
    BeginWindowStart(start, true);
    CCalendarApp::SetWindowStart(&start);
    const int code = wxEntry(argc, argv);
    CCalendarApp::SetWindowStart(nullptr);
    return code;
}
