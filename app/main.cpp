#include "CalendarApp.h"

wxIMPLEMENT_APP(CCalendarApp);
