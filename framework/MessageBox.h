// Message boxes with the program's caption and icon rules, and a hook for tests.
//
//   fw::AfxMessageBox("データファイルの保存に失敗しました。");        // OK, exclamation
//   dlg.MessageBox("入力可能な予定の数は４つまでです。", nullptr, fw::MB_ICONSTOP);
//
// The caption is the application's name: the executable's file name without extension.
// Texts given as const char* are UTF-8 (literals in the source); a CP932 text from the
// program's data goes through Cp932ToWx first.
#pragma once

#include <wx/artprov.h>
#include <wx/dialog.h>
#include <wx/string.h>
#include <wx/window.h>

#include <functional>
#include <vector>

#include "WindowsNames.h"  // after any windows.h

namespace fw {

// Buttons and icons, with the platform's values.
enum MessageBoxStyle : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONSTOP = 0x10,  // also called hand or error
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_TYPEMASK = 0xF,
    MB_ICONMASK = 0xF0,
};

// Results: IDOK 1 and IDCANCEL 2 (as in Resources.h), IDYES 6, IDNO 7.
enum MessageBoxResult : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// What a message box would show.
struct MessageBoxRequest {
    wxWindow* parent = nullptr;
    wxString text;
    wxString caption;
    unsigned style = MB_OK;
    std::vector<wxString> labels;  // the buttons' own texts, in style's order; may be empty
};

// The application's name, for captions.
wxString AppName();

// The window of a message box. The toolkit's own box shows no icon on GTK 3 and wraps
// Japanese text at any character; this one shows the icon of the message's kind
// (information, warning, error, question) beside the text, and breaks the text only
// between phrases (MessageLines.h). Enter presses the first button, Escape and the close
// box answer Cancel, or No, or OK when the box has no Cancel.
class CMessageWindow : public wxDialog {
  public:
    explicit CMessageWindow(const MessageBoxRequest& request);

    // The text as shown, with the line breaks put in.
    const wxString& ShownText() const { return m_shown; }
    // The icon shown: wxART_INFORMATION, wxART_WARNING, wxART_ERROR, wxART_QUESTION, or
    // empty when the style names none.
    const wxArtID& IconArt() const { return m_art; }
    // The answer for a button id (wxID_OK, wxID_YES, ...): kIdOk, kIdYes, kIdNo, kIdCancel.
    static int Answer(int buttonId);

  private:
    wxString m_shown;
    wxArtID m_art;
};

// Shows a modal message box: text, buttons and icon from style; when style names no icon,
// the exclamation icon. Returns the button pressed.
int AfxMessageBox(const wxString& text, unsigned style = MB_OK);
int AfxMessageBox(const char* utf8Text, unsigned style = MB_OK);

// A message box whose buttons say what they do: style is MB_YESNOCANCEL or MB_YESNO with
// an icon, labels the buttons' texts in that order. Returns kIdYes, kIdNo or kIdCancel.
int AfxChoiceBox(const wxString& text, unsigned style, std::vector<wxString> labels);

// A window's message box: caption nullptr or empty means the application's name; the
// icon is only the one style names.
int MessageBox(wxWindow* parent, const wxString& text, const wxString& caption = wxString(),
               unsigned style = MB_OK);

// While a hook is installed, message boxes are not shown: the hook receives the request
// and its result is the box's result. Returns the previous hook; an empty hook restores
// the real boxes.
using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Asks for a file to save to (the toolkit's file dialog, confirming an overwrite); the
// chosen path, empty when the user cancelled. While a hook is installed the dialog is not
// shown: the hook gets the default name and answers with the path.
wxString AskSavePath(wxWindow* parent, const wxString& title, const wxString& defaultName,
                     const wxString& wildcard);
using SavePathHook = std::function<wxString(const wxString& defaultName)>;
SavePathHook SetSavePathHook(SavePathHook hook);

// Installs a hook for its lifetime that records every request and answers with answer.
class ScopedMessageBoxCapture {
  public:
    explicit ScopedMessageBoxCapture(int answer = kIdOk);
    ~ScopedMessageBoxCapture();
    ScopedMessageBoxCapture(const ScopedMessageBoxCapture&) = delete;
    ScopedMessageBoxCapture& operator=(const ScopedMessageBoxCapture&) = delete;

    const std::vector<MessageBoxRequest>& Requests() const { return m_requests; }
    void SetAnswer(int answer) { m_answer = answer; }

  private:
    std::vector<MessageBoxRequest> m_requests;
    int m_answer;
    MessageBoxHook m_previous;
};

}  // namespace fw
