// The program's resources as plain data: dialog templates, the string table, icon 128 and
// the arrow bitmaps 136 and 137. Nothing here knows a toolkit; framework/ turns templates
// into windows and images into bitmaps.
//
// Texts are UTF-8 (the source encoding); the framework converts them for display.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "Canvas.h"

// ---- Resource ids --------------------------------------------------------------------------

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;  // system-menu entry "ﾊﾞｰｼﾞｮﾝ情報 (&A)..."
inline constexpr int IDD_CALENDAR_DIALOG = 102;
inline constexpr int IDS_RESTORE = 103;  // system-menu entry "バックアップから復元 (&R)..."
inline constexpr int IDR_MAINFRAME = 128;  // icon, 32 x 32 and 16 x 16
inline constexpr int IDD_YOTEI_EDIT = 131;
inline constexpr int IDD_TIME_YOTEI = 134;
inline constexpr int IDB_FROM_ARROW = 136;  // 133 x 24
inline constexpr int IDB_TO_ARROW = 137;    // 50 x 24

// Command ids of the entries the main window appends to its system menu.
inline constexpr int IDM_ABOUTBOX = 0x0010;
inline constexpr int IDM_RESTORE = 0x0020;
inline constexpr int IDM_PREV_MONTH = 0x0030;     // "前の月", PageUp
inline constexpr int IDM_NEXT_MONTH = 0x0040;     // "次の月", PageDown
inline constexpr int IDM_THIS_MONTH = 0x0050;     // "今月", Home
inline constexpr int IDM_GOTO_MONTH = 0x0060;     // "移動...", Ctrl+G
inline constexpr int IDM_PAGE_SETUP = 0x0100;     // "ページ設定..."
inline constexpr int IDM_PRINT_PREVIEW = 0x0110;  // "印刷プレビュー..."
inline constexpr int IDM_PRINT = 0x0120;          // "印刷..."
inline constexpr int IDM_EXPORT = 0x0080;         // "書き出し..."
inline constexpr int IDM_SEARCH = 0x0070;         // "検索...", Ctrl+F

#include "WindowsNames.h"  // after any windows.h

// ---- Control ids ---------------------------------------------------------------------------

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_STATIC = -1;

// Day schedule dialog (template 131).
inline constexpr int IDC_CHECK_PAID_LEAVE = 1023;   // "計画有給休暇日"
inline constexpr int IDC_CHECK_HOLIDAY = 1024;      // "祝日・特別休日"
inline constexpr int IDC_EDIT_PERIOD_YOTEI = 1026;  // period text
inline constexpr int IDC_COMBO_PERIOD_FROM = 1027;  // period start date
inline constexpr int IDC_COMBO_PERIOD_TO = 1028;    // period end date
inline constexpr int IDC_BUTTON_CHANGE = 1041;      // "変更..."
inline constexpr int IDC_BUTTON_ADD = 1042;         // "追加..."
inline constexpr int IDC_BUTTON_REMOVE = 1043;      // "取消"
inline constexpr int IDC_LIST_YOTEI = 1061;         // timed entries, sorted

// Time entry dialog (template 134).
inline constexpr int IDC_EDIT_FROM_TIME = 1059;
inline constexpr int IDC_EDIT_TO_TIME = 1060;
inline constexpr int IDC_EDIT_YOTEI_TEXT = 1065;
inline constexpr int IDC_HOUR_6 = 1088;
inline constexpr int IDC_HOUR_7 = 1089;
inline constexpr int IDC_HOUR_8 = 1090;
inline constexpr int IDC_HOUR_9 = 1079;
inline constexpr int IDC_HOUR_10 = 1080;
inline constexpr int IDC_HOUR_11 = 1081;
inline constexpr int IDC_HOUR_12 = 1082;
inline constexpr int IDC_HOUR_13 = 1083;
inline constexpr int IDC_HOUR_14 = 1084;
inline constexpr int IDC_HOUR_15 = 1085;
inline constexpr int IDC_HOUR_16 = 1086;
inline constexpr int IDC_HOUR_17 = 1087;
inline constexpr int IDC_HOUR_18 = 1091;
inline constexpr int IDC_HOUR_19 = 1092;
inline constexpr int IDC_HOUR_20 = 1093;
inline constexpr int IDC_HOUR_21 = 1094;
inline constexpr int IDC_HOUR_22 = 1095;
inline constexpr int IDC_HOUR_23 = 1075;
inline constexpr int IDC_MINUTE_00 = 1096;
inline constexpr int IDC_MINUTE_10 = 1099;
inline constexpr int IDC_MINUTE_15 = 1097;
inline constexpr int IDC_MINUTE_20 = 1100;
inline constexpr int IDC_MINUTE_30 = 1049;
inline constexpr int IDC_MINUTE_40 = 1101;
inline constexpr int IDC_MINUTE_45 = 1098;
inline constexpr int IDC_MINUTE_50 = 1102;

namespace res {

// ---- Dialog templates ----------------------------------------------------------------------

// Window styles of a dialog template that the program acts on.
enum DialogStyle : uint32_t {
    kDsVisible = 1u << 0,       // shown at its template position instead of centred
    kDsPopup = 1u << 1,         //
    kDsCaption = 1u << 2,       // title bar
    kDsSysMenu = 1u << 3,       // system menu and close box
    kDsModalFrame = 1u << 4,    // fixed, not resizable frame
    kDsMinimizeBox = 1u << 5,   //
    kDsSetFont = 1u << 6,       // the template names a font
    kDsExAppWindow = 1u << 7,   // own task-bar entry
    kDsExClientEdge = 1u << 8,  // sunken client edge
    kDsThickFrame = 1u << 9,    // a frame the user can resize
    kDsMaximizeBox = 1u << 10,  //
};

enum class ControlKind {
    kStatic,      // static text
    kIcon,        // static icon; ControlTemplate::resource names the icon
    kBlackFrame,  // static black rectangle outline (a rule when one unit high)
    kEtchedHorz,  // static etched horizontal line
    kGroupBox,
    kEdit,
    kPushButton,
    kCheckBox,
    kComboBox,
    kListBox,
};

// Control styles that matter to the program. A control is visible and enabled unless a
// flag says otherwise.
enum ControlStyle : uint32_t {
    kTabStop = 1u << 0,
    kGroup = 1u << 1,          // starts a group
    kDisabled = 1u << 2,       //
    kDefPush = 1u << 3,        // default push button (Enter presses it)
    kReadOnly = 1u << 4,       // edit
    kMultiline = 1u << 5,      // edit
    kSort = 1u << 6,           // list box keeps its rows sorted
    kNotify = 1u << 7,         // list box reports selection changes and double-clicks
    kBorder = 1u << 8,         //
    kAutoHScroll = 1u << 9,    // edit scrolls horizontally while typing
    kVScroll = 1u << 10,       // vertical scroll bar
    kDropDown = 1u << 11,      // combo box: drop-down list with an edit field
    kDropDownList = 1u << 12,  // combo box: drop-down list without an edit field
    kStaticEdge = 1u << 13,    // extended style: thin sunken edge
    kNoPrefix = 1u << 14,      // static: "&" is shown, not an access key
    kFlat = 1u << 15,          // group box without 3-D look
    kAutoCheck = 1u << 16,     // check box toggles itself on a click
    kLeft = 1u << 17,          // static: left aligned
};

// One control; the rectangle is x, y, width, height in dialog units. For a combo box the
// height includes the dropped-down list.
struct ControlTemplate {
    int id = IDC_STATIC;
    ControlKind kind = ControlKind::kStatic;
    std::string_view text;  // UTF-8
    uint32_t style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int resource = 0;  // icon id of a kIcon control
};

struct DialogTemplate {
    int id = 0;
    std::string_view caption;  // UTF-8
    uint32_t style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::string_view fontFace;         // UTF-8, e.g. "ＭＳ Ｐゴシック"
    int fontPoints = 0;
    std::span<const ControlTemplate> controls;  // template order = tab order
};

// The template with this id, or nullptr.
const DialogTemplate* FindDialogTemplate(int id);

// ---- Strings -------------------------------------------------------------------------------

// The UTF-8 text of string resource id; empty when there is none.
std::string_view LoadStringResource(int id);

// ---- Images --------------------------------------------------------------------------------

// The colour drawn as transparent in the arrow bitmaps (and left out by image lists).
inline constexpr fw::Rgb kTransparentGrey{192, 192, 192};

// A 16-colour image: each row is a text of width characters, one hexadecimal palette
// index per pixel ('0'-'9', 'a'-'f'); '.' marks a transparent pixel (icons only).
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::span<const std::string_view> rows;

    bool IsTransparent(int x, int y) const { return rows[y][x] == '.'; }
    // The colour of a pixel; a transparent pixel reads as kTransparentGrey.
    fw::Rgb PixelAt(int x, int y) const;
};

// The 16-colour palette all images use (the standard VGA colours: 0 black, 7 light grey
// 192, 8 grey 128, 9 red, 15 white, ...).
std::span<const fw::Rgb, 16> Palette16();

// Bitmap 136 or 137, or nullptr.
const IndexedImage* FindBitmap(int id);
// The image of icon id whose side is size pixels (32 or 16), or nullptr.
const IndexedImage* FindIcon(int id, int size);

}  // namespace res
