#include "View.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

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

void CView::OnPaint(wxPaintEvent&) {
    wxPaintDC target(this);
    const wxSize size = GetClientSize();
    if (size.x <= 0 || size.y <= 0) {
        return;
    }
    wxBitmap bitmap(size);
    wxMemoryDC memory(bitmap);
    memory.SetBackground(*wxWHITE_BRUSH);
    memory.Clear();
    WxCanvas canvas(memory, &target, size);
    OnDraw(canvas);
}

}  // namespace fw
