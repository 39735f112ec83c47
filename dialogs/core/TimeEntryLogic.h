// What the time entry dialog does when one of its edits gains the focus and when a
// quick-pick button is clicked, free of any toolkit.
//
// The dialog has three edits: start time (1), end time (2) and entry text (3). It keeps
// the edit that last gained the focus (m_nFocusEdit; 0 before the first) and a flag that
// tells the next focus handler of a time edit that the dialog itself moved the focus
// there (m_bFocusByCode): the mover then sets the buttons and the selection itself.
// The wx dialog reads its edits, calls one of these functions, and applies the result
// to its controls; each function only computes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dlg {

enum TimeEdit : int { kEditNone = 0, kEditFrom = 1, kEditTo = 2, kEditText = 3 };

// A selection in an edit, in characters, end exclusive; an end of -1 selects to the end.
struct EditSelection {
    int start = 0;
    int end = 0;
    friend bool operator==(const EditSelection&, const EditSelection&) = default;
};

// Enabled state of the 18 hour buttons and of the 8 minute buttons; each group is always
// enabled or disabled as a whole.
struct ButtonGroups {
    bool hours = true;
    bool minutes = true;
    friend bool operator==(const ButtonGroups&, const ButtonGroups&) = default;
};

// The effect of an edit gaining the focus.
struct FocusStep {
    std::string strFrom;  // the time texts to write back into the edits
    std::string strTo;
    bool bShowFromArrow = false;
    bool bShowToArrow = false;
    std::optional<ButtonGroups> buttons;     // nullopt: leave the buttons as they are
    int nFocusEdit = kEditNone;              // the new m_nFocusEdit
    std::optional<EditSelection> selection;  // in the edit that gained the focus
    bool bFocusByCode = false;               // the flag afterwards
};

// Entering a time edit normalizes the other time text, shows that edit's arrow and, when
// the user moved the focus (flag clear), enables the hours, disables the minutes and
// selects the hour (characters 0-1); when the dialog moved it (flag set), the flag is
// consumed and buttons and selection stay. Entering the entry text normalizes both
// times, hides both arrows, disables all buttons and leaves flag and selection alone.
FocusStep EnterEdit(int edit, std::string_view from, std::string_view to, bool bFocusByCode);

// The effect of a quick-pick click, before and after the focus move it asks for.
struct PickStep {
    int nTarget = kEditNone;  // the edit written; kEditNone: the click changes nothing
    std::string strFrom;      // the time texts to write into the edits
    std::string strTo;
    ButtonGroups buttons;
    int nFocusTo = kEditNone;                // the edit to give the focus to next
    bool bSetFocusByCode = false;            // set m_bFocusByCode just before that focus move
    std::optional<EditSelection> selection;  // in nFocusTo, once the focus is there
};

// An hour button: the target (start time for focus edit 1, end time for 2) takes the
// hour, keeps its minute by the token rule, and gets the focus back by code with its
// minute (characters 3-4) selected; the hours are disabled and the minutes enabled.
PickStep PickHour(int nFocusEdit, std::string_view from, std::string_view to, int hour);

// A minute button: the target keeps its hour and takes the minute; hours enabled, minutes
// disabled. From the start time the focus moves by code to the end time, whose hour is
// selected when its text is exactly five bytes long; from the end time it moves (by the
// user's rule, flag clear) to the entry text with the whole text selected.
PickStep PickMinute(int nFocusEdit, std::string_view from, std::string_view to, int minute);

// What OK does with the two time texts. Each must be empty (no start, no end) or read as
// a time of day (ReadTimeOfDay); the start must not be 24:00, and with both given the end
// must not lie before the start. Accepted, the times go back in the HH:MM form, so a text
// already of that form goes back byte for byte. Refused, the dialog stays open with the
// message and the focus on the time to mend; nothing is handed back.
enum class TimesProblem { kNone, kStartNotATime, kStartAtEndOfDay, kEndNotATime, kEndBeforeStart };
struct TimesVerdict {
    TimesProblem problem = TimesProblem::kNone;
    std::string strFrom;  // the texts to hand back, when accepted
    std::string strTo;
    int nEdit = kEditNone;  // the time edit to mend, when refused
    std::string message;    // UTF-8, the Japanese text for the message box; empty when fine
    bool Ok() const { return problem == TimesProblem::kNone; }
};
TimesVerdict CheckTimes(std::string_view from, std::string_view to);

// The selection the dialog sets in the start edit when it opens.
inline constexpr EditSelection kOpeningSelection{0, 2};

}  // namespace dlg
