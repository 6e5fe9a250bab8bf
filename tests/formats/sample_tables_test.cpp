#include "tools/sample/sample_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "format_test_support.h"

namespace gs {
namespace {

using test::Int32At;
using test::PlainEmailRecords;
using test::StoredStrings;

bool Holds(const std::vector<Bytes>& strings, auto predicate) {
  return std::any_of(strings.begin(), strings.end(), predicate);
}

bool HoldsPair(const Bytes& s, uint8_t lead) {
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] == lead && s[i + 1] >= 0x80 && s[i + 1] <= 0xBF) return true;
  }
  return false;
}

TEST(SampleTables, AreTheSameForTheSameSeedOnly) {
  EXPECT_EQ(MakeStringTable(FileKind::Front, "German", 300, 1),
            MakeStringTable(FileKind::Front, "German", 300, 1));
  EXPECT_NE(MakeStringTable(FileKind::Front, "German", 300, 1),
            MakeStringTable(FileKind::Front, "German", 300, 2));
  EXPECT_NE(MakeStringTable(FileKind::Front, "German", 300, 1),
            MakeStringTable(FileKind::Game, "German", 300, 1));
  EXPECT_EQ(MakeEmailData("Czech", 40, 5), MakeEmailData("Czech", 40, 5));
  EXPECT_NE(MakeEmailData("Czech", 40, 5), MakeEmailData("Czech", 40, 6));
}

TEST(SampleTables, LanguagesAreTwinsOfEnglish) {
  const Bytes english = MakeStringTable(FileKind::Game, "English", 500, 3);
  const std::vector<test::PlainEmailRecord> englishMail = PlainEmailRecords(MakeEmailData("English", 80, 3));
  for (const std::string_view language : kLanguages) {
    const Bytes table = MakeStringTable(FileKind::Game, language, 500, 3);
    EXPECT_EQ(Int32At(table, 4), 500);
    // The same fixed header and entry table.
    EXPECT_TRUE(std::equal(english.begin(), english.begin() + 16 + 4 * 500, table.begin())) << language;
    const auto mail = PlainEmailRecords(MakeEmailData(language, 80, 3));
    ASSERT_EQ(mail.size(), englishMail.size());
    for (size_t r = 0; r < mail.size(); ++r) EXPECT_EQ(mail[r].values, englishMail[r].values);
  }
}

TEST(SampleTables, HoldWhatRealTablesHold) {
  const Bytes table = MakeStringTable(FileKind::Front, "German", 2000, 9);
  const std::vector<Bytes> strings = StoredStrings(table);
  EXPECT_TRUE(Holds(strings, [](const Bytes& s) { return s.empty(); }));
  EXPECT_TRUE(Holds(strings, [](const Bytes& s) { return std::count(s.begin(), s.end(), '\n') > 0; }));
  EXPECT_TRUE(Holds(strings, [](const Bytes& s) { return std::count(s.begin(), s.end(), '\t') > 0; }));
  EXPECT_TRUE(Holds(strings, [](const Bytes& s) { return HoldsPair(s, 0xC3); }));  // ä ö ü ß
  // Entries that share one string.
  std::set<int32_t> offsets;
  for (int32_t i = 0; i < 2000; ++i) offsets.insert(Int32At(table, 16 + 4 * (2000 + i)));
  EXPECT_LT(offsets.size(), 2000u);
  // E-mails without strings, and strings that several e-mails share.
  const Bytes data = MakeEmailData("English", 200, 9);
  const auto mail = PlainEmailRecords(data);
  EXPECT_TRUE(std::any_of(mail.begin(), mail.end(), [](const auto& r) { return r.strings.empty(); }));
  size_t stringBytes = 0;
  for (const auto& r : mail) {
    for (const Bytes& s : r.strings) stringBytes += s.size() + 1;
  }
  EXPECT_LT(data.size() - static_cast<size_t>(Int32At(data, 4)), stringBytes);
}

TEST(SampleTables, RussianIsInTheStoredFormOfEachKind) {
  const auto front = StoredStrings(MakeStringTable(FileKind::Front, "French(Russian)", 400, 4));
  const auto game = StoredStrings(MakeStringTable(FileKind::Game, "French(Russian)", 400, 4));
  const auto mail = PlainEmailRecords(MakeEmailData("French(Russian)", 50, 4));
  const auto editForm = [](const Bytes& s) { return HoldsPair(s, 0xD0) || HoldsPair(s, 0xD1); };
  EXPECT_TRUE(Holds(front, [](const Bytes& s) { return HoldsPair(s, 0xC3); }));
  EXPECT_FALSE(Holds(front, editForm));
  EXPECT_TRUE(Holds(game, [](const Bytes& s) { return HoldsPair(s, 0xC7); }));
  EXPECT_TRUE(Holds(game, [](const Bytes& s) { return HoldsPair(s, 0xC6); }));  // Ё or ё
  EXPECT_FALSE(Holds(game, editForm));
  for (const auto& r : mail) EXPECT_FALSE(editForm(r.heading));
}

TEST(SampleTables, StoredFormOfTheRoundTripLetters) {
  const std::string_view text = "Ёж ёлка Апя";
  EXPECT_EQ(StoredForm(text, FileKind::Front),
            test::B("\xC2\xA8\xC3\xA6 \xC2\xB8\xC3\xAB\xC3\xAA\xC3\xA0 \xC3\x80\xC3\xAF\xC3\xBF"));
  EXPECT_EQ(StoredForm(text, FileKind::Game),
            test::B("\xC6\xA8\xC7\xA6 \xC6\xB8\xC7\xAB\xC7\xAA\xC7\xA0 \xC7\x80\xC7\xAF\xC7\xBF"));
  EXPECT_EQ(StoredForm("Jágr ™", FileKind::Game), test::B("Jágr ™"));
}

class SampleFolder : public test::ScratchFolderTest {};

TEST_F(SampleFolder, HoldsEveryTableUnderItsCatalogName) {
  const std::vector<std::string> written =
      WriteSampleTables(dir_.string(), {.Entries = 50, .Records = 10, .Seed = 1});
  EXPECT_EQ(written.size(), 20u);
  for (const auto& type : kFileTypes) {
    for (const auto& language : kLanguages) EXPECT_TRUE(Exists(CurrentFileName(type, language)));
  }
  EXPECT_EQ(Read("frontEnglish.bin"), Read("FrontEnglish.bin"));
  EXPECT_EQ(Read("gameEnglish.bin"), Read("GameEnglish.bin"));
  EXPECT_EQ(Read("emaildata.dta"), MakeEmailData("English", 10, 1));
}

}  // namespace
}  // namespace gs
