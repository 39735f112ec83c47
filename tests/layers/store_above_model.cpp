// Must not compile: above the schedule model nothing reads the table store directly.
// Built only by the test layers_store_above_model.
#include "ScheduleModel.h"
#include "XelDatabase.h"
