#include "catalog/archive_tool.h"

#include "catalog/command_line.h"
#include "catalog/shell_wait.h"
#include "common/fs.h"
#include "common/text.h"

namespace gs {

namespace {

// The tool runs with its window hidden.
constexpr int32_t kHidden = 0;

void RunChecked(const CatalogPaths& paths, const std::string& commandLine, const std::string& what) {
  const int32_t exitCode = RunAndWait(paths.ToolPath, commandLine, kHidden);
  if (exitCode != 0) {
    Raise(kToolRunFailed,
          "The archive tool could not " + what + " (exit code " + std::to_string(exitCode) + ").");
  }
}

}  // namespace

std::string ExtractCommandLine(const CatalogPaths& paths, const std::string& archivePath,
                               const std::string& entryName, const std::string& destinationPath) {
  return CommandLineArgument(paths.ToolPath) + " /e " + CommandLineArgument(archivePath) + " " +
         CommandLineArgument(entryName) + " " + CommandLineArgument(destinationPath);
}

std::string InsertCommandLine(const CatalogPaths& paths, const std::string& archivePath,
                              const std::string& entryName, const std::string& sourcePath) {
  return CommandLineArgument(paths.ToolPath) + " /i " + CommandLineArgument(archivePath) + " " +
         CommandLineArgument(entryName) + " " + CommandLineArgument(sourcePath) + " /c";
}

std::string AfterInsertCommandLine(const CatalogPaths& paths, const std::string& archivePath) {
  return CommandLineArgument(paths.ToolPath) + " /r " + CommandLineArgument(archivePath);
}

void ExtractEntry(const CatalogPaths& paths, const std::string& archivePath, const std::string& entryName,
                  const std::string& destinationPath) {
  if (!FileExists(archivePath)) RaiseFileMissing(archivePath);
  if (!FileExists(paths.ToolPath)) RaiseFileMissing(paths.ToolPath);
  // An old file must not pass for the tool's result.
  if (FileExists(destinationPath)) DeleteFile(destinationPath);
  const int32_t exitCode =
      RunAndWait(paths.ToolPath, ExtractCommandLine(paths, archivePath, entryName, destinationPath), kHidden);
  if (exitCode == 0 && FileExists(destinationPath)) return;
  Raise(rt::FileNotFound, "The file " + entryName + " does not found" + " in " + archivePath);
}

void InsertEntry(const CatalogPaths& paths, const std::string& archivePath, const std::string& entryName,
                 const std::string& sourcePath) {
  RunChecked(paths, InsertCommandLine(paths, archivePath, entryName, sourcePath),
             "put " + Quoted(sourcePath) + " into the archive " + Quoted(archivePath) + " as " + entryName);
}

void AfterInsert(const CatalogPaths& paths, const std::string& archivePath) {
  RunChecked(paths, AfterInsertCommandLine(paths, archivePath),
             "finish the archive " + Quoted(archivePath) + " after the insert");
}

}  // namespace gs
