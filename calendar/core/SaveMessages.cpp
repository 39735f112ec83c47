#include "SaveMessages.h"

#include "Cp932.h"

namespace {

// "3月5日" of a YYYYMMDD date.
std::string MonthDayText(const std::string& date) {
    if (date.size() != 8) {
        return date;
    }
    return std::to_string(std::stoi(date.substr(4, 2))) + "月" +
           std::to_string(std::stoi(date.substr(6, 2))) + "日";
}

// A path in the file system's encoding as UTF-8 text: a name that is not UTF-8 is taken
// as CP932, as a folder named in kelnova.ini on another system may be.
std::string PathText(const std::string& path) {
    return Utf8IsValid(path) ? path : Cp932ToUtf8Lossy(path);
}

}  // namespace

std::string SaveFailedMessage(const SaveFailure& failure, const std::string& path) {
    std::string text = "データファイルの保存に失敗しました。";
    if (!failure.reason.empty()) {
        text += "\n" + failure.reason;
    }
    if (!path.empty()) {
        text += "\n" + PathText(path);
    }
    return text;
}

std::string ConflictMessage(const CScheduleModel::Conflicts& conflicts) {
    if (conflicts.dates.empty()) {
        return {};
    }
    std::string days;
    for (const std::string& date : conflicts.dates) {
        days += (days.empty() ? "" : "、") + MonthDayText(date);
    }
    std::string text = days +
                       "の予定は、ほかのプログラムでも変更されていました。"
                       "ここで入力した内容を保存しました。";
    if (conflicts.copyPath.empty()) {
        text += "\nほかのプログラムの内容は残せませんでした。";
    } else {
        text += "\nほかのプログラムの内容は次のファイルに残してあります。\n" +
                PathText(conflicts.copyPath);
    }
    return text;
}
