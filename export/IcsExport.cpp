#include "IcsExport.h"

#include <libical/ical.h>

#include <ctime>
#include <memory>

#include "Cp932.h"

namespace {

const char kZone[] = "Asia/Tokyo";
constexpr int kJapanOffset = 9 * 3600;

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// Japan has kept +0900 since the summers of 1948 to 1951; the calendars this file goes
// to need no more than that.
icalcomponent* NewJapanZone() {
    icalcomponent* zone = icalcomponent_new_vtimezone();
    icalcomponent_add_property(zone, icalproperty_new_tzid(kZone));
    icalcomponent* standard = icalcomponent_new_xstandard();
    icaltimetype start = icaltime_null_time();
    start.year = 1970;
    start.month = 1;
    start.day = 1;
    icalcomponent_add_property(standard, icalproperty_new_dtstart(start));
    icalcomponent_add_property(standard, icalproperty_new_tzoffsetfrom(kJapanOffset));
    icalcomponent_add_property(standard, icalproperty_new_tzoffsetto(kJapanOffset));
    icalcomponent_add_property(standard, icalproperty_new_tzname("JST"));
    icalcomponent_add_component(zone, standard);
    return zone;
}

icaltimetype DateOf(const std::string& yyyymmdd) {
    icaltimetype t = icaltime_null_date();
    t.year = std::stoi(yyyymmdd.substr(0, 4));
    t.month = std::stoi(yyyymmdd.substr(4, 2));
    t.day = std::stoi(yyyymmdd.substr(6, 2));
    return t;
}

icaltimetype DayAfter(icaltimetype t) {
    icaltime_adjust(&t, 1, 0, 0, 0);
    return t;
}

// The local time of a day and an HHMM time; 24:00 is midnight of the next day.
icaltimetype LocalTimeOf(const std::string& date, int hours, int minutes) {
    icaltimetype t = icaltime_null_time();
    const icaltimetype day = DateOf(date);
    t.year = day.year;
    t.month = day.month;
    t.day = day.day;
    t.hour = hours;
    t.minute = minutes;
    if (hours == 24) {
        t.hour = 0;
        icaltime_adjust(&t, 1, 0, 0, 0);
    }
    return t;
}

icalproperty* InJapan(icalproperty* property) {
    icalproperty_add_parameter(property, icalparameter_new_tzid(kZone));
    return property;
}

void AddAllDay(icalcomponent* event, const std::string& first, const std::string& last) {
    icalcomponent_add_property(event, icalproperty_new_dtstart(DateOf(first)));
    icalcomponent_add_property(event, icalproperty_new_dtend(DayAfter(DateOf(last))));
}

icalcomponent* NewEvent(const ExportItem& item, const icaltimetype& stamp) {
    icalcomponent* event = icalcomponent_new_vevent();
    const std::string uid = ExportEntryKey(item) + "@pemdaro";
    icalcomponent_add_property(event, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    std::string summary = Cp932ToUtf8Lossy(item.text);
    switch (item.kind) {
        case ExportKind::kHoliday:
            summary = "祝日・特別休日";
            AddAllDay(event, item.first, item.first);
            break;
        case ExportKind::kPaidLeave:
            summary = "計画有給休暇日";
            AddAllDay(event, item.first, item.first);
            break;
        case ExportKind::kPeriod:
            AddAllDay(event, item.first, item.last);
            break;
        case ExportKind::kTimed: {
            int fromH = 0;
            int fromM = 0;
            int toH = 0;
            int toM = 0;
            const bool hasFrom = ExportTimeOf(item.from, &fromH, &fromM);
            const bool hasTo = ExportTimeOf(item.to, &toH, &toM);
            if (hasFrom && fromH < 24) {
                icalcomponent_add_property(
                    event,
                    InJapan(icalproperty_new_dtstart(LocalTimeOf(item.first, fromH, fromM))));
                if (hasTo && toH * 60 + toM >= fromH * 60 + fromM) {
                    icalcomponent_add_property(
                        event, InJapan(icalproperty_new_dtend(LocalTimeOf(item.first, toH, toM))));
                }
            } else {
                AddAllDay(event, item.first, item.first);
                if (hasTo) {
                    summary = "-" + item.to.substr(0, 2) + ":" + item.to.substr(2, 2) + summary;
                }
            }
            break;
        }
    }
    icalcomponent_add_property(event, icalproperty_new_summary(summary.c_str()));
    return event;
}

}  // namespace

std::string IcsFoldLines(std::string_view text) {
    std::string out;
    size_t lineLength = 0;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            size_t next = i + 1;
            if (c == '\r' && next < text.size() && text[next] == '\n') {
                ++next;
            }
            if (next < text.size() && (text[next] == ' ' || text[next] == '\t')) {
                i = next + 1;  // a fold: the line goes on
                continue;
            }
            out += "\r\n";
            lineLength = 0;
            i = next;
            continue;
        }
        // The whole UTF-8 character: a lead byte and its continuation bytes.
        size_t length = 1;
        while (i + length < text.size() &&
               (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) {
            ++length;
        }
        if (lineLength + length > 75) {
            out += "\r\n ";
            lineLength = 1;
        }
        out.append(text.substr(i, length));
        lineLength += length;
        i += length;
    }
    if (!out.empty() && out.back() != '\n') {
        out += "\r\n";
    }
    return out;
}

std::string IcsFromItems(const std::vector<ExportItem>& items, int64_t stampUtc) {
    Component calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Pemdaro//Pemdaro//JA"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    icalcomponent_add_component(calendar.get(), NewJapanZone());
    const icaltimetype stamp = icaltime_from_timet_with_zone(static_cast<time_t>(stampUtc), 0,
                                                             icaltimezone_get_utc_timezone());
    for (const ExportItem& item : items) {
        icalcomponent_add_component(calendar.get(), NewEvent(item, stamp));
    }
    // The text is the caller's to free (icalcomponent_as_ical_string would leave it in
    // libical's ring buffer).
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    std::string folded = IcsFoldLines(text == nullptr ? "" : text);
    free(text);
    return folded;
}
