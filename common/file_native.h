// Internal to common/: the pieces of the file layer that differ by platform.
#pragma once

#include <cstdint>
#include <string>

#include "common/file.h"

namespace gs {

// Creates a new empty file beside path, under a unique temporary name, and
// returns it open for writing; tempPath receives its name.
File CreateTempBeside(const std::string& path, std::string& tempPath);
File AdoptNative(intptr_t handle, std::string path);
// Removes a file, ignoring every failure (used for temporary files).
void RemoveQuietly(const std::string& path) noexcept;

}  // namespace gs
