#include "MessageBox.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "AppName.h"
#include "ExecutablePath.h"
#include "TextConv.h"

namespace fw {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

long WxStyle(unsigned style) {
    long wx = 0;
    switch (style & MB_TYPEMASK) {
        case MB_OKCANCEL:
            wx = wxOK | wxCANCEL;
            break;
        case MB_YESNOCANCEL:
            wx = wxYES_NO | wxCANCEL;
            break;
        case MB_YESNO:
            wx = wxYES_NO;
            break;
        default:
            wx = wxOK;
            break;
    }
    switch (style & MB_ICONMASK) {
        case MB_ICONSTOP:
            return wx | wxICON_ERROR;
        case MB_ICONQUESTION:
            return wx | wxICON_QUESTION;
        case MB_ICONEXCLAMATION:
            return wx | wxICON_EXCLAMATION;
        case MB_ICONINFORMATION:
            return wx | wxICON_INFORMATION;
        default:
            return wx | wxICON_NONE;
    }
}

int FromWxResult(int result) {
    switch (result) {
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

int Show(const MessageBoxRequest& request) {
    if (Hook()) {
        return Hook()(request);
    }
    wxMessageDialog dialog(request.parent, request.text, request.caption, WxStyle(request.style));
    // The toolkit has no Japanese texts for its buttons: the program gives them.
    std::vector<wxString> labels = request.labels;
    if (labels.empty()) {
        switch (request.style & MB_TYPEMASK) {
            case MB_YESNOCANCEL:
                labels = {wxString::FromUTF8("はい"), wxString::FromUTF8("いいえ"),
                          wxString::FromUTF8("キャンセル")};
                break;
            case MB_YESNO:
                labels = {wxString::FromUTF8("はい"), wxString::FromUTF8("いいえ")};
                break;
            case MB_OKCANCEL:
                dialog.SetOKCancelLabels("OK", wxString::FromUTF8("キャンセル"));
                break;
            default:
                break;
        }
    }
    if (labels.size() == 3) {
        dialog.SetYesNoCancelLabels(labels[0], labels[1], labels[2]);
    } else if (labels.size() == 2) {
        dialog.SetYesNoLabels(labels[0], labels[1]);
    }
    return FromWxResult(dialog.ShowModal());
}

}  // namespace

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
