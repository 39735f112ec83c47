#include "TimeEntryLogic.h"

#include <optional>
#include <utility>

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

TimesVerdict CheckTimes(std::string_view from, std::string_view to) {
    constexpr const char* kForms = "は「9:30」「0930」「930」「9」のように入力してください。";
    const auto refuse = [](TimesProblem problem, int edit, std::string message) {
        TimesVerdict verdict;
        verdict.problem = problem;
        verdict.nEdit = edit;
        verdict.message = std::move(message);
        return verdict;
    };
    const std::optional<TimeOfDay> start = ReadTimeOfDay(from);
    const std::optional<TimeOfDay> end = ReadTimeOfDay(to);
    if (!from.empty() && !start) {
        return refuse(TimesProblem::kStartNotATime, kEditFrom,
                      std::string("開始時刻") + kForms + "\n（00:00～23:59）");
    }
    if (!to.empty() && !end) {
        return refuse(TimesProblem::kEndNotATime, kEditTo,
                      std::string("終了時刻") + kForms + "\n（00:00～24:00）");
    }
    if (start && start->hour == 24) {
        return refuse(
            TimesProblem::kStartAtEndOfDay, kEditFrom,
            "24:00は終了時刻にだけ使えます。\n開始時刻は00:00～23:59で入力してください。");
    }
    if (start && end && *end < *start) {
        return refuse(TimesProblem::kEndBeforeStart, kEditTo, "終了時刻が開始時刻より前です。");
    }
    TimesVerdict verdict;
    verdict.strFrom = NormalizeTime(from);
    verdict.strTo = NormalizeTime(to);
    return verdict;
}

}  // namespace dlg
