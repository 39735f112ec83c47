// Must not compile: matching and counting are free of any toolkit. Built only by the test
// layers_wx_in_search.
#include <wx/window.h>

#include "ScheduleSearch.h"
