#include "catalog/catalog.h"

#include <algorithm>

#include "common/fs.h"

namespace gs {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The language word of a file name: the list text, except that the Russian
// texts go into the French files.
std::string_view LanguageWord(std::string_view language) {
  return language == "French(Russian)" ? std::string_view("French") : language;
}

}  // namespace

std::string CurrentFileName(std::string_view typeText, std::string_view languageText) {
  std::string name;
  if (typeText == "Front" || typeText == "Game") {
    name.append(typeText).append(LanguageWord(languageText)).append(".bin");
  } else if (typeText == "E-Mail") {
    name = "emaildata";
    if (languageText != "English") name.append(LanguageWord(languageText));
    name.append(".dta");
  }
  return name;
}

std::string CurrentFileName(const ChoiceTexts& choices) {
  return CurrentFileName(choices.TypeText(), choices.LanguageText());
}

FileKind KindOf(std::string_view currentFileName) {
  if (StartsWith(currentFileName, "Front")) return FileKind::Front;
  if (StartsWith(currentFileName, "Game")) return FileKind::Game;
  return FileKind::Email;
}

bool IsStringTable(std::string_view currentFileName) {
  return KindOf(currentFileName) != FileKind::Email;
}

StoredLetters StoredLettersOf(std::string_view currentFileName) {
  constexpr std::string_view kRussian = kLanguages[1];
  for (const std::string_view type : kFileTypes) {
    if (currentFileName != CurrentFileName(type, kRussian)) continue;
    return KindOf(currentFileName) == FileKind::Game ? StoredLetters::GameCyrillic : StoredLetters::Cyrillic;
  }
  return StoredLetters::AsEdited;
}

std::string NativePath(std::string_view path) {
  std::string native(path);
  std::replace(native.begin(), native.end(), '\\', kPathSeparator);
  return native;
}

std::string GameArchiveOf(FileKind kind) {
  return NativePath(kind == FileKind::Email ? "db\\tuning.viv" : "fe\\local.viv");
}

std::string TemplateNameOf(FileKind kind) {
  switch (kind) {
    case FileKind::Front: return "frontEnglish.bin";
    case FileKind::Game: return "gameEnglish.bin";
    case FileKind::Email: break;
  }
  return "emaildata.dta";
}

std::string PreloadArchivePath(const std::string& installDir) {
  return installDir + NativePath("preload\\fmisc.viv");
}

std::string HeaderFilePath(const std::string& installDir) {
  return installDir + NativePath("fe\\local.bh");
}

std::string TemplateArchivePath(const std::string& workDir) {
  return workDir + "template.viv";
}

void SetProgramFolder(CatalogPaths& paths, const std::string& installDir) {
  paths.InstallDir = installDir;
  paths.WorkDir = installDir + NativePath("KT\\");
  paths.ToolPath = paths.WorkDir + std::string(kToolName);
}

void SetWorkPaths(CatalogPaths& paths, const std::string& currentFileName) {
  const FileKind kind = KindOf(currentFileName);
  paths.GameArchivePath = paths.InstallDir + GameArchiveOf(kind);
  paths.TemplateCopyPath = paths.WorkDir + TemplateNameOf(kind) + ".eng";
  paths.WorkTablePath = paths.WorkDir + currentFileName;
  paths.TextFilePath = paths.WorkTablePath + ".txt";
}

std::string DocumentPathOf(const CatalogPaths& paths, const std::string& currentFileName) {
  return paths.WorkDir + NativePath("Efiles\\") + currentFileName + ".doc";
}

std::string ChecksPathOf(const CatalogPaths& paths, const std::string& currentFileName) {
  return paths.WorkDir + NativePath("Efiles\\") + currentFileName + ".checks.txt";
}

}  // namespace gs
