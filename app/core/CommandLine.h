// The program's command line, read before any window exists (main.cpp). Without
// arguments, or with the toolkit's own options alone, the window starts; the program's
// options do their work without a window:
//
//   pemdaro --export ics|csv [--from YYYYMMDD] [--to YYYYMMDD] [--utf8] FILE
//   pemdaro --pdf YYYY-MM FILE
//   pemdaro --help
//   pemdaro --version
//
// Exit codes a script can rely on: kExitOk, kExitFailure (the table cannot be used, the
// file cannot be written) and kExitUsage (a bad command line, said on the standard error
// stream with the help's first line).
//
// A new command is a line in kCommands (CommandLine.cpp): its option and a function that
// reads the arguments after it into the CommandLine.
//
// A build without the exports (PEMDARO_HAVE_EXPORTS 0) or without the PDF page
// (PEMDARO_HAVE_PDF 0) still knows their options and answers them with
// "pemdaro: --export is not available in this build" and kExitUsage.
#pragma once

#include <string>
#include <vector>

#if PEMDARO_HAVE_EXPORTS
#include "ExportFile.h"
#endif

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

enum class CommandKind {
    kWindow,       // start the window; the arguments go on to the toolkit
    kHelp,         // --help, -h
    kVersion,      // --version
    kExport,       // --export
    kPdf,          // --pdf: its operands are checked when it runs (RunPdfCommand)
    kBad,          // a bad command line: `error` says what
    kUnavailable,  // a command this build leaves out: `error` says which
};

struct CommandLine {
    CommandKind kind = CommandKind::kWindow;
    std::string error;  // for kBad, English, without the program's name
#if PEMDARO_HAVE_EXPORTS
    ExportRequest exportRequest;
#endif
    std::string file;                  // the file a command writes
    std::vector<std::string> pdfArgs;  // the arguments after --pdf
};

// Reads the arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text of --help (UTF-8, ending with a line break) and of --version.
std::string CommandHelpText();
std::string CommandVersionText();
