// Dialog templates 100, 102, 131 and 134. Rectangles are x, y, width, height in dialog
// units; controls are listed in template order, which is also the tab order.
#include "Resources.h"

namespace res {
namespace {

using K = ControlKind;

constexpr std::string_view kDialogFont = "ＭＳ Ｐゴシック";

// About box.
constexpr ControlTemplate kAboutControls[] = {
    {IDC_STATIC, K::kIcon, "", 0, 11, 17, 20, 20, IDR_MAINFRAME},
    {IDC_STATIC, K::kStatic, "Pemdaro Version 1.1.0", kGroup | kNoPrefix, 40, 10, 119, 8},
    {IDC_STATIC, K::kStatic, "Copyright (C) The Pemdaro authors", kGroup, 40, 25, 119, 8},
    {IDOK, K::kPushButton, "OK", kGroup | kTabStop | kDefPush, 178, 7, 32, 14},
};

// Day schedule dialog "予定編集".
constexpr uint32_t kPeriodCombo = kDropDown | kVScroll | kTabStop;
constexpr uint32_t kPeriodEdit = kBorder | kAutoHScroll | kTabStop;
// Tab order from top to bottom: the marks, the period's dates and text, the entry
// buttons, the entry list, OK and Cancel. Access keys follow the Japanese convention of a
// letter in parentheses after the caption.
constexpr ControlTemplate kYoteiEditControls[] = {
    {IDC_CHECK_HOLIDAY, K::kCheckBox, "祝日・特別休日(&H)", kAutoCheck | kTabStop, 176, 18, 62, 10},
    {IDC_CHECK_PAID_LEAVE, K::kCheckBox, "計画有給休暇日(&Y)", kAutoCheck | kTabStop, 176, 33, 62,
     10},
    {IDC_COMBO_PERIOD_FROM, K::kComboBox, "", kPeriodCombo, 55, 68, 74, 73},
    {IDC_STATIC, K::kStatic, "～", kGroup, 135, 71, 8, 8},
    {IDC_COMBO_PERIOD_TO, K::kComboBox, "", kPeriodCombo, 148, 69, 73, 62},
    {IDC_EDIT_PERIOD_YOTEI, K::kEdit, "", kPeriodEdit, 54, 89, 181, 14},
    {IDC_BUTTON_ADD, K::kPushButton, "追加(&A)...", kTabStop, 148, 144, 27, 14},
    {IDC_BUTTON_CHANGE, K::kPushButton, "変更(&C)...", kTabStop, 178, 144, 27, 14},
    {IDC_BUTTON_REMOVE, K::kPushButton, "取消(&D)", kTabStop, 209, 144, 27, 14},
    {IDC_LIST_YOTEI, K::kListBox, "", kSort | kNotify | kBorder | kTabStop, 27, 164, 209, 40},
    {IDOK, K::kPushButton, "OK", kDefPush | kTabStop, 133, 218, 50, 14},
    {IDCANCEL, K::kPushButton, "ｷｬﾝｾﾙ", kTabStop, 187, 218, 50, 14},
    {IDC_STATIC, K::kBlackFrame, "", 0, 17, 136, 220, 1},
    {IDC_STATIC, K::kBlackFrame, "", 0, 17, 60, 219, 1},
    {IDC_STATIC, K::kEtchedHorz, "", 0, 17, 206, 220, 1},
    {IDC_STATIC, K::kStatic, "期間：", kGroup, 33, 70, 18, 8},
    {IDC_STATIC, K::kStatic, "内容：", kGroup, 33, 92, 18, 8},
};

// Time entry dialog "時間予定記入". The quick-pick buttons have a static edge and no tab
// stop: only the three edits, OK and Cancel take part in tabbing.
constexpr uint32_t kTimeEdit = kBorder | kTabStop | kAutoHScroll;
constexpr uint32_t kPick = kStaticEdge;
constexpr ControlTemplate kTimeYoteiControls[] = {
    {IDC_EDIT_FROM_TIME, K::kEdit, "", kTimeEdit, 21, 26, 19, 12},
    {IDC_EDIT_TO_TIME, K::kEdit, "", kTimeEdit, 68, 26, 19, 12},
    {IDC_EDIT_YOTEI_TEXT, K::kEdit, "", kTimeEdit, 19, 137, 236, 14},
    {IDOK, K::kPushButton, "OK", kDefPush | kTabStop, 149, 164, 50, 14},
    {IDCANCEL, K::kPushButton, "ｷｬﾝｾﾙ", kTabStop, 206, 164, 50, 14},
    {IDC_STATIC, K::kStatic, "～", kLeft | kGroup, 50, 28, 8, 8},
    {IDC_STATIC, K::kGroupBox, "", kFlat, 98, 21, 90, 100},
    {IDC_HOUR_9, K::kPushButton, "９", kPick, 103, 37, 14, 20},
    {IDC_HOUR_10, K::kPushButton, "１０", kPick, 119, 37, 14, 20},
    {IDC_HOUR_11, K::kPushButton, "１１", kPick, 135, 37, 14, 20},
    {IDC_HOUR_12, K::kPushButton, "１２", kPick, 150, 37, 14, 20},
    {IDC_HOUR_13, K::kPushButton, "１３", kPick, 103, 59, 14, 20},
    {IDC_HOUR_14, K::kPushButton, "１４", kPick, 119, 59, 14, 20},
    {IDC_HOUR_15, K::kPushButton, "１５", kPick, 135, 59, 14, 20},
    {IDC_HOUR_16, K::kPushButton, "１６", kPick, 150, 59, 14, 20},
    {IDC_HOUR_17, K::kPushButton, "１７", kPick, 166, 59, 14, 20},
    {IDC_HOUR_6, K::kPushButton, "６", kPick, 103, 88, 12, 13},
    {IDC_HOUR_7, K::kPushButton, "７", kPick, 116, 88, 12, 13},
    {IDC_HOUR_8, K::kPushButton, "８", kPick, 129, 88, 12, 13},
    {IDC_HOUR_18, K::kPushButton, "１８", kPick, 103, 102, 12, 13},
    {IDC_HOUR_19, K::kPushButton, "１９", kPick, 116, 102, 12, 13},
    {IDC_HOUR_20, K::kPushButton, "２０", kPick, 129, 102, 12, 13},
    {IDC_HOUR_21, K::kPushButton, "２１", kPick, 142, 102, 12, 13},
    {IDC_HOUR_22, K::kPushButton, "２２", kPick, 156, 102, 12, 13},
    {IDC_HOUR_23, K::kPushButton, "２３", kPick, 169, 102, 12, 13},
    {IDC_STATIC, K::kGroupBox, "", kFlat, 193, 21, 62, 99},
    {IDC_MINUTE_00, K::kPushButton, "００", kPick, 197, 37, 14, 20},
    {IDC_MINUTE_15, K::kPushButton, "１５", kPick, 197, 59, 14, 20},
    {IDC_MINUTE_45, K::kPushButton, "４５", kPick, 213, 59, 14, 20},
    {IDC_MINUTE_10, K::kPushButton, "１０", kPick, 197, 89, 12, 13},
    {IDC_MINUTE_20, K::kPushButton, "２０", kPick, 211, 89, 12, 13},
    {IDC_MINUTE_40, K::kPushButton, "４０", kPick, 224, 89, 12, 13},
    {IDC_MINUTE_50, K::kPushButton, "５０", kPick, 237, 89, 12, 13},
    {IDC_STATIC, K::kBlackFrame, "", 0, 7, 130, 249, 1},
    {IDC_STATIC, K::kBlackFrame, "", 0, 7, 17, 249, 1},
    {IDC_STATIC, K::kEtchedHorz, "", 0, 8, 158, 248, 1},
    {IDC_MINUTE_30, K::kPushButton, "３０", kPick, 213, 37, 14, 20},
};

constexpr uint32_t kPopupDialog = kDsPopup | kDsCaption | kDsSysMenu | kDsModalFrame | kDsSetFont;

constexpr DialogTemplate kTemplates[] = {
    {IDD_ABOUTBOX, "ﾊﾞｰｼﾞｮﾝ情報", kPopupDialog, 0, 0, 217, 55, kDialogFont, 9, kAboutControls},
    {IDD_CALENDAR_DIALOG,
     "Pemdaro",
     kDsVisible | kDsCaption | kDsSysMenu | kDsMinimizeBox | kDsMaximizeBox | kDsThickFrame |
         kDsSetFont | kDsExAppWindow | kDsExClientEdge,
     0,
     0,
     315,
     302,
     kDialogFont,
     9,
     {}},
    {IDD_YOTEI_EDIT, "予定編集", kPopupDialog, 0, 0, 243, 239, kDialogFont, 9, kYoteiEditControls},
    {IDD_TIME_YOTEI, "時間予定記入", kPopupDialog, 0, 0, 263, 185, kDialogFont, 9,
     kTimeYoteiControls},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate& t : kTemplates) {
        if (t.id == id) {
            return &t;
        }
    }
    return nullptr;
}

std::string_view LoadStringResource(int id) {
    if (id == IDS_ABOUTBOX) {
        return "ﾊﾞｰｼﾞｮﾝ情報 (&A)...";
    }
    if (id == IDS_RESTORE) {
        return "バックアップから復元 (&R)...";
    }
    return {};
}

}  // namespace res
