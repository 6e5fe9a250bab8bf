// Text files as Word reads and writes them with Format 5 / 7 and Encoding
// 65001: UTF-8, an optional byte-order mark, one paragraph per line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "word/writer/text_document.h"

namespace gs::writer {

enum class LineEnds { Any, CrLfOnly };

// The lines of a text: a leading byte-order mark skipped, lines ending at CR
// LF, CR or LF (or only at CR LF), no further line after a final line end.
std::vector<std::string> SplitLines(std::string_view bytes, LineEnds ends);

// The paragraphs of a text file's bytes: a leading byte-order mark is
// skipped, lines end at CR LF, CR or LF, and a line end at the very end
// starts no further paragraph. Every other byte is kept, NUL included. Bytes
// that are not UTF-8 are refused with an error naming name and the line.
std::vector<std::string> TextParagraphs(std::string_view bytes, std::string_view name);

// A text file's bytes: the byte-order mark when asked for, then each line
// followed by CR LF.
std::string TextFileBytes(const std::vector<std::string>& lines, bool byteOrderMark);

// Opens a text file as a document (raises the "file could not be found" error
// for a missing file).
TextDocument ReadTextDocument(const std::string& path);

// Writes lines as a UTF-8 text file with a byte-order mark, replacing path
// atomically.
void WriteTextDocument(const std::string& path, const std::vector<std::string>& lines);

}  // namespace gs::writer
