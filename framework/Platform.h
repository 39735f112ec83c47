// What the program needs of the platform beneath the toolkit: the look-and-feel settings
// that the dialog templates need, and watches on signals and file descriptors that run in
// the toolkit's main loop. One file per platform implements it (PlatformGtk.cpp).
#pragma once

#include <functional>
#include <string>

class wxString;
class wxWindow;

namespace fw {

// Before the toolkit starts and before any other thread (main, before wxEntry): tells GTK
// not to probe the OpenGL drivers as it opens the display, since the program draws nothing
// through OpenGL. Nothing on Windows.
void BeforeToolkitStarts();

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

// Shows the keyboard focus of a top-level window (the focus ring) from the start, not only
// after the first key press, so that a dialog opened from the keyboard says where typing
// goes. KeyboardFocusShown tells whether the window shows it.
void ShowKeyboardFocus(wxWindow* topLevel);
bool KeyboardFocusShown(wxWindow* topLevel);

// Whether a font family of this name is installed, by any of its names: a family has an
// English and often a localized name ("IPAPGothic", "IPA Pゴシック"), and the toolkit's
// font list shows only the one of the current locale.
bool FontFamilyInstalled(const std::string& utf8Name);

// The desktop's font resolution in 1/1024 dots per inch (GTK's gtk-xft-dpi, which a
// "large text" setting raises above 96 dpi); -1 when the desktop sets none.
int DesktopFontResolution();

// Runs handler in the main loop each time the process receives the signal (SIGTERM,
// SIGHUP), instead of the signal's default action. Returns the watch, 0 when it could not
// be set up.
unsigned WatchSignal(int signal, std::function<void()> handler);

// Runs handler in the main loop each time the file descriptor is readable. Returns the
// watch, 0 when it could not be set up.
unsigned WatchReadable(int fd, std::function<void()> handler);

// Runs handler in the main loop when the file at path may have changed: written, replaced
// by a rename, created or removed. Returns the watch, 0 when it could not be set up (the
// caller then relies on polling alone).
unsigned WatchFile(const std::string& path, std::function<void()> handler);

// Runs step each time the main loop (or a modal loop inside it) is idle, until step
// returns false. Returns the watch, 0 when it could not be set up.
unsigned RunWhenIdle(std::function<bool()> step);

// Cancels the toolkit's own modal dialogs that run outside the program's modal loops
// (message boxes), as their close button would. True when one was cancelled: its caller's
// code goes on once its loop has returned.
bool CancelNativeDialogs();

// Whether one of the toolkit's own modal dialogs (a message box) is shown.
bool HasNativeModalDialog();

// Whether the desktop session has a message bus that a notification service could be on.
// Without one, nothing should try to reach it: the D-Bus library would start a bus of its
// own for the display, which outlives the program.
bool HasSessionBus();

// Lets a window that is not modal take the user's input while a modal window of the
// program runs (the main window is one): the toolkit otherwise gives every event to the
// modal window alone. A modal dialog opened later still disables it as usual.
void TakeInputBesideModal(wxWindow* topLevel);
// Appends an entry (id 0: a separator) to the system menu of a top-level window where the
// platform has one to extend (Windows); id is a multiple of 16 below 0xF000. GTK has none:
// CDialog offers its entries as the context menu there.
void AppendToWindowMenu(wxWindow* topLevel, int id, const wxString& text);

// Runs action once the key event being handled is done (on the window's queue), or at once
// where that makes no difference. On Windows the toolkit hands the dialogs their keys from
// a keyboard hook while the system still holds the key's message: a modal loop started
// there takes the same key press again, so Enter that opens a dialog would press that
// dialog's focused button too.
void AfterKeyEvent(wxWindow* window, std::function<void()> action);

// Ends a watch; 0 is ignored.
void RemoveWatch(unsigned watch);

}  // namespace fw
