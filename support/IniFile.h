// The settings file: key=value lines read once at start-up.
//
//   DATA_DIR=/home/user/schedule/
//
// Tab, "=" and the line break separate; blanks belong to the key or value. There are no
// comments or sections. The first line with a key wins. Lines end with LF or CR LF; a line
// may be of any length. A key is kept to its first 99 bytes and a value to its first 511,
// cut before a CP932 double-byte character that would not fit whole.
#pragma once

#include <string>

// Reads the file into entries, replacing any read before; a null name, a name longer than
// 99 bytes or an unreadable file leaves no entries.
void IniLoad(const char* fileName);
// Reads the file at a path of any length into entries as IniLoad does, but keeps no name:
// IniClose never rewrites it. For settings that are only read, wherever they are.
void IniLoadFrom(const std::string& path);
// The value of the first entry with the key, else the default, else "". A null key gives
// "". The text stays valid until IniClose or the next IniLoad.
const char* IniGet(const char* key, const char* defaultValue);
// Rewrites the file (key=value lines with CR LF ends) when save is exactly 1 and IniLoad
// was given an accepted name, then releases every entry. A failed rewrite is silent.
void IniClose(int save);
