// ImpBig.exe through its command line, its results read back by the reader
// written from the layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/bigf_layout.h"
#include "tests/support/refpack_pack.h"
#include "tests/support/test_process.h"

namespace gs::test {
namespace {

const std::vector<uint8_t> kFront = Pattern(3000, 1);
const std::vector<uint8_t> kGame = Pattern(5000, 2);
const std::vector<uint8_t> kNew = Pattern(4321, 3);

class ImpBigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(archive_, BuildLayout("BIGF", {{"FrontFrench.bin", kFront}, {"GameFrench.bin", kGame}}));
  }

  static ProgramResult Tool(std::vector<std::string> args) {
    args.insert(args.begin(), ImpBigPath());
    return RunProgram(args);
  }

  // A failure: status 1 and a message with the error's number (one of
  // those given), naming the archive.
  void ExpectFailure(const ProgramResult& r, const std::string& archive, std::initializer_list<int> numbers) {
    EXPECT_EQ(r.exitCode, {1});
    EXPECT_TRUE(std::any_of(numbers.begin(), numbers.end(), [&r](int n) {
      return r.err.rfind("ImpBig: error " + std::to_string(n) + ": ", 0) == 0;
    })) << r.err;
    EXPECT_NE(r.err.find(archive), std::string::npos) << r.err;
  }

  ScratchDir dir_{"impbig"};
  // Blanks in the folder and file names, as in "Program Files".
  const std::string folder_ = [this] {
    std::filesystem::create_directory(dir_ / "Game Folder");
    return dir_ / "Game Folder/";
  }();
  const std::string archive_ = folder_ + "local archive.viv";
};

TEST_F(ImpBigTest, WrongArgumentsPrintTheUsage) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"/x", archive_},
      {"/e", archive_, "FrontFrench.bin"},
      {"/e", archive_, "FrontFrench.bin", "a", "b"},
      {"/i", archive_, "FrontFrench.bin", "src", "/z"},
      {"/i", archive_},
      {"/r"},
      {"/r", archive_, "extra"},
      {archive_},
  };
  for (const auto& args : wrong) {
    const ProgramResult r = Tool(args);
    EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
  }
  const ProgramResult help = Tool({"/?"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("/e ARCHIVE ENTRY DEST"), std::string::npos);
}

TEST_F(ImpBigTest, ExtractWritesTheEntryWhateverTheLetterCase) {
  const std::string dest = folder_ + "Front French.bin";
  ASSERT_EQ(Tool({"/e", archive_, "frontfrench.BIN", dest}).exitCode, 0);
  EXPECT_EQ(ReadBytes(dest), kFront);
  ASSERT_EQ(Tool({"/E", archive_, "GAMEFRENCH.BIN", dest}).exitCode, 0);
  EXPECT_EQ(ReadBytes(dest), kGame);
}

TEST_F(ImpBigTest, FailedExtractionLeavesNoDestination) {
  const std::string dest = folder_ + "out.bin";
  WriteText(dest, "left from an earlier run");
  ExpectFailure(Tool({"/e", archive_, "FrontGerman.bin", dest}), archive_, {53});
  EXPECT_FALSE(std::filesystem::exists(dest));

  const std::string missing = folder_ + "missing.viv";
  ExpectFailure(Tool({"/e", missing, "FrontFrench.bin", dest}), missing, {53});
  EXPECT_FALSE(std::filesystem::exists(dest));

  // Into a folder that does not exist (file or path not found): no file anywhere.
  ExpectFailure(Tool({"/e", archive_, "FrontFrench.bin", folder_ + "no/such/dir/out.bin"}), archive_,
                {53, 76});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
}

TEST_F(ImpBigTest, ExtractingOverTheArchiveItselfIsRefused) {
  const auto before = ReadBytes(archive_);
  ExpectFailure(Tool({"/e", archive_, "FrontFrench.bin", archive_}), archive_, {75});
  EXPECT_EQ(ReadBytes(archive_), before);
}

TEST_F(ImpBigTest, InsertThenFinishAsTheEditorRunsThem) {
  const std::string source = folder_ + "Front French.bin";
  WriteBytes(source, kNew);
  ASSERT_EQ(Tool({"/i", archive_, "FRONTFRENCH.bin", source, "/c"}).exitCode, 0);
  ASSERT_EQ(Tool({"/r", archive_}).exitCode, 0);
  LayoutArchive a = ReadLayout(archive_);
  EXPECT_EQ(a.totalSize, a.fileSize);
  ASSERT_EQ(a.entries.size(), 2u);
  EXPECT_EQ(a.entries[0].name, "FrontFrench.bin");  // the stored spelling stays
  EXPECT_EQ(a.entries[0].data, kNew);
  EXPECT_EQ(a.entries[1].data, kGame);

  // A new entry, and /c left out: it goes in name order, as the index is sorted.
  ASSERT_EQ(Tool({"/i", archive_, "emaildata.dta", source}).exitCode, 0);
  ASSERT_EQ(Tool({"/r", archive_}).exitCode, 0);
  a = ReadLayout(archive_);
  EXPECT_EQ(a.totalSize, a.fileSize);
  ASSERT_EQ(a.entries.size(), 3u);
  EXPECT_EQ(a.entries[0].name, "emaildata.dta");
  EXPECT_EQ(a.entries[0].data, kNew);

  const std::string dest = folder_ + "back.dta";
  ASSERT_EQ(Tool({"/e", archive_, "EMAILDATA.DTA", dest}).exitCode, 0);
  EXPECT_EQ(ReadBytes(dest), kNew);
}

TEST_F(ImpBigTest, InsertFailuresLeaveTheArchiveAsItWas) {
  const auto before = ReadBytes(archive_);
  ExpectFailure(Tool({"/i", archive_, "FrontFrench.bin", folder_ + "no source.bin", "/c"}), archive_, {53});
  EXPECT_EQ(ReadBytes(archive_), before);
  const std::string missing = folder_ + "missing.viv";
  ExpectFailure(Tool({"/i", missing, "FrontFrench.bin", archive_, "/c"}), missing, {53});
  ExpectFailure(Tool({"/r", missing}), missing, {53});
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(ImpBigTest, DamagedArchivesAreRefusedAndLeftUnchanged) {
  auto truncatedIndex = ReadBytes(archive_);
  truncatedIndex.resize(40);
  auto badMagic = ReadBytes(archive_);
  badMagic[3] = 'X';
  auto pastEnd = ReadBytes(archive_);
  pastEnd[17] = 0x7F;  // the first entry's offset
  auto hugeCount = ReadBytes(archive_);
  hugeCount[8] = 0x10;

  const std::string source = folder_ + "source.bin";
  WriteBytes(source, kNew);
  const std::string dest = folder_ + "dest.bin";
  for (const auto& damaged : {truncatedIndex, badMagic, pastEnd, hugeCount}) {
    WriteBytes(archive_, damaged);
    ExpectFailure(Tool({"/e", archive_, "GameFrench.bin", dest}), archive_, {7777});
    ExpectFailure(Tool({"/i", archive_, "GameFrench.bin", source, "/c"}), archive_, {7777});
    ExpectFailure(Tool({"/i", archive_, "new.bin", source, "/c"}), archive_, {7777});
    ExpectFailure(Tool({"/r", archive_}), archive_, {7777});
    EXPECT_EQ(ReadBytes(archive_), damaged);
    EXPECT_FALSE(std::filesystem::exists(dest));
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 2);  // no temporary files
}

// Archives as other tools make them; each must keep its conventions through
// a replacement in place, a replacement of the entry whose data comes first
// and a new entry (both rewrites), and the finishing run after each.
struct Shape {
  const char* what;
  LayoutShape shape;
};

const Shape kShapes[] = {
    {"size big-endian, header length at the data, data on words",
     {"BIGF", SizeField::BigEndian, HeaderLengthAt::FirstData, {}, 4}},
    {"header length at the index's end, a marker after it",
     {"BIG4", SizeField::LittleEndian, HeaderLengthAt::IndexEnd, {'L', '2', '2', '5', 0, 0, 0, 0}, 1}},
    {"header length one before the data, a marker with flags",
     {"BIGF",
      SizeField::LittleEndian,
      HeaderLengthAt::FirstDataMinusOne,
      {'L', '2', '5', '3', 0x15, 5, 0, 0, 0},
      1}},
    {"size field zero", {"BIGF", SizeField::Zero, HeaderLengthAt::FirstData, {'L', '2', '3', '1', 0}, 1}},
};

void ExpectConventions(const LayoutShape& shape, const std::string& archive) {
  const LayoutArchive a = ReadLayout(archive);
  EXPECT_EQ(a.magic, shape.magic);
  switch (shape.totalSize) {
    case SizeField::BigEndian: EXPECT_EQ(a.totalSizeBE, a.fileSize); break;
    case SizeField::LittleEndian: EXPECT_EQ(a.totalSize, a.fileSize); break;
    case SizeField::Zero: EXPECT_EQ(a.totalSize, 0u); break;
  }
  switch (shape.headerLength) {
    case HeaderLengthAt::IndexEnd: EXPECT_EQ(a.headerLength, a.indexEnd); break;
    case HeaderLengthAt::FirstData: EXPECT_EQ(a.headerLength, a.firstData); break;
    case HeaderLengthAt::FirstDataMinusOne: EXPECT_EQ(a.headerLength, a.firstData - 1); break;
  }
  if (shape.alignment > 1) {
    for (const LayoutEntry& e : a.entries)
      EXPECT_EQ(e.size == 0 ? 0 : e.offset % shape.alignment, 0u) << e.name;
    EXPECT_TRUE(std::all_of(a.gap.begin(), a.gap.end(), [](uint8_t b) { return b == 0; }));
  } else {
    EXPECT_EQ(a.gap, shape.gap);
  }
}

TEST_F(ImpBigTest, InsertAndFinishKeepEachArchivesConventions) {
  // Sizes that keep the unaligned shapes' offsets off word boundaries.
  const std::vector<uint8_t> front = Pattern(3002, 1), game = Pattern(4999, 2);
  const std::string source = folder_ + "source.bin";
  WriteBytes(source, kNew);
  struct Change {
    const char* entry;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> after;
  };
  const Change changes[] = {
      {"GameFrench.bin", {{"FrontFrench.bin", front}, {"GameFrench.bin", kNew}}},
      {"FrontFrench.bin", {{"FrontFrench.bin", kNew}, {"GameFrench.bin", game}}},
      {"emaildata.dta", {{"emaildata.dta", kNew}, {"FrontFrench.bin", front}, {"GameFrench.bin", game}}},
  };
  for (const Shape& shape : kShapes) {
    for (const Change& change : changes) {
      SCOPED_TRACE(std::string(shape.what) + ", " + change.entry);
      WriteBytes(archive_, BuildLayout(shape.shape, {{"FrontFrench.bin", front}, {"GameFrench.bin", game}}));
      ASSERT_EQ(Tool({"/i", archive_, change.entry, source, "/c"}).exitCode, 0);
      ExpectConventions(shape.shape, archive_);
      ASSERT_EQ(Tool({"/r", archive_}).exitCode, 0);
      ExpectConventions(shape.shape, archive_);
      const LayoutArchive a = ReadLayout(archive_);
      uint64_t data = 0;
      for (const LayoutEntry& e : a.entries) data += e.size;
      EXPECT_LE(a.fileSize - a.firstData - data, (shape.shape.alignment - 1) * a.entries.size())
          << "finished with dead space";
      ASSERT_EQ(a.entries.size(), change.after.size());
      for (size_t i = 0; i < a.entries.size(); ++i) {
        EXPECT_EQ(a.entries[i].name, change.after[i].first);
        EXPECT_TRUE(a.entries[i].data == change.after[i].second) << a.entries[i].name;
      }
    }
  }
}

// Text as a string table holds it: repeats near and far.
std::vector<uint8_t> TableText() {
  std::string text;
  for (int i = 0; i < 3000; ++i)
    text += "Line " + std::to_string(i % 97) + ": Ready to play? " + char('A' + i % 26);
  return std::vector<uint8_t>(text.begin(), text.end());
}

TEST_F(ImpBigTest, ExtractWritesEachEntryAsTheGameReadsIt) {
  const std::vector<uint8_t> text = TableText();
  std::vector<uint8_t> damaged = RefPackCompress(text);
  damaged.resize(damaged.size() / 2);
  const std::string utf8 =
      "data\\fe/Fran\xC3\xA7"
      "ais.bin";
  struct Case {
    const char* what;
    std::vector<LayoutEntry> entries;
    std::string name;
    std::vector<uint8_t> expected;
    bool fails = false;
  };
  const Case cases[] = {
      {"compressed", {{"a.bin", kFront}, {"GameFrench.bin", RefPackCompress(text)}}, "GameFrench.bin", text},
      {"compressed, with its compressed size",
       {{"t.bin", RefPackCompress(text, {false, true})}},
       "t.bin",
       text},
      {"compressed, 4-byte sizes", {{"t.bin", RefPackCompress(text, {true, false})}}, "t.bin", text},
      {"compressed, 4-byte sizes and compressed size",
       {{"t.bin", RefPackCompress(text, {true, true})}},
       "t.bin",
       text},
      {"compressed but damaged", {{"t.bin", damaged}}, "t.bin", {}, true},
      {"the first of two alike", {{"a.bin", kFront}, {"A.BIN", kGame}}, "a.BIN", kFront},
      {"a name with folders and UTF-8", {{"a.bin", kFront}, {utf8, kGame}}, utf8, kGame},
      {"an empty entry at the end of the file", {{"a.bin", kFront}, {"empty.bin", {}}}, "empty.bin", {}},
  };
  const std::string dest = folder_ + "out.bin";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(archive_, BuildLayout(LayoutShape{}, c.entries));
    const ProgramResult r = Tool({"/e", archive_, c.name, dest});
    if (c.fails) {
      ExpectFailure(r, archive_, {7777});
      EXPECT_FALSE(std::filesystem::exists(dest));
    } else {
      EXPECT_EQ(r.exitCode, 0) << r.err;
      EXPECT_TRUE(ReadBytes(dest) == c.expected);
    }
  }
}

TEST_F(ImpBigTest, InsertReplacesTheFirstOfTwoAlikeAndTakesAnyName) {
  const std::string utf8 =
      "data\\fe/Fran\xC3\xA7"
      "ais.bin";
  const std::string source = folder_ + "source.bin";
  WriteBytes(source, kNew);
  using Entries = std::vector<std::pair<std::string, std::vector<uint8_t>>>;
  struct Case {
    const char* what;
    std::vector<LayoutEntry> before;
    std::string name;
    Entries after;
  };
  const Case cases[] = {
      {"the first of two alike",
       {{"z.bin", kFront}, {"a.bin", kGame}, {"A.BIN", kFront}},
       "a.bin",
       {{"z.bin", kFront}, {"a.bin", kNew}, {"A.BIN", kFront}}},
      {"a name with folders and UTF-8", {{"a.bin", kFront}}, utf8, {{"a.bin", kFront}, {utf8, kNew}}},
      {"an empty entry at the end of the file",
       {{"a.bin", kFront}, {"b.bin", kGame}, {"empty.bin", {}}},
       "b.bin",
       {{"a.bin", kFront}, {"b.bin", kNew}, {"empty.bin", {}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(archive_, BuildLayout(LayoutShape{}, c.before));
    ASSERT_EQ(Tool({"/i", archive_, c.name, source, "/c"}).exitCode, 0);
    ASSERT_EQ(Tool({"/r", archive_}).exitCode, 0);
    const LayoutArchive a = ReadLayout(archive_);
    ASSERT_EQ(a.entries.size(), c.after.size());
    for (size_t i = 0; i < c.after.size(); ++i) {
      EXPECT_EQ(a.entries[i].name, c.after[i].first);
      EXPECT_TRUE(a.entries[i].data == c.after[i].second) << c.after[i].first;
    }
  }
}

}  // namespace
}  // namespace gs::test
