// The program's start: the command line is read before anything else, so that the
// commands (an export, a month's PDF, --help, --version) run without initialising the toolkit, and
// a bad command line never opens the window. Only the window goes through wxEntry, which hands the
// toolkit's own options (--display, ...) to GTK.
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
    fw::BeforeToolkitStarts();
    return wxEntry(argc, argv);
}
