// Must not compile: the toolkit-free layers (here the highest of them, the month painter
// and the editing flow) do not see wxWidgets. Built only by the test layers_wx_in_toolkit_free.
#include <wx/window.h>

#include "MonthPainter.h"
