// Where the table file lives: the DATA_DIR setting (CP932) or, without one, the folder
// of the program file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The folder of the running program file (ExecutablePath), ending with '/'; empty when
// it cannot be found.
std::string ExecutableFolder();

// True when the last *character* of a CP932 text is `ch`. The second byte of a
// double-byte character can equal an ASCII byte (表 is 0x95 0x5C), so the last byte
// alone does not tell.
bool Cp932EndsWithChar(std::string_view text, char ch);

// The data folder for a DATA_DIR value as read from the settings file (CP932): the
// separator '/' appended unless the text is empty or already ends with it, converted
// to the file system's encoding (UTF-8). nullopt when the text is not valid CP932.
std::optional<std::string> DataFolderFromSetting(std::string_view cp932Value);

// The data folder the loaded settings name (IniLoad of kelnova.ini): DataFolderFromSetting
// of DATA_DIR, or ExecutableFolder when DATA_DIR is not set. nullopt when DATA_DIR is not
// CP932. The window and the command line find the table through it alike.
std::optional<std::string> DataFolderFromSettings();
