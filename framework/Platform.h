// Look-and-feel settings of the platform toolkit that the dialog templates need.
#pragma once

namespace fw {

// Makes the toolkit's controls as compact as the dialog templates lay them out (small
// paddings and minimum sizes) and stops edits from selecting their whole text when they
// receive the focus from code. Call once after the toolkit is initialised; later calls do
// nothing. CDialog and CView call it themselves before they create windows.
void InitFramework();

}  // namespace fw
