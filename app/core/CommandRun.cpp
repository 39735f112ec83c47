#include "CommandRun.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "CopyFolders.h"
#include "FileCalls.h"
#include "IniFile.h"
#include "PathText.h"
#include "ScheduleModel.h"
#if PEMDARO_HAVE_PDF
#include "MonthPdf.h"
#endif

namespace {

#if PEMDARO_HAVE_EXPORTS
// Why the table at path cannot be read, for the message.
std::string UnreadableReason(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(PathOf(path), error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return "no such file";
    }
    if (status.type() == std::filesystem::file_type::directory) {
        return std::strerror(EISDIR);
    }
    FileHandle file = -1;
    const int failure = FileOpenRead(path, file);
    if (failure == 0) {
        FileClose(file);
        return "it cannot be read";
    }
    return std::strerror(failure);
}

int RunExport(const CommandLine& line, std::FILE* err) {
    const CopyFacts copy = InspectCopy();
    LoadCopySettings(copy);
    const std::optional<std::string> folder = DataFolderFromSettings(copy);
    IniClose(0);
    if (!folder) {
        std::fprintf(err, "pemdaro: DATA_DIR in %s is not a CP932 text\n",
                     SettingsFileFor(copy).c_str());
        return kExitFailure;
    }
    const std::string table = *folder + "kelnova.txt";
    CScheduleModel model;
    if (!model.OpenForReading(*folder)) {
        std::fprintf(err, "pemdaro: cannot read the schedule table %s: %s\n", table.c_str(),
                     UnreadableReason(table).c_str());
        return kExitFailure;
    }
    if (!model.LooksLikeScheduleFile()) {
        std::fprintf(err, "pemdaro: %s is not a schedule table (its header lines are missing)\n",
                     model.FilePath().c_str());
        return kExitFailure;
    }
    const ExportOutcome outcome = ExportToFile(model, line.exportRequest, line.file);
    if (!outcome.ok) {
        std::fprintf(err, "pemdaro: %s\n", outcome.reason.c_str());
        return kExitFailure;
    }
    return kExitOk;
}
#endif

}  // namespace

int RunCommand(const CommandLine& line, std::FILE* out, std::FILE* err) {
    switch (line.kind) {
        case CommandKind::kHelp:
            std::fputs(CommandHelpText().c_str(), out);
            return std::fflush(out) == 0 ? kExitOk : kExitFailure;
        case CommandKind::kVersion:
            std::fputs(CommandVersionText().c_str(), out);
            return std::fflush(out) == 0 ? kExitOk : kExitFailure;
        case CommandKind::kExport:
#if PEMDARO_HAVE_EXPORTS
            return RunExport(line, err);
#else
            break;
#endif
        case CommandKind::kPdf:
#if PEMDARO_HAVE_PDF
            std::fflush(err);
            return RunPdfCommand(line.pdfArgs, std::cerr);
#else
            break;
#endif
        case CommandKind::kUnavailable:
            std::fprintf(err, "pemdaro: %s\n", line.error.c_str());
            return kExitUsage;
        case CommandKind::kBad:
            std::fprintf(err, "pemdaro: %s\nTry 'pemdaro --help' for more information.\n",
                         line.error.c_str());
            return kExitUsage;
        case CommandKind::kWindow:
            break;
    }
    std::fprintf(err, "pemdaro: nothing to do without the window\n");
    return kExitUsage;
}
