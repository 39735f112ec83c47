// The command line as main() reads it: what starts the window (with the toolkit's options
// passed on), what runs a command, and what is refused with which message, so that no bad
// or unknown argument ever starts the window or writes a file.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "CommandRun.h"

namespace {

struct ParseCase {
    std::vector<std::string> args;
    CommandKind kind;
    std::string error;  // for kBad: a part of the message
};

TEST(CommandLineTest, EachCommandLineStartsTheRightThingOrIsRefused) {
    const ParseCase cases[] = {
        {{}, CommandKind::kWindow, ""},
        {{"--display", ":1"}, CommandKind::kWindow, ""},
        {{"--display=:1", "--sync", "--name", "p", "--class=P"}, CommandKind::kWindow, ""},
        {{"--display"}, CommandKind::kBad, "--display needs a value"},
        {{"--help"}, CommandKind::kHelp, ""},
        {{"-h"}, CommandKind::kHelp, ""},
        {{"--version"}, CommandKind::kVersion, ""},
        {{"--version", "x"}, CommandKind::kBad, "unexpected argument 'x'"},
        {{"--bogus"}, CommandKind::kBad, "unknown option '--bogus'"},
        {{"-x"}, CommandKind::kBad, "unknown option '-x'"},
        {{"file.ics"}, CommandKind::kBad, "unexpected argument 'file.ics'"},
        {{"--display", ":1", "--export", "ics", "f"},
         CommandKind::kBad,
         "unknown option '--export'"},
        {{"--export", "ics", "out.ics"}, CommandKind::kExport, ""},
        {{"--export=csv", "--utf8", "out.csv"}, CommandKind::kExport, ""},
        {{"--export", "csv", "--from", "20260101", "--to=20261231", "out.csv"},
         CommandKind::kExport,
         ""},
        {{"--export", "csv", "out.csv", "--from", "20260229"},
         CommandKind::kBad,
         "'20260229' is not a date"},
        {{"--export", "csv", "--", "--odd-name.csv"}, CommandKind::kExport, ""},
        {{"--export"}, CommandKind::kBad, "needs a format"},
        {{"--export", "pdf", "x"}, CommandKind::kBad, "unknown export format 'pdf'"},
        {{"--export", "ics"}, CommandKind::kBad, "needs the file"},
        {{"--export", "ics", "--from"}, CommandKind::kBad, "--from needs a value"},
        {{"--export", "ics", "--from", "2026-01-01", "f"}, CommandKind::kBad, "is not a date"},
        {{"--export", "ics", "--from", "20261231", "--to", "20260101", "f"},
         CommandKind::kBad,
         "is after --to"},
        {{"--export", "ics", "--utf8", "f"}, CommandKind::kBad, "--utf8 is for csv only"},
        {{"--export", "ics", "a", "b"}, CommandKind::kBad, "unexpected argument 'b'"},
        {{"--export", "ics", "--display", ":1", "f"},
         CommandKind::kBad,
         "unknown option '--display'"},
        {{"--export", "ics", ""}, CommandKind::kBad, "needs the file"},
    };
    for (const ParseCase& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args) {
            shown += "[" + arg + "]";
        }
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.kind, c.kind) << shown << ": " << line.error;
        if (c.kind == CommandKind::kBad) {
            EXPECT_NE(line.error.find(c.error), std::string::npos) << shown << ": " << line.error;
        } else {
            EXPECT_EQ(line.error, "") << shown;
        }
    }
}

TEST(CommandLineTest, TheExportTakesItsFormatRangeEncodingAndFile) {
    struct Case {
        std::vector<std::string> args;
        ExportFormat format;
        std::string from, to;
        bool utf8;
        std::string file;
    } cases[] = {
        {{"--export", "ics", "out.ics"},
         ExportFormat::kIcs,
         "00000000",
         "99999999",
         false,
         "out.ics"},
        {{"--export", "csv", "--utf8", "--to", "20261231", "o.csv"},
         ExportFormat::kCsv,
         "00000000",
         "20261231",
         true,
         "o.csv"},
        {{"--export=csv", "o.csv", "--from=20260301"},
         ExportFormat::kCsv,
         "20260301",
         "99999999",
         false,
         "o.csv"},
        {{"--export", "ics", "--from", "20260301", "--to", "20260301", "--", "-"},
         ExportFormat::kIcs,
         "20260301",
         "20260301",
         false,
         "-"},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(c.args);
        ASSERT_EQ(line.kind, CommandKind::kExport) << line.error;
        EXPECT_EQ(line.exportRequest.format, c.format);
        EXPECT_EQ(line.exportRequest.range.from, c.from);
        EXPECT_EQ(line.exportRequest.range.to, c.to);
        EXPECT_EQ(line.exportRequest.utf8, c.utf8);
        EXPECT_EQ(line.file, c.file);
    }
}

// --pdf on a build without the PDF page (Windows: no pango or cairo) is a usage error with
// its own message, and writes nothing; on a build with it, the month is checked first
// (2026-13 is none).
TEST(CommandLineTest, PdfIsRefusedWhereThisBuildHasNoPdfPage) {
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / "pemdaro-commandline-pdf.pdf";
    std::filesystem::remove(out);
    std::FILE* err = std::tmpfile();
    ASSERT_NE(err, nullptr);
    const CommandLine line = ParseCommandLine({"--pdf", "2026-13", out.string()});
    ASSERT_EQ(line.kind, PEMDARO_HAVE_PDF ? CommandKind::kPdf : CommandKind::kUnavailable);
    EXPECT_EQ(RunCommand(line, stdout, err), kExitUsage);
    std::fflush(err);
    std::rewind(err);
    std::string said;
    char block[256];
    for (size_t n; (n = std::fread(block, 1, sizeof block, err)) > 0;) {
        said.append(block, n);
    }
    std::fclose(err);
#if PEMDARO_HAVE_PDF
    // The PDF command says why on std::cerr itself.
    EXPECT_NE(CommandHelpText().find("--pdf"), std::string::npos);
#else
    EXPECT_EQ(said, "pemdaro: --pdf is not available in this build\n");
    EXPECT_EQ(CommandHelpText().find("--pdf"), std::string::npos);
#endif
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
