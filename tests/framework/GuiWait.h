// Waiting in GUI tests for what the X server and GTK do in their own time.
#pragma once

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

namespace guitest {

// Runs the event loop until `done()` holds and returns true, or returns false after
// `seconds`. A window maps and paints when the X server and GTK get to it, which takes
// longer on a slow or busy machine: the wait ends on the condition, and the limit only
// stops a hang.
template <class Condition>
bool YieldUntil(Condition done, long seconds = 30) {
    wxStopWatch watch;
    while (!done()) {
        if (watch.Time() > seconds * 1000) {
            return false;
        }
        wxTheApp->Yield(true);
        wxMilliSleep(10);
    }
    return true;
}

}  // namespace guitest
