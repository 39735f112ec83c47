// Run-time classes and the view window.
//
// A class that can be created from its run-time record declares and implements it:
//
//   class CXelCalMView : public fw::CView {           // header
//       DECLARE_DYNCREATE(CXelCalMView)
//   protected:
//       CXelCalMView();                               // default constructor, no window
//       void OnDraw(fw::Canvas& canvas) override;
//       ...
//   };
//   IMPLEMENT_DYNCREATE(CXelCalMView, fw::CView)      // .cpp
//
//   // The main window:
//   m_pView = static_cast<CXelCalMView*>(RUNTIME_CLASS(CXelCalMView)->CreateObject());
//   m_pView->Create(this, 10, clientRect);            // child window, not yet visible
//   m_pView->SendInitialUpdate();
//   m_pView->Show();
//
// Once created, the view window belongs to its parent, which destroys it.
#pragma once

#include <wx/window.h>

#include <string_view>

#include "Canvas.h"

namespace fw {

class CObject;

// The run-time record of a class: its name and how to create an object of it.
struct CRuntimeClass {
    const char* m_lpszClassName;
    CObject* (*m_pfnCreateObject)();

    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
    // The record of a class implemented with IMPLEMENT_DYNCREATE, by name; nullptr if none.
    static const CRuntimeClass* FromName(std::string_view name);

    // Registers the record for FromName (done by IMPLEMENT_DYNCREATE).
    struct Registrar {
        explicit Registrar(const CRuntimeClass& record);
    };
};

class CObject {
  public:
    virtual ~CObject() = default;
    // The record of the object's class; nullptr for classes without one.
    virtual const CRuntimeClass* GetRuntimeClass() const { return nullptr; }
};

#define DECLARE_DYNCREATE(class_name)                   \
  public:                                               \
    static const ::fw::CRuntimeClass class##class_name; \
    static ::fw::CObject* CreateObject();               \
    const ::fw::CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)               \
    ::fw::CObject* class_name::CreateObject() {                        \
        return new class_name;                                         \
    }                                                                  \
    const ::fw::CRuntimeClass class_name::class##class_name {          \
#class_name, &class_name::CreateObject                         \
    };                                                                 \
    const ::fw::CRuntimeClass* class_name::GetRuntimeClass() const {   \
        return &class_name::class##class_name;                         \
    }                                                                  \
    static const ::fw::CRuntimeClass::Registrar registrar##class_name( \
        class_name::class##class_name);

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// Where a view's picture lies in its client area: OnDraw paints in the view's own pixels,
// which the paint scales by `scale` on both axes and places with their (0, 0) at (left,
// top) of the client area.
struct ViewFit {
    double scale = 1.0;
    int left = 0;
    int top = 0;
};

// Timing of what the user does, for the benchmarks: with the environment variable
// PEMDARO_TIMING set, the time from BeginTimedAction to the end of the next paint of a view
// (or to EndTimedAction, whichever comes first) is written to standard error as
//   pemdaro-timing NAME MILLISECONDS
// Without it nothing is measured or written. A second begin before the end restarts it.
void BeginTimedAction(const char* name);
void EndTimedAction();
// The same for a step that no paint ends (the save after the day dialog's OK), measured
// beside a timed action: from BeginTimedStep to EndTimedStep.
void BeginTimedStep(const char* name);
void EndTimedStep();
// The same from now to the event loop's next turn, when the window answers the user again
// (what an action that hands its work to another thread keeps the user waiting).
void BeginTimedTurn(const char* name);

// A view: a child window that paints through OnDraw. Every paint builds a Canvas on an
// off-screen bitmap of the client size (filled white), calls OnDraw with it and leaves
// copying to the window to OnDraw's canvas.BlitToTarget(); what OnDraw does not copy does
// not reach the window. The background is never erased separately, so nothing flickers.
// The bitmap has the screen's own density (two device pixels per client pixel at a
// desktop scale of 2), so what OnDraw paints is as sharp as the toolkit's own controls,
// and it is scaled and placed as FitToClient says.
class CView : public wxWindow, public CObject {
  public:
    CView();
    // Creates the window as a child of parent with the child id, in rect (client pixels of
    // the parent); hidden until Show unless visible is set.
    bool Create(wxWindow* parent, int id, const wxRect& rect, bool visible = false);

    // The initial update the main window sends once after creating the view.
    void SendInitialUpdate() { OnInitialUpdate(); }
    // Invalidates the whole window and repaints it before returning.
    void RedrawNow();

  protected:
    // The base invalidates the whole window, so the view is painted once after creation.
    virtual void OnInitialUpdate();
    virtual void OnDraw(Canvas& canvas) = 0;
    // Where OnDraw's picture goes in a client area of this size; the base paints it as it
    // is, at the top left corner.
    virtual ViewFit FitToClient(wxSize) const { return {}; }

  private:
    void OnPaint(wxPaintEvent& event);
};

}  // namespace fw
