// Counts the paint events a window receives, for GUI tests that check when a window
// repaints. It looks at every event before any handler does and lets each one go on, so
// the window paints exactly as it does without it.
//
//   PaintCounter paints(*view);
//   ASSERT_TRUE(paints.WaitForFirst());
//   view->RedrawNow();
//   EXPECT_EQ(paints.Count(), 2);
#pragma once

#include <wx/eventfilter.h>
#include <wx/window.h>

#include "GuiWait.h"

class PaintCounter : public wxEventFilter {
  public:
    explicit PaintCounter(const wxWindow& window) : m_pWindow(&window) {
        wxEvtHandler::AddFilter(this);
    }
    ~PaintCounter() override { wxEvtHandler::RemoveFilter(this); }
    PaintCounter(const PaintCounter&) = delete;
    PaintCounter& operator=(const PaintCounter&) = delete;

    int FilterEvent(wxEvent& event) override {
        if (event.GetEventType() == wxEVT_PAINT && event.GetEventObject() == m_pWindow) {
            ++m_nPaints;
        }
        return Event_Skip;
    }

    int Count() const { return m_nPaints; }

    // Runs pending events until the window has painted once (a window paints only once it
    // is on the screen, when the X server and GTK get to it); false only when it has not
    // after guitest::YieldUntil's limit.
    bool WaitForFirst() {
        return guitest::YieldUntil([this] { return m_nPaints > 0; });
    }

  private:
    const wxWindow* m_pWindow;
    int m_nPaints = 0;
};
