// A text file through the word processor's own text handling: read as Word
// reads it, made a table, handed over as Flat ODT, made text again and
// written back. Whatever the bytes, nothing crashes, every failure is a
// gs::Error, and lines that all have as many fields come back unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/error.h"
#include "word/writer/document_lock.h"
#include "word/writer/exported_text.h"
#include "word/writer/flat_odt.h"
#include "word/writer/text_document.h"
#include "word/writer/text_file.h"

namespace {

using gs::writer::Block;
using gs::writer::TextDocument;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string nul(1, '\0');

  // Side entries: the lock file and export parsers take any bytes.
  (void)gs::writer::ParseDocumentLock(bytes);
  const auto lines = gs::writer::ExportedLines(bytes);
  (void)gs::writer::MapExportedLines(lines,
                                     {gs::writer::BodyElement{}, gs::writer::BodyElement{true, lines}});

  std::vector<std::string> paragraphs;
  try {
    paragraphs = gs::writer::TextParagraphs(bytes, "fuzz");
  } catch (const gs::Error&) {
    return 0;  // not UTF-8: refused, as it must be
  }
  TextDocument document(std::vector<Block>(paragraphs.begin(), paragraphs.end()));
  document.WholeStory();
  document.ConvertToTable(nul);
  try {
    (void)gs::writer::FlatOdt(document);
  } catch (const gs::Error&) {
    // Control characters in a cell: refused, never dropped.
  }
  document.SelectCell(1, static_cast<int32_t>(size % document.TableRows(1)) + 1, 1);
  document.CollapseToStart();
  (void)document.EndRowNumber();
  document.ConvertToText(1, nul);
  document.EndOfStory();
  document.Backspace();
  if (paragraphs.empty()) paragraphs.emplace_back();
  // Rows with fewer fields were padded with empty cells, which come back as
  // separators; lines that all have as many fields come back unchanged.
  const auto fields = [&](const std::string& p) { return std::count(p.begin(), p.end(), '\0'); };
  const bool even = std::all_of(paragraphs.begin(), paragraphs.end(),
                                [&](const std::string& p) { return fields(p) == fields(paragraphs[0]); });
  Check(!even || document.Lines() == paragraphs);
  // What is written reads back as the same lines.
  Check(gs::writer::TextParagraphs(gs::writer::TextFileBytes(document.Lines(), true), "again") ==
        document.Lines());
  return 0;
}
