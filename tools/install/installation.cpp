#include "tools/install/installation.h"

#include <filesystem>
#include <vector>

#include "archive/bigf.h"
#include "catalog/catalog.h"
#include "common/error.h"
#include "common/fs.h"
#include "common/text.h"
#include "registry/bas_registry.h"
#include "registry/reg_values.h"

namespace gs {

namespace {

namespace fs = std::filesystem;
using Outcome = InstallNote::Outcome;

// GetRegString reads into 255 bytes, the terminating NUL included.
constexpr size_t kLongestInstallDir = 254;

// The settings Kt06 reads at start-up, with the values it accepts there.
struct Setting {
  const char* Name;
  int32_t Initial;
  int32_t Least;
  int32_t Most;
};
constexpr Setting kSettings[] = {
    {"TypeId", kInitialTypeId, -1, static_cast<int32_t>(kFileTypes.size()) - 1},
    {"LanguageId", kInitialLanguageId, -1, static_cast<int32_t>(kLanguages.size()) - 1},
    {"MakeBackup", kInitialMakeBackup, 0, 2},
};
constexpr const char* kInstallDirValue = "Install Dir";

std::string JoinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) joined += i + 1 == names.size() ? " and " : ", ";
    joined += names[i];
  }
  return joined;
}

std::string KeyName(const char* key) {
  return "HKEY_LOCAL_MACHINE\\" + std::string(key);
}

std::string ValueName(const char* key, const char* value) {
  return KeyName(key) + " " + Quoted(value);
}

void CheckGameFolder(const std::string& installDir) {
  std::error_code ec;
  if (!fs::is_directory(installDir, ec)) {
    Raise(rt::PathNotFound, "There is no folder " + Quoted(installDir) + ".");
  }
  std::vector<std::string> missing;
  for (const std::string& archive :
       {GameArchiveOf(FileKind::Front), GameArchiveOf(FileKind::Email), PreloadArchivePath("")}) {
    if (!FileExists(installDir + archive)) missing.push_back(archive);
  }
  if (!missing.empty()) {
    Raise(rt::FileNotFound, "The folder " + Quoted(installDir) + " holds no installed NHL06: " +
                                JoinNames(missing) + (missing.size() == 1 ? " is" : " are") + " missing.");
  }
}

// The game's own English tables, which the template archive keeps.
EnglishTables ReadEnglishTables(const std::string& installDir) {
  EnglishTables tables;
  const auto read = [&](FileKind kind) {
    const std::string archive = installDir + GameArchiveOf(kind);
    const std::string name = CurrentFileName(kFileTypes[static_cast<size_t>(kind)], "English");
    const bigf::Reader reader(archive);
    const bigf::Entry* entry = reader.GetIndex().Find(name);
    if (entry == nullptr) {
      Raise(rt::FileNotFound, "The game archive " + Quoted(archive) + " holds no entry " + Quoted(name) +
                                  ": the English templates are made from the game's English tables.");
    }
    return reader.Read(*entry);
  };
  tables.Front = read(FileKind::Front);
  tables.Game = read(FileKind::Game);
  tables.Email = read(FileKind::Email);
  tables.Origin = CurrentFileName("Front", "English") + " and " + CurrentFileName("Game", "English") +
                  " of " + GameArchiveOf(FileKind::Front) + " and " + CurrentFileName("E-Mail", "English") +
                  " of " + GameArchiveOf(FileKind::Email);
  return tables;
}

// Raises the settings store's error cause with what it refused and what to
// do about it; any other error (a damaged hive file, say) goes on as it is.
[[noreturn]] void RaiseRefused(const std::string& what, const Error& cause) {
  if (cause.Number() != ErrRegRead && cause.Number() != ErrRegSetValue && cause.Number() != ErrRegCreateKey) {
    throw cause;
  }
  throw Error(cause.Number(),
              "The registry (" + RegistryLocation() + ") refused " + what + ": " + cause.Description() + " " +
                  RegistryRefusalAdvice() + " Then run glossmith install again; what it did so far stays.",
              cause.Source());
}

bool ValueExists(const char* key, const char* value) {
  try {
    return RegValueExists(HKEY_LOCAL_MACHINE, key, value);
  } catch (const Error& e) {
    RaiseRefused("to let " + ValueName(key, value) + " be read", e);
  }
}

// Opens the key with full access, as Kt06 does, or, when it does not exist
// yet, the nearest key above it that is to take it. Writes nothing.
void CheckKeyAccess(const char* key) {
  for (std::string path = key;;) {
    ScopedKey handle;
    const LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, handle.Receive());
    if (status == ERROR_SUCCESS) return;
    if (status != ERROR_FILE_NOT_FOUND || path.empty()) {
      RaiseRefused("full access to " + KeyName(key),
                   Error(ErrRegRead, "RegOpenKeyEx failed!", "RegOpenKeyEx"));
    }
    const size_t cut = path.rfind('\\');
    path.resize(cut == std::string::npos ? 0 : cut);
  }
}

// Reports a kept "Install Dir"; false when Kt06 cannot start with it.
bool CheckKeptInstallDir(const std::string& installDir, std::string& found, const InstallReport& report) {
  const std::string name = ValueName(kGameKey, kInstallDirValue);
  try {
    found = GetRegString(HKEY_LOCAL_MACHINE, kGameKey, kInstallDirValue);
  } catch (const Error& e) {
    if (e.Number() != ErrRegRead) throw;
    report({Outcome::Warning, name,
            "kept, but Kt06 cannot read it (" + e.Description() + "): it must be text of at most " +
                std::to_string(kLongestInstallDir) + " characters"});
    return false;
  }
  const std::string shown = Quoted(found);
  if (found == installDir) {
    report({Outcome::Kept, name, shown});
    return true;
  }
  if (found.empty()) {
    report(
        {Outcome::Warning, name, "kept, but empty: Kt06 stops with \"Missing registry key 'Install Dir'\""});
    return false;
  }
  if (found.back() != kPathSeparator) {
    report({Outcome::Warning, name,
            shown + " kept, but without the trailing " + Quoted(std::string(1, kPathSeparator)) +
                ": Kt06 would look for its folder in " + Quoted(found + NativePath("KT\\"))});
    return false;
  }
  CatalogPaths paths;
  SetProgramFolder(paths, found);
  if (!HasOrdinaryFile(paths.WorkDir)) {
    report({Outcome::Warning, name,
            shown + " kept, but " + Quoted(paths.WorkDir) +
                " holds no file: Kt06 stops with \"The Program KT06 is installed wrong.\""});
    return false;
  }
  if (SameFile(found, installDir)) {
    report({Outcome::Kept, name, shown + ", this game's folder"});
  } else {
    report({Outcome::Warning, name,
            shown + " kept: it names another game, which Kt06 will work on instead of this one; set it to " +
                Quoted(installDir) + " to use this one"});
  }
  return true;
}

// Reports a kept setting; false when Kt06 cannot start with it.
bool CheckKeptSetting(const Setting& setting, const InstallReport& report) {
  const std::string name = ValueName(kSettingsKey, setting.Name);
  int32_t value = 0;
  try {
    value = GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, setting.Name);
  } catch (const Error& e) {
    if (e.Number() != ErrRegRead) throw;
    report({Outcome::Warning, name, "kept, but Kt06 cannot read it as a number (" + e.Description() + ")"});
    return false;
  }
  if (value < setting.Least || value > setting.Most) {
    report({Outcome::Warning, name,
            std::to_string(value) + " kept, but Kt06 accepts only " + std::to_string(setting.Least) + " to " +
                std::to_string(setting.Most) + " and stops at start-up"});
    return false;
  }
  report({Outcome::Kept, name, std::to_string(value)});
  return true;
}

}  // namespace

std::string InstallDirOf(const std::string& gameDir) {
  std::error_code ec;
  std::string dir = fs::absolute(gameDir, ec).lexically_normal().string();
  if (ec) RaiseFileError(ec.value(), gameDir);
  if (dir.empty() || dir.back() != kPathSeparator) dir += kPathSeparator;
  return dir;
}

InstallResult InstallKt06(const std::string& gameDir, const InstallOptions& options,
                          const InstallReport& report) {
  InstallResult result;
  result.InstallDir = InstallDirOf(gameDir);
  const std::string& installDir = result.InstallDir;
  const InstallReport tell = [&](const InstallNote& note) {
    if (note.Result == Outcome::Written) result.Changed = true;
    report(note);
  };

  // Everything that can refuse the installation is checked before anything
  // is written.
  CheckGameFolder(installDir);
  const bool hasInstallDir = ValueExists(kGameKey, kInstallDirValue);
  std::vector<bool> hasSetting;
  for (const Setting& setting : kSettings) hasSetting.push_back(ValueExists(kSettingsKey, setting.Name));
  if (!hasInstallDir && installDir.size() > kLongestInstallDir) {
    Raise(rt::BadFileNameOrNumber, "The game's folder " + Quoted(installDir) + " is " +
                                       std::to_string(installDir.size()) + " characters long; Kt06 reads " +
                                       Quoted(kInstallDirValue) + " only up to " +
                                       std::to_string(kLongestInstallDir) + ".");
  }
  CheckKeyAccess(kGameKey);
  CheckKeyAccess(kSettingsKey);

  WriteProgramFolder(
      installDir, ToolSourceOf(options.ToolSource), [&] { return ReadEnglishTables(installDir); },
      ExistingFiles::Keep, tell);

  bool startable = true;
  if (hasInstallDir) {
    startable &= CheckKeptInstallDir(installDir, result.FoundDir, tell);
  } else {
    try {
      SetRegString(HKEY_LOCAL_MACHINE, kGameKey, kInstallDirValue, installDir);
    } catch (const Error& e) {
      RaiseRefused("to store " + ValueName(kGameKey, kInstallDirValue), e);
    }
    result.FoundDir = installDir;
    tell({Outcome::Written, ValueName(kGameKey, kInstallDirValue), Quoted(installDir)});
  }
  for (size_t i = 0; i < std::size(kSettings); ++i) {
    const Setting& setting = kSettings[i];
    if (hasSetting[i]) {
      startable &= CheckKeptSetting(setting, tell);
      continue;
    }
    try {
      SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, setting.Name, setting.Initial);
    } catch (const Error& e) {
      RaiseRefused("to store " + ValueName(kSettingsKey, setting.Name), e);
    }
    tell({Outcome::Written, ValueName(kSettingsKey, setting.Name), std::to_string(setting.Initial)});
  }
  if (!startable) {
    Raise(
        rt::InvalidPropertyValue,
        "Values already in the registry stop Kt06 at start-up (see the warnings); they are kept as they are. "
        "Correct or remove them in " +
            RegistryLocation() + ", then run glossmith install again.");
  }
  return result;
}

}  // namespace gs
