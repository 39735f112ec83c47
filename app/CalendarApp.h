// The application: one running copy per user, the data folder from kelnova.ini, the
// schedule model opened and handed to the main window, which runs modally until it
// closes, then teardown.
#pragma once

#include <wx/app.h>

class CCalendarApp : public wxApp {
  public:
    bool OnInit() override;
    int OnRun() override;

    // The whole life of the program after the toolkit is up, in the order: guard,
    // schedule model and main window objects, settings, data folder, the data lock (held
    // by another copy: the model read-only, and a message), the model opened, modal run,
    // teardown.
    // Returns the process exit code.
    int InitInstance();
};

wxDECLARE_APP(CCalendarApp);
