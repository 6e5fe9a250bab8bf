// Reading a Writer document's text back through Writer's own text export,
// which is fast on big tables where reading cell by cell is not. The export
// writes every paragraph on a line of its own (a cell's paragraphs too) and
// line breaks as a bare LF; so the lines map onto paragraphs and cells
// exactly when each of them took one line, which the line count shows.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "word/writer/text_document.h"

namespace gs::writer {

// One top-level element of a document's body: a paragraph, or a table given
// by its cell names in document order ("A1", "B1", "A2", ...).
struct BodyElement {
  bool isTable = false;
  std::vector<std::string> cellNames;
};

// The lines of a "Text (encoded)" export in UTF-8 with CR LF line ends.
std::vector<std::string> ExportedLines(std::string_view bytes);

// The row number in a cell name ("B12" gives 12), 0 for anything else.
size_t CellRow(std::string_view cellName);

// The blocks of the body when the lines are one per paragraph and cell;
// nothing when the count shows that some paragraph or cell took more.
std::optional<std::vector<Block>> MapExportedLines(std::vector<std::string> lines,
                                                   const std::vector<BodyElement>& body);

// Up to samples indices spread over [0, count), the first and the last
// included: the places to compare against the document when the mapping is
// taken on the count alone.
std::vector<size_t> SpotChecks(size_t count, size_t samples);

}  // namespace gs::writer
