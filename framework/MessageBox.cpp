#include "MessageBox.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>

#include "AppName.h"
#include "DialogUnits.h"
#include "ExecutablePath.h"
#include "Fonts.h"
#include "MessageLines.h"
#include "Platform.h"
#include "TextConv.h"
#include "WindowsNames.h"  // last: <wx/app.h> brings windows.h on Windows

namespace fw {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

// The widest a line of a message may be, in dialog units (about 40 full-width
// characters of the dialog font).
constexpr int kMessageWidthUnits = 250;

wxArtID ArtOf(unsigned style) {
    switch (style & MB_ICONMASK) {
        case MB_ICONSTOP:
            return wxART_ERROR;
        case MB_ICONQUESTION:
            return wxART_QUESTION;
        case MB_ICONEXCLAMATION:
            return wxART_WARNING;
        case MB_ICONINFORMATION:
            return wxART_INFORMATION;
        default:
            return wxArtID();
    }
}

// The buttons of a style, as toolkit ids, in the order they stand.
std::vector<int> ButtonIds(unsigned style) {
    switch (style & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {wxID_OK, wxID_CANCEL};
        case MB_YESNOCANCEL:
            return {wxID_YES, wxID_NO, wxID_CANCEL};
        case MB_YESNO:
            return {wxID_YES, wxID_NO};
        default:
            return {wxID_OK};
    }
}

wxString DefaultLabel(int id) {
    switch (id) {
        case wxID_YES:
            return wxString::FromUTF8("はい");
        case wxID_NO:
            return wxString::FromUTF8("いいえ");
        case wxID_CANCEL:
            return wxString::FromUTF8("キャンセル");
        default:
            return "OK";
    }
}

int Show(const MessageBoxRequest& request) {
    if (Hook()) {
        return Hook()(request);
    }
    CMessageWindow window(request);
    return CMessageWindow::Answer(window.ShowModal());
}

}  // namespace

CMessageWindow::CMessageWindow(const MessageBoxRequest& request)
    : wxDialog(request.parent, wxID_ANY, request.caption, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_art(ArtOf(request.style)) {
    InitFramework();
    SetFont(DialogFont("ＭＳ Ｐゴシック", 9));
    auto* text = new wxStaticText(this, wxID_ANY, wxString());
    const std::vector<std::string> lines = BreakMessageLines(
        WxToUtf8(request.text), DialogXToPixels(kMessageWidthUnits),
        [text](std::string_view line) { return text->GetTextExtent(Utf8ToWx(line)).x; });
    m_shown = Utf8ToWx(JoinLines(lines));
    // Set as plain text: "&" in a path is no access key. The label does not wrap again.
    text->SetLabelText(m_shown);

    auto* body = new wxBoxSizer(wxHORIZONTAL);
    if (!m_art.empty()) {
        const wxBitmap icon = wxArtProvider::GetBitmap(m_art, wxART_MESSAGE_BOX);
        body->Add(new wxStaticBitmap(this, wxID_ANY, icon), 0, wxALIGN_TOP | wxRIGHT, 12);
    }
    body->Add(text, 1, wxALIGN_CENTER_VERTICAL);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    const std::vector<int> ids = ButtonIds(request.style);
    wxButton* first = nullptr;
    for (size_t k = 0; k < ids.size(); ++k) {
        const wxString label = k < request.labels.size() && !request.labels[k].empty()
                                   ? request.labels[k]
                                   : DefaultLabel(ids[k]);
        auto* button = new wxButton(this, ids[k], label);
        button->SetMinSize(wxSize(DialogXToPixels(50), -1));
        buttons->Add(button, 0, wxLEFT, 6);
        Bind(
            wxEVT_BUTTON, [this, id = ids[k]](wxCommandEvent&) { EndModal(id); }, ids[k]);
        if (!first) {
            first = button;
        }
    }
    const bool hasCancel = std::find(ids.begin(), ids.end(), wxID_CANCEL) != ids.end();
    const bool hasNo = std::find(ids.begin(), ids.end(), wxID_NO) != ids.end();
    SetEscapeId(hasCancel ? wxID_CANCEL : hasNo ? wxID_NO : wxID_OK);
    SetAffirmativeId(ids.front());

    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(body, 1, wxEXPAND | wxALL, 16);
    all->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    SetSizerAndFit(all);
    if (first) {
        first->SetDefault();
        first->SetFocus();
    }
    Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
        event.Skip();
        if (event.IsShown()) {
            ShowKeyboardFocus(this);
        }
    });
    CentreOnParent();
}

int CMessageWindow::Answer(int buttonId) {
    switch (buttonId) {
        case wxID_OK:
            return kIdOk;
        case wxID_YES:
            return kIdYes;
        case wxID_NO:
            return kIdNo;
        default:
            return kIdCancel;
    }
}

wxString AppName() {
    static const wxString name = [] {
        std::string path = ExecutablePath();
        if (path.empty() && wxTheApp && wxTheApp->argc > 0) {
            path = WxToUtf8(wxTheApp->argv[0]);
        }
        return Utf8ToWx(AppNameFromPath(path));
    }();
    return name;
}

int AfxMessageBox(const wxString& text, unsigned style) {
    if ((style & MB_ICONMASK) == 0) {
        style |= MB_ICONEXCLAMATION;
    }
    return Show(MessageBoxRequest{nullptr, text, AppName(), style, {}});
}

int AfxMessageBox(const char* utf8Text, unsigned style) {
    return AfxMessageBox(Utf8ToWx(utf8Text ? utf8Text : ""), style);
}

int AfxChoiceBox(const wxString& text, unsigned style, std::vector<wxString> labels) {
    return Show(MessageBoxRequest{nullptr, text, AppName(), style, std::move(labels)});
}

int MessageBox(wxWindow* parent, const wxString& text, const wxString& caption, unsigned style) {
    return Show(MessageBoxRequest{parent, text, caption.empty() ? AppName() : caption, style, {}});
}

namespace {

SavePathHook& PathHook() {
    static SavePathHook hook;
    return hook;
}

}  // namespace

wxString AskSavePath(wxWindow* parent, const wxString& title, const wxString& defaultName,
                     const wxString& wildcard) {
    if (PathHook()) {
        return PathHook()(defaultName);
    }
    wxFileDialog dialog(parent, title, wxString(), defaultName, wildcard,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
}

SavePathHook SetSavePathHook(SavePathHook hook) {
    SavePathHook previous = std::move(PathHook());
    PathHook() = std::move(hook);
    return previous;
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    MessageBoxHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

ScopedMessageBoxCapture::ScopedMessageBoxCapture(int answer) : m_answer(answer) {
    m_previous = SetMessageBoxHook([this](const MessageBoxRequest& request) {
        m_requests.push_back(request);
        return m_answer;
    });
}

ScopedMessageBoxCapture::~ScopedMessageBoxCapture() {
    SetMessageBoxHook(std::move(m_previous));
}

}  // namespace fw
