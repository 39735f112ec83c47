#include "CommandLine.h"

#include <optional>
#include <string_view>

#include "DayContent.h"

#ifndef PEMDARO_VERSION
#define PEMDARO_VERSION "unknown"
#endif

namespace {

// The arguments of one command, read from the front.
class Arguments {
  public:
    Arguments(const std::vector<std::string>& args, size_t next) : m_args(args), m_next(next) {}
    bool AtEnd() const { return m_next >= m_args.size(); }
    const std::string& Take() { return m_args[m_next++]; }
    const std::string& Peek() const { return m_args[m_next]; }

  private:
    const std::vector<std::string>& m_args;
    size_t m_next;
};

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

#if PEMDARO_HAVE_EXPORTS
// "--from 20261201" and "--from=20261201": the value of option `name` when `arg` is it;
// the separate value is taken from `rest`. error is set when the value is missing.
std::optional<std::string> OptionValue(const std::string& arg, std::string_view name,
                                       Arguments& rest, std::string& error) {
    if (arg == name) {
        if (rest.AtEnd()) {
            error = std::string(name) + " needs a value";
            return std::string();
        }
        return rest.Take();
    }
    if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
        arg[name.size()] == '=') {
        return arg.substr(name.size() + 1);
    }
    return std::nullopt;
}
#endif

#if !PEMDARO_HAVE_EXPORTS || !PEMDARO_HAVE_PDF
// An option of a command that this build leaves out; what follows it is not read.
void ReadUnavailable(const std::string& option, Arguments&, CommandLine& line) {
    line.kind = CommandKind::kUnavailable;
    line.error = option.substr(0, option.find('=')) + " is not available in this build";
}
#endif

#if PEMDARO_HAVE_EXPORTS
// --export ics|csv [--from YYYYMMDD] [--to YYYYMMDD] [--utf8] FILE, options in any order.
void ReadExport(const std::string& option, Arguments& rest, CommandLine& line) {
    line.kind = CommandKind::kExport;
    ExportRequest& request = line.exportRequest;
    std::string format;
    if (option == "--export") {
        if (rest.AtEnd()) {
            line.error = "--export needs a format: ics or csv";
            return;
        }
        format = rest.Take();
    } else {
        format = option.substr(std::string_view("--export=").size());
    }
    if (format == "ics") {
        request.format = ExportFormat::kIcs;
    } else if (format == "csv") {
        request.format = ExportFormat::kCsv;
    } else {
        line.error = "unknown export format '" + format + "' (ics or csv)";
        return;
    }
    bool haveFile = false;
    while (!rest.AtEnd() && line.error.empty()) {
        const std::string arg = rest.Take();
        if (arg == "--utf8") {
            request.utf8 = true;
            continue;
        }
        if (std::optional<std::string> from = OptionValue(arg, "--from", rest, line.error)) {
            if (line.error.empty() && !ScheduleIsDate(*from)) {
                line.error = "--from: '" + *from + "' is not a date YYYYMMDD";
            }
            request.range.from = *from;
            continue;
        }
        if (std::optional<std::string> to = OptionValue(arg, "--to", rest, line.error)) {
            if (line.error.empty() && !ScheduleIsDate(*to)) {
                line.error = "--to: '" + *to + "' is not a date YYYYMMDD";
            }
            request.range.to = *to;
            continue;
        }
        if (arg == "--") {
            if (rest.AtEnd()) {
                break;
            }
            line.file = rest.Take();
            haveFile = true;
            if (!rest.AtEnd()) {
                line.error = "unexpected argument '" + rest.Peek() + "'";
            }
            break;
        }
        if (IsOption(arg)) {
            line.error = "unknown option '" + arg + "' for --export";
        } else if (haveFile) {
            line.error = "unexpected argument '" + arg + "'";
        } else {
            line.file = arg;
            haveFile = true;
        }
    }
    if (!line.error.empty()) {
        return;
    }
    if (!haveFile || line.file.empty()) {
        line.error = "--export needs the file to write";
    } else if (request.range.from > request.range.to) {
        line.error = "--from " + request.range.from + " is after --to " + request.range.to;
    } else if (request.utf8 && request.format != ExportFormat::kCsv) {
        line.error = "--utf8 is for csv only (an iCalendar file is always UTF-8)";
    }
}

#endif

#if PEMDARO_HAVE_PDF
// --pdf YYYY-MM FILE: the operands go to RunPdfCommand, which checks them.
void ReadPdf(const std::string& option, Arguments& rest, CommandLine& line) {
    line.kind = CommandKind::kPdf;
    if (option != "--pdf") {
        line.pdfArgs.push_back(option.substr(std::string_view("--pdf=").size()));
    }
    while (!rest.AtEnd()) {
        line.pdfArgs.push_back(rest.Take());
    }
}
#endif

// The program's commands: the option that starts one and what reads its arguments. A
// command takes the whole command line: nothing may stand before it.
struct Command {
    const char* option;
    void (*read)(const std::string& option, Arguments& rest, CommandLine& line);
};
const Command kCommands[] = {
#if PEMDARO_HAVE_EXPORTS
    {"--export", ReadExport},
#else
    {"--export", ReadUnavailable},
#endif
#if PEMDARO_HAVE_PDF
    {"--pdf", ReadPdf},
#else
    {"--pdf", ReadUnavailable},
#endif
};

// The toolkit's own options, which go on to it when the window starts (GTK and GDK read
// them); the first set takes a value ("--display :1" or "--display=:1").
const std::string_view kToolkitOptionsWithValue[] = {
    "--display",   "--class",        "--name",      "--gtk-module",
    "--gtk-debug", "--gtk-no-debug", "--gdk-debug", "--gdk-no-debug"};
const std::string_view kToolkitOptions[] = {"--g-fatal-warnings", "--sync"};

// Whether arg is a toolkit option; `takesValue` when its value is the next argument.
bool IsToolkitOption(const std::string& arg, bool* takesValue) {
    *takesValue = false;
    for (const std::string_view name : kToolkitOptions) {
        if (arg == name) {
            return true;
        }
    }
    for (const std::string_view name : kToolkitOptionsWithValue) {
        if (arg == name) {
            *takesValue = true;
            return true;
        }
        if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
            arg[name.size()] == '=') {
            return true;
        }
    }
    return false;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    if (args.empty()) {
        return line;
    }
    const std::string& first = args[0];
    if (first == "--help" || first == "-h") {
        line.kind = args.size() == 1 ? CommandKind::kHelp : CommandKind::kBad;
        if (args.size() > 1) {
            line.error = "unexpected argument '" + args[1] + "' after " + first;
        }
        return line;
    }
    if (first == "--version") {
        line.kind = args.size() == 1 ? CommandKind::kVersion : CommandKind::kBad;
        if (args.size() > 1) {
            line.error = "unexpected argument '" + args[1] + "' after --version";
        }
        return line;
    }
    for (const Command& command : kCommands) {
        const std::string name = command.option;
        if (first == name || first.compare(0, name.size() + 1, name + "=") == 0) {
            Arguments rest(args, 1);
            command.read(first, rest, line);
            if (!line.error.empty() && line.kind != CommandKind::kUnavailable) {
                line.kind = CommandKind::kBad;
            }
            return line;
        }
    }
    // The window: only the toolkit's options may be given.
    for (size_t i = 0; i < args.size(); ++i) {
        bool takesValue = false;
        if (IsToolkitOption(args[i], &takesValue)) {
            if (takesValue && ++i >= args.size()) {
                line.kind = CommandKind::kBad;
                line.error = args[i - 1] + " needs a value";
                return line;
            }
            continue;
        }
        line.kind = CommandKind::kBad;
        line.error = IsOption(args[i]) ? "unknown option '" + args[i] + "'"
                                       : "unexpected argument '" + args[i] + "'";
        return line;
    }
    return line;
}

std::string CommandHelpText() {
    return "Usage: pemdaro [GTK options]\n"
#if PEMDARO_HAVE_EXPORTS
           "       pemdaro --export ics|csv [--from YYYYMMDD] [--to YYYYMMDD] [--utf8] FILE\n"
#endif
#if PEMDARO_HAVE_PDF
           "       pemdaro --pdf YYYY-MM FILE\n"
#endif
           "       pemdaro --help | --version\n"
           "\n"
           "Without options the schedule window starts.\n"
           "\n"
#if PEMDARO_HAVE_EXPORTS
           "  --export ics   write the schedule as an iCalendar file (RFC 5545, UTF-8)\n"
           "  --export csv   write it as a spreadsheet file (CP932, CR LF) with the columns\n"
           "                 日付, 曜日, 開始, 終了, 種別 (予定, 期間, 祝日, 有給), 内容\n"
           "  --from DATE    first day written (default: the first in the table)\n"
           "  --to DATE      last day written (default: the last in the table)\n"
           "  --utf8         csv in UTF-8 with a byte-order mark instead of CP932\n"
#endif
#if PEMDARO_HAVE_PDF
           "  --pdf YYYY-MM  write that month as an A4 PDF page to FILE\n"
#endif
           "  --help         this text\n"
           "  --version      the program's version\n"
           "\n"
           "The table (kelnova.txt in DATA_DIR of kelnova.ini, else beside the program, or\n"
           "in ~/.local/share/pemdaro/ for an installed copy) is only read, also while the\n"
           "window runs; FILE is written whole or not at all.\n"
           "\n"
           "Exit status: 0 done, 1 failed (the table cannot be read, FILE cannot be\n"
           "written), 2 a bad command line. Errors go to the standard error stream.\n";
}

std::string CommandVersionText() {
    return std::string("pemdaro ") + PEMDARO_VERSION + "\n";
}
