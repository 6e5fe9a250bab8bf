// The save-back step: the last of the three steps of an editing cycle.
#include "catalog/archive_tool.h"
#include "catalog/header_refresh.h"
#include "common/fs.h"
#include "formats/email_data.h"
#include "formats/string_table.h"
#include "registry/bas_registry.h"
#include "workflow/ktmain.h"
#include "workflow/translation_quality.h"

namespace gs {

namespace {

const std::string kSeparator(1, '\0');

// The row at the end of the selection, and the document saved as the word
// processor quits; Quit returns once it has let go of the document (or after
// a bounded wait), so that the second one finds it free. Either may fail
// without effect, as when the user has already closed it: the position then
// stays 1 and the kept document is what the user last saved.
int32_t CloseUsersWordApp(KTmain& m) {
  int32_t position = 1;
  if (m.WordApp == nullptr) return position;
  try {
    position = m.WordApp->Selection().Information(wd::EndOfRangeRowNumber);
  } catch (const Error&) {
  }
  try {
    m.WordApp->Quit(/*SaveChanges*/ true);
  } catch (const Error&) {
  }
  return position;
}

// A second word processor turns the kept document back into the text file.
void DocumentToText(KTmain& m) {
  m.WordApp = m.CreateWordApp();
  m.WordApp->Documents().Open(m.DocumentPath);
  m.WordApp->ActiveDocument().Tables().Item(1).ConvertToText(kSeparator);
  // The paragraph mark after the last row goes, so the text ends with the last row's line end.
  m.WordApp->Selection().EndKey(wd::Story);
  m.WordApp->Selection().TypeBackspace();
  m.WordApp->ActiveDocument().SaveAs(m.TextFilePath, wd::FormatEncodedText, wd::EncodingUTF8,
                                     /*AllowSubstitutions*/ false);
  // The text is saved; nothing is left to ask about.
  m.WordApp->Quit(/*SaveChanges*/ false);
}

// The backup of the game archive; unlike a silent failure, a failed copy stops
// the step before the archive is changed.
void BackUpGameArchive(const CatalogPaths& paths) {
  const std::string backup = paths.GameArchivePath + ".bak";
  CopyFile(paths.GameArchivePath, backup,
           "The backup copy \"" + backup + "\" could not be made; the archive \"" + paths.GameArchivePath +
               "\" was not changed");
}

}  // namespace

void PutWorkTableIntoGame(const CatalogPaths& paths, const std::string& currentFileName, bool makeBackup) {
  if (makeBackup) BackUpGameArchive(paths);
  // A failing tool raises here, before any work file is deleted.
  InsertEntry(paths, paths.GameArchivePath, currentFileName, paths.WorkTablePath);
  AfterInsert(paths, paths.GameArchivePath);

  DeleteFile(paths.TemplateCopyPath);
  if (!paths.TextFilePath.empty()) DeleteFile(paths.TextFilePath);
  DeleteFile(paths.WorkTablePath);

  if (IsStringTable(currentFileName)) RefreshHeaderFile(paths, makeBackup);
}

void SaveChanges(KTmain& m, const MainWindow& window) {
  const int32_t position = CloseUsersWordApp(m);
  DocumentToText(m);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "WordGoToLine", position);

  const std::string name = CurrentFileName(window);
  const ConversionFiles files{m.WorkTablePath, m.TemplateCopyPath, m.TextFilePath};
  if (IsStringTable(name)) {
    StringTableImport(m, files, name, *m.Kt);
  } else {
    EmailImport(m, files, name, *m.Kt);
  }
  // While the text and the English template copy are there, and before the
  // game archive holds the new table.
  NoteSavedQuality(m, name);

  // The backup option counts only when checked; greyed counts as off.
  PutWorkTableIntoGame(m, name, window.Check2Value() == 1);
}

}  // namespace gs
