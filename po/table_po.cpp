#include "po/table_po.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalog/catalog.h"
#include "common/error.h"
#include "common/memory.h"
#include "common/text.h"
#include "formats/email_data.h"
#include "formats/format_errors.h"
#include "formats/little_endian.h"
#include "formats/string_table.h"

namespace gs {

namespace {

// The entry table of a string table follows its 16-byte fixed header.
constexpr size_t kEntryTable = 16;

// The text file of a table as its export writes it, with the msgctxt of each
// line and what the import needs to rebuild the table.
struct TableText {
  TextSink Text;
  std::vector<std::string> Contexts;
  Bytes HeaderBlock;                 // string tables: the English header block
  std::vector<EmailRecord> Records;  // e-mail data: the records of the language's file
};

// One line of the text: the language's text and the English one.
struct TextLine {
  std::string_view Language;
  std::string_view English;
};

std::string EntryContext(int32_t entry, uint32_t value) {
  std::array<char, 48> text;
  std::snprintf(text.data(), text.size(), "entry %d (%08X)", entry, value);
  return text.data();
}

TableText ReadTables(const TablePair& tables, KtLibrary& kt) {
  const std::string& name = tables.CurrentFileName;
  const FieldCodec codec(name, kt);
  TableText t;
  ReserveLarge(t.Text.Buffer(), 2 * (tables.Work.size() + tables.English.size()));
  if (IsStringTable(name)) {
    const StringTable work(tables.Work, name);
    const StringTable english(tables.English, name);
    StringTableText(work, english, codec, t.Text);
    t.HeaderBlock.assign(english.HeaderBlock().begin(), english.HeaderBlock().end());
    t.Contexts.reserve(static_cast<size_t>(english.Count()));
    for (int32_t j = 0; j < english.Count(); ++j) {
      const auto value =
          static_cast<uint32_t>(LoadInt32(t.HeaderBlock, kEntryTable + 4 * static_cast<size_t>(j)));
      t.Contexts.push_back(EntryContext(j + 1, value));
    }
  } else {
    // Read in the export's order: the English template first.
    const EmailData english = ReadEmailData(tables.English, name, codec);
    EmailData work = ReadEmailData(tables.Work, name, codec);
    CheckEmailTwins(work, english, name);
    EmailText(work, english, codec, t.Text);
    for (size_t r = 0; r < english.Records.size(); ++r) {
      const std::string record = "record " + std::to_string(r + 1);
      t.Contexts.push_back(record + ", heading");
      for (size_t k = 0; k < english.Records[r].Offsets.size(); ++k) {
        t.Contexts.push_back(record + ", string " + std::to_string(k + 1));
      }
    }
    t.Records = std::move(work.Records);
  }
  return t;
}

// The lines of an export's text. Its texts hold no control byte, so each
// line is the language's text, 0x00, the English text and 0x0D 0x0A.
std::vector<TextLine> LinesOf(TableText& t) {
  const std::string_view text(reinterpret_cast<const char*>(t.Text.Buffer().data()), t.Text.Buffer().size());
  std::vector<TextLine> lines;
  lines.reserve(t.Contexts.size());
  for (size_t at = 0; at < text.size();) {
    const size_t separator = text.find('\0', at);
    const size_t end = text.find("\r\n", separator);
    lines.push_back({text.substr(at, separator - at), text.substr(separator + 1, end - separator - 1)});
    at = end + 2;
  }
  if (lines.size() != t.Contexts.size()) RaiseRuntime(rt::InternalError, "the text lines of the table");
  return lines;
}

std::string TimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::array<char, 32> text;
  std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M+0000", &utc);
  return text.data();
}

std::string HeaderOf(const std::string& currentFileName, std::string_view language) {
  return "Project-Id-Version: NHL06 " + currentFileName +
         "\n"
         "PO-Revision-Date: " +
         TimeNow() +
         "\n"
         "Last-Translator: \n"
         "Language-Team: \n"
         "Language: " +
         std::string(LanguageCode(language)) +
         "\n"
         "MIME-Version: 1.0\n"
         "Content-Type: text/plain; charset=UTF-8\n"
         "Content-Transfer-Encoding: 8bit\n"
         "X-Generator: glossmith " GLOSSMITH_VERSION "\n";
}

// The language part of a Language header ("ru" of "ru_RU" or "ru-RU"), in small letters.
std::string PrimaryLanguage(std::string_view tag) {
  return LowerAscii(tag.substr(0, tag.find_first_of("_-@. ")));
}

[[noreturn]] void Refuse(const std::string& poPath, const PoMessage& m, std::string_view fault) {
  const std::string what = m.Context.empty() ? "the message with msgid " + Quoted(m.Id) + " and no msgctxt"
                                             : "the message " + Quoted(m.Context);
  RaiseUnknownFormat(poPath, what + " " + std::string(fault));
}

}  // namespace

std::string_view LanguageCode(std::string_view language) {
  constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kCodes = {{{"English", "en"},
                                                                                    {"French(Russian)", "ru"},
                                                                                    {"German", "de"},
                                                                                    {"Swedish", "sv"},
                                                                                    {"Finnish", "fi"},
                                                                                    {"Czech", "cs"}}};
  for (const auto& [list, code] : kCodes) {
    if (list == language) return code;
  }
  return {};
}

PoCatalog TableToPo(const TablePair& tables, std::string_view language, KtLibrary& kt, size_t& emptyTexts) {
  TableText t = ReadTables(tables, kt);
  const std::vector<TextLine> lines = LinesOf(t);
  const std::string reference = tables.CurrentFileName + ".txt";
  PoCatalog po;
  po.Header = HeaderOf(tables.CurrentFileName, language);
  po.Messages.resize(lines.size());
  emptyTexts = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    PoMessage& m = po.Messages[i];
    m.Context = std::move(t.Contexts[i]);
    m.Id = lines[i].English;
    if (lines[i].Language != lines[i].English) m.Str = lines[i].Language;
    if (lines[i].Language.empty() && !lines[i].English.empty()) ++emptyTexts;
    m.Reference = reference;
    m.ReferenceLine = i + 1;
  }
  return po;
}

Bytes TableFromPo(const TablePair& tables, std::string_view language, const PoCatalog& po,
                  const std::string& poPath, KtLibrary& kt) {
  const std::string declared = PoHeaderField(po.Header, "Language");
  const std::string code(LanguageCode(language));
  if (!declared.empty() && PrimaryLanguage(declared) != code) {
    RaiseUnknownFormat(poPath, "it is for the language \"" + declared + "\", not for " +
                                   std::string(language) + " (" + code + ")");
  }

  TableText t = ReadTables(tables, kt);
  const std::vector<TextLine> lines = LinesOf(t);
  // The line of a msgctxt: the messages of a file we wrote are in line
  // order, so the next line is tried first, and only a message elsewhere
  // needs the index of every line.
  std::unordered_map<std::string_view, size_t> index;
  const auto lineOf = [&](const std::string& context, size_t next) -> size_t {
    if (next < lines.size() && context == t.Contexts[next]) return next;
    if (index.empty()) {
      index.reserve(lines.size());
      for (size_t i = 0; i < lines.size(); ++i) index.emplace(t.Contexts[i], i);
    }
    const auto found = index.find(context);
    return found != index.end() ? found->second : lines.size();
  };

  std::vector<const PoMessage*> messageOf(lines.size(), nullptr);
  size_t next = 0;
  for (const PoMessage& m : po.Messages) {
    if (m.Plural) Refuse(poPath, m, "has a plural form");
    const size_t i = lineOf(m.Context, next);
    if (i == lines.size()) Refuse(poPath, m, "belongs to no line of " + tables.CurrentFileName);
    next = i + 1;
    if (messageOf[i] != nullptr) Refuse(poPath, m, "appears twice");
    if (m.Id != lines[i].English) {
      Refuse(poPath, m, "has another msgid than the English text " + Quoted(lines[i].English));
    }
    messageOf[i] = &m;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    if (messageOf[i] == nullptr)
      RaiseUnknownFormat(poPath, "the message \"" + t.Contexts[i] + "\" is missing");
  }

  // The text as the word processor saves it, the language's part taken from the PO file.
  Bytes text;
  ReserveLarge(text, t.Text.Buffer().size() + po.Messages.size() * 8);
  text.assign({0xEF, 0xBB, 0xBF});
  for (size_t i = 0; i < lines.size(); ++i) {
    const PoMessage& m = *messageOf[i];
    const std::string_view part = m.Str.empty() || m.Fuzzy ? lines[i].English : std::string_view(m.Str);
    text.insert(text.end(), part.begin(), part.end());
    text.push_back(0x00);
    text.insert(text.end(), lines[i].English.begin(), lines[i].English.end());
    text.push_back(0x0D);
    text.push_back(0x0A);
  }
  const FieldCodec codec(tables.CurrentFileName, kt);
  if (IsStringTable(tables.CurrentFileName)) return StringTableFromText(t.HeaderBlock, text, poPath, codec);
  return EmailDataFromText(t.Records, text, poPath, codec);
}

}  // namespace gs
