// Look-and-feel settings of the platform toolkit that the dialog templates need.
#pragma once

class wxWindow;

namespace fw {

// Makes the toolkit's controls as compact as the dialog templates lay them out (small
// paddings and minimum sizes) and stops edits from selecting their whole text when they
// receive the focus from code. Call once after the toolkit is initialised; later calls do
// nothing. CDialog and CView call it themselves before they create windows.
void InitFramework();

// Gives a list box's rows the height of its font and one pixel above and below, so that
// the list shows as many rows as the dialog template meant (four in a list 40 units high).
void FitListRows(wxWindow* list);

// Gives a single-line edit too narrow for the toolkit's usual inner padding (a time edit
// of five characters) no padding at all, so that its text is not cut.
void FitNarrowEdit(wxWindow* edit);

}  // namespace fw
