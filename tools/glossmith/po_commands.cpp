// The commands that exchange a table with translation tools through PO
// files: export-po and import-po. With --game they work on an installed game
// as the window's steps do: the table and its English template are taken out
// of the archives as Extract does, and the new table goes back as "Save
// changes" puts it back. With --table and --template they work on the two
// tables themselves, as export and import do.
#include <cstdio>
#include <functional>
#include <optional>

#include "common/error.h"
#include "common/fs.h"
#include "po/po_file.h"
#include "po/table_po.h"
#include "registry/bas_registry.h"
#include "tools/glossmith/commands.h"
#include "tools/install/installation.h"
#include "workflow/ktmain.h"

namespace gs::cli {

namespace {

struct PoRequest {
  std::string Language;         // as the language list shows it
  std::string CurrentFileName;  // the table's name in the game
  std::string PoPath;
  std::string GameDir;  // --game; empty for the table form
  std::string TablePath;
  std::string TemplatePath;
  std::optional<bool> Backup;  // --backup, --no-backup
};

PoRequest TakeRequest(const Args& given, bool importing) {
  Args args = given;
  PoRequest r;
  std::string type;
  TakeType(args, type);
  r.Language = TakeRequired(args, "--language");
  if (LanguageCode(r.Language).empty()) {
    throw UsageError{"unknown language '" + r.Language +
                     "' (English, French(Russian), German, Swedish, Finnish or Czech)"};
  }
  r.CurrentFileName = CurrentFileName(type, r.Language);
  r.PoPath = TakeRequired(args, "--po");
  r.GameDir = TakeOption(args, "--game");
  r.TablePath = TakeOption(args, "--table");
  r.TemplatePath = TakeOption(args, "--template");
  const bool backup = importing && TakeFlag(args, "--backup");
  const bool noBackup = importing && TakeFlag(args, "--no-backup");
  ExpectNoMore(args);
  if (r.GameDir.empty() == (r.TablePath.empty() && r.TemplatePath.empty())) {
    throw UsageError{"either --game or --table with --template is needed"};
  }
  if (r.GameDir.empty() && (r.TablePath.empty() || r.TemplatePath.empty())) {
    throw UsageError{r.TablePath.empty() ? "--table is needed" : "--template is needed"};
  }
  if (backup && noBackup) throw UsageError{"--backup and --no-backup exclude each other"};
  if ((backup || noBackup) && r.GameDir.empty()) throw UsageError{"--backup and --no-backup go with --game"};
  if (backup || noBackup) r.Backup = backup;
  return r;
}

// The paths of an installed game, with the work paths of the table. Raises
// error 53 when Kt06 is not installed in the game, and error 58 when a work
// file of the table's cycle is there (an editing cycle of Kt06 in progress
// owns it).
void OpenGame(KTmain& m, const PoRequest& r) {
  SetProgramFolder(m, InstallDirOf(r.GameDir));
  for (const std::string& needed : {m.ToolPath, TemplateArchivePath(m.WorkDir)}) {
    if (!FileExists(needed)) {
      Raise(rt::FileNotFound, "Kt06 is not installed in the game in " + m.InstallDir + " (\"" + needed +
                                  "\" is missing); run glossmith install " + r.GameDir + " first.");
    }
  }
  CatalogPaths cycle = m;
  SetWorkPaths(cycle, r.CurrentFileName);
  for (const std::string& work : {cycle.WorkTablePath, cycle.TemplateCopyPath, cycle.TextFilePath}) {
    if (FileExists(work)) {
      Raise(rt::FileAlreadyExists, "The work file \"" + work +
                                       "\" of an editing cycle is there: finish that cycle in Kt06, or "
                                       "delete the file, first.");
    }
  }
}

// Runs work on the tables of the game's cycle, taken out as Extract takes
// them; the work files that are left afterwards are deleted, whatever happens.
void WithExtractedTables(KTmain& m, const PoRequest& r, const std::function<void(const TablePair&)>& work) {
  OpenGame(m, r);
  try {
    ExtractTables(m, r.CurrentFileName);
    m.TextFilePath.clear();  // this cycle has no text file
    const Bytes table = ReadWholeFile(m.WorkTablePath);
    const Bytes english = ReadWholeFile(m.TemplateCopyPath);
    work({r.CurrentFileName, table, english});
  } catch (...) {
    DeleteWorkFiles(m);
    throw;
  }
  DeleteWorkFiles(m);
}

void ExportTables(const PoRequest& r, const TablePair& tables) {
  size_t emptyTexts = 0;
  const PoCatalog po = TableToPo(tables, r.Language, KtLibrary::Shared(), emptyTexts);
  WritePoFile(r.PoPath, po);
  std::printf("wrote %s: %zu messages of %s\n", r.PoPath.c_str(), po.Messages.size(),
              r.CurrentFileName.c_str());
  if (emptyTexts > 0) {
    std::printf(
        "note: %zu texts are empty in %s beside an English text; a PO file cannot tell them from "
        "untranslated "
        "ones, so import-po puts the English text there unless they are translated\n",
        emptyTexts, r.CurrentFileName.c_str());
  }
}

}  // namespace

int RunExportPo(const Args& args) {
  const PoRequest r = TakeRequest(args, false);
  if (r.GameDir.empty()) {
    const Bytes table = ReadWholeFile(r.TablePath);
    const Bytes english = ReadWholeFile(r.TemplatePath);
    ExportTables(r, {r.CurrentFileName, table, english});
  } else {
    KTmain m;
    WithExtractedTables(m, r, [&](const TablePair& tables) { ExportTables(r, tables); });
  }
  return 0;
}

int RunImportPo(const Args& args) {
  const PoRequest r = TakeRequest(args, true);
  // Everything that may refuse the work is read before the game is touched.
  const PoCatalog po = ReadPoFile(r.PoPath);
  if (r.GameDir.empty()) {
    const Bytes table = ReadWholeFile(r.TablePath);
    const Bytes english = ReadWholeFile(r.TemplatePath);
    WriteWholeFile(r.TablePath, TableFromPo({r.CurrentFileName, table, english}, r.Language, po, r.PoPath,
                                            KtLibrary::Shared()));
    std::printf("wrote %s\n", r.TablePath.c_str());
    return 0;
  }
  // The setting as the window shows it: only a checked box (1) makes a backup.
  const bool makeBackup =
      r.Backup ? *r.Backup : GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "MakeBackup") == 1;
  KTmain m;
  WithExtractedTables(m, r, [&](const TablePair& tables) {
    WriteWholeFile(m.WorkTablePath, TableFromPo(tables, r.Language, po, r.PoPath, KtLibrary::Shared()),
                   Durability::Work);
    PutWorkTableIntoGame(m, r.CurrentFileName, makeBackup);
  });
  std::printf("put %s into %s\n", r.CurrentFileName.c_str(), m.GameArchivePath.c_str());
  if (makeBackup) std::printf("the archive as it was is kept as %s.bak\n", m.GameArchivePath.c_str());
  return 0;
}

}  // namespace gs::cli
