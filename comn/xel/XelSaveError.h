// Why a save of a table failed: the step of the file replacement that failed and the
// errno it failed with, for the caller's message and the store's diagnostics.
// Toolkit-free; texts are UTF-8.
#pragma once

#include <string>

// The steps of a save (see XelReplaceFile), in the order they run.
enum class DbSaveStep {
    kNone,  // nothing failed
    // Through a temporary file beside the table file:
    kOpenTemp,     // open (create) of the temporary file
    kChmodTemp,    // giving the temporary file the old file's permission bits
    kWriteTemp,    // write of the temporary file
    kSyncTemp,     // fsync of the temporary file
    kCloseTemp,    // close of the temporary file
    kLinkOld,      // second name for the old file (only ever an undo step)
    kRename,       // rename of the temporary file over the table file
    kOpenFolder,   // open of the folder, for its sync
    kSyncFolder,   // fsync of the folder
    kCloseFolder,  // close of the folder
    kRenameBack,   // rename of the old file back after a failed folder sync (undo only)
    // In place, in a folder that takes no new file:
    kOpenInPlace,   // open of the table file for the rewrite
    kReadOld,       // read of the old bytes
    kReserve,       // reservation of room for the new bytes (fallocate)
    kWriteInPlace,  // write of the new bytes
    kTruncate,      // truncation to the new length
    kSyncInPlace,   // fsync of the rewritten file
    kRestore,       // write-back of the old bytes after a failure (undo only)
};

struct DbSaveError {
    DbSaveStep step = DbSaveStep::kNone;  // the first step that failed
    int errnoValue = 0;                   // its errno (never 0 once a step failed)
    // Set when the old file could not be put back after that failure, with the errno of
    // the undo; the file may then hold the new bytes or a mixture instead of the old ones.
    // kNone means the file is as it was before the save (a file that was not there before
    // may hold the new bytes).
    DbSaveStep undoStep = DbSaveStep::kNone;
    int undoErrno = 0;

    bool Failed() const { return step != DbSaveStep::kNone; }
};

// The step in plain English, as in "fsync of the folder".
const char* DbSaveStepName(DbSaveStep step);
// The errno's English description whatever the locale, as "No space left on device".
std::string DbErrnoText(int errnoValue);
// A short Japanese text for the user about why the save failed, as
// "ディスクの空き容量が足りません。"; the English description of errnos it has no text for;
// empty when nothing failed. When the old file could not be put back, a sentence saying so
// follows.
std::string DbSaveErrorText(const DbSaveError& why);
