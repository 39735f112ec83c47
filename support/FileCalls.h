// The few plain file calls that code above the system layer needs (the backups, the kept
// copies of the table), on UTF-8 paths, the same on every system. Each returns 0 or the
// errno that tells why it failed (never 0 on a failure) unless said otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// An open file: a descriptor (on Windows, of the C runtime); -1 for none.
using FileHandle = int;

// Opens a file for reading.
int FileOpenRead(const std::string& path, FileHandle& file);
// Creates a file that must not exist yet, for writing, readable by its owner only.
int FileCreateNew(const std::string& path, FileHandle& file);
// The same for a file meant for others too (an export): the mode of an ordinary file of
// this user (read and write for all, less the umask).
int FileCreateNewOrdinary(const std::string& path, FileHandle& file);
// Reads up to `size` bytes: how many, 0 at the end, -1 with errno set.
int64_t FileRead(FileHandle file, void* buffer, size_t size);
// Writes all of `bytes`, going on after short writes and interrupted calls.
int FileWriteAll(FileHandle file, std::string_view bytes);
// Makes what was written to the file reach the disk.
int FileSync(FileHandle file);
// Closes the file; an interrupted close still counts as closed.
int FileClose(FileHandle file);

// Gives the file `from` the name `to`, replacing a file there.
int FileRename(const std::string& from, const std::string& to);
// Removes a file.
int FileRemove(const std::string& path);
// Whether nothing at all has this name (not even a symbolic link whose target is missing).
bool PathIsFree(const std::string& path);
// Makes a folder that only its owner may enter; 0 too when a folder is already there,
// ENOTDIR when something else has its name.
int FolderMake(const std::string& path);
// Whether this user may make files in the folder.
bool FolderTakesFiles(const std::string& folder);
// Makes the names given in the folder (a rename, a new file) reach the disk.
int FolderSync(const std::string& folder);
