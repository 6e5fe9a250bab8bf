// The installation that Kt06 assumes: the program's folder "KT" inside the
// game's folder, the game's folder in the registry value "Install Dir", and
// the settings key with its first three values. Only what is missing is
// written: files and values already there stay, so running it again changes
// nothing more.
#pragma once

#include <cstdint>
#include <string>

#include "tools/install/program_folder.h"

namespace gs {

// The values the settings key starts with: type "Front", language
// "French(Russian)", backups on.
inline constexpr int32_t kInitialTypeId = 0;
inline constexpr int32_t kInitialLanguageId = 1;
inline constexpr int32_t kInitialMakeBackup = 1;

struct InstallOptions {
  // The archive tool to copy; empty for ImpBig.exe beside the running program.
  std::string ToolSource;
};

struct InstallResult {
  std::string InstallDir;  // the game's folder as written, ending with the separator
  std::string FoundDir;    // the folder that Kt06 will find through "Install Dir"
  bool Changed = false;    // false when everything was already in place
};

// The game's folder as an absolute path ending with the separator, the form
// in which Kt06 joins file names to it and "Install Dir" holds it.
std::string InstallDirOf(const std::string& gameDir);

// Installs Kt06 into the game in gameDir, reporting each file, folder and
// registry value as it is dealt with.
//
// Refused before anything is written: a folder without the game's three
// archives (error 53 naming every missing one), a game archive without its
// English table (error 53), and a registry that does not let this user
// change the two keys (the settings store's error, with what to do about it).
// A kept registry value that would stop Kt06 from starting (an "Install Dir"
// without its trailing separator, a setting out of range...) is reported as
// a warning, and the installation then ends with error 380 after writing
// everything else.
InstallResult InstallKt06(const std::string& gameDir, const InstallOptions& options,
                          const InstallReport& report);

// What to do when the registry refuses a change: on Windows, run as
// administrator; on POSIX, make the hive file writable.
std::string RegistryRefusalAdvice();

}  // namespace gs
