// Must not compile: the national holidays are computed without any toolkit. Built only by
// the test layers_wx_in_holidays.
#include <wx/window.h>

#include "Holidays.h"
