// The settings file: key=value lines read once at start-up.
//
//   DATA_DIR=/home/user/schedule/
//
// Tab, "=" and the line break separate; blanks belong to the key or value. There are no
// comments or sections. The first line with a key wins.
#pragma once

// Reads the file into entries; a null name or an unreadable file leaves no entries.
void IniLoad(const char* fileName);
// The value of the first entry with the key, else the default, else "". A null key gives
// "". The text stays valid until IniClose.
const char* IniGet(const char* key, const char* defaultValue);
// Rewrites the file when save is exactly 1, then releases every entry.
void IniClose(int save);
