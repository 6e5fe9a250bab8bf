#include "word/writer/text_file.h"

#include <algorithm>

#include "common/file.h"
#include "common/fs.h"
#include "common/utf8.h"
#include "word/word_app.h"
#include "word/writer/word_error.h"

namespace gs::writer {

namespace {
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
}

std::vector<std::string> SplitLines(std::string_view bytes, LineEnds ends) {
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  std::vector<std::string> lines;
  size_t from = 0;
  while (from < bytes.size()) {
    const size_t end =
        ends == LineEnds::CrLfOnly ? bytes.find("\r\n", from) : bytes.find_first_of("\r\n", from);
    if (end == std::string_view::npos) {
      lines.emplace_back(bytes.substr(from));
      break;
    }
    lines.emplace_back(bytes.substr(from, end - from));
    from = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
  }
  return lines;
}

std::vector<std::string> TextParagraphs(std::string_view bytes, std::string_view name) {
  if (const size_t bad = FindInvalidUtf8(bytes); bad != std::string_view::npos) {
    const auto line = 1 + std::count_if(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(bad),
                                        [](char c) { return c == '\n'; });
    RaiseWordError(wderr::CommandFailed,
                   std::string(name) + " is not UTF-8 text (line " + std::to_string(line) + ")");
  }
  return SplitLines(bytes, LineEnds::Any);
}

std::string TextFileBytes(const std::vector<std::string>& lines, bool byteOrderMark) {
  size_t size = byteOrderMark ? kByteOrderMark.size() : 0;
  for (const auto& line : lines) size += line.size() + 2;
  std::string bytes;
  bytes.reserve(size);
  if (byteOrderMark) bytes.append(kByteOrderMark);
  for (const auto& line : lines) bytes.append(line).append("\r\n");
  return bytes;
}

TextDocument ReadTextDocument(const std::string& path) {
  if (!FileExists(path)) RaiseWordError(wderr::FileNotFound, path);
  const Bytes bytes = ReadWholeFile(path);
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  std::vector<Block> blocks;
  for (auto& p : TextParagraphs(text, path)) blocks.emplace_back(std::move(p));
  return TextDocument(std::move(blocks));
}

void WriteTextDocument(const std::string& path, const std::vector<std::string>& lines) {
  const std::string bytes = TextFileBytes(lines, true);
  WriteWholeFile(path, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace gs::writer
