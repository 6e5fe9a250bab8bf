// The file catalog: every file name that follows from the chosen type and
// language, and the path variables of KTmain that name the program's folder
// and the work files of one editing cycle.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace gs {

// The type and language texts as the window shows them. The window
// implements this; CurrentFileName reads both texts again at every call.
class ChoiceTexts {
 public:
  virtual ~ChoiceTexts() = default;
  virtual std::string TypeText() const = 0;
  virtual std::string LanguageText() const = 0;
};

inline constexpr std::array<std::string_view, 3> kFileTypes = {"Front", "Game", "E-Mail"};
inline constexpr std::array<std::string_view, 6> kLanguages = {"English", "French(Russian)", "German",
                                                               "Swedish", "Finnish",         "Czech"};

// The name of the table being edited: FrontFrench.bin, GameEnglish.bin,
// emaildataGerman.dta; empty for a type text that is none of the three.
std::string CurrentFileName(std::string_view typeText, std::string_view languageText);
std::string CurrentFileName(const ChoiceTexts& choices);

// The kind of a current file name, by case-sensitive prefix.
enum class FileKind { Front, Game, Email };
FileKind KindOf(std::string_view currentFileName);
// True for "Front" and "Game": the kinds kept in string tables.
bool IsStringTable(std::string_view currentFileName);

// How the tables of a current file name store their letters. The French file
// slot holds Russian, its Cyrillic letters in a byte form of their own: one
// for "Game" tables, one for "Front" tables and the e-mail data. The English
// template copy of a cycle is read as its work table is. Every other table
// holds its text as the user edits it (UTF-8), Latin letters with their
// diacritics included.
enum class StoredLetters { AsEdited, Cyrillic, GameCyrillic };
StoredLetters StoredLettersOf(std::string_view currentFileName);

// A path written with "\" as the separator, in the platform's own form.
std::string NativePath(std::string_view path);

// The game archive of a kind, below the installation folder.
std::string GameArchiveOf(FileKind kind);
// The English template name of a kind, inside "template.viv".
std::string TemplateNameOf(FileKind kind);

// Files of the installation and of the program's folder.
std::string PreloadArchivePath(const std::string& installDir);  // preload\fmisc.viv
std::string HeaderFilePath(const std::string& installDir);      // fe\local.bh
std::string TemplateArchivePath(const std::string& workDir);    // template.viv
inline constexpr std::string_view kToolName = "ImpBig.exe";
inline constexpr std::string_view kHeaderEntryName = "local.bh";

// The path variables of KTmain. The program's folder paths live for the run;
// the work paths for one cycle.
struct CatalogPaths {
  std::string InstallDir;
  std::string WorkDir;
  std::string ToolPath;
  std::string DocumentPath;
  std::string GameArchivePath;
  std::string WorkTablePath;
  std::string TextFilePath;
  std::string TemplateCopyPath;
};

// InstallDir as read, WorkDir = InstallDir & "KT\", ToolPath = WorkDir & "ImpBig.exe".
void SetProgramFolder(CatalogPaths& paths, const std::string& installDir);
// GameArchivePath, TemplateCopyPath, WorkTablePath and TextFilePath of a file.
void SetWorkPaths(CatalogPaths& paths, const std::string& currentFileName);
// WorkDir & "Efiles\" & the current file name & ".doc".
std::string DocumentPathOf(const CatalogPaths& paths, const std::string& currentFileName);
// WorkDir & "Efiles\" & the current file name & ".checks.txt": the findings
// of the checks of the last save, beside the kept document.
std::string ChecksPathOf(const CatalogPaths& paths, const std::string& currentFileName);

}  // namespace gs
