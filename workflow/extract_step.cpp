// The extract step: the first of the three steps of an editing cycle.
#include "catalog/archive_tool.h"
#include "workflow/ktmain.h"
#include "workflow/translation_quality.h"

namespace gs {

void ExtractTables(CatalogPaths& paths, const std::string& currentFileName) {
  SetWorkPaths(paths, currentFileName);
  ExtractEntry(paths, paths.GameArchivePath, currentFileName, paths.WorkTablePath);
  ExtractEntry(paths, TemplateArchivePath(paths.WorkDir), TemplateNameOf(KindOf(currentFileName)),
               paths.TemplateCopyPath);
}

void Extract(KTmain& m, const MainWindow& window) {
  // The existing-document check box counts only while it is enabled.
  m.ReuseDocument = window.Check1Enabled() && window.Check1Checked();
  const std::string name = CurrentFileName(window);
  ExtractTables(m, name);
  NoteExtractedProgress(m, name);
}

}  // namespace gs
