// The archive library, checked against the reader written from the layout.
#include "archive/bigf.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/error.h"
#include "tests/support/bigf_layout.h"
#include "tests/support/test_process.h"

namespace gs::test {
namespace {

using bigf::FinishOutcome;
using bigf::InsertOutcome;

class BigfTest : public ::testing::Test {
 protected:
  std::string Archive() const { return dir_ / "local.viv"; }

  void MakeArchive(const std::vector<LayoutEntry>& entries, const std::string& magic = "BIGF",
                   const std::vector<uint8_t>& trailer = {}) {
    WriteBytes(Archive(), BuildLayout(magic, entries, trailer));
  }

  std::string Source(const std::vector<uint8_t>& bytes) {
    const std::string path = dir_ / ("source" + std::to_string(++sources_));
    WriteBytes(path, bytes);
    return path;
  }

  // The archive's entries, read by the independent reader; every entry of
  // `expected` must be there with its data, in that order.
  void ExpectEntries(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& expected) {
    const LayoutArchive a = ReadLayout(Archive());
    ASSERT_EQ(a.entries.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(a.entries[i].name, expected[i].first);
      EXPECT_TRUE(a.entries[i].data == expected[i].second) << "entry " << expected[i].first;
    }
  }

  ScratchDir dir_{"bigf"};
  int sources_ = 0;
};

const std::vector<uint8_t> kFront = Pattern(3000, 1);
const std::vector<uint8_t> kGame = Pattern(5000, 2);
const std::vector<uint8_t> kNew = Pattern(4321, 3);

TEST_F(BigfTest, CreatedArchivesFollowTheLayout) {
  const std::vector<uint8_t> empty;
  const bigf::NewEntry entries[] = {
      {"FrontFrench.bin", kFront}, {"empty.bin", empty}, {"GameFrench.bin", kGame}};
  bigf::Create(Archive(), entries, "BIG4");
  const LayoutArchive a = ReadLayout(Archive());
  EXPECT_EQ(a.magic, "BIG4");
  EXPECT_EQ(a.totalSize, a.fileSize);
  EXPECT_EQ(a.headerLength, 16u + 3 * 9 + 15 + 9 + 14);
  ExpectEntries({{"FrontFrench.bin", kFront}, {"empty.bin", {}}, {"GameFrench.bin", kGame}});

  const bigf::Reader reader(Archive());
  EXPECT_EQ(reader.Read(reader.Get("gamefrench.BIN")), kGame);
}

TEST_F(BigfTest, CreateRefusesNamesItCouldNotStoreOrFindAgain) {
  const bigf::NewEntry twins[] = {{"a.bin", kFront}, {"A.BIN", kGame}};
  const bigf::NewEntry empty[] = {{"", kFront}};
  const bigf::NewEntry zero[] = {{std::string("a\0b", 3), kFront}};
  EXPECT_THROW(bigf::Create(Archive(), twins), Error);
  EXPECT_THROW(bigf::Create(Archive(), empty), Error);
  EXPECT_THROW(bigf::Create(Archive(), zero), Error);
  EXPECT_THROW(bigf::Create(Archive(), {}, "BIGG"), Error);
  EXPECT_FALSE(std::filesystem::exists(Archive()));
}

TEST_F(BigfTest, MissingEntryRaises53NamingTheArchive) {
  MakeArchive({{"a.bin", kFront}});
  try {
    bigf::Extract(Archive(), "b.bin", dir_ / "out");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 53);
    EXPECT_NE(e.Description().find(Archive()), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "out"));
}

TEST_F(BigfTest, ExtractWritesExactlyTheEntryAndNeverOverTheArchive) {
  MakeArchive({{"a.bin", kFront}, {"B.bin", kGame}});
  bigf::Extract(Archive(), "b.BIN", dir_ / "out");
  EXPECT_EQ(ReadBytes(dir_ / "out"), kGame);

  const auto before = ReadBytes(Archive());
  std::filesystem::create_hard_link(Archive(), dir_ / "link");
  EXPECT_THROW(bigf::Extract(Archive(), "a.bin", dir_ / "link"), Error);
  EXPECT_THROW(bigf::Extract(Archive(), "a.bin", Archive()), Error);
  EXPECT_EQ(ReadBytes(Archive()), before);
}

// Damaged archives: each must be refused with error 7777 naming the archive.
struct Damage {
  const char* what;
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Good() {
  return BuildLayout("BIGF", {{"a.bin", Pattern(100, 1)}, {"b.bin", Pattern(50, 2)}});
}

std::vector<uint8_t> With(std::vector<uint8_t> b, size_t at, std::vector<uint8_t> bytes) {
  std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
  return b;
}

std::vector<Damage> Damages() {
  const auto good = Good();
  // Header length of the good archive: 16 + 2 records of 8 + "a.bin\0".
  const uint8_t hl = 16 + 2 * 14;
  std::vector<uint8_t> unterminated = good;
  unterminated[16 + 8 + 5] = 'x';  // the zero byte of the first name
  std::vector<uint8_t> lastUnterminated = good;
  lastUnterminated[hl - 1] = 'x';
  return {
      {"empty", {}},
      {"truncated header", std::vector<uint8_t>(good.begin(), good.begin() + 10)},
      {"truncated index", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
      {"truncated data", std::vector<uint8_t>(good.begin(), good.end() - 1)},
      {"wrong magic", With(good, 0, {'B', 'I', 'G', 'X'})},
      {"lower-case magic", With(good, 0, {'b', 'i', 'g', 'f'})},
      {"header length below 16", With(good, 12, {0, 0, 0, 15})},
      {"header length past the end", With(good, 12, {0, 0, 0x10, 0})},
      {"count that cannot fit", With(good, 8, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"count one too many", With(good, 8, {0, 0, 0, 3})},
      {"name without its zero byte", unterminated},
      {"last name without its zero byte", lastUnterminated},
      {"offset past the end", With(good, 16, {0, 0, 0x10, 0})},
      {"size past the end", With(good, 20, {0, 0, 0, 0xFF})},
      {"offset and size wrapping 32 bits", With(good, 16, {0xFF, 0xFF, 0xFF, 0xF0, 0, 0, 0, 0x20})},
  };
}

TEST_F(BigfTest, DamagedArchivesAreRefusedNamingTheArchive) {
  for (const Damage& d : Damages()) {
    SCOPED_TRACE(d.what);
    WriteBytes(Archive(), d.bytes);
    try {
      bigf::Reader reader(Archive());
      FAIL() << "accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), rt::UnknownDataFormat);
      EXPECT_NE(e.Description().find(Archive()), std::string::npos) << e.Description();
    }
    const std::string source = Source(kNew);
    EXPECT_THROW(bigf::Insert(Archive(), "a.bin", source), Error);
    EXPECT_THROW(bigf::Finish(Archive()), Error);
    EXPECT_EQ(ReadBytes(Archive()), d.bytes);
  }
}

TEST_F(BigfTest, ReplacingAnEntryAppendsItsDataAndKeepsEverythingElse) {
  const std::vector<uint8_t> footer = {'L', '2', '3', '1', 0, 0, 0, 0};
  MakeArchive({{"FrontFrench.bin", kFront}, {"GameFrench.bin", kGame}}, "BIG4", footer);
  const uint64_t before = std::filesystem::file_size(Archive());

  EXPECT_EQ(bigf::Insert(Archive(), "GAMEfrench.bin", Source(kNew)), InsertOutcome::ReplacedInPlace);
  const LayoutArchive a = ReadLayout(Archive());
  EXPECT_EQ(a.fileSize, before + kNew.size());
  EXPECT_EQ(a.totalSize, a.fileSize);
  EXPECT_EQ(a.magic, "BIG4");
  EXPECT_EQ(a.trailer, footer);
  ExpectEntries({{"FrontFrench.bin", kFront}, {"GameFrench.bin", kNew}});

  // A small archive is worth compacting right away.
  EXPECT_EQ(bigf::Finish(Archive()), FinishOutcome::Compacted);
  EXPECT_EQ(std::filesystem::file_size(Archive()), before - kGame.size() + kNew.size());
  EXPECT_EQ(ReadLayout(Archive()).trailer, footer);
  ExpectEntries({{"FrontFrench.bin", kFront}, {"GameFrench.bin", kNew}});
  EXPECT_EQ(bigf::Finish(Archive()), FinishOutcome::Unchanged);
}

TEST_F(BigfTest, NewEntriesGoInNameOrderWhenTheIndexIsSorted) {
  MakeArchive({{"b.bin", kFront}, {"D.bin", kGame}});
  EXPECT_EQ(bigf::Insert(Archive(), "c.bin", Source(kNew)), InsertOutcome::Rewritten);
  EXPECT_EQ(bigf::Insert(Archive(), "a.bin", Source(kFront)), InsertOutcome::Rewritten);
  EXPECT_EQ(bigf::Insert(Archive(), "e.bin", Source({})), InsertOutcome::Rewritten);
  ExpectEntries({{"a.bin", kFront}, {"b.bin", kFront}, {"c.bin", kNew}, {"D.bin", kGame}, {"e.bin", {}}});
  EXPECT_EQ(ReadLayout(Archive()).totalSize, std::filesystem::file_size(Archive()));
}

TEST_F(BigfTest, NewEntriesGoLastWhenTheIndexIsNotSorted) {
  MakeArchive({{"z.bin", kFront}, {"b.bin", kGame}});
  bigf::Insert(Archive(), "c.bin", Source(kNew));
  ExpectEntries({{"z.bin", kFront}, {"b.bin", kGame}, {"c.bin", kNew}});
}

TEST_F(BigfTest, EmptySourceMakesAnEmptyEntry) {
  MakeArchive({{"a.bin", kFront}, {"b.bin", kGame}});
  EXPECT_EQ(bigf::Insert(Archive(), "b.bin", Source({})), InsertOutcome::ReplacedInPlace);
  ExpectEntries({{"a.bin", kFront}, {"b.bin", {}}});
  bigf::Finish(Archive());
  ExpectEntries({{"a.bin", kFront}, {"b.bin", {}}});
}

TEST_F(BigfTest, SectorAlignedArchivesStayAligned) {
  // Data on 2048-byte boundaries, as written for CD sectors.
  std::vector<uint8_t> b = BuildLayout("BIGF", {{"a.bin", {}}, {"b.bin", {}}});
  b.resize(2048 * 3);
  const auto put = [&b](size_t at, uint32_t v) {
    for (int i = 3; i >= 0; --i, v >>= 8) b[at + i] = uint8_t(v);
  };
  put(16, 2048);  // a.bin: 1000 bytes at 2048
  put(20, 1000);
  put(16 + 14, 4096);  // b.bin: 2048 bytes at 4096
  put(16 + 14 + 4, 2048);
  std::copy(kFront.begin(), kFront.begin() + 1000, b.begin() + 2048);
  std::copy(kGame.begin(), kGame.begin() + 2048, b.begin() + 4096);
  WriteBytes(Archive(), b);

  bigf::Insert(Archive(), "a.bin", Source(kNew));
  bigf::Insert(Archive(), "c.bin", Source(kNew));
  const LayoutArchive a = ReadLayout(Archive());
  ASSERT_EQ(a.entries.size(), 3u);
  for (const auto& e : a.entries) EXPECT_EQ(e.offset % 2048, 0u) << e.name;
  EXPECT_EQ(a.entries[0].data, kNew);
}

TEST_F(BigfTest, RecordCrossingASectorIsReplacedByARewrite) {
  // The first record starts at 16; a 483-byte name puts the second record at
  // 16 + 8 + 484 = 508, across the boundary at 512.
  const std::string longName(483, 'n');
  MakeArchive({{longName, kFront}, {"b.bin", kGame}, {"c.bin", kNew}});
  EXPECT_EQ(bigf::Insert(Archive(), "B.bin", Source(kNew)), InsertOutcome::Rewritten);
  EXPECT_EQ(bigf::Insert(Archive(), "c.bin", Source(kGame)), InsertOutcome::ReplacedInPlace);
  ExpectEntries({{longName, kFront}, {"b.bin", kNew}, {"c.bin", kGame}});
}

TEST_F(BigfTest, FinishCutsOffTrailingBytesAndSetsTheTotalSize) {
  // 20 MiB of live data: a few dead bytes are not worth a rewrite.
  const auto big = Pattern(20 << 20, 7);
  MakeArchive({{"big.bin", big}, {"a.bin", kFront}});
  bigf::Insert(Archive(), "a.bin", Source(kNew));
  auto bytes = ReadBytes(Archive());
  const size_t finished = bytes.size();
  bytes.insert(bytes.end(), 777, 0xAB);  // an append cut short by a kill
  bytes[4] ^= 1;                         // and a stale total size
  WriteBytes(Archive(), bytes);

  EXPECT_EQ(bigf::Finish(Archive()), FinishOutcome::Updated);
  const LayoutArchive a = ReadLayout(Archive());
  EXPECT_EQ(a.fileSize, finished);
  EXPECT_EQ(a.totalSize, finished);
  ExpectEntries({{"big.bin", big}, {"a.bin", kNew}});
  EXPECT_EQ(bigf::Finish(Archive()), FinishOutcome::Unchanged);
}

TEST_F(BigfTest, FinishCompactsOnceDeadSpaceOutweighsTheCost) {
  EXPECT_FALSE(bigf::WorthCompacting(0, 1000));
  EXPECT_TRUE(bigf::WorthCompacting(1, 1000));
  EXPECT_FALSE(bigf::WorthCompacting(100 << 20, 1u << 30));
  EXPECT_TRUE(bigf::WorthCompacting(300 << 20, 1u << 30));

  const auto big = Pattern(20 << 20, 7);
  const auto chunk = Pattern(2 << 20, 8);
  MakeArchive({{"big.bin", big}, {"a.bin", chunk}});
  const std::string source = Source(chunk);
  for (int i = 0; i < 2; ++i) {
    bigf::Insert(Archive(), "a.bin", source);
    EXPECT_EQ(bigf::Finish(Archive()), FinishOutcome::Unchanged);
  }
  bigf::Insert(Archive(), "a.bin", source);  // 6 MiB dead of 22 MiB live
  EXPECT_EQ(bigf::Finish(Archive()), FinishOutcome::Compacted);
  EXPECT_EQ(std::filesystem::file_size(Archive()),
            BuildLayout("BIGF", {{"big.bin", big}, {"a.bin", chunk}}).size());
  ExpectEntries({{"big.bin", big}, {"a.bin", chunk}});
}

TEST_F(BigfTest, ReplacementThatWouldPassFourGiBRewritesCompactly) {
  // A sparse archive whose last entry ends just below 4 GiB.
  const uint32_t at = 0xFFFFFF00u;
  std::vector<uint8_t> b = BuildLayout("BIGF", {{"a.bin", kFront}, {"far.bin", {}}});
  const size_t farRecord = 16 + 14;
  for (int i = 0; i < 4; ++i) b[farRecord + i] = uint8_t(at >> (24 - 8 * i));
  b[farRecord + 7] = 0x80;
  WriteBytes(Archive(), b);
  std::filesystem::resize_file(Archive(), uint64_t{at} + 0x80);

  EXPECT_EQ(bigf::Insert(Archive(), "a.bin", Source(kNew)), InsertOutcome::Rewritten);
  EXPECT_LT(std::filesystem::file_size(Archive()), 1u << 20);
  ExpectEntries({{"a.bin", kNew}, {"far.bin", std::vector<uint8_t>(0x80, 0)}});
}

}  // namespace
}  // namespace gs::test
