#include "ExportFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "CsvExport.h"
#include "FileCalls.h"
#include "FileStamp.h"
#include "IcsExport.h"
#include "PathText.h"
#include "ScheduleModel.h"

namespace {

std::string Failure(const char* what, const std::string& path, int error) {
    return std::string(what) + " " + path + ": " + std::strerror(error);
}

}  // namespace

std::string ExportBytes(const CScheduleModel& model, const ExportRequest& request, int* entries) {
    const std::vector<ExportItem> items = CollectExportItems(model, request.range);
    if (entries != nullptr) {
        *entries = static_cast<int>(items.size());
    }
    if (request.format == ExportFormat::kCsv) {
        return CsvFromItems(items, request.utf8 ? CsvEncoding::kUtf8Bom : CsvEncoding::kCp932);
    }
    // The table's time of change, so that the same table always gives the same file.
    const FileStamp stamp = FileStampOf(model.FilePath());
    return IcsFromItems(items, stamp.exists ? stamp.modifiedNs / 1000000000 : 0);
}

ExportOutcome ExportToFile(const CScheduleModel& model, const ExportRequest& request,
                           const std::string& path) {
    ExportOutcome outcome;
    if (!model.IsOpen()) {
        outcome.reason = "the schedule table is not open";
        return outcome;
    }
    // The table itself (or a link to it) chosen as the export's file would lose the
    // schedule: an export never writes the table.
    const FileStamp target = FileStampOf(path);
    const FileStamp table = FileStampOf(model.FilePath());
    if (target.exists && table.exists && target.device == table.device &&
        target.inode == table.inode) {
        outcome.reason = "cannot write " + path + ": it is the schedule table itself";
        return outcome;
    }
    const std::string bytes = ExportBytes(model, request, &outcome.entries);
    outcome.reason = WriteFileWhole(path, bytes);
    outcome.ok = outcome.reason.empty();
    return outcome;
}

std::string WriteFileWhole(const std::string& path, const std::string& bytes) {
    if (path.empty()) {
        return "no file name given";
    }
    std::error_code unused;
    if (std::filesystem::is_directory(PathOf(path), unused)) {
        return Failure("cannot write", path, EISDIR);
    }
    // The bytes go to a new file beside the target, reach the disk, and then take the
    // target's name in one step: a reader never sees half a file, and a failure leaves the
    // old file as it was.
    static const unsigned tag = std::random_device{}();
    static std::atomic<unsigned> serial{0};
    std::string temp;
    FileHandle file = -1;
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        temp = path + "." + std::to_string(tag) + "-" + std::to_string(serial++) + ".tmp";
        error = FileCreateNewOrdinary(temp, file);
    }
    if (error != 0) {
        return Failure("cannot write", path, error);
    }
    error = FileWriteAll(file, bytes);
    if (error == 0) {
        error = FileSync(file);
    }
    if (const int closed = FileClose(file); error == 0) {
        error = closed;
    }
    if (error == 0) {
        error = FileRename(temp, path);
    }
    if (error != 0) {
        FileRemove(temp);
        return Failure("cannot write", path, error);
    }
    return {};
}
