#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "CalendarApp.h"
#include "MonthPdf.h"

wxIMPLEMENT_APP_NO_MAIN(CCalendarApp);

int main(int argc, char** argv) {
    // The PDF of a month needs no display: it is written before the toolkit starts.
    if (argc >= 2 && std::strcmp(argv[1], "--pdf") == 0) {
        return RunPdfCommand(std::vector<std::string>(argv + 2, argv + argc), std::cerr);
    }
    return wxEntry(argc, argv);
}
