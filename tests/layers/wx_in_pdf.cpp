// Must not compile: the month's PDF page is written without the toolkit, where no display
// may exist. Built only by the test layers_wx_in_pdf.
#include <wx/window.h>

#include "MonthPdf.h"
