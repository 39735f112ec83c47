#include "DesktopReminders.h"

#include <wx/log.h>
#include <wx/notifmsg.h>

#include <algorithm>

#include "Platform.h"
#include "Resources.h"
#include "ScheduleModel.h"
#include "TextConv.h"
#include "WxImages.h"

namespace {

// The longest sleep between two looks: a timer does not run while the computer sleeps,
// and does not follow the clock when it is set.
constexpr int kTickSeconds = 30;
constexpr int kOpenAction = wxID_HIGHEST + 1;
constexpr int kSnoozeAction = wxID_HIGHEST + 2;
constexpr size_t kMaxShown = 8;

}  // namespace

struct CDesktopReminders::Shown {
    std::unique_ptr<wxNotificationMessage> message;
    ReminderNotice notice;
};

CDesktopReminders::CDesktopReminders(CScheduleModel& model, Clock clock, OpenDay openDay)
    : m_model(model),
      m_clock(std::move(clock)),
      m_openDay(std::move(openDay)),
      m_bHasBus(fw::HasSessionBus()) {
    m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Check(); });
}

CDesktopReminders::~CDesktopReminders() {
    m_timer.Stop();
}

void CDesktopReminders::Start(int leadMinutes) {
    m_planner.SetLeadMinutes(leadMinutes);
    Check();
}

void CDesktopReminders::Check() {
    if (m_planner.LeadMinutes() <= 0) {
        m_timer.Stop();
        return;
    }
    int wake = kTickSeconds;
    if (m_model.IsOpen()) {
        const LocalDateTime now = m_clock();
        const CReminderPlanner::Step step =
            m_planner.Check(m_model.ReadDay(ScheduleDate(now.year, now.month, now.day)), now);
        if (step.notice) {
            Show(*step.notice);
        }
        wake = std::clamp(step.wakeInSeconds, 1, kTickSeconds);
    }
    m_timer.StartOnce(wake * 1000);
}

void CDesktopReminders::Show(const ReminderNotice& notice) {
    if (!m_bHasBus) {
        return;
    }
    auto shown = std::make_unique<Shown>();
    shown->notice = notice;
    shown->message = std::make_unique<wxNotificationMessage>();
    wxNotificationMessage& message = *shown->message;
    message.SetTitle(fw::Utf8ToWx(ReminderTitle(notice)));
    message.SetMessage(fw::Utf8ToWx(ReminderBody(notice)));
    // Normal urgency: a low one goes straight into the message tray on some desktops,
    // without a banner.
    message.SetFlags(wxICON_WARNING);
    message.SetIcon(fw::LoadResourceIcons(IDR_MAINFRAME).GetIcon(wxSize(32, 32)));
    message.AddAction(kOpenAction, wxString::FromUTF8("開く"));
    message.AddAction(kSnoozeAction, wxString::FromUTF8("5分後"));
    Shown* raw = shown.get();
    // The actions arrive inside the notification library's callback; what they do (a modal
    // dialog, the notification's own end) waits until it has returned.
    message.Bind(wxEVT_NOTIFICATION_MESSAGE_ACTION, [this, raw](wxCommandEvent& event) {
        const int action = event.GetId();
        CallAfter([this, raw, action] { OnAction(raw, action); });
    });
    message.Bind(wxEVT_NOTIFICATION_MESSAGE_DISMISSED,
                 [this, raw](wxCommandEvent&) { CallAfter([this, raw] { Forget(raw); }); });
    {
        // A service that is missing or refuses says why through the debug log only; the
        // reminder is then simply not shown.
        wxLogNull quiet;
        if (!message.Show()) {
            return;
        }
    }
    m_shown.push_back(std::move(shown));
    if (m_shown.size() > kMaxShown) {
        m_shown.pop_front();
    }
}

void CDesktopReminders::OnAction(Shown* shown, int action) {
    const auto found = std::find_if(m_shown.begin(), m_shown.end(),
                                    [shown](const auto& s) { return s.get() == shown; });
    if (found == m_shown.end()) {
        return;
    }
    const ReminderNotice notice = shown->notice;
    m_shown.erase(found);
    if (action == kSnoozeAction) {
        std::vector<std::string> keys;
        for (const ReminderItem& item : notice.items) {
            keys.push_back(item.key);
        }
        m_planner.Snooze(keys, m_clock());
        Check();
    } else if (action == kOpenAction && m_openDay) {
        m_openDay(notice.date);
    }
}

void CDesktopReminders::Forget(Shown* shown) {
    m_shown.remove_if([shown](const auto& s) { return s.get() == shown; });
}
