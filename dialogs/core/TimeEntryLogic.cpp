#include "TimeEntryLogic.h"

#include "TimeText.h"

namespace dlg {

namespace {

constexpr EditSelection kHourSelection{0, 2};
constexpr EditSelection kMinuteSelection{3, 5};
constexpr EditSelection kWholeSelection{0, -1};
// An HH:MM text is five bytes long.
constexpr size_t kTimeTextBytes = 5;

FocusStep EnterTimeEdit(int edit, std::string_view from, std::string_view to, bool byCode) {
    FocusStep step;
    const bool intoFrom = edit == kEditFrom;
    step.strFrom = intoFrom ? std::string(from) : NormalizeTime(from);
    step.strTo = intoFrom ? NormalizeTime(to) : std::string(to);
    step.bShowFromArrow = intoFrom;
    step.bShowToArrow = !intoFrom;
    step.nFocusEdit = edit;
    if (!byCode) {
        step.buttons = ButtonGroups{true, false};
        step.selection = kHourSelection;
    }
    step.bFocusByCode = false;
    return step;
}

}  // namespace

FocusStep EnterEdit(int edit, std::string_view from, std::string_view to, bool bFocusByCode) {
    if (edit == kEditFrom || edit == kEditTo) {
        return EnterTimeEdit(edit, from, to, bFocusByCode);
    }
    FocusStep step;
    step.strFrom = NormalizeTime(from);
    step.strTo = NormalizeTime(to);
    step.buttons = ButtonGroups{false, false};
    step.nFocusEdit = kEditText;
    step.bFocusByCode = bFocusByCode;
    return step;
}

PickStep PickHour(int nFocusEdit, std::string_view from, std::string_view to, int hour) {
    PickStep step;
    step.strFrom = from;
    step.strTo = to;
    if (nFocusEdit != kEditFrom && nFocusEdit != kEditTo) {
        return step;
    }
    step.nTarget = nFocusEdit;
    std::string& target = nFocusEdit == kEditFrom ? step.strFrom : step.strTo;
    target = PickHourText(target, hour);
    step.buttons = ButtonGroups{false, true};
    step.nFocusTo = nFocusEdit;
    step.bSetFocusByCode = true;
    step.selection = kMinuteSelection;
    return step;
}

PickStep PickMinute(int nFocusEdit, std::string_view from, std::string_view to, int minute) {
    PickStep step;
    step.strFrom = from;
    step.strTo = to;
    if (nFocusEdit == kEditFrom) {
        step.nTarget = kEditFrom;
        step.strFrom = PickMinuteText(step.strFrom, minute);
        step.buttons = ButtonGroups{true, false};
        step.nFocusTo = kEditTo;
        step.bSetFocusByCode = true;
        // The end edit's focus handler leaves the end text as it is, so its length
        // can be judged now.
        if (step.strTo.size() == kTimeTextBytes) {
            step.selection = kHourSelection;
        }
    } else if (nFocusEdit == kEditTo) {
        step.nTarget = kEditTo;
        step.strTo = PickMinuteText(step.strTo, minute);
        step.buttons = ButtonGroups{true, false};
        step.nFocusTo = kEditText;
        step.bSetFocusByCode = false;
        step.selection = kWholeSelection;
    }
    return step;
}

}  // namespace dlg
