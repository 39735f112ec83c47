// The editing flow of one day, free of any toolkit: the day as the model holds it turned
// into the fields of the day schedule dialog, and the fields it hands back after OK turned
// into the day to write.
//
//   DayContent before = model.ReadDay(date);
//   DayDialogFields fields = ToDialogFields(before);
//   run the dialog on the fields; after OK:
//   model.WriteDay(before, FromDialogFields(fields, before)); save; repaint.
//
// Times travel as HHMM in the model and HH:MM in the dialog; period dates as YYYYMMDD in
// the model and display texts "%Y年%M月%D日(%A)" (CP932) in the dialog.
#pragma once

#include "DayContent.h"
#include "DayDialogFields.h"

// The dialog's fields for the day: its date, slots, period run and marks, and the longest
// period it may hand back (MaxPeriodDays).
DayDialogFields ToDialogFields(const DayContent& day);

// The day the dialog's result describes. A period date text that does not read as a date
// gives an empty date, which the model's WriteDay answers by writing the period on the
// edited day alone.
DayContent FromDialogFields(const DayDialogFields& fields, const DayContent& before);
