// Must not compile: the schedule model knows no window class. Built only by the test
// layers_window_in_model.
#include "ScheduleModel.h"
#include "XelCalMView.h"
