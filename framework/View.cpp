#include "View.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "Platform.h"
#include "WxCanvas.h"

namespace fw {
namespace {

std::map<std::string, const CRuntimeClass*, std::less<>>& Registry() {
    static std::map<std::string, const CRuntimeClass*, std::less<>> registry;
    return registry;
}

}  // namespace

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name) {
    const auto it = Registry().find(name);
    return it == Registry().end() ? nullptr : it->second;
}

CRuntimeClass::Registrar::Registrar(const CRuntimeClass& record) {
    Registry()[record.m_lpszClassName] = &record;
}

CView::CView() {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
}

bool CView::Create(wxWindow* parent, int id, const wxRect& rect, bool visible) {
    InitFramework();
    if (!visible) {
        Hide();  // before creation: the window is created hidden
    }
    if (!wxWindow::Create(parent, id, rect.GetPosition(), rect.GetSize(),
                          wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE)) {
        return false;
    }
    Bind(wxEVT_PAINT, &CView::OnPaint, this);
    return true;
}

void CView::OnInitialUpdate() {
    Refresh(true);
}

void CView::RedrawNow() {
    Refresh(false);
    Update();
}

namespace {

struct TimedAction {
    const char* name = nullptr;
    std::chrono::steady_clock::time_point began;
};

TimedAction& PendingAction() {
    static TimedAction pending;
    return pending;
}

TimedAction& PendingStep() {
    static TimedAction pending;
    return pending;
}

TimedAction& PendingTurn() {
    static TimedAction pending;
    return pending;
}

void Begin(TimedAction& pending, const char* name) {
    static const bool wanted = std::getenv("PEMDARO_TIMING") != nullptr;
    if (wanted) {
        pending = {name, std::chrono::steady_clock::now()};
    }
}

void End(TimedAction& pending) {
    if (pending.name == nullptr) {
        return;
    }
    const std::chrono::duration<double, std::milli> took =
        std::chrono::steady_clock::now() - pending.began;
    std::fprintf(stderr, "pemdaro-timing %s %.2f\n", pending.name, took.count());
    pending.name = nullptr;
}

}  // namespace

void BeginTimedAction(const char* name) {
    Begin(PendingAction(), name);
}

void EndTimedAction() {
    End(PendingAction());
}

void BeginTimedStep(const char* name) {
    Begin(PendingStep(), name);
}

void EndTimedStep() {
    End(PendingStep());
}

void BeginTimedTurn(const char* name) {
    Begin(PendingTurn(), name);
    if (PendingTurn().name != nullptr && wxTheApp != nullptr) {
        // Runs once the event loop takes its next event: the window answers again.
        wxTheApp->CallAfter([] { End(PendingTurn()); });
    }
}

void CView::OnPaint(wxPaintEvent&) {
    wxPaintDC target(this);
    const wxSize size = GetClientSize();
    if (size.x <= 0 || size.y <= 0) {
        return;
    }
    // A bitmap of the client size in the screen's device pixels: a bitmap of client
    // pixels would be stretched by the toolkit on a high-density screen, blocky and blurred.
    wxBitmap bitmap;
    bitmap.CreateWithDIPSize(size, GetContentScaleFactor());
    wxMemoryDC memory(bitmap);
    memory.SetBackground(*wxWHITE_BRUSH);
    memory.Clear();
    const ViewFit fit = FitToClient(size);
    memory.SetDeviceOrigin(fit.left, fit.top);
    memory.SetUserScale(fit.scale, fit.scale);
    WxCanvas canvas(memory, &target, size);
    OnDraw(canvas);
    EndTimedAction();
}

}  // namespace fw
