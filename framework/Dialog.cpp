#include "Dialog.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/menu.h>
#include <wx/popupwin.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "DialogUnits.h"
#include "Fonts.h"
#include "ListOrder.h"
#include "MessageBox.h"
#include "MessageLines.h"
#include "Platform.h"
#include "SortedListBox.h"
#include "TextConv.h"
#include "View.h"
#include "WindowsNames.h"  // last: <wx/app.h> brings windows.h on Windows
#include "WxImages.h"

wxDEFINE_EVENT(fwEVT_CTRL_SETFOCUS, wxCommandEvent);
wxDEFINE_EVENT(fwEVT_CTRL_KILLFOCUS, wxCommandEvent);

namespace fw {
namespace {

// Height in dialog units of a combo box's closed field (its template height includes the
// dropped-down list).
constexpr int kComboFieldHeight = 14;

// Edits narrower than this many dialog units (the time edits are 19) lose their padding.
constexpr int kNarrowEditUnits = 30;

wxRect PixelRect(int x, int y, int cx, int cy) {
    const Rect r = DialogRectToPixels(x, y, cx, cy);
    return wxRect(r.left, r.top, r.Width(), r.Height());
}

// A static black frame: the outline of its rectangle (a black rule when one unit high).
class CBlackFrame : public wxWindow {
  public:
    CBlackFrame(wxWindow* parent, int id, const wxRect& rect)
        : wxWindow(parent, id, rect.GetPosition(), rect.GetSize(), wxBORDER_NONE) {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxPaintDC dc(this);
            dc.SetPen(*wxBLACK_PEN);
            dc.SetBrush(GetParent()->GetBackgroundColour());
            const wxSize size = GetClientSize();
            dc.DrawRectangle(0, 0, size.x, size.y);
        });
    }
    bool AcceptsFocus() const override { return false; }
};

// Menu ids of the standard system-menu entries (wx menu ids stay below 0x7FFF).
constexpr int kMenuMinimize = 0x7F02;
constexpr int kMenuClose = 0x7F06;

bool IsNotification(wxEventType type) {
    return type == wxEVT_BUTTON || type == wxEVT_CHECKBOX || type == wxEVT_TEXT ||
           type == wxEVT_TEXT_ENTER || type == wxEVT_COMBOBOX || type == wxEVT_LISTBOX ||
           type == wxEVT_LISTBOX_DCLICK || type == fwEVT_CTRL_SETFOCUS ||
           type == fwEVT_CTRL_KILLFOCUS || type == wxEVT_COMBOBOX_DROPDOWN ||
           type == wxEVT_COMBOBOX_CLOSEUP;
}

wxTextEntry* TextEntryOf(wxWindow* window) {
    if (auto* text = dynamic_cast<wxTextCtrl*>(window)) {
        return text;
    }
    return dynamic_cast<wxComboBox*>(window);
}

}  // namespace

wxBEGIN_EVENT_TABLE(CDialog, wxDialog)
    EVT_BUTTON(IDOK, CDialog::OnOKButton)
    EVT_BUTTON(IDCANCEL, CDialog::OnCancelButton)
    EVT_CHAR_HOOK(CDialog::OnCharHook)
    EVT_CLOSE(CDialog::OnCloseWindow)
    EVT_CONTEXT_MENU(CDialog::OnContextMenu)
wxEND_EVENT_TABLE()

CDialog::CDialog(int templateId, wxWindow* parent)
    : m_nTemplateId(templateId),
      m_pTemplate(res::FindDialogTemplate(templateId)),
      m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

// ---- Building ------------------------------------------------------------------------------

bool CDialog::BuildWindow() {
    if (m_bBuilt) {
        return true;
    }
    if (!m_pTemplate) {
        return false;
    }
    InitFramework();
    const res::DialogTemplate& t = *m_pTemplate;
    long style = 0;
    if (t.style & res::kDsCaption) {
        style |= wxCAPTION;
    }
    if (t.style & res::kDsSysMenu) {
        style |= wxSYSTEM_MENU | wxCLOSE_BOX;
    }
    if (t.style & res::kDsMinimizeBox) {
        style |= wxMINIMIZE_BOX;
    }
    if (t.style & res::kDsMaximizeBox) {
        style |= wxMAXIMIZE_BOX;
    }
    if (t.style & res::kDsThickFrame) {
        style |= wxRESIZE_BORDER;
    }
    if (t.style & res::kDsExAppWindow) {
        style |= wxDIALOG_NO_PARENT;
    }
    if (!wxDialog::Create(m_pParentWnd, wxID_ANY, Utf8ToWx(t.caption), wxDefaultPosition,
                          wxDefaultSize, style)) {
        return false;
    }
    m_font = DialogFont(t.fontFace, t.fontPoints);
    SetFont(m_font);
    SetClientSize(DialogXToPixels(t.cx), DialogYToPixels(t.cy));
    for (const res::ControlTemplate& control : t.controls) {
        CreateControl(control);
    }
    // A dialog is mostly opened from the keyboard or used with it: where typing goes is
    // shown from the start.
    Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
        event.Skip();
        if (event.IsShown()) {
            ShowKeyboardFocus(this);
        }
    });
    m_bBuilt = true;
    return true;
}

void CDialog::CreateControl(const res::ControlTemplate& c) {
    using K = res::ControlKind;
    const int id = c.id == IDC_STATIC ? wxID_ANY : c.id;
    wxRect rect = PixelRect(c.x, c.y, c.cx, c.cy);
    const wxString text = Utf8ToWx(c.text);
    wxWindow* window = nullptr;
    switch (c.kind) {
        case K::kStatic: {
            auto* label = new wxStaticText(this, id, wxString(), rect.GetPosition(), rect.GetSize(),
                                           wxST_NO_AUTORESIZE | wxALIGN_LEFT);
            if (c.style & res::kNoPrefix) {
                label->SetLabelText(text);
            } else {
                label->SetLabel(text);
            }
            window = label;
            break;
        }
        case K::kIcon: {
            const wxIconBundle icons = LoadResourceIcons(c.resource);
            const wxIcon icon = icons.GetIcon(32);
            rect.SetSize(wxSize(32, 32));  // an icon control takes the icon's size
            window = new wxStaticBitmap(this, id, icon, rect.GetPosition(), rect.GetSize());
            break;
        }
        case K::kBlackFrame:
            window = new CBlackFrame(this, id, rect);
            break;
        case K::kEtchedHorz:
            window = new wxStaticLine(this, id, rect.GetPosition(), wxSize(rect.width, 2),
                                      wxLI_HORIZONTAL);
            break;
        case K::kGroupBox:
            window = new wxStaticBox(this, id, text, rect.GetPosition(), rect.GetSize());
            break;
        case K::kEdit: {
            long style = 0;
            if (c.style & res::kMultiline) {
                style |= wxTE_MULTILINE;
            }
            if (c.style & res::kReadOnly) {
                style |= wxTE_READONLY;
            }
            window =
                new wxTextCtrl(this, id, wxString(), rect.GetPosition(), rect.GetSize(), style);
            if (c.cx < kNarrowEditUnits && !(c.style & res::kMultiline)) {
                FitNarrowEdit(window);
            }
            break;
        }
        case K::kPushButton: {
            auto* button =
                new wxButton(this, id, text, rect.GetPosition(), rect.GetSize(), wxBU_EXACTFIT);
            if (c.style & res::kDefPush) {
                button->SetDefault();
                m_nDefaultId = c.id;
            }
            window = button;
            break;
        }
        case K::kCheckBox:
            window = new wxCheckBox(this, id, text, rect.GetPosition(), rect.GetSize());
            break;
        case K::kComboBox: {
            const wxRect field = PixelRect(c.x, c.y, c.cx, kComboFieldHeight);
            const long style = (c.style & res::kDropDownList) ? wxCB_READONLY : wxCB_DROPDOWN;
            window = new wxComboBox(this, id, wxString(), field.GetPosition(), field.GetSize(), 0,
                                    nullptr, style);
            break;
        }
        case K::kListBox: {
            const long style = wxLB_SINGLE | wxLB_NEEDED_SB;
            if (c.style & res::kSort) {
                window = new CSortedListBox(this, id, rect.GetPosition(), rect.GetSize(), style);
            } else {
                window =
                    new wxListBox(this, id, rect.GetPosition(), rect.GetSize(), 0, nullptr, style);
            }
            FitListRows(window);
            break;
        }
    }
    if (!window) {
        return;
    }
    window->SetFont(m_font);
    if (c.style & res::kDisabled) {
        window->Disable();
    }
    if (!(c.style & res::kTabStop)) {
        window->DisableFocusFromKeyboard();
    }
    window->Bind(wxEVT_SET_FOCUS, &CDialog::OnChildSetFocus, this);
    if (c.id != IDC_STATIC) {
        m_controls[c.id] = window;
    }
}

// ---- Running -------------------------------------------------------------------------------

bool CDialog::Create() {
    if (!BuildWindow()) {
        return false;
    }
    if (!m_bInitialised) {
        Initialise();
    }
    return true;
}

void CDialog::Initialise() {
    m_bInitialised = true;
    m_bEnded = false;
    m_nResult = -1;
    m_pFocus = nullptr;  // each run starts without a focused control, as a new window does
    if (OnInitDialog()) {
        if (wxWindow* first = FirstTabStop()) {
            SetFocusByCode(first);
        }
    }
    // A dialog opened by a timed action ends it once it runs.
    CallAfter([] { EndTimedAction(); });
}

int CDialog::DoModal() {
    if (!Create()) {
        return -1;
    }
    if (!m_bEnded) {
        PlaceOnScreen();
        const int shown = ShowModal();
        if (!m_bEnded) {
            // Ended by something other than EndDialog (a test hook answering for the
            // dialog): keep its answer, in the program's terms.
            m_bEnded = true;
            m_nResult = shown == wxID_OK ? IDOK : shown == wxID_CANCEL ? IDCANCEL : shown;
        }
    }
    m_bInitialised = false;  // a later DoModal initialises again
    return m_nResult;
}

void CDialog::EndDialog(int result) {
    HideNote();
    m_nResult = result;
    m_bEnded = true;
    if (IsModal()) {
        EndModal(result);
    }
}

void CDialog::PlaceOnScreen() {
    if (m_pTemplate->style & res::kDsVisible) {
        Move(DialogXToPixels(m_pTemplate->x), DialogYToPixels(m_pTemplate->y));
        return;
    }
    wxWindow* owner = GetParentForModalDialog(m_pParentWnd, GetWindowStyle());
    if (!owner || owner == this || !owner->IsShown()) {
        CentreOnScreen();
        return;
    }
    const wxRect area = owner->GetScreenRect();
    const wxSize size = GetSize();
    wxPoint pos(area.x + (area.width - size.x) / 2, area.y + (area.height - size.y) / 2);
    const int display = wxDisplay::GetFromWindow(owner);
    const wxRect screen =
        wxDisplay(display == wxNOT_FOUND ? 0u : unsigned(display)).GetClientArea();
    pos.x = std::max(screen.x, std::min(pos.x, screen.GetRight() + 1 - size.x));
    pos.y = std::max(screen.y, std::min(pos.y, screen.GetBottom() + 1 - size.y));
    Move(pos);
}

wxWindow* CDialog::FirstTabStop() const {
    for (const res::ControlTemplate& c : m_pTemplate->controls) {
        if (!(c.style & res::kTabStop)) {
            continue;
        }
        wxWindow* window = GetDlgItem(c.id);
        if (window && window->IsEnabled() && window->IsShown()) {
            return window;
        }
    }
    return nullptr;
}

bool CDialog::MoveFocusByTab(bool forward) {
    std::vector<wxWindow*> stops;
    int at = -1;
    for (const res::ControlTemplate& c : m_pTemplate->controls) {
        wxWindow* window = (c.style & res::kTabStop) ? GetDlgItem(c.id) : nullptr;
        if (window && window->IsEnabled() && window->IsShown()) {
            if (window == m_pFocus) {
                at = int(stops.size());
            }
            stops.push_back(window);
        }
    }
    if (stops.empty()) {
        return false;
    }
    const int n = int(stops.size());
    const int next = at < 0 ? (forward ? 0 : n - 1) : (at + (forward ? 1 : n - 1)) % n;
    wxWindow* control = stops[next];
    SetFocusByCode(control);
    if (wxTextEntry* entry = TextEntryOf(control); entry && m_pFocus == control) {
        entry->SelectAll();
    }
    return true;
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnClose() {
    OnCancel();
}

void CDialog::DoDataExchange(CDataExchange&) {}

bool CDialog::PreTranslateKeyDown(int) {
    return false;
}

void CDialog::OnExchangeFailure(int id) {
    MessageBox(wxString::FromUTF8("この文字は保存できません。別の文字で入力してください。"),
               wxString(), MB_ICONEXCLAMATION);
    if (wxWindow* control = GetDlgItem(id)) {
        SetFocusByCode(control);
    }
}

bool CDialog::UpdateData(bool saveAndValidate) {
    NotifyLock lock(*this);
    CDataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

// ---- Controls ------------------------------------------------------------------------------

wxWindow* CDialog::GetDlgItem(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CDialog::EnableDlgItem(int id, bool enable) {
    if (wxWindow* window = GetDlgItem(id)) {
        window->Enable(enable);
    }
}

bool CDialog::IsDlgItemEnabled(int id) const {
    const wxWindow* window = GetDlgItem(id);
    return window && window->IsThisEnabled();
}

void CDialog::SetEditSel(int id, int start, int end) {
    wxTextEntry* entry = TextEntryOf(GetDlgItem(id));
    if (!entry) {
        return;
    }
    const long last = entry->GetLastPosition();
    const long from = std::clamp<long>(start, 0, last);
    const long to = end < 0 ? last : std::clamp<long>(end, from, last);
    entry->SetSelection(from, to);
}

void CDialog::ScrollCaret(int id) {
    if (auto* text = dynamic_cast<wxTextCtrl*>(GetDlgItem(id))) {
        text->ShowPosition(text->GetInsertionPoint());
    }
}

std::pair<long, long> CDialog::GetEditSel(int id) const {
    long from = 0;
    long to = 0;
    if (wxTextEntry* entry = TextEntryOf(GetDlgItem(id))) {
        entry->GetSelection(&from, &to);
    }
    return {from, to};
}

void CDialog::RedrawRectNow(const Rect& rect, bool erase) {
    RefreshRect(wxRect(rect.left, rect.top, rect.Width(), rect.Height()), erase);
    Update();
}

int CDialog::MessageBox(const char* utf8Text, const char* utf8Caption, unsigned style) {
    return MessageBox(Utf8ToWx(utf8Text ? utf8Text : ""), Utf8ToWx(utf8Caption ? utf8Caption : ""),
                      style);
}

int CDialog::MessageBox(const wxString& text, const wxString& caption, unsigned style) {
    return fw::MessageBox(this, text, caption, style);
}

// ---- Notes ---------------------------------------------------------------------------------

void CDialog::ShowNote(int id, const wxString& text) {
    wxWindow* control = GetDlgItem(id);
    if (!control || text.empty()) {
        HideNote();
        return;
    }
    if (!m_pNote) {
        // A popup window takes neither the focus nor the keys: typing goes on in the field.
        auto* popup = new wxPopupWindow(this, wxBORDER_SIMPLE);
        popup->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_INFOBK));
        auto* label = new wxStaticText(popup, wxID_ANY, wxString(), wxPoint(4, 3));
        label->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_INFOTEXT));
        label->SetFont(m_font);
        m_pNote = popup;
        m_pNoteText = label;
    }
    const int room = std::max(control->GetSize().x, DialogXToPixels(140));
    const std::vector<std::string> lines = BreakMessageLines(
        WxToUtf8(text), room,
        [this](std::string_view line) { return m_pNoteText->GetTextExtent(Utf8ToWx(line)).x; });
    auto* label = static_cast<wxStaticText*>(m_pNoteText);
    label->SetLabelText(Utf8ToWx(JoinLines(lines)));
    const wxSize size = label->GetBestSize();
    label->SetSize(size);
    m_pNote->SetClientSize(size.x + 8, size.y + 6);
    const wxRect field = control->GetScreenRect();
    m_pNote->Move(field.GetLeft(), field.GetBottom() + 3);
    m_nNoteFor = id;
    m_pNote->Show();
    m_pNote->Raise();
}

void CDialog::HideNote() {
    m_nNoteFor = 0;
    if (m_pNote) {
        m_pNote->Hide();
    }
}

wxString CDialog::NoteText() const {
    if (m_nNoteFor == 0 || !m_pNoteText) {
        return wxString();
    }
    return static_cast<wxStaticText*>(m_pNoteText)->GetLabelText();
}

// ---- Focus ---------------------------------------------------------------------------------

int CDialog::GetFocusId() const {
    for (const auto& [id, window] : m_controls) {
        if (window == m_pFocus) {
            return id;
        }
    }
    return 0;
}

void CDialog::SetFocusByCode(int id) {
    if (wxWindow* control = GetDlgItem(id)) {
        SetFocusByCode(control);
    }
}

void CDialog::SetFocusByCode(wxWindow* control) {
    if (!control || control == m_pFocus) {
        return;
    }
    wxWindow* previous = m_pFocus;
    if (m_nNoteFor != 0 && control->GetId() != m_nNoteFor) {
        HideNote();
    }
    // Tracked first, so that a focus event the toolkit raises inside SetFocus is known.
    m_pFocus = control;
    wxTextEntry* entry = TextEntryOf(control);
    long from = 0;
    long to = 0;
    if (entry) {
        entry->GetSelection(&from, &to);
    }
    control->SetFocus();
    if (entry) {
        entry->SetSelection(from, to);
    }
    if (previous) {
        DispatchFocus(previous, fwEVT_CTRL_KILLFOCUS);
    }
    DispatchFocus(control, fwEVT_CTRL_SETFOCUS);
}

void CDialog::NoteFocus(wxWindow* control) {
    if (control == m_pFocus) {
        return;
    }
    if (m_nNoteFor != 0 && control->GetId() != m_nNoteFor) {
        HideNote();
    }
    wxWindow* previous = m_pFocus;
    m_pFocus = control;
    if (previous) {
        DispatchFocus(previous, fwEVT_CTRL_KILLFOCUS);
    }
    DispatchFocus(control, fwEVT_CTRL_SETFOCUS);
}

void CDialog::DispatchFocus(wxWindow* control, wxEventType type) {
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    GetEventHandler()->ProcessEvent(event);
}

void CDialog::OnChildSetFocus(wxFocusEvent& event) {
    event.Skip();
    auto* control = dynamic_cast<wxWindow*>(event.GetEventObject());
    // The focus event of a combo box's inner entry comes from the combo box itself.
    while (control && control->GetParent() != this) {
        control = control->GetParent();
    }
    if (control) {
        NoteFocus(control);
    }
}

// ---- Notifications -------------------------------------------------------------------------

bool CDialog::IsOwnControl(const wxObject* object) const {
    const auto* window = dynamic_cast<const wxWindow*>(object);
    return window && window != this && window->GetParent() == this;
}

bool CDialog::TryBefore(wxEvent& event) {
    if (IsNotification(event.GetEventType())) {
        if (IsNotifyLocked()) {
            return true;  // swallowed
        }
        const wxEventType type = event.GetEventType();
        if ((type == wxEVT_BUTTON || type == wxEVT_CHECKBOX) &&
            IsOwnControl(event.GetEventObject())) {
            // A click takes the focus first, as the toolkit does for a mouse click.
            SetFocusByCode(static_cast<wxWindow*>(event.GetEventObject()));
            if (IsNotifyLocked()) {
                return true;
            }
        }
    }
    return wxDialog::TryBefore(event);
}

void CDialog::DispatchCommand(int id) {
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(this);
    GetEventHandler()->ProcessEvent(event);
}

void CDialog::OnOKButton(wxCommandEvent&) {
    OnOK();
}

void CDialog::OnCancelButton(wxCommandEvent&) {
    OnCancel();
}

void CDialog::DispatchKeyCommand(int id) {
    // Still the dialog's command when it runs: a key pressed twice, or the end of the
    // dialog meanwhile, does nothing more.
    AfterKeyEvent(this, [this, id] {
        if (!m_bEnded) {
            DispatchCommand(id);
        }
    });
}

void CDialog::OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (PreTranslateKeyDown(key)) {
        return;
    }
    if (key == WXK_TAB && !event.ControlDown() && !event.AltDown()) {
        if (!MoveFocusByTab(!event.ShiftDown())) {
            event.Skip();
        }
        return;
    }
    if (key == WXK_ESCAPE) {
        if (wxWindow* cancel = GetDlgItem(IDCANCEL); cancel && !cancel->IsEnabled()) {
            return;
        }
        DispatchKeyCommand(IDCANCEL);
        return;
    }
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        wxWindow* focus = m_pFocus;
        if (auto* text = dynamic_cast<wxTextCtrl*>(focus); text && text->IsMultiLine()) {
            event.Skip();
            return;
        }
        // Enter presses the button that has the focus, otherwise the default button.
        int id = m_nDefaultId;
        if (dynamic_cast<wxButton*>(focus) && focus->GetParent() == this) {
            id = focus->GetId();
        }
        if (wxWindow* button = GetDlgItem(id); button && !button->IsEnabled()) {
            return;
        }
        DispatchKeyCommand(id);
        return;
    }
    event.Skip();
}

void CDialog::OnCloseWindow(wxCloseEvent& event) {
    if (!m_bBuilt) {
        event.Skip();
        return;
    }
    OnClose();
    if (!m_bEnded && event.CanVeto()) {
        event.Veto();
    }
}

// ---- System menu ---------------------------------------------------------------------------

bool CDialog::HasSystemMenu() const {
    return m_pTemplate && (m_pTemplate->style & res::kDsSysMenu);
}

void CDialog::AppendSystemMenuSeparator() {
    m_systemMenu.push_back(SystemMenuItem{});
    AppendToWindowMenu(this, 0, wxString());
}

void CDialog::AppendSystemMenuItem(int id, const wxString& text) {
    m_systemMenu.push_back(SystemMenuItem{id, text});
    AppendToWindowMenu(this, id, text);
}

wxMenu* CDialog::BuildSystemMenu() const {
    if (m_systemMenu.empty()) {
        return nullptr;
    }
    auto* menu = new wxMenu;
    if (m_pTemplate->style & res::kDsMinimizeBox) {
        menu->Append(kMenuMinimize, wxString::FromUTF8("最小化(&N)"));
    }
    menu->Append(kMenuClose, wxString::FromUTF8("閉じる(&C)\tAlt+F4"));
    for (const SystemMenuItem& item : m_systemMenu) {
        if (item.id == 0) {
            menu->AppendSeparator();
        } else {
            menu->Append(item.id, item.text);
        }
    }
    return menu;
}

void CDialog::OnSysCommand(int id) {
    if (id == SC_CLOSE) {
        Close();
    } else if (id == SC_MINIMIZE) {
        Iconize(true);
    }
}

void CDialog::OnContextMenu(wxContextMenuEvent& event) {
    std::unique_ptr<wxMenu> menu(BuildSystemMenu());
    if (!menu || !HasSystemMenu()) {
        event.Skip();
        return;
    }
    const wxPoint at = event.GetPosition() == wxDefaultPosition
                           ? wxDefaultPosition
                           : ScreenToClient(event.GetPosition());
    const int chosen = GetPopupMenuSelectionFromUser(*menu, at);
    if (chosen == kMenuMinimize) {
        OnSysCommand(SC_MINIMIZE);
    } else if (chosen == kMenuClose) {
        OnSysCommand(SC_CLOSE);
    } else if (chosen != wxID_NONE) {
        OnSysCommand(chosen);
    }
}

// ---- Data exchange -------------------------------------------------------------------------

void CDialog::RememberShown(int id, const wxString& text, const std::string& bytes) {
    m_shown[id] = Shown{text, bytes};
}

const CDialog::Shown* CDialog::FindShown(int id) const {
    const auto it = m_shown.find(id);
    return it == m_shown.end() ? nullptr : &it->second;
}

void CDialog::ReadText(CDataExchange& dx, int id, wxTextEntry& entry, std::string& value) {
    const wxString now = entry.GetValue();
    if (const Shown* shown = FindShown(id); shown && shown->text == now) {
        value = shown->bytes;
        return;
    }
    if (std::optional<std::string> bytes = WxToCp932(now)) {
        value = *bytes;
        RememberShown(id, now, value);
        return;
    }
    dx.Fail();
    OnExchangeFailure(id);
}

void DDX_Text(CDataExchange& dx, int id, std::string& value) {
    CDialog& dialog = *dx.m_pDlgWnd;
    wxTextEntry* entry = TextEntryOf(dialog.GetDlgItem(id));
    if (!entry || dx.Failed()) {
        return;
    }
    if (dx.m_bSaveAndValidate) {
        dialog.ReadText(dx, id, *entry, value);
        return;
    }
    const wxString shown = Cp932ToWx(value);
    // An unchanged text is not set again, so the caret and selection stay.
    if (entry->GetValue() != shown) {
        entry->ChangeValue(shown);
    }
    dialog.RememberShown(id, shown, value);
}

void DDX_Check(CDataExchange& dx, int id, int& value) {
    auto* check = dynamic_cast<wxCheckBox*>(dx.m_pDlgWnd->GetDlgItem(id));
    if (!check || dx.Failed()) {
        return;
    }
    if (dx.m_bSaveAndValidate) {
        value = check->GetValue() ? 1 : 0;
    } else {
        check->SetValue(value != 0);
    }
}

void DDX_CBString(CDataExchange& dx, int id, std::string& value) {
    CDialog& dialog = *dx.m_pDlgWnd;
    auto* combo = dynamic_cast<wxComboBox*>(dialog.GetDlgItem(id));
    if (!combo || dx.Failed()) {
        return;
    }
    if (dx.m_bSaveAndValidate) {
        dialog.ReadText(dx, id, *combo, value);
        return;
    }
    std::vector<std::string> items;
    items.reserve(combo->GetCount());
    for (unsigned i = 0; i < combo->GetCount(); ++i) {
        items.push_back(WxToCp932(combo->GetString(i)).value_or(std::string()));
    }
    const int found = FindPrefixItem(items, value);
    if (found >= 0) {
        combo->SetSelection(found);
        dialog.RememberShown(id, combo->GetString(found), items[found]);
        return;
    }
    const wxString shown = Cp932ToWx(value);
    combo->SetSelection(wxNOT_FOUND);
    if (combo->GetValue() != shown) {
        combo->ChangeValue(shown);
    }
    dialog.RememberShown(id, shown, value);
}

void DDX_ControlWindow(CDataExchange& dx, int id, wxWindow*& control) {
    control = dx.m_pDlgWnd->GetDlgItem(id);
}

}  // namespace fw
