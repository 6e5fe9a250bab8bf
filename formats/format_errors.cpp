#include "formats/format_errors.h"

#include "common/error.h"

namespace gs {

namespace {
// "Invalid procedure call or argument": an import called without its export.
constexpr int32_t kInvalidProcedureCall = 5;
}  // namespace

void RaiseUnknownFormat(std::string_view fileName, std::string_view detail) {
  std::string text = "Unknown data format for file '";
  text.append(fileName).append("'");
  if (!detail.empty()) text.append(": ").append(detail);
  Raise(rt::UnknownDataFormat, std::move(text));
}

void RequireExportOf(std::string_view exported, std::string_view currentFileName, std::string_view kind) {
  if (exported == currentFileName && !exported.empty()) return;
  std::string text = "Invalid procedure call or argument: no ";
  text.append(kind).append(" export of '").append(currentFileName).append("' in this run to import into");
  Raise(kInvalidProcedureCall, std::move(text));
}

}  // namespace gs
