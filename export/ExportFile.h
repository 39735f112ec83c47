// An export from the schedule model to a file: the entries of a range in one format,
// written so that the file is either whole or not there (a temporary file beside it,
// flushed, then renamed over it). Used by the window's "書き出し..." and by the command
// line.
#pragma once

#include <string>

#include "ExportItems.h"

class CScheduleModel;

enum class ExportFormat { kIcs, kCsv };

struct ExportRequest {
    ExportFormat format = ExportFormat::kIcs;
    ExportRange range;
    bool utf8 = false;  // CSV in UTF-8 with a byte-order mark instead of CP932
};

struct ExportOutcome {
    bool ok = false;
    int entries = 0;     // entries written
    std::string reason;  // why it failed, English, with the path: "cannot write ...: ..."
};

// Writes the file at path (file system encoding) from the open model. The table itself is
// only read: a path that is the table's file (or a link to it) is refused.
ExportOutcome ExportToFile(const CScheduleModel& model, const ExportRequest& request,
                           const std::string& path);

// The export's bytes: the same as the file would hold.
std::string ExportBytes(const CScheduleModel& model, const ExportRequest& request, int* entries);

// Writes bytes as the file at path through a temporary file beside it; on failure the
// file at path is as it was and the temporary file is gone. Empty on success, else why.
std::string WriteFileWhole(const std::string& path, const std::string& bytes);
