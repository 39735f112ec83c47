#include "ExportFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "CsvExport.h"
#include "FileStamp.h"
#include "IcsExport.h"
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
    struct stat target {};
    if (stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
        return Failure("cannot write", path, EISDIR);
    }
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        return Failure("cannot write", path, errno);
    }
    // mkstemp makes the file for its owner alone; an export is an ordinary file.
    const mode_t mask = umask(0);
    umask(mask);
    int error = 0;
    if (fchmod(fd, 0666 & ~mask) != 0) {
        error = errno;
    }
    for (size_t done = 0; error == 0 && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno != EINTR) {
                error = errno;
            }
            continue;
        }
        done += static_cast<size_t>(n);
    }
    if (error == 0 && fsync(fd) != 0) {
        error = errno;
    }
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && rename(temp.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        unlink(temp.c_str());
        return Failure("cannot write", path, error);
    }
    return {};
}
