// What a sample game's archive holds for one table, read back through the
// export as the lines of its text file.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "formats/email_data.h"
#include "formats/string_table.h"
#include "tests/support/bigf_layout.h"
#include "tests/support/test_process.h"
#include "workflow/ktmain.h"
#include "word/writer/text_file.h"

namespace gs::test {

inline std::vector<uint8_t> Entry(const std::string& archive, const std::string& name) {
  for (auto& e : ReadLayout(archive).entries) {
    if (e.name == name) return e.data;
  }
  ADD_FAILURE() << name << " not in " << archive;
  return {};
}

// The lines of a text file as the export writes them, split at CR LF.
inline std::vector<std::string> Lines(const std::vector<uint8_t>& bytes) {
  return writer::SplitLines(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                            writer::LineEnds::CrLfOnly);
}

// The text the export gives for the table `name` as its game archive holds it
// now; the program folder comes from `m`, whose work files it uses and
// deletes again.
inline std::vector<std::string> ArchiveText(KTmain& m, const std::string& name) {
  SetWorkPaths(m, name);
  WriteBytes(m.WorkTablePath, Entry(m.GameArchivePath, name));
  WriteBytes(m.TemplateCopyPath, Entry(TemplateArchivePath(m.WorkDir), TemplateNameOf(KindOf(name))));
  FormatState state;
  const ConversionFiles files{m.WorkTablePath, m.TemplateCopyPath, m.TextFilePath};
  if (IsStringTable(name)) {
    StringTableExport(state, files, name, *m.Kt);
  } else {
    EmailExport(state, files, name, *m.Kt);
  }
  auto lines = Lines(ReadBytes(m.TextFilePath));
  DeleteWorkFiles(m);
  return lines;
}

}  // namespace gs::test
