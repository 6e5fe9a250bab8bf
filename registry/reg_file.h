// HKEY_LOCAL_MACHINE as a registry-export text file:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\Software\DE ROROVO\Kt06]
//   "TypeId"=dword:00000000
//   "Install Dir"="C:\\Game\\"
//   "Blob"=hex:01,02,03
//   "Other"=hex(7):61,00,00
//   @="the key's default value"
//
// Reading is liberal: CRLF or LF, a UTF-8 or UTF-16LE byte-order mark,
// "REGEDIT4", comments starting with ";", hex data continued over lines that
// end in "\". Changes keep the rest of the file as it was, comments included.
// Key and value names match without regard to ASCII letter case and keep the
// case they were created with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/file.h"
#include "registry/registry_api.h"

namespace gs {

struct RegValue {
  DWORD type = REG_NONE;
  Bytes data;

  bool operator==(const RegValue&) const = default;
};

class RegFile {
 public:
  // An empty hive, as a file that does not exist yet.
  RegFile();

  // Reads a hive file's content. A text that is not a hive raises error 7777
  // naming fileName and the line.
  static RegFile Parse(std::string_view text, const std::string& fileName);
  // The file's content.
  std::string Serialize() const;

  // Key paths lie below HKEY_LOCAL_MACHINE, with "\" between the names; ""
  // is HKEY_LOCAL_MACHINE itself. A key exists when it has a section or a
  // key below it has one.
  bool KeyExists(std::string_view keyPath) const;
  // The value, or null when the key or the value does not exist.
  const RegValue* FindValue(std::string_view keyPath, std::string_view valueName) const;
  // Creates the key and any missing keys above it; false when it existed.
  bool CreateKey(std::string_view keyPath);
  // Stores a value in an existing key; false when it already held exactly that.
  bool SetValue(std::string_view keyPath, std::string_view valueName, RegValue value);

  // Names of at least one character, without control characters, joined by "\".
  static bool IsValidKeyPath(std::string_view path);

 private:
  // One line of the file, or one value with its continuation lines. raw is
  // the original text, without line ends; empty for a value set since.
  struct Entry {
    std::string raw;
    bool isValue = false;
    std::string name;
    RegValue value;
  };
  struct Section {
    std::string header;  // the "[...]" line
    std::string path;    // below HKEY_LOCAL_MACHINE, as written
    std::string folded;  // the path in lower case
    std::vector<Entry> entries;
  };

  void AddSectionParsed(std::string header, std::string path);
  // The section that takes new values of an existing key; made when missing.
  size_t SectionFor(const std::string& foldedPath);
  void IndexKey(std::string_view path);
  static std::string FormatValue(const std::string& name, const RegValue& value);

  std::string newline_ = "\n";
  bool utf8Bom_ = false;
  std::vector<std::string> preamble_;  // lines before the first section
  std::vector<Section> sections_;
  // Folded key path -> the last section of that key.
  std::unordered_map<std::string, size_t> sectionOf_;
  // Folded key path -> the path as written, for every key that exists.
  std::unordered_map<std::string, std::string> keys_;
  // Folded key path, NUL, folded value name -> section and entry.
  std::unordered_map<std::string, std::pair<size_t, size_t>> values_;
};

}  // namespace gs
