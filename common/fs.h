// File-system operations of the platform layer (fs_posix.cpp, fs_win32.cpp).
#pragma once

#include <string>
#include <string_view>

#include "common/file.h"

namespace gs {

// The separator that the program's paths use: "\" on Windows, "/" elsewhere.
extern const char kPathSeparator;

// True when an ordinary file exists at path, as a directory listing sees it:
// ordinary, read-only and archive files count; folders, hidden and system
// files (on POSIX: names beginning with a dot, and anything not a regular
// file) do not.
bool FileExists(const std::string& path);

// True when the folder holds at least one ordinary file (the "*.*" search);
// false too when the folder does not exist.
bool HasOrdinaryFile(const std::string& folder);

// Deletes a file; raises the runtime file error when it cannot (a missing
// file included).
void DeleteFile(const std::string& path);

// Copies a file over another, replacing it whole and atomically. When the
// copy fails, the destination is as it was, and the runtime error of the
// cause is raised (61 for a full disk, 53 for a missing source, ...), its
// description `what`, when given, followed by the cause's own.
void CopyFile(const std::string& source, const std::string& destination, std::string_view what = {});

// True when both paths name one existing file (through links, say).
bool SameFile(const std::string& a, const std::string& b);

// Moves a file over another in one step. For lasting data the move itself is
// on the disk when the call returns.
void ReplaceFile(const std::string& source, const std::string& destination,
                 Durability durability = Durability::Lasting);

// The folder of the running executable, with its trailing separator.
std::string ExecutableDir();

// The folder part of a path, with its trailing separator ("" for a bare name).
std::string DirectoryOf(const std::string& path);

}  // namespace gs
