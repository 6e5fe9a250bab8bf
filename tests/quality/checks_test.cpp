// The checks of a translation: each kind of finding on single lines, whole
// tables and edited texts of every type, and the progress.
#include "quality/checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/email_data.h"
#include "formats/string_table.h"
#include "quality/progress.h"
#include "tests/formats/format_test_support.h"
#include "tools/sample/sample_tables.h"

namespace gs {
namespace {

using test::B;

struct LineCase {
  const char* name;
  std::string_view currentFileName;
  std::string work;
  std::string english;
  // "kind: message" of each finding; empty for a clean line.
  std::vector<std::string> expected;
};

// Checks one line of a table whose repertoire holds its English text, ASCII
// and the German letters ä, ö, ü, ß.
std::vector<std::string> FindingsOf(const LineCase& c, const CheckOptions& options = {}) {
  KtLibrary kt;
  Repertoire repertoire;
  repertoire.AddText(c.english);
  for (char a = ' '; a <= '~'; ++a) repertoire.AddText(std::string(1, a));
  repertoire.AddText("äöüß");
  EntryChecker checker(c.currentFileName, repertoire, options, kt);
  std::vector<Finding> findings;
  checker.Check({7, c.work, c.english}, findings);
  std::vector<std::string> out;
  for (const Finding& f : findings) {
    EXPECT_EQ(f.Line, 7u);
    out.push_back(std::string(KindName(f.Kind)) + ": " + f.Message);
  }
  return out;
}

TEST(EntryChecker, FindsEachKindOfFaultAndNothingInCleanLines) {
  const LineCase cases[] = {
      // placeholders
      {"reordered", "FrontGerman.bin", "%d: Tor durch %s", "Goal by %s at %d", {}},
      {"positions, flags, width, precision", "FrontGerman.bin", "%2$-5.2f von %1$s", "%1$s: %2$-5.2f", {}},
      {"missing", "FrontGerman.bin", "Drittel", "Period %d", {"placeholders: missing %d"}},
      {"changed precision",
       "FrontGerman.bin",
       "%.1f Tore",
       "%.2f goals",
       {"placeholders: missing %.2f; not in the English text %.1f"}},
      {"one of two alike", "GameGerman.bin", "%s gegen", "%s vs %s", {"placeholders: missing %s"}},
      {"length modifier",
       "FrontGerman.bin",
       "%d Punkte",
       "%ld points",
       {"placeholders: missing %ld; not in the English text %d"}},
      {"%% is its own kind", "FrontGerman.bin", "100% %d", "100%% %d", {"placeholders: missing %%"}},
      {"a lone % is text", "FrontGerman.bin", "50 % Rabatt, 100%", "50% off", {}},
      {"a blank is no flag", "FrontGerman.bin", "100% sicher", "100% sure", {}},
      // breaks
      {"one break lost",
       "FrontGerman.bin",
       "Spiel speichern",
       "Save@Game",
       {"breaks: 0 breaks (@) where the English text has 1"}},
      {"a typed tab becomes a break", "FrontGerman.bin", "Spiel\tspeichern", "Save@Game", {}},
      // length, in code points
      {"longer than twice",
       "FrontGerman.bin",
       std::string(21, 'x'),
       std::string(10, 'y'),
       {"length: 21 characters, 2.10 times the 10 of the English text (at most 2)"}},
      {"exactly twice", "FrontGerman.bin", std::string(20, 'x'), std::string(10, 'y'), {}},
      {"short English texts are not measured",
       "FrontGerman.bin",
       std::string(30, 'x'),
       std::string(9, 'y'),
       {}},
      {"code points, not bytes", "FrontFrench.bin", "ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ", "yyyyyyyyyy", {}},
      // characters
      {"Russian in the French slot", "FrontFrench.bin", "Ёлка, ёж и я", "Tree", {}},
      {"Russian outside it",
       "FrontGerman.bin",
       "Ёлка",
       "Tree",
       {"characters: U+0401 Ё is in none of the game's tables read; U+043B л is in none of the game's tables "
        "read; U+043A к is in none of the game's tables read; U+0430 а is in none of the game's tables "
        "read"}},
      {"Cyrillic the Front form folds",
       "FrontFrench.bin",
       "Ђ Ј ђ",
       "x",
       {"characters: U+0402 Ђ becomes U+00B2 ²; U+0408 Ј becomes U+0451 ё; U+0452 ђ becomes U+0102 Ă"}},
      {"Cyrillic beyond the Front form",
       "emaildataFrench.dta",
       "Ґ",
       "x",
       {"characters: U+0490 Ґ is stored as UTF-8, which the game does not read in this table"}},
      {"Cyrillic the Game form keeps",
       "GameFrench.bin",
       "Ђ",
       "x",
       {"characters: U+0402 Ђ is stored as UTF-8, which the game does not read in this table"}},
      {"a Latin letter read back as Cyrillic",
       "emaildataFrench.dta",
       "À",
       "x",
       {"characters: U+00C0 À becomes U+0410 А"}},
      {"known letters", "GameGerman.bin", "Spiel läuft, Größe", "Game on", {}},
      {"unknown letters, each once",
       "FrontCzech.bin",
       "Přesilovka ř ł",
       "Power Play",
       {"characters: U+0159 ř is in none of the game's tables read; U+0142 ł is in none of the game's "
        "tables read"}},
      {"no-break space",
       "GameSwedish.bin",
       "Spela\u00A0nu",
       "Play Now",
       {"characters: U+00A0 \u00A0 is in none of the game's tables read"}},
      {"not UTF-8", "GameGerman.bin", "ab\xC3(", "ab", {"characters: not UTF-8 from byte 3"}},
      // every kind at once, in the order of the kinds
      {"all",
       "GameGerman.bin",
       "%s ł " + std::string(50, 'x'),
       "%d and some@text",
       {"placeholders: missing %d; not in the English text %s",
        "breaks: 0 breaks (@) where the English text has 1",
        "characters: U+0142 ł is in none of the game's tables read",
        "length: 55 characters, 3.44 times the 16 of the English text (at most 2)"}},
  };
  for (const LineCase& c : cases) {
    EXPECT_EQ(FindingsOf(c), c.expected) << c.name;
  }
}

TEST(EntryChecker, TheGrowthIsTheTranslatorsToSet) {
  const LineCase c{"", "FrontGerman.bin", std::string(25, 'x'), std::string(10, 'y'), {}};
  EXPECT_EQ(FindingsOf(c, {.MaxGrowth = 2.5}), std::vector<std::string>{});
  EXPECT_EQ(FindingsOf(c, {.MaxGrowth = 2.4}).size(), 1u);
}

class QualityFiles : public test::ScratchFolderTest {
 protected:
  ConversionFiles Files(const std::string& table, const std::string& english, const std::string& text = {}) {
    return {Path(table), Path(english), text.empty() ? std::string() : Path(text)};
  }

  // The checks with the characters of both tables known, and those of extra.
  CheckReport Check(const ConversionFiles& files, std::string_view currentFileName,
                    std::string_view extra = {}) {
    Repertoire repertoire;
    repertoire.AddTables(files, currentFileName, kt_);
    repertoire.AddText(extra);
    return CheckEntries(files, currentFileName, repertoire, {}, kt_);
  }

  // The text the export writes, its lines split (without their line ends).
  std::vector<std::string> ExportedLines(const ConversionFiles& files, std::string_view currentFileName) {
    ConversionFiles exported = files;
    exported.TextFilePath = Path("exported.txt");
    FormatState state;
    if (IsStringTable(currentFileName)) {
      StringTableExport(state, exported, currentFileName, kt_);
    } else {
      EmailExport(state, exported, currentFileName, kt_);
    }
    const Bytes text = Read("exported.txt");
    std::vector<std::string> lines;
    std::string all(text.begin(), text.end());
    for (size_t at = 0; at < all.size();) {
      const size_t end = all.find("\r\n", at);
      lines.push_back(all.substr(at, end - at));
      at = end + 2;
    }
    return lines;
  }

  static std::string EnglishOf(const std::string& line) { return line.substr(line.find('\0') + 1); }
  static void SetWork(std::string& line, const std::string& work) { line = work + '\0' + EnglishOf(line); }

  static Bytes Joined(const std::vector<std::string>& lines, const std::string& prefix = {}) {
    std::string text = prefix;
    for (const std::string& line : lines) text += line + "\r\n";
    return B(text);
  }

  KtLibrary kt_;
};

// The sample tables hold Russian, Latin letters, symbols, tabs and line
// feeds: each of them taken as its own translation is clean.
TEST_F(QualityFiles, TablesOfEveryTypeAndLanguageAsTheirOwnTranslationGiveNothing) {
  WriteSampleTables(dir_.string(), {.Entries = 400, .Records = 40, .Seed = 3});
  for (const FileKind kind : {FileKind::Front, FileKind::Game, FileKind::Email}) {
    for (const std::string_view language : kLanguages) {
      const std::string name = CurrentFileName(kFileTypes[static_cast<size_t>(kind)], language);
      const CheckReport report = Check(Files(name, name), name);
      EXPECT_GT(report.Entries, 40u) << name;
      EXPECT_TRUE(report.Findings.empty()) << name << ": " << FindingLine(report.Findings.front());
    }
  }
}

TEST_F(QualityFiles, FindingsOfAnEditedTextNameTheLinesOfTheTextFile) {
  WriteSampleTables(dir_.string(), {.Entries = 50, .Records = 6, .Seed = 5});
  for (const auto& [table, english] :
       {std::pair{"FrontGerman.bin", "frontEnglish.bin"}, std::pair{"GameFrench.bin", "gameEnglish.bin"},
        std::pair{"emaildataCzech.dta", "emaildata.dta"}}) {
    SCOPED_TRACE(table);
    // Every line left as its English text, but for two: the first (the
    // first record's heading in the e-mail data) and the last.
    std::vector<std::string> lines = ExportedLines(Files(table, english), table);
    for (std::string& line : lines) SetWork(line, EnglishOf(line));
    const size_t last = lines.size();
    SetWork(lines.front(), EnglishOf(lines.front()) + " %x");
    SetWork(lines.back(), EnglishOf(lines.back()) + " \xE2\x9C\x93");  // ✓, in no table
    for (const std::string& prefix : {std::string("\xEF\xBB\xBF"), std::string()}) {
      Write("edited.txt", Joined(lines, prefix));
      const CheckReport report = Check(Files(table, english, "edited.txt"), table, " %x");
      EXPECT_EQ(report.Entries, last);
      ASSERT_EQ(report.Findings.size(), 2u);
      EXPECT_EQ(FindingLine(report.Findings[0]), "1: placeholders: not in the English text %x");
      EXPECT_EQ(
          FindingLine(report.Findings[1]),
          std::to_string(last) + ": characters: U+2713 \xE2\x9C\x93 is in none of the game's tables read");
      EXPECT_EQ(Summary(report), "Checks: 1 placeholders, 1 characters");
    }
    // The checks changed no file.
    EXPECT_EQ(Read("edited.txt"), Joined(lines));
  }
}

TEST_F(QualityFiles, AnEditedTextMustHoldOneLinePerEntry) {
  Write("FrontGerman.bin", test::StringTableOf({B("a"), B("b")}));
  Write("frontEnglish.bin", test::StringTableOf({B("A"), B("B")}));
  const ConversionFiles files = Files("FrontGerman.bin", "frontEnglish.bin", "edited.txt");
  const auto errorOf = [&](std::string_view text) {
    Write("edited.txt", B(text));
    return test::ErrorOf(rt::UnknownDataFormat, [&] { Check(files, "FrontGerman.bin"); });
  };
  using namespace std::literals;
  EXPECT_NE(errorOf("a\0A\r\n"sv).find("1 lines for the 2 entries"), std::string::npos);
  EXPECT_NE(errorOf("a\0A\r\nb\0B\r\nc\0C"sv).find("3 lines for the 2 entries"), std::string::npos);
  EXPECT_NE(errorOf("a\r\nb\0B\r\n"sv).find("line 1 holds no column separator"), std::string::npos);
  // Empty lines at the end carry nothing.
  Write("edited.txt", B("a\0A\r\nb\0B\r\n\r\n\r\n"sv));
  EXPECT_TRUE(Check(files, "FrontGerman.bin").Findings.empty());
}

TEST_F(QualityFiles, FindingsAreWrittenWholeWithTheirSummary) {
  Write("GameGerman.bin", test::StringTableOf({B("Tor %s"), B("ok"), B("zwei@Zeilen")}));
  Write("gameEnglish.bin", test::StringTableOf({B("Goal %d"), B("ok"), B("two lines")}));
  const CheckReport report = Check(Files("GameGerman.bin", "gameEnglish.bin"), "GameGerman.bin");
  WriteFindings(Path("GameGerman.bin.checks.txt"), report);
  EXPECT_EQ(Read("GameGerman.bin.checks.txt"), B("1: placeholders: missing %d; not in the English text %s\r\n"
                                                 "3: breaks: 1 breaks (@) where the English text has 0\r\n"
                                                 "Checks: 1 placeholders, 1 breaks\r\n"));
}

TEST_F(QualityFiles, ProgressCountsEntriesAndTheirEnglishCharacters) {
  Write("FrontFrench.bin", test::StringTableOf({StoredForm("Играть", FileKind::Front), B("Options"), B(""),
                                                StoredForm("Выход", FileKind::Front)}));
  Write("frontEnglish.bin", test::StringTableOf({B("Play"), B("Options"), B(""), B("Exit")}));
  Progress progress = ProgressOf(Files("FrontFrench.bin", "frontEnglish.bin"), "FrontFrench.bin", kt_);
  EXPECT_EQ(EntriesLine(progress), "translated 2 of 4 entries (50.0 %)");
  EXPECT_EQ(CharactersLine(progress), "translated 8 of 15 characters of English text (53.3 %)");
}

TEST(Progress, SharesShowAllAndNoneOnlyWhenTheyAre) {
  const struct {
    uint64_t part, all;
    const char* line;
  } cases[] = {
      {367, 400, "translated 367 of 400 entries (91.8 %)"},
      {3999, 4000, "translated 3999 of 4000 entries (99.9 %)"},
      {1, 4000, "translated 1 of 4000 entries (0.1 %)"},
      {4000, 4000, "translated 4000 of 4000 entries (100.0 %)"},
      {0, 4000, "translated 0 of 4000 entries (0.0 %)"},
  };
  for (const auto& c : cases) {
    Progress progress;
    progress.Entries = c.all;
    progress.TranslatedEntries = c.part;
    EXPECT_EQ(EntriesLine(progress), c.line);
  }
}

}  // namespace
}  // namespace gs
