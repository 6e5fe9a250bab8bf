#include "registry/reg_file.h"

#include <algorithm>
#include <cstdio>

#include "common/error.h"
#include "common/text.h"
#include "common/utf8.h"

namespace gs {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRootName = "HKEY_LOCAL_MACHINE";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool StartsWithFolded(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameIgnoringAsciiCase(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to maxDigits hex digits, nothing else.
bool ParseHex(std::string_view s, size_t maxDigits, uint32_t& out) {
  if (s.empty() || s.size() > maxDigits) return false;
  out = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    out = out << 4 | static_cast<uint32_t>(d);
  }
  return true;
}

// regedit's own exports are UTF-16LE; the hive keeps text as UTF-8.
std::string Utf16LeToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() / 2);
  const size_t units = s.size() / 2;
  auto unit = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<uint8_t>(s[2 * i]) | static_cast<uint8_t>(s[2 * i + 1]) << 8);
  };
  for (size_t i = 0; i < units; ++i) {
    uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

// A quoted text with the \\ and \" escapes, starting at s[pos] == '"'. Any
// other backslash stands for itself. pos ends after the closing quote.
bool ParseQuoted(std::string_view s, size_t& pos, std::string& out) {
  out.clear();
  for (size_t i = pos + 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      pos = i + 1;
      return true;
    }
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out += s[++i];
    } else {
      out += c;
    }
  }
  return false;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

// A REG_SZ that a quoted text gives back exactly: one terminating NUL and no
// other control character.
bool IsPlainText(const RegValue& v) {
  if (v.type != REG_SZ || v.data.empty() || v.data.back() != 0) return false;
  for (size_t i = 0; i + 1 < v.data.size(); ++i) {
    if (v.data[i] < 0x20 || v.data[i] == 0x7F) return false;
  }
  return true;
}

std::vector<std::string_view> SplitLines(std::string_view text, bool& crlf) {
  std::vector<std::string_view> lines;
  crlf = false;
  bool first = true;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    // Stray carriage returns before a line end go with it.
    if (!line.empty() && line.back() == '\r') {
      while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (first) crlf = true;
    }
    if (end != std::string_view::npos) first = false;
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

RegFile::RegFile() : preamble_{std::string(kHeader), std::string()} {
  keys_.emplace("", "");
}

RegFile RegFile::Parse(std::string_view text, const std::string& fileName) {
  RegFile file;
  file.preamble_.clear();
  std::string decoded;
  if (text.starts_with("\xEF\xBB\xBF")) {
    file.utf8Bom_ = true;
    text.remove_prefix(3);
  } else if (text.starts_with("\xFF\xFE")) {
    decoded = Utf16LeToUtf8(text.substr(2));
    text = decoded;
  }
  bool crlf = false;
  const std::vector<std::string_view> lines = SplitLines(text, crlf);
  if (crlf) file.newline_ = "\r\n";

  size_t lineNo = 0;
  auto fail = [&](const std::string& reason) {
    Raise(rt::UnknownDataFormat, "The settings file '" + fileName + "' is damaged at line " +
                                     std::to_string(lineNo) + ": " + reason);
  };

  for (size_t i = 0; i < lines.size(); ++i) {
    lineNo = i + 1;
    const std::string_view line = Trim(lines[i]);
    const bool inSection = !file.sections_.empty();

    if (line.empty() || line.front() == ';' || SameIgnoringAsciiCase(line, kHeader) ||
        SameIgnoringAsciiCase(line, "REGEDIT4")) {
      if (inSection) {
        file.sections_.back().entries.emplace_back().raw = lines[i];
      } else {
        file.preamble_.emplace_back(lines[i]);
      }
      continue;
    }

    if (line.front() == '[') {
      if (line.back() != ']') fail("a key line has to end with ']'");
      std::string_view path = line.substr(1, line.size() - 2);
      if (!path.empty() && path.front() == '-') fail("key deletions are not kept in a settings file");
      std::string_view root = path.substr(0, path.find('\\'));
      if (!SameIgnoringAsciiCase(root, kRootName) && !SameIgnoringAsciiCase(root, "HKLM")) {
        fail("only keys below HKEY_LOCAL_MACHINE are kept here, not '" + std::string(root) + "'");
      }
      path.remove_prefix(root.size());
      if (!path.empty()) path.remove_prefix(1);
      if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
      if (!IsValidKeyPath(path)) fail("'" + std::string(path) + "' is not a valid key path");
      file.AddSectionParsed(std::string(lines[i]), std::string(path));
      continue;
    }

    if (line.front() != '"' && line.front() != '@') fail("expected a key, a value or a comment");
    if (!inSection) fail("a value before the first key");

    Entry entry;
    entry.raw = std::string(lines[i]);
    entry.isValue = true;
    size_t pos = 0;
    if (line.front() == '@') {
      pos = 1;
    } else if (!ParseQuoted(line, pos, entry.name)) {
      fail("the value name has no closing quote");
    }
    std::string_view rest = Trim(line.substr(pos));
    if (rest.empty() || rest.front() != '=') fail("expected '=' after the value name");
    rest = Trim(rest.substr(1));

    if (!rest.empty() && rest.front() == '"') {
      std::string textValue;
      size_t end = 0;
      if (!ParseQuoted(rest, end, textValue)) fail("the text has no closing quote");
      if (!Trim(rest.substr(end)).empty()) fail("unexpected characters after the text");
      entry.value.type = REG_SZ;
      entry.value.data.assign(textValue.begin(), textValue.end());
      entry.value.data.push_back(0);
    } else if (StartsWithFolded(rest, "dword:")) {
      uint32_t n = 0;
      if (!ParseHex(rest.substr(6), 8, n)) fail("a dword needs 1 to 8 hex digits");
      entry.value.type = REG_DWORD;
      entry.value.data = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                          static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 24)};
    } else if (StartsWithFolded(rest, "hex")) {
      const size_t colon = rest.find(':');
      if (colon == std::string_view::npos) fail("expected ':' after hex");
      const std::string_view kind = rest.substr(3, colon - 3);
      uint32_t type = REG_BINARY;
      if (!kind.empty() && (kind.size() < 3 || kind.front() != '(' || kind.back() != ')' ||
                            !ParseHex(kind.substr(1, kind.size() - 2), 8, type))) {
        fail("expected hex: or hex(type): with a hex type number");
      }
      entry.value.type = type;
      // The bytes, continued over lines that end in a backslash.
      std::string bytes(rest.substr(colon + 1));
      while (!bytes.empty() && bytes.back() == '\\') {
        bytes.pop_back();
        if (i + 1 >= lines.size()) fail("the hex data continues past the end of the file");
        ++i;
        entry.raw += '\n';
        entry.raw += lines[i];
        bytes += Trim(lines[i]);
        while (!bytes.empty() && IsBlank(bytes.back())) bytes.pop_back();
      }
      std::string_view list = bytes;
      while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view item = Trim(list.substr(0, comma));
        uint32_t b = 0;
        if (!ParseHex(item, 2, b)) {
          if (!(item.empty() && comma == std::string_view::npos))
            fail("'" + std::string(item) + "' is not a hex byte");
        } else {
          entry.value.data.push_back(static_cast<uint8_t>(b));
        }
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
      }
    } else if (rest == "-") {
      fail("value deletions are not kept in a settings file");
    } else {
      fail("unknown value data '" + std::string(rest) + "'");
    }

    const size_t sectionIndex = file.sections_.size() - 1;
    Section& section = file.sections_.back();
    file.values_[section.folded + '\0' + LowerAscii(entry.name)] = {sectionIndex, section.entries.size()};
    section.entries.push_back(std::move(entry));
  }
  return file;
}

bool RegFile::IsValidKeyPath(std::string_view path) {
  if (path.empty()) return true;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      if (i == start) return false;
      start = i + 1;
    } else if (static_cast<uint8_t>(path[i]) < 0x20) {
      return false;
    }
  }
  return true;
}

void RegFile::AddSectionParsed(std::string header, std::string path) {
  IndexKey(path);
  std::string folded = LowerAscii(path);
  sectionOf_[folded] = sections_.size();
  sections_.push_back(Section{std::move(header), std::move(path), std::move(folded), {}});
}

void RegFile::IndexKey(std::string_view path) {
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      keys_.try_emplace(LowerAscii(path.substr(0, i)), path.substr(0, i));
    }
  }
}

size_t RegFile::SectionFor(const std::string& folded) {
  if (const auto it = sectionOf_.find(folded); it != sectionOf_.end()) return it->second;
  // A new section goes at the end, after a blank line.
  const std::string& path = keys_.at(folded);
  const bool blankBefore = sections_.empty() ? (!preamble_.empty() && Trim(preamble_.back()).empty())
                                             : (!sections_.back().entries.empty() &&
                                                Trim(sections_.back().entries.back().raw).empty() &&
                                                !sections_.back().entries.back().isValue);
  if (!blankBefore) {
    if (sections_.empty()) {
      preamble_.emplace_back();
    } else {
      sections_.back().entries.emplace_back();
    }
  }
  std::string header = "[" + std::string(kRootName);
  if (!path.empty()) header += "\\" + path;
  header += "]";
  AddSectionParsed(std::move(header), path);
  return sections_.size() - 1;
}

bool RegFile::KeyExists(std::string_view keyPath) const {
  return keys_.contains(LowerAscii(keyPath));
}

const RegValue* RegFile::FindValue(std::string_view keyPath, std::string_view valueName) const {
  const auto it = values_.find(LowerAscii(keyPath) + '\0' + LowerAscii(valueName));
  if (it == values_.end()) return nullptr;
  return &sections_[it->second.first].entries[it->second.second].value;
}

bool RegFile::CreateKey(std::string_view keyPath) {
  if (KeyExists(keyPath)) return false;
  // Keys that exist above the new one keep their own spelling.
  std::string path;
  for (size_t start = 0;;) {
    const size_t end = std::min(keyPath.find('\\', start), keyPath.size());
    if (const auto known = keys_.find(LowerAscii(keyPath.substr(0, end))); known != keys_.end()) {
      path = known->second;
    } else {
      if (!path.empty()) path += '\\';
      path += keyPath.substr(start, end - start);
    }
    if (end == keyPath.size()) break;
    start = end + 1;
  }
  IndexKey(path);
  SectionFor(LowerAscii(path));
  return true;
}

bool RegFile::SetValue(std::string_view keyPath, std::string_view valueName, RegValue value) {
  const std::string folded = LowerAscii(keyPath);
  const std::string id = folded + '\0' + LowerAscii(valueName);
  if (const auto it = values_.find(id); it != values_.end()) {
    Entry& entry = sections_[it->second.first].entries[it->second.second];
    if (entry.value == value) return false;
    entry.value = std::move(value);
    entry.raw.clear();
    return true;
  }
  const size_t s = SectionFor(folded);
  std::vector<Entry>& entries = sections_[s].entries;
  // After the section's last value, before the comments and blank lines that end it.
  size_t at = entries.size();
  while (at > 0 && !entries[at - 1].isValue) --at;
  if (at == 0) {
    at = entries.size();
    while (at > 0 && Trim(entries[at - 1].raw).empty()) --at;
  }
  Entry entry;
  entry.isValue = true;
  entry.name = std::string(valueName);
  entry.value = std::move(value);
  // Only comments and blank lines follow: no indexed value moves.
  entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
  values_[id] = {s, at};
  return true;
}

std::string RegFile::FormatValue(const std::string& name, const RegValue& value) {
  std::string out = name.empty() ? "@=" : Quote(name) + "=";
  if (IsPlainText(value)) {
    out += Quote(std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
    return out;
  }
  if (value.type == REG_DWORD && value.data.size() == 4) {
    char digits[16];
    const uint32_t n = static_cast<uint32_t>(value.data[0]) | static_cast<uint32_t>(value.data[1]) << 8 |
                       static_cast<uint32_t>(value.data[2]) << 16 |
                       static_cast<uint32_t>(value.data[3]) << 24;
    std::snprintf(digits, sizeof digits, "%08x", n);
    return out + "dword:" + digits;
  }
  if (value.type == REG_BINARY) {
    out += "hex:";
  } else {
    char kind[24];
    std::snprintf(kind, sizeof kind, "hex(%x):", value.type);
    out += kind;
  }
  // Wrapped as regedit wraps: lines of at most 80 characters, continued with "\".
  size_t lineStart = 0;
  static constexpr char kDigits[] = "0123456789abcdef";
  for (size_t i = 0; i < value.data.size(); ++i) {
    out += kDigits[value.data[i] >> 4];
    out += kDigits[value.data[i] & 0xF];
    if (i + 1 == value.data.size()) break;
    out += ',';
    if (out.size() - lineStart >= 77) {
      out += "\\\n";
      lineStart = out.size();
      out += "  ";
    }
  }
  return out;
}

std::string RegFile::Serialize() const {
  std::string out;
  if (utf8Bom_) out += "\xEF\xBB\xBF";
  auto put = [&](std::string_view text) {
    for (char c : text) {
      if (c == '\n') {
        out += newline_;
      } else {
        out += c;
      }
    }
    out += newline_;
  };
  for (const auto& line : preamble_) put(line);
  for (const auto& section : sections_) {
    put(section.header);
    for (const auto& entry : section.entries) {
      put(entry.isValue && entry.raw.empty() ? FormatValue(entry.name, entry.value) : entry.raw);
    }
  }
  return out;
}

}  // namespace gs
