#include "formats/string_table.h"

#include <gtest/gtest.h>

#include "common/fs.h"
#include "format_test_support.h"

namespace gs {
namespace {

using test::B;
using test::Cat;
using test::ErrorOf;
using test::Int32;
using test::StringTableOf;
using test::WithByteOrderMark;
using namespace std::literals;

class StringTableTest : public test::ScratchFolderTest {
 protected:
  ConversionFiles Files() const {
    return {Path("FrontFrench.bin"), Path("frontEnglish.bin.eng"), Path("FrontFrench.bin.txt")};
  }
  void Export(const Bytes& work, const Bytes& english, const std::string& name = "FrontFrench.bin") {
    Write("FrontFrench.bin", work);
    Write("frontEnglish.bin.eng", english);
    StringTableExport(state_, Files(), name, kt_);
  }
  // Exports english (as both tables) for its header block, then imports text.
  Bytes Import(const Bytes& english, const Bytes& text, const std::string& name = "FrontFrench.bin") {
    Export(english, english, name);
    Write("FrontFrench.bin.txt", text);
    StringTableImport(state_, Files(), name, kt_);
    return Read("FrontFrench.bin");
  }

  FormatState state_;
  KtLibrary kt_;
};

TEST_F(StringTableTest, ExportWritesOneLinePerEnglishEntryAndKeepsTheHeaderBlock) {
  const Bytes english = StringTableOf({B("Hi"), B("OK")});
  Export(StringTableOf({B({0xC3, 0x80}), B("")}), english);
  EXPECT_EQ(Read("FrontFrench.bin.txt"),
            B({0xD0, 0x90, 0x00, 0x48, 0x69, 0x0D, 0x0A, 0x00, 0x4F, 0x4B, 0x0D, 0x0A}));
  EXPECT_EQ(state_.HeaderBlock, Bytes(english.begin(), english.begin() + 24));
  EXPECT_EQ(state_.StringTableExported, "FrontFrench.bin");
}

TEST_F(StringTableTest, TheEnglishCountSetsTheLines) {
  Export(StringTableOf({B("a"), B("b")}), StringTableOf({B("A"), B("B"), B("C")}));
  EXPECT_EQ(Read("FrontFrench.bin.txt"), B("a\0A\r\nb\0B\r\n\0C\r\n"sv));
  Export(StringTableOf({B("a"), B("b"), B("c")}), StringTableOf({B("A"), B("B")}));
  EXPECT_EQ(Read("FrontFrench.bin.txt"), B("a\0A\r\nb\0B\r\n"sv));
}

TEST_F(StringTableTest, ExportDecodesGameTablesAndMasksLineFeeds) {
  Write("GameFrench.bin", StringTableOf({B({0xC7, 0x80, 0x0A, 0x41})}));
  Write("gameEnglish.bin.eng", StringTableOf({B({0xC7, 0x80})}));
  StringTableExport(state_, {Path("GameFrench.bin"), Path("gameEnglish.bin.eng"), Path("t.txt")},
                    "GameFrench.bin", kt_);
  EXPECT_EQ(Read("t.txt"), B({0xD0, 0x90, '@', 0x41, 0x00, 0xD0, 0x90, 0x0D, 0x0A}));
}

TEST_F(StringTableTest, ExportReplacesAnExistingTextFile) {
  Write("FrontFrench.bin.txt", Bytes(1000, 'x'));
  Export(StringTableOf({B("a")}), StringTableOf({B("A")}));
  EXPECT_EQ(Read("FrontFrench.bin.txt"), B("a\0A\r\n"sv));
}

TEST_F(StringTableTest, OffsetsOutsideTheFileReadAsEmptyStrings) {
  Bytes work = StringTableOf({B("a"), B("b"), B("c")});
  work[16 + 12] = 0xFF;  // entry 0 far past the end
  work[16 + 12 + 1] = 0xFF;
  const Bytes negative = Int32(-5);
  std::copy(negative.begin(), negative.end(), work.begin() + 16 + 16);
  // Entry 2's string runs into the end of the file.
  work.pop_back();
  Export(work, StringTableOf({B("A"), B("B"), B("C")}));
  EXPECT_EQ(Read("FrontFrench.bin.txt"), B("\0A\r\n\0B\r\nc\0C\r\n"sv));
}

TEST_F(StringTableTest, BadTablesAreUnknownFormatAndLeaveTheOldTextWhole) {
  const Bytes good = StringTableOf({B("A"), B("B")});
  Bytes zeroCount = good;
  zeroCount[4] = 0;
  Bytes negativeCount = good;
  negativeCount[7] = 0x80;
  Bytes tooManyEntries = good;
  tooManyEntries[4] = 9;  // the tables would run past the end
  Bytes hugeCount = good;
  hugeCount[7] = 0x10;  // 0x10000002 entries: tables of 2 GB in a tiny file
  const Bytes shortHeader(good.begin(), good.begin() + 10);
  Write("FrontFrench.bin.txt", B("old text"));
  for (const Bytes& bad : {zeroCount, negativeCount, tooManyEntries, hugeCount, shortHeader}) {
    EXPECT_EQ(ErrorOf(7777, [&] { Export(bad, good); }), "Unknown data format for file 'FrontFrench.bin'");
    // A damaged English template is named as such.
    EXPECT_EQ(ErrorOf(7777, [&] { Export(good, bad); }),
              "Unknown data format for file 'frontEnglish.bin.eng'");
  }
  EXPECT_EQ(Read("FrontFrench.bin.txt"), B("old text"));
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"FrontFrench.bin", "FrontFrench.bin.txt", "frontEnglish.bin.eng"}));
  EXPECT_TRUE(state_.StringTableExported.empty());
}

TEST_F(StringTableTest, TruncatedTablesFailOrEndTheirLastString) {
  const Bytes good = StringTableOf({B("AB"), B("CD")});  // tables end at 32, strings at 38
  for (size_t cut : {0, 3, 8, 15, 16, 20, 31}) {
    ErrorOf(7777, [&] { Export(Bytes(good.begin(), good.begin() + cut), good); });
  }
  // A string area cut short ends the string at the end of the file.
  Export(Bytes(good.begin(), good.begin() + 36), good);
  EXPECT_EQ(Read("FrontFrench.bin.txt"), B("AB\0AB\r\nC\0CD\r\n"sv));
  Export(Bytes(good.begin(), good.begin() + 33), good);
  EXPECT_EQ(Read("FrontFrench.bin.txt"), B("A\0AB\r\n\0CD\r\n"sv));
}

TEST_F(StringTableTest, ImportWithoutTheLibraryLeavesTheTable) {
  const Bytes table = StringTableOf({B("a")});
  Export(table, table);
  Write("FrontFrench.bin.txt", WithByteOrderMark(B("\xD0\x90\0a\r\n"sv)));
  KtLibrary missing({ExecutableDir() + "no-such-kt.so"});
  ErrorOf(53, [&] { StringTableImport(state_, Files(), "FrontFrench.bin", missing); });
  EXPECT_EQ(Read("FrontFrench.bin"), table);
}

TEST_F(StringTableTest, ArithmeticPastThirtyTwoBitsOverflows) {
  const Bytes good = StringTableOf({B("A")});
  Bytes countOverflow = good;
  countOverflow[7] = 0x40;  // 16 + 4 x count leaves the 32-bit range
  ErrorOf(6, [&] { Export(countOverflow, good); });
  Bytes offsetOverflow = good;
  const Bytes top = Int32(0x7FFFFFFF);
  std::copy(top.begin(), top.end(), offsetOverflow.begin() + 20);
  ErrorOf(6, [&] { Export(offsetOverflow, good); });
  EXPECT_FALSE(Exists("FrontFrench.bin.txt"));
}

TEST_F(StringTableTest, MissingFilesAndLibraryLeaveNoText) {
  ErrorOf(53, [&] { StringTableExport(state_, Files(), "FrontFrench.bin", kt_); });
  KtLibrary missing({ExecutableDir() + "no-such-kt.so"});
  Write("FrontFrench.bin", StringTableOf({B("a")}));
  Write("frontEnglish.bin.eng", StringTableOf({B("A")}));
  ErrorOf(53, [&] { StringTableExport(state_, Files(), "FrontFrench.bin", missing); });
  EXPECT_FALSE(Exists("FrontFrench.bin.txt"));
}

TEST_F(StringTableTest, ImportEncodesEachKind) {
  const Bytes english = StringTableOf({B("x")});
  const Bytes text = WithByteOrderMark(B({0xD0, 0x9F, 0xD1, 0x80, 0x00, 'P', 'r', 0x0D, 0x0A}));
  const int32_t base = 16 + 4 + 4;
  EXPECT_EQ(Import(english, text), Cat({Bytes(english.begin(), english.begin() + 20), Int32(base),
                                        B({0xC3, 0x8F, 0xC3, 0xB0, 0x00})}));
  const Bytes game = Import(english, text, "GameFrench.bin");
  EXPECT_EQ(Bytes(game.begin() + base, game.end()), B({0xC7, 0x8F, 0xC7, 0xB0, 0x00}));
}

TEST_F(StringTableTest, ImportBuildsTheWholeTableWithOrWithoutAByteOrderMark) {
  const Bytes english = StringTableOf({B("one"), B("two")});
  const Bytes text = B("A\0one\r\nBC\0two\r\n"sv);
  const Bytes expected = Cat(
      {Bytes(english.begin(), english.begin() + 24), Int32(32), Int32(34), B("A"), B({0}), B("BC"), B({0})});
  EXPECT_EQ(Import(english, WithByteOrderMark(text)), expected);
  EXPECT_EQ(Import(english, text), expected);
}

TEST_F(StringTableTest, ImportTakesWhatTheLinesHold) {
  const Bytes two = StringTableOf({B("1"), B("2")});
  const int32_t base = 16 + 16;
  // An empty work part, a tab, and a last line with no line end.
  Bytes t = Import(two, WithByteOrderMark(B("\0E1\r\nA\tB\0E2"sv)));
  EXPECT_EQ(Bytes(t.begin() + 24, t.end()), Cat({Int32(base), Int32(base + 1), B({0}), B("A@B"), B({0})}));
  // A line break typed inside a cell stays in its text; the English part is
  // never read; line ends after the last line carry nothing.
  t = Import(two, WithByteOrderMark(B("x\r\ny\0changed\r\nz\0\r\n\r\n\r\n"sv)));
  EXPECT_EQ(Bytes(t.begin() + base, t.end()), B("x@@y\0z\0"sv));
}

TEST_F(StringTableTest, ImportRefusesATextItCannotTakeWholeBeforeTouchingTheTable) {
  const Bytes english = StringTableOf({B("1"), B("2"), B("3")});
  Export(english, english);
  Write("FrontFrench.bin", B("old table"));
  for (const auto& [text, why] : std::vector<std::pair<Bytes, std::string>>{
           {WithByteOrderMark(B("a\0\r\nb\0\r\n"sv)),
            "the text has 2 lines for the 3 entries of the English table"},
           {B("a\0\r\nb\0\r\nc\0\r\nd\0\r\n"sv),
            "the text has 4 lines for the 3 entries of the English table"},
           {WithByteOrderMark({}), "the text has 0 lines for the 3 entries of the English table"},
           {B(""), "the text has 0 lines for the 3 entries of the English table"},
           {WithByteOrderMark(B("a\tA\r\nb\tB\r\nc\tC\r\n")),
            "the word processor lost the column separator: no line holds one"},
           {B("a\0\r\nb\0\r\nc\0\r\ntail"sv),
            "line 4 holds no column separator: text below the table, or a separator that the word "
            "processor lost"},
           {B("a\0\r\nb\0B\0\r\nc\0\r\n"sv), "line 2 holds 2 column separators instead of one"},
           {B("a\0\r\nb\0\r\n(\xC3(\0\r\n"sv), "line 3 is not UTF-8 text at its byte 2 (C3 28)"},
           {B("\xD0\0\r\nb\0\r\nc\0\r\n"sv), "line 1 is not UTF-8 text at its byte 1 (D0)"},
       }) {
    Write("FrontFrench.bin.txt", text);
    const std::string d = ErrorOf(7777, [&] { StringTableImport(state_, Files(), "FrontFrench.bin", kt_); });
    EXPECT_EQ(d, "Unknown data format for file '" + Path("FrontFrench.bin.txt") + "': " + why);
  }
  EXPECT_EQ(Read("FrontFrench.bin"), B("old table"));
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"FrontFrench.bin", "FrontFrench.bin.txt", "frontEnglish.bin.eng"}));
}

TEST_F(StringTableTest, ImportNeedsTheExportOfTheSameTable) {
  Write("FrontFrench.bin.txt", WithByteOrderMark(B("a\0A\r\n"sv)));
  ErrorOf(5, [&] { StringTableImport(state_, Files(), "FrontFrench.bin", kt_); });
  Export(StringTableOf({B("a")}), StringTableOf({B("A")}), "FrontGerman.bin");
  ErrorOf(5, [&] { StringTableImport(state_, Files(), "FrontFrench.bin", kt_); });
  EXPECT_EQ(Read("FrontFrench.bin"), StringTableOf({B("a")}));
  // A failed export takes back what an earlier one left.
  Export(StringTableOf({B("a")}), StringTableOf({B("A")}));
  ErrorOf(7777, [&] { Export(B("short"), StringTableOf({B("A")})); });
  ErrorOf(5, [&] { StringTableImport(state_, Files(), "FrontFrench.bin", kt_); });
}

TEST(StringTableText, IsEachFieldReadOnItsOwn) {
  // The export maps many fields in one pass; its text must be what reading
  // each field on its own gives, across many blocks of lines.
  KtLibrary kt;
  std::mt19937 rng(42);
  for (const char* name : {"FrontFrench.bin", "GameFrench.bin"}) {
    std::vector<Bytes> work, english;
    for (int i = 0; i < 10000; ++i) {
      english.push_back(test::AwkwardField(rng));
      if (i < 8000) work.push_back(test::AwkwardField(rng));
    }
    const Bytes workFile = StringTableOf(work), englishFile = StringTableOf(english);
    const FieldCodec codec(name, kt);
    TextSink sink;
    StringTableText(StringTable(workFile, name), StringTable(englishFile, name), codec, sink);
    Bytes expected;
    const StringTable w(workFile, name), e(englishFile, name);
    for (int32_t j = 0; j < e.Count(); ++j) {
      if (j < w.Count()) codec.ReadField(workFile, w.OffsetOf(j), expected);
      expected.push_back(0x00);
      codec.ReadField(englishFile, e.OffsetOf(j), expected);
      expected.insert(expected.end(), {0x0D, 0x0A});
    }
    ASSERT_GT(expected.size(), 3u * (256 << 10));  // several blocks of lines
    EXPECT_TRUE(sink.Buffer() == expected) << name;
  }
}

TEST(StringTableFromText, EncodesEachLineOnItsOwn) {
  // The import maps all strings in one pass; each must come out as
  // EncodeField makes it of its line's work part alone.
  KtLibrary kt;
  std::mt19937 rng(43);
  for (const char* name : {"FrontFrench.bin", "GameFrench.bin"}) {
    const int count = 4000;
    std::vector<Bytes> parts;
    Bytes text = WithByteOrderMark({});
    for (int i = 0; i < count; ++i) {
      parts.push_back(test::AwkwardEditField(rng));
      Bytes english = test::AwkwardField(rng);
      std::replace(english.begin(), english.end(), uint8_t{0x0A}, uint8_t{'n'});
      const Bytes line = Cat({parts.back(), B({0x00}), english, B({0x0D, 0x0A})});
      text.insert(text.end(), line.begin(), line.end());
    }
    const FieldCodec codec(name, kt);
    const Bytes english = StringTableOf(std::vector<Bytes>(count));
    const StringTable header(english, name);
    const Bytes table = StringTableFromText(header.HeaderBlock(), text, "t", codec);
    const std::vector<Bytes> strings = test::StoredStrings(table);
    ASSERT_EQ(strings.size(), static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      Bytes expected = parts[static_cast<size_t>(i)];
      codec.EncodeField(expected);
      ASSERT_EQ(strings[static_cast<size_t>(i)], expected) << name << " line " << i;
    }
  }
}

TEST_F(StringTableTest, EmptyStringsNeedNoLibrary) {
  const Bytes empty = StringTableOf({B(""), B("")});
  Write("FrontFrench.bin", empty);
  Write("frontEnglish.bin.eng", empty);
  KtLibrary missing({ExecutableDir() + "no-such-kt.so"});
  StringTableExport(state_, Files(), "FrontFrench.bin", missing);
  EXPECT_EQ(Read("FrontFrench.bin.txt"), B("\0\r\n\0\r\n"sv));
  Write("FrontFrench.bin.txt", WithByteOrderMark(B("\0\r\n\0\r\n"sv)));
  StringTableImport(state_, Files(), "FrontFrench.bin", missing);
  EXPECT_EQ(Read("FrontFrench.bin"),
            Cat({Bytes(empty.begin(), empty.begin() + 24), Int32(32), Int32(33), B({0, 0})}));
}

TEST_F(StringTableTest, StateCanBeReadWithoutWritingText) {
  const Bytes english = StringTableOf({B("A"), B("B")});
  Write("FrontFrench.bin", english);
  Write("frontEnglish.bin.eng", english);
  ReadStringTableState(state_, Files(), "FrontFrench.bin");
  EXPECT_EQ(state_.HeaderBlock, Bytes(english.begin(), english.begin() + 24));
  EXPECT_FALSE(Exists("FrontFrench.bin.txt"));
}

}  // namespace
}  // namespace gs
