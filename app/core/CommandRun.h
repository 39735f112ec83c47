// What the command line's commands do, without a window (no toolkit is initialised, so
// they work without a display). main.cpp runs them; the window's start shares the
// settings rules (ResolveDataFolder).
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "CommandLine.h"

// The settings file read from the folder the program is started in.
inline constexpr char kSettingsFile[] = "kelnova.ini";

// The data folder in the file system's encoding: DATA_DIR of the settings read (IniLoad),
// or the program's own folder. nullopt when DATA_DIR is not a CP932 text.
std::optional<std::string> ResolveDataFolder();

// Runs a command that is not kWindow: help and version on `out`, errors on `err` as
// "pemdaro: ..." lines. The export reads the settings, opens the table for reading alone
// (beside a running window copy: without its guard or the data lock) and writes the file.
// Returns the exit code.
int RunCommand(const CommandLine& line, std::FILE* out, std::FILE* err);
