// What the command line's commands do, without a window (no toolkit is initialised, so
// they work without a display). main.cpp runs them; they find the settings and the table
// as the window does (CopyFolders.h).
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "CommandLine.h"

// Runs a command that is not kWindow: help and version on `out`, errors on `err` as
// "pemdaro: ..." lines. The month's PDF is RunPdfCommand's (MonthPdf.h). The export reads the
// settings, opens the table for reading alone (beside a running window copy: without its guard or
// the data lock) and writes the file. Returns the exit code.
int RunCommand(const CommandLine& line, std::FILE* out, std::FILE* err);

// Before a command writes: on Windows, where the program is a window program, sends the
// standard streams that lead nowhere to the console of the program that started it (if
// any). Elsewhere nothing changes.
void UseCallersConsole();
