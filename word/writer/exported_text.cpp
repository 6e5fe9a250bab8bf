#include "word/writer/exported_text.h"

#include <algorithm>

#include "word/writer/text_file.h"

namespace gs::writer {

std::vector<std::string> ExportedLines(std::string_view bytes) {
  // A bare LF is a line break within a paragraph.
  return SplitLines(bytes, LineEnds::CrLfOnly);
}

size_t CellRow(std::string_view name) {
  size_t i = 0;
  while (i < name.size() && ((name[i] >= 'A' && name[i] <= 'Z') || (name[i] >= 'a' && name[i] <= 'z'))) ++i;
  if (i == 0 || i == name.size()) return 0;
  size_t row = 0;
  for (; i < name.size() && name[i] != '.'; ++i) {
    if (name[i] < '0' || name[i] > '9' || row > 100'000'000) return 0;
    row = row * 10 + static_cast<size_t>(name[i] - '0');
  }
  return row;
}

std::optional<std::vector<Block>> MapExportedLines(std::vector<std::string> lines,
                                                   const std::vector<BodyElement>& body) {
  size_t expected = 0;
  for (const auto& e : body) expected += e.isTable ? e.cellNames.size() : 1;
  if (expected != lines.size()) return std::nullopt;
  std::vector<Block> blocks;
  size_t next = 0;
  for (const auto& e : body) {
    if (!e.isTable) {
      blocks.emplace_back(std::move(lines[next++]));
      continue;
    }
    Table table;
    size_t currentRow = 0;
    for (const auto& name : e.cellNames) {
      const size_t row = CellRow(name);
      if (row == 0) return std::nullopt;
      if (table.rows.empty() || row != currentRow) table.rows.emplace_back();
      currentRow = row;
      table.rows.back().push_back(std::move(lines[next++]));
    }
    blocks.emplace_back(std::move(table));
  }
  return blocks;
}

std::vector<size_t> SpotChecks(size_t count, size_t samples) {
  std::vector<size_t> at;
  if (count == 0 || samples == 0) return at;
  if (samples >= count) samples = count;
  for (size_t k = 0; k < samples; ++k) {
    at.push_back(samples == 1 ? count - 1 : k * (count - 1) / (samples - 1));
  }
  at.erase(std::unique(at.begin(), at.end()), at.end());
  return at;
}

}  // namespace gs::writer
