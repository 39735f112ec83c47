#include "XelSaveError.h"

#include <cerrno>
#include <cstring>

const char* DbSaveStepName(DbSaveStep step) {
    switch (step) {
        case DbSaveStep::kNone:
            return "nothing";
        case DbSaveStep::kOpenTemp:
            return "open of the temporary file";
        case DbSaveStep::kChmodTemp:
            return "permission change of the temporary file";
        case DbSaveStep::kWriteTemp:
            return "write of the temporary file";
        case DbSaveStep::kSyncTemp:
            return "fsync of the temporary file";
        case DbSaveStep::kCloseTemp:
            return "close of the temporary file";
        case DbSaveStep::kLinkOld:
            return "link of the old file";
        case DbSaveStep::kRename:
            return "rename of the temporary file";
        case DbSaveStep::kOpenFolder:
            return "open of the folder";
        case DbSaveStep::kSyncFolder:
            return "fsync of the folder";
        case DbSaveStep::kCloseFolder:
            return "close of the folder";
        case DbSaveStep::kRenameBack:
            return "rename of the old file back";
        case DbSaveStep::kOpenInPlace:
            return "open of the file for a rewrite in place";
        case DbSaveStep::kReadOld:
            return "read of the old bytes";
        case DbSaveStep::kReserve:
            return "reservation of room (fallocate)";
        case DbSaveStep::kWriteInPlace:
            return "write in place";
        case DbSaveStep::kTruncate:
            return "truncation in place";
        case DbSaveStep::kSyncInPlace:
            return "fsync in place";
        case DbSaveStep::kRestore:
            return "write-back of the old bytes";
    }
    return "unknown step";
}

std::string DbSaveErrorText(const DbSaveError& why) {
    if (!why.Failed()) {
        return std::string();
    }
    std::string text;
    switch (why.errnoValue) {
        case ENOSPC:
#ifdef EDQUOT  // a quota: not on Windows
        case EDQUOT:
#endif
            text = "ディスクの空き容量が足りません。";
            break;
        case EACCES:
        case EPERM:
            text = "書き込みの権限がありません。";
            break;
        case EROFS:
            text = "読み取り専用の場所です。";
            break;
        case EIO:
            text = "ディスクの読み書きに失敗しました。";
            break;
        case ENOMEM:
            text = "メモリが足りません。";
            break;
        default:
            text = DbErrnoText(why.errnoValue) + ".";
            break;
    }
    if (why.undoStep != DbSaveStep::kNone) {
        text += "元のファイルに戻せませんでした。";
    }
    return text;
}
