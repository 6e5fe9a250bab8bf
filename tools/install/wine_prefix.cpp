#include "tools/install/wine_prefix.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string_view>

#include "common/error.h"
#include "common/file.h"
#include "common/text.h"
#include "common/utf8.h"
#include "registry/reg_file.h"

namespace gs {

namespace {

namespace fs = std::filesystem;

// Where the game's 32-bit installer writes, in a 64-bit prefix and in a
// 32-bit one; below HKEY_LOCAL_MACHINE, which system.reg holds.
constexpr std::string_view kGameKeys[] = {"Software\\Wow6432Node\\DE ROROVO\\NHL06",
                                          "Software\\DE ROROVO\\NHL06"};
constexpr std::string_view kInstallDirValue = "Install Dir";
constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Appends the code point of one escape, pairing UTF-16 surrogates, which
// Wine writes as two \x escapes.
void AppendUnit(std::string& out, char32_t unit, char32_t& high) {
  if (unit >= 0xD800 && unit < 0xDC00) {
    high = unit;
    return;
  }
  if (high != 0 && unit >= 0xDC00 && unit < 0xE000)
    unit = 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00);
  high = 0;
  AppendUtf8(out, unit);
}

// A name or text as system.reg writes it, from s[pos] up to the unescaped
// close: characters past ASCII as \x and 1 to 4 hex digits (UTF-16 units),
// control characters as C escapes or octal, and a backslash before "\", the
// quote and the brackets. pos ends after close; false when close is missing.
bool Unescape(std::string_view s, size_t& pos, char close, std::string& out) {
  out.clear();
  char32_t high = 0;
  for (size_t i = pos; i < s.size(); ++i) {
    if (s[i] == close) {
      pos = i + 1;
      return true;
    }
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char c = s[++i];
    const std::string_view controls =
        "a\ab\be\x1B"
        "f\fn\nr\rt\tv\v";
    if (const size_t at = controls.find(c); at != std::string_view::npos && at % 2 == 0) {
      out += controls[at + 1];
    } else if (c == 'x' && i + 1 < s.size() && HexValue(s[i + 1]) >= 0) {
      char32_t unit = 0;
      for (int n = 0; n < 4 && i + 1 < s.size() && HexValue(s[i + 1]) >= 0; ++n) {
        unit = unit << 4 | static_cast<char32_t>(HexValue(s[++i]));
      }
      AppendUnit(out, unit, high);
    } else if (c >= '0' && c <= '7') {
      char32_t code = static_cast<char32_t>(c - '0');
      for (int n = 1; n < 3 && i + 1 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '7'; ++n) {
        code = code << 3 | static_cast<char32_t>(s[++i] - '0');
      }
      AppendUtf8(out, code);
    } else {
      out += c;
    }
  }
  return false;
}

// "Install Dir" of the first of the game's keys that has it in the text of
// system.reg, with the key it was found in; nothing when neither has it.
// Key and value names match without regard to ASCII letter case.
std::optional<std::pair<std::string, std::string>> FindInstallDir(std::string_view text,
                                                                  const std::string& file) {
  if (text.substr(0, kHeader.size()) != kHeader) {
    Raise(rt::UnknownDataFormat, "Unknown data format for file '" + file + "': line 1 is not " +
                                     Quoted(kHeader) + ", as a Wine registry file begins");
  }
  std::optional<std::pair<std::string, std::string>> found;
  size_t foundRank = std::size(kGameKeys);
  size_t rank = foundRank;  // of the key whose values the lines are in
  std::string name, value;
  for (size_t start = 0, line = 1; start < text.size(); ++line) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view s = text.substr(start, end - start);
    start = end + 1;
    if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
    size_t pos = 1;
    if (s.starts_with('[')) {
      if (!Unescape(s, pos, ']', name)) {
        Raise(rt::UnknownDataFormat, "Unknown data format for file '" + file + "': the key name of line " +
                                         std::to_string(line) + " has no closing \"]\"");
      }
      const auto key = std::find_if(std::begin(kGameKeys), std::end(kGameKeys),
                                    [&](std::string_view k) { return SameIgnoringAsciiCase(k, name); });
      rank = static_cast<size_t>(key - std::begin(kGameKeys));
      continue;
    }
    // "Install Dir"="..." (or str:"..." and str(2):"..."); other types are no folder.
    if (rank >= foundRank || !s.starts_with('"') || !Unescape(s, pos, '"', name) ||
        !SameIgnoringAsciiCase(name, kInstallDirValue) || pos >= s.size() || s[pos] != '=') {
      continue;
    }
    std::string_view data = s.substr(pos + 1);
    for (const std::string_view type : {"str:", "str(2):"}) {
      if (data.starts_with(type)) data.remove_prefix(type.size());
    }
    pos = 1;
    if (data.starts_with('"') && Unescape(data, pos, '"', value)) {
      found.emplace(value, std::string(kGameKeys[rank]));
      foundRank = rank;
    }
  }
  return found;
}

// The entry of folder named name, or one whose name differs only in ASCII
// letter case (the first in name order): Windows paths ignore letter case.
std::optional<fs::path> FindEntry(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  if (fs::exists(folder / name, ec)) return folder / name;
  std::vector<fs::path> matches;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (SameIgnoringAsciiCase(entry.path().filename().string(), name)) matches.push_back(entry.path());
  }
  if (matches.empty()) return std::nullopt;
  return *std::min_element(matches.begin(), matches.end());
}

[[noreturn]] void RaiseNotThere(const std::string& origin, const std::string& what) {
  Raise(rt::FileNotFound, origin + ", but " + what + ".");
}

// The folder of this system that a Windows path of the prefix names: its
// drive through PREFIX/dosdevices (links named "c:" and so on), then each
// folder name in turn. Error 53 naming what is missing.
fs::path MapWindowsPath(const fs::path& prefix, const std::string& windowsPath, const std::string& origin) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':' ||
      !std::isalpha(static_cast<unsigned char>(windowsPath[0]))) {
    RaiseNotThere(origin, "that is no folder on a drive");
  }
  const fs::path devices = prefix / "dosdevices";
  const std::string drive = LowerAscii(windowsPath.substr(0, 2));
  fs::path folder;
  if (const auto mapped = FindEntry(devices, drive)) {
    folder = *mapped;
  } else {
    RaiseNotThere(origin, "the prefix maps no drive " + windowsPath.substr(0, 1) + ": there is no " +
                              (devices / drive).string());
  }
  for (size_t start = 2; start < windowsPath.size();) {
    size_t end = windowsPath.find('\\', start);
    if (end == std::string::npos) end = windowsPath.size();
    const std::string name = windowsPath.substr(start, end - start);
    start = end + 1;
    if (name.empty() || name == ".") continue;
    const auto next = FindEntry(folder, name);
    if (!next) RaiseNotThere(origin, (folder / name).string() + " does not exist, whatever its letter case");
    folder = *next;
  }
  std::error_code ec;
  const fs::path real = fs::canonical(folder, ec);
  if (ec || !fs::is_directory(real, ec)) RaiseNotThere(origin, folder.string() + " is no folder");
  return real;
}

}  // namespace

WineGame FindGameInWinePrefix(const std::string& prefix) {
  const fs::path root(prefix);
  const std::string file = (root / "system.reg").string();
  std::string keys;
  for (const std::string_view key : kGameKeys) {
    keys += (keys.empty() ? "[" : " or [") + std::string(key) + "]";
  }
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) {
    Raise(rt::FileNotFound,
          "The Wine prefix " + Quoted(prefix) + " holds no game: there is no " + file + ".");
  }
  const Bytes bytes = ReadWholeFile(file);
  const auto found =
      FindInstallDir(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), file);
  if (!found) {
    Raise(rt::FileNotFound, "The Wine prefix " + Quoted(prefix) + " holds no game: " + file + " has no " +
                                Quoted(kInstallDirValue) + " in " + keys + ".");
  }
  const auto& [windowsPath, key] = *found;
  const std::string origin =
      Quoted(kInstallDirValue) + " of [" + key + "] in " + file + " is " + Quoted(windowsPath);
  std::string gameDir = MapWindowsPath(root, windowsPath, origin).string();
  if (gameDir.back() != fs::path::preferred_separator)
    gameDir += static_cast<char>(fs::path::preferred_separator);
  return {gameDir, origin};
}

WineGame FindGameInWinePrefixes(const std::vector<std::string>& prefixes) {
  std::string looked;
  for (const std::string& prefix : prefixes) {
    try {
      return FindGameInWinePrefix(prefix);
    } catch (const Error& e) {
      if (e.Number() != rt::FileNotFound) throw;
      looked += (looked.empty() ? "" : " ") + e.Description();
    }
  }
  if (looked.empty()) looked = "No Wine prefix to look in.";
  Raise(rt::FileNotFound, looked);
}

}  // namespace gs
