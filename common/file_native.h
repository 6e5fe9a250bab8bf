// Internal to common/: the pieces of the file layer that differ by platform.
#pragma once

#include <cstdint>
#include <string>

#include "common/file.h"

namespace gs {

// The file that a new version of path replaces: path itself, or the file
// that a symbolic link at path leads to.
std::string WriteTargetOf(const std::string& path);
// What the temporary files of path's new versions are named from: a dot, at
// most 16 bytes of its name and a hash of the whole name (see AtomicFile).
std::string TemporaryPrefixOf(const std::string& path);
// Creates a new empty file beside path, under a unique temporary name that
// begins with TemporaryPrefixOf(path), and returns it open for writing;
// tempPath receives its name.
File CreateTempBeside(const std::string& path, std::string& tempPath);
// Copies source over destination through a temporary file; raises the
// runtime file error of a failed step.
void CopyFileOver(const std::string& source, const std::string& destination);
// Removes every file whose path begins with prefix, ignoring failures.
void RemoveFilesStartingWith(const std::string& prefix) noexcept;
File AdoptNative(intptr_t handle, std::string path);
// Removes a file, ignoring every failure (used for temporary files).
void RemoveQuietly(const std::string& path) noexcept;

}  // namespace gs
