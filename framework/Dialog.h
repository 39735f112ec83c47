// Dialogs built from the program's dialog templates, with modal results, data exchange,
// control notifications and synchronous focus notifications.
//
// A dialog class names its template, exchanges its members in DoDataExchange and binds
// its handlers in a static event table by template control id:
//
//   class CTimeYoteiDlg : public fw::CDialog {
//   public:
//       CTimeYoteiDlg() : fw::CDialog(IDD_TIME_YOTEI) {}
//       std::string m_strFrom, m_strTo, m_strText;      // CP932
//   protected:
//       void DoDataExchange(fw::CDataExchange& dx) override {
//           fw::DDX_Text(dx, IDC_EDIT_FROM_TIME, m_strFrom);
//           ...
//       }
//       bool OnInitDialog() override {
//           fw::CDialog::OnInitDialog();                // members -> controls
//           SetFocusByCode(IDC_EDIT_FROM_TIME);         // OnSetFocusFrom runs in here
//           return false;                               // focus already set
//       }
//   private:
//       void OnSetFocusFrom(wxCommandEvent&);
//       void OnChangeText(wxCommandEvent&);
//       void OnPaint(wxPaintEvent&);
//       wxDECLARE_EVENT_TABLE();
//   };
//
//   wxBEGIN_EVENT_TABLE(CTimeYoteiDlg, fw::CDialog)
//       EVT_CTRL_SETFOCUS(IDC_EDIT_FROM_TIME, CTimeYoteiDlg::OnSetFocusFrom)
//       EVT_TEXT(IDC_EDIT_YOTEI_TEXT, CTimeYoteiDlg::OnChangeText)
//       EVT_PAINT(CTimeYoteiDlg::OnPaint)
//   wxEND_EVENT_TABLE()
//
//   CTimeYoteiDlg dlg;  dlg.m_strFrom = ...;  if (dlg.DoModal() == IDOK) { ... }
//
// Notifications are the wx command events of the template's controls: EVT_BUTTON,
// EVT_CHECKBOX, EVT_TEXT (edits and the edit field of combo boxes), EVT_COMBOBOX,
// EVT_LISTBOX, EVT_LISTBOX_DCLICK, plus EVT_CTRL_SETFOCUS and EVT_CTRL_KILLFOCUS below.
// None of them reaches a handler while the dialog exchanges data (UpdateData) or while
// a NotifyLock is held. Buttons 1 (IDOK) and 2 (IDCANCEL) call OnOK and OnCancel unless
// the derived table binds them itself.
//
// Focus: the dialog tracks which control has the focus. SetFocusByCode gives a control the
// focus and dispatches EVT_CTRL_SETFOCUS for it inside the call, exactly once, whether or
// not the window is shown or active yet; the toolkit's own focus event for that control,
// arriving later, is not dispatched again. A focus change by the user dispatches
// EVT_CTRL_KILLFOCUS for the control that had the focus, then EVT_CTRL_SETFOCUS for the
// new one. A click on a button or check box first moves the focus to it, as for a user.
#pragma once

#include <wx/dialog.h>

#include <map>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Resources.h"

class wxMenu;
class wxTextEntry;

// Focus notifications of the template's controls (wxCommandEvent, id = control id).
wxDECLARE_EVENT(fwEVT_CTRL_SETFOCUS, wxCommandEvent);
wxDECLARE_EVENT(fwEVT_CTRL_KILLFOCUS, wxCommandEvent);
#define EVT_CTRL_SETFOCUS(id, fn) EVT_COMMAND(id, fwEVT_CTRL_SETFOCUS, fn)
#define EVT_CTRL_KILLFOCUS(id, fn) EVT_COMMAND(id, fwEVT_CTRL_KILLFOCUS, fn)

#include "WindowsNames.h"  // after any windows.h

namespace fw {

// System commands of the standard system-menu entries.
inline constexpr int SC_MINIMIZE = 0xF020;
inline constexpr int SC_CLOSE = 0xF060;

class CDialog;

// The direction and state of one data exchange.
class CDataExchange {
  public:
    CDataExchange(CDialog& dialog, bool saveAndValidate)
        : m_pDlgWnd(&dialog), m_bSaveAndValidate(saveAndValidate) {}

    CDialog* m_pDlgWnd;
    // true: controls -> members; false: members -> controls.
    bool m_bSaveAndValidate;

    // Marks the exchange as failed; UpdateData then returns false.
    void Fail() { m_bFailed = true; }
    bool Failed() const { return m_bFailed; }

  private:
    bool m_bFailed = false;
};

// Edit (or a combo box's edit field) text <-> CP932 member. Writing remembers the bytes
// shown; reading gives back exactly those bytes while the control still shows the same
// text, otherwise the strict conversion of what it shows. A text CP932 cannot hold fails
// the exchange (the member keeps its value) after CDialog::OnExchangeFailure.
void DDX_Text(CDataExchange& dx, int id, std::string& value);
// Check box <-> 0 (clear) or 1 (ticked).
void DDX_Check(CDataExchange& dx, int id, int& value);
// Combo box <-> CP932 member. Reading takes the text of the edit field. Writing selects the
// first item that begins with the text (ignoring case); when none does, no item is
// selected and the text goes into the edit field. An empty text selects nothing.
void DDX_CBString(CDataExchange& dx, int id, std::string& value);
// Binds a member pointer to the control of the template: fw::DDX_Control(dx, IDC_LIST_YOTEI,
// m_pListYotei) with CSortedListBox* m_pListYotei.
void DDX_ControlWindow(CDataExchange& dx, int id, wxWindow*& control);
template <class T>
void DDX_Control(CDataExchange& dx, int id, T*& control) {
    wxWindow* window = nullptr;
    DDX_ControlWindow(dx, id, window);
    control = dynamic_cast<T*>(window);
}

class CDialog : public wxDialog {
  public:
    // The window is built from template templateId when the dialog first runs (DoModal or
    // Create). parent nullptr: the application's active window owns the modal dialog.
    explicit CDialog(int templateId, wxWindow* parent = nullptr);
    ~CDialog() override;

    // Builds the window if needed, initialises it (OnInitDialog) and runs it modally.
    // Returns the result given to EndDialog: IDOK (1) or IDCANCEL (2) for the base OK and
    // Cancel; -1 when the window cannot be built.
    int DoModal();
    // Builds the window and initialises it without showing it or running a modal loop,
    // for tests that drive a dialog directly; a DoModal that follows does not initialise
    // it again. False when the template is missing.
    bool Create();
    // Builds the window only, hidden, ahead of its use: a DoModal that follows initialises
    // it as it would a new dialog. False when the template is missing.
    bool BuildAhead() { return BuildWindow(); }
    // Ends the dialog with result: the modal loop returns it from DoModal. Outside a modal
    // run (after Create, or inside OnInitDialog) it is remembered for DoModal.
    void EndDialog(int result);

    // Runs DoDataExchange with notifications locked out. Returns false when an exchange
    // failed.
    bool UpdateData(bool saveAndValidate = true);
    // True while notifications are kept from the handlers.
    bool IsNotifyLocked() const { return m_nNotifyLock > 0; }

    // The control of the template with this id, or nullptr.
    wxWindow* GetDlgItem(int id) const;
    template <class T>
    T* GetDlgItemAs(int id) const {
        return dynamic_cast<T*>(GetDlgItem(id));
    }
    void EnableDlgItem(int id, bool enable);
    bool IsDlgItemEnabled(int id) const;

    // Gives control the focus and dispatches its EVT_CTRL_SETFOCUS (after EVT_CTRL_KILLFOCUS
    // of the control that had it) before returning. Does nothing for a control that already
    // has the focus. An edit keeps its selection.
    void SetFocusByCode(wxWindow* control);
    void SetFocusByCode(int id);
    // The id of the control that has the focus as far as the dialog knows, or 0.
    int GetFocusId() const;

    // Edit selection by character positions, end exclusive, end -1 = to the end of the
    // text (EM_SETSEL), and scrolling the caret into view (EM_SCROLLCARET).
    void SetEditSel(int id, int start, int end);
    void ScrollCaret(int id);
    // Selection of an edit as start and end positions; {0, 0} when none.
    std::pair<long, long> GetEditSel(int id) const;

    // Reports text in a balloon under control id (a refused character, say) without taking
    // the focus or the keys typed next. The balloon goes when the focus leaves that
    // control, when another note replaces it and when the dialog ends. Its lines break
    // between phrases (MessageLines.h).
    void ShowNote(int id, const wxString& text);
    void HideNote();
    // The text of the balloon shown now, empty when none is.
    wxString NoteText() const;

    // Invalidates a pixel rectangle of the client area (erasing the background when
    // erase is set) and repaints it before returning.
    void RedrawRectNow(const Rect& rect, bool erase = true);

    // Shows a message box owned by this dialog; caption nullptr: the application's name.
    int MessageBox(const char* utf8Text, const char* utf8Caption = nullptr, unsigned style = 0);
    int MessageBox(const wxString& text, const wxString& caption, unsigned style);

    // ---- System menu. GTK has no window menu to extend, so the entries a dialog appends
    // are offered, after the standard ones, as the context menu of the dialog (a right
    // click in it or in a child window that leaves the click alone). A dialog without
    // appended entries shows no context menu. On Windows they are appended to the window's
    // own system menu as well. Choosing an entry calls OnSysCommand(id).
    struct SystemMenuItem {
        int id = 0;  // 0 for a separator
        wxString text;
    };
    // Whether the template gives the dialog a system menu.
    bool HasSystemMenu() const;
    void AppendSystemMenuSeparator();
    void AppendSystemMenuItem(int id, const wxString& text);
    // The context menu as it would pop up: the standard entries "最小化" (when the template
    // has a minimise box) and "閉じる", then the appended ones; nullptr when nothing was
    // appended. The caller owns the menu. The standard entries carry menu ids of their
    // own; choosing them calls OnSysCommand with SC_MINIMIZE and SC_CLOSE.
    wxMenu* BuildSystemMenu() const;

    // Keeps notifications from the handlers for its lifetime (as UpdateData does).
    class NotifyLock {
      public:
        explicit NotifyLock(CDialog& dialog) : m_dialog(dialog) { ++m_dialog.m_nNotifyLock; }
        ~NotifyLock() { --m_dialog.m_nNotifyLock; }
        NotifyLock(const NotifyLock&) = delete;
        NotifyLock& operator=(const NotifyLock&) = delete;

      private:
        CDialog& m_dialog;
    };

  protected:
    // Called once the controls exist, before the dialog is shown. The base copies the
    // members into the controls (UpdateData(false)). Return true to give the focus to the
    // first control with a tab stop (dispatching its focus notification), false when the
    // override has set the focus itself.
    virtual bool OnInitDialog();
    // Button IDOK and the Enter key: the base reads the controls into the members and
    // ends with IDOK when the exchange succeeds.
    virtual void OnOK();
    // Button IDCANCEL, the Escape key, and the close box through OnClose: ends with
    // IDCANCEL without an exchange.
    virtual void OnCancel();
    // The close box (window close request); the base calls OnCancel.
    virtual void OnClose();
    virtual void DoDataExchange(CDataExchange& dx);
    // An entry of the system menu was chosen. The base handles SC_CLOSE (as the close box)
    // and SC_MINIMIZE; the main window adds its About entry.
    virtual void OnSysCommand(int id);
    // Tab and Shift+Tab move the focus to the next and previous enabled control with a tab
    // stop, in template order (which runs from top to bottom), and select the whole text of
    // an edit or combo box they arrive in, as GTK does everywhere else.
    // Sees every key press in the dialog before the dialog's own key handling; return
    // true to swallow it (the main window swallows Enter and Escape).
    virtual bool PreTranslateKeyDown(int keyCode);
    // A DDX text that CP932 cannot hold: the base shows a message and focuses the control.
    virtual void OnExchangeFailure(int id);
    // Puts the dialog in its place just before DoModal shows it: a template marked visible
    // at the template's place, any other centred over its owner (on the screen without
    // one) and kept on the owner's display. A window that keeps its own place overrides it.
    virtual void PlaceOnScreen();

    // The wx side.
    bool TryBefore(wxEvent& event) override;
#ifdef __WXMSW__
    // WM_SYSCOMMAND of an appended system-menu entry goes to OnSysCommand (DialogMsw.cpp).
    WXLRESULT MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) override;
#endif

  private:
    // The GUI tests' driver (tests/framework/DialogDriver.h) chooses system-menu entries.
    friend class DialogDriver;
    friend void DDX_Text(CDataExchange&, int, std::string&);
    friend void DDX_CBString(CDataExchange&, int, std::string&);

    struct Shown {
        wxString text;      // what the control showed after the exchange
        std::string bytes;  // the member bytes it stands for
    };

    bool BuildWindow();
    void CreateControl(const res::ControlTemplate& control);
    void Initialise();
    wxWindow* FirstTabStop() const;
    bool MoveFocusByTab(bool forward);

    void NoteFocus(wxWindow* control);
    void DispatchFocus(wxWindow* control, wxEventType type);
    bool IsOwnControl(const wxObject* object) const;
    void DispatchCommand(int id);
    // The command of Enter or Escape, once the key's event is done (AfterKeyEvent).
    void DispatchKeyCommand(int id);

    void RememberShown(int id, const wxString& text, const std::string& bytes);
    const Shown* FindShown(int id) const;
    void ReadText(CDataExchange& dx, int id, wxTextEntry& entry, std::string& value);

    void OnOKButton(wxCommandEvent& event);
    void OnCancelButton(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnCloseWindow(wxCloseEvent& event);
    void OnChildSetFocus(wxFocusEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);

    int m_nTemplateId;
    const res::DialogTemplate* m_pTemplate = nullptr;
    wxWindow* m_pParentWnd;
    wxFont m_font;
    bool m_bBuilt = false;
    bool m_bInitialised = false;
    bool m_bEnded = false;
    int m_nResult = -1;
    int m_nNotifyLock = 0;
    int m_nDefaultId = IDOK;
    wxWindow* m_pFocus = nullptr;
    std::map<int, wxWindow*> m_controls;
    std::map<int, Shown> m_shown;
    std::vector<SystemMenuItem> m_systemMenu;
    wxWindow* m_pNote = nullptr;  // the balloon (a popup window), once made
    wxWindow* m_pNoteText = nullptr;
    int m_nNoteFor = 0;  // the control the balloon shown speaks of, 0 when hidden

    wxDECLARE_EVENT_TABLE();
};

}  // namespace fw
