// The messages the program shows about saving the schedule, as UTF-8 texts for the
// message boxes.
#pragma once

#include <string>

#include "ScheduleModel.h"

// "データファイルの保存に失敗しました。" followed by the reason and the file's path, one
// a line.
std::string SaveFailedMessage(const SaveFailure& failure, const std::string& path);

// The days another program changed too, and where its version was kept:
// "3月5日の予定は、ほかのプログラムでも変更されていました。…". Empty when there were none.
std::string ConflictMessage(const CScheduleModel::Conflicts& conflicts);
