// The reminders on the screen: a timer that wakes the planner (Reminders.h) when the next
// reminder is due, and every half minute besides, so that a sleep or a change of the clock
// is noticed soon; and the desktop notification of what it says to show, with the actions
// "開く" and "5分後". Without a session bus nothing is shown and nothing is said.
#pragma once

#include <wx/event.h>
#include <wx/timer.h>

#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "Reminders.h"

class CScheduleModel;
class wxNotificationMessage;

class CDesktopReminders : public wxEvtHandler {
  public:
    using Clock = std::function<LocalDateTime()>;
    // Opens the day (YYYYMMDD) for editing, as a double-click on it does.
    using OpenDay = std::function<void(const std::string& date)>;

    // The model must outlive the reminders.
    CDesktopReminders(CScheduleModel& model, Clock clock, OpenDay openDay);
    ~CDesktopReminders() override;

    // Minutes before a start (0: no reminders), then the first look.
    void Start(int leadMinutes);
    // Looks at today as the model holds it now: after an edit, a reload, a restore.
    void Check();
    // No more looks until Start or Check.
    void Stop() { m_timer.Stop(); }

  private:
    struct Shown;
    void Show(const ReminderNotice& notice);
    void OnAction(Shown* shown, int action);
    void Forget(Shown* shown);

    CScheduleModel& m_model;
    Clock m_clock;
    OpenDay m_openDay;
    CReminderPlanner m_planner;
    bool m_bHasBus = false;
    wxTimer m_timer;
    // The notifications still on the screen, whose actions may still come; the oldest go
    // when there are too many.
    std::list<std::unique_ptr<Shown>> m_shown;
};
