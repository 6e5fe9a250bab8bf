// The archive tool bridge: every run of ImpBig.exe, the program's archive
// tool in its folder (ToolPath). Paths holding a blank go into the command
// lines between double quotes; others go in as they are.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/catalog.h"
#include "common/error.h"

namespace gs {

// The number of the error raised when an insert or after-insert run of the
// tool fails: the archive could not be changed as asked.
inline constexpr int32_t kToolRunFailed = rt::PathFileAccessError;

// ToolPath /e ARCHIVE ENTRY DEST
std::string ExtractCommandLine(const CatalogPaths& paths, const std::string& archivePath,
                               const std::string& entryName, const std::string& destinationPath);
// ToolPath /i ARCHIVE ENTRY SOURCE /c
std::string InsertCommandLine(const CatalogPaths& paths, const std::string& archivePath,
                              const std::string& entryName, const std::string& sourcePath);
// ToolPath /r ARCHIVE
std::string AfterInsertCommandLine(const CatalogPaths& paths, const std::string& archivePath);

// Takes one entry out of an archive into destinationPath. Checks, in this
// order: the archive exists, the tool exists (error 53 "The file "<path>"
// does not exist or cannot be read." for the first missing); then removes an
// old destination file, runs the tool and returns only when it succeeded and
// the destination exists, else raises error 53 "The file <entry> does not
// found in <archive>".
void ExtractEntry(const CatalogPaths& paths, const std::string& archivePath, const std::string& entryName,
                  const std::string& destinationPath);

// Puts the file at sourcePath into the archive as entryName. Raises
// kToolRunFailed naming the archive and the tool's exit code when the tool
// fails, error 53 when it cannot be started.
void InsertEntry(const CatalogPaths& paths, const std::string& archivePath, const std::string& entryName,
                 const std::string& sourcePath);

// The run that follows every insert, on the same archive; raises as InsertEntry.
void AfterInsert(const CatalogPaths& paths, const std::string& archivePath);

}  // namespace gs
