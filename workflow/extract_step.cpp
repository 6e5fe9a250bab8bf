// The extract step: the first of the three steps of an editing cycle.
#include "catalog/archive_tool.h"
#include "workflow/ktmain.h"

namespace gs {

void Extract(KTmain& m, const MainWindow& window) {
  const std::string name = CurrentFileName(window);
  SetWorkPaths(m, name);
  // The existing-document check box counts only while it is enabled.
  m.ReuseDocument = window.Check1Enabled() && window.Check1Checked();
  ExtractEntry(m, m.GameArchivePath, name, m.WorkTablePath);
  ExtractEntry(m, TemplateArchivePath(m.WorkDir), TemplateNameOf(KindOf(name)), m.TemplateCopyPath);
}

}  // namespace gs
