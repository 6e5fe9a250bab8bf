#include "tools/sample/sample_tables.h"

#include <algorithm>
#include <map>

#include "common/error.h"
#include "common/fs.h"
#include "common/utf8.h"
#include "formats/little_endian.h"
#include "tools/sample/sample_random.h"
#include "tools/sample/sample_texts.h"

namespace gs {

namespace {

using sample::kCommonWords;
using sample::kEmailClosing;
using sample::kEmailLines;
using sample::kEmailSubjects;
using sample::kMenuLines;
using sample::kPlayers;
using sample::Phrase;
using sample::Random;

// The random choices of one entry or record depend on the seed and its
// number only, never on the language, so the languages stay twins.
Random ChoicesOf(uint32_t seed, uint64_t salt, int number) {
  return Random((static_cast<uint64_t>(seed) << 32 | static_cast<uint32_t>(number)) ^ salt);
}

size_t LanguageIndex(std::string_view language) {
  const auto it = std::find(kLanguages.begin(), kLanguages.end(), language);
  return it == kLanguages.end() ? 0 : static_cast<size_t>(it - kLanguages.begin());
}

template <size_t N>
std::string_view Pick(const Phrase (&phrases)[N], Random& random, size_t language) {
  return phrases[random.Below(N)][language];
}

template <size_t N>
std::string_view PickName(const std::string_view (&names)[N], Random& random) {
  return names[random.Below(N)];
}

// Fills the placeholders of a text: %s with a name, %d with a number, %% with %.
std::string Fill(std::string_view text, Random& random) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size()) {
      const char c = text[++i];
      if (c == 's') {
        out.append(PickName(kPlayers, random));
      } else if (c == 'd') {
        out.append(std::to_string(random.Below(100)));
      } else {
        out.push_back(c);
      }
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// One string table entry in edit form: mostly distinct texts, as in the
// game's tables, with a share of short words that many entries repeat.
std::string EntryText(Random& random, size_t language) {
  const auto line = [&] { return std::string(Pick(kMenuLines, random, language)); };
  const uint32_t shape = random.Below(100);
  if (shape < 6) return {};
  if (shape < 14) return std::string(Pick(kCommonWords, random, language));
  if (shape < 22) return line() + "\n" + line();
  if (shape < 27) return line() + "\t" + std::to_string(random.Below(60));
  if (shape < 31) return "NHL\u2122 06 \u2026 " + line();
  if (shape < 35 && language == 1) return "\u00AB" + line() + "\u00BB";
  if (shape < 50) return Fill(Pick(kMenuLines, random, language), random);
  if (shape < 70) {
    // A menu line kept as the game's template, placeholders and all.
    std::string text = line();
    if (random.Percent(70)) text += " (" + std::to_string(random.Below(10000)) + ")";
    return text;
  }
  // A hint of the loading screens, each of its own.
  return line() + ": " + Fill(Pick(kMenuLines, random, language), random) + " \u2014 " + line() + " " +
         std::to_string(random.Below(100000)) + ".";
}

// A string area whose equal strings share one place.
class StringArea {
 public:
  // The position of text's stored form in the area, added on first use.
  int32_t Place(const Bytes& stored) {
    const auto [it, added] = places_.try_emplace(stored, static_cast<int32_t>(bytes_.size()));
    if (added) {
      AppendBytes(bytes_, stored);
      bytes_.push_back(0x00);
    }
    return it->second;
  }
  const Bytes& Data() const noexcept { return bytes_; }

 private:
  Bytes bytes_;
  std::map<Bytes, int32_t> places_;
};

constexpr uint64_t kFrontSalt = 0xF0F0F0F000000000ULL;
constexpr uint64_t kGameSalt = 0x6A6A6A6A00000000ULL;
constexpr uint64_t kEmailSalt = 0xE3E3E3E300000000ULL;

}  // namespace

Bytes StoredForm(std::string_view editForm, FileKind kind) {
  const uint32_t base = kind == FileKind::Game ? 0x100 : 0;
  Bytes out;
  out.reserve(editForm.size());
  for (size_t i = 0; i < editForm.size(); ++i) {
    const auto a = static_cast<uint8_t>(editForm[i]);
    if ((a == 0xD0 || a == 0xD1) && i + 1 < editForm.size()) {
      const uint32_t cp = (a & 0x1Fu) << 6 | (static_cast<uint8_t>(editForm[i + 1]) & 0x3Fu);
      uint32_t code = 0;
      if (cp >= 0x410 && cp <= 0x44F) code = cp - 0x350;  // А to я: 0xC0 to 0xFF
      if (cp == 0x401) code = 0xA8;                       // Ё
      if (cp == 0x451) code = 0xB8;                       // ё
      if (code != 0) {
        const std::string letter = Utf8(code + base);
        out.insert(out.end(), letter.begin(), letter.end());
        ++i;
        continue;
      }
    }
    out.push_back(a);
  }
  return out;
}

Bytes MakeStringTable(FileKind kind, std::string_view language, int entries, uint32_t seed) {
  if (entries < 1) RaiseRuntime(rt::InvalidPropertyValue, "a string table needs at least one entry");
  const size_t lang = LanguageIndex(language);
  const uint64_t salt = kind == FileKind::Game ? kGameSalt : kFrontSalt;
  const auto count = static_cast<size_t>(entries);

  StringArea area;
  std::vector<int32_t> places(count);
  for (size_t i = 0; i < count; ++i) {
    Random random = ChoicesOf(seed, salt, static_cast<int>(i));
    places[i] = area.Place(StoredForm(EntryText(random, lang), kind));
  }

  Bytes table;
  const size_t offsetTable = 16 + 4 * count;
  const size_t stringArea = offsetTable + 4 * count;
  table.reserve(stringArea + area.Data().size());
  AppendInt32(table, 0x00060001);  // not interpreted by the editor: kept as a game would have it
  AppendInt32(table, entries);
  AppendInt32(table, kind == FileKind::Game ? 0x454D4147 : 0x544E5246);  // "GAME", "FRNT"
  AppendInt32(table, static_cast<int32_t>(seed));
  for (size_t i = 0; i < count; ++i) {
    // Entry identifiers, the same in every language.
    AppendInt32(table,
                static_cast<int32_t>(ChoicesOf(seed, salt ^ 1, static_cast<int>(i)).Next() & 0x7FFFFFFF));
  }
  for (size_t i = 0; i < count; ++i) AppendInt32(table, static_cast<int32_t>(stringArea) + places[i]);
  AppendBytes(table, area.Data());
  return table;
}

Bytes MakeEmailData(std::string_view language, int records, uint32_t seed) {
  if (records < 0) RaiseRuntime(rt::InvalidPropertyValue, "a record count cannot be negative");
  const size_t lang = LanguageIndex(language);
  StringArea area;
  Bytes body;
  for (int r = 0; r < records; ++r) {
    Random random = ChoicesOf(seed, kEmailSalt, r);
    const uint32_t topic = random.Below(std::size(kEmailSubjects));
    // Now and then a record with no strings of its own.
    const int32_t strings = random.Percent(3) ? 0 : 1 + static_cast<int32_t>(random.Below(4));
    const int32_t values[5] = {1000 + r, static_cast<int32_t>(random.Below(16)), strings,
                               static_cast<int32_t>(topic),
                               20050901 + static_cast<int32_t>(random.Below(200))};
    for (int32_t v : values) AppendInt32(body, v);
    const std::string tag = "MAIL_" + std::to_string(topic) + "_" + std::to_string(r);
    body.insert(body.end(), tag.begin(), tag.end());
    body.push_back(0x00);
    const Bytes heading = StoredForm(std::string(kEmailSubjects[topic][lang]), FileKind::Email);
    AppendBytes(body, heading);
    body.push_back(0x00);
    for (int32_t k = 0; k < strings; ++k) {
      std::string text;
      if (k == 0) {
        text = kEmailLines[0][lang];
      } else if (k == strings - 1 && k > 1) {
        text = kEmailClosing[lang];
      } else {
        // A paragraph of a few sentences.
        text = Fill(Pick(kEmailLines, random, lang), random);
        for (uint32_t more = random.Below(4); more > 0; --more) {
          text += " " + Fill(Pick(kEmailLines, random, lang), random);
        }
      }
      AppendInt32(body, area.Place(StoredForm(text, FileKind::Email)));
    }
  }
  Bytes data;
  AppendInt32(data, records);
  AppendInt32(data, static_cast<int32_t>(8 + body.size()));
  AppendBytes(data, body);
  AppendBytes(data, area.Data());
  return data;
}

std::vector<std::string> WriteSampleTables(const std::string& folder, const SampleSizes& sizes) {
  std::string dir = folder;
  if (!dir.empty() && dir.back() != kPathSeparator) dir.push_back(kPathSeparator);
  std::vector<std::string> written;
  const auto write = [&](const std::string& name, const Bytes& data) {
    WriteWholeFile(dir + name, data);
    written.push_back(dir + name);
  };
  for (const FileKind kind : {FileKind::Front, FileKind::Game, FileKind::Email}) {
    const std::string_view type = kFileTypes[static_cast<size_t>(kind)];
    for (const std::string_view language : kLanguages) {
      const Bytes data = kind == FileKind::Email ? MakeEmailData(language, sizes.Records, sizes.Seed)
                                                 : MakeStringTable(kind, language, sizes.Entries, sizes.Seed);
      write(CurrentFileName(type, language), data);
      if (language == "English" && kind != FileKind::Email) write(TemplateNameOf(kind), data);
    }
  }
  return written;
}

}  // namespace gs
