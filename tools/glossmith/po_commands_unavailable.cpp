// The PO commands of a build without GNU gettext's libgettextpo (the Windows
// builds): they only say so.
#include <cstdio>

#include "tools/glossmith/commands.h"

namespace gs::cli {

namespace {

int Unavailable(const char* command) {
  std::fprintf(stderr,
               "glossmith %s: PO files are not available in this build of glossmith, which is made without "
               "GNU gettext's libgettextpo\n",
               command);
  return 1;
}

}  // namespace

int RunExportPo(const Args&) {
  return Unavailable("export-po");
}

int RunImportPo(const Args&) {
  return Unavailable("import-po");
}

}  // namespace gs::cli
