// Helpers of the format tests: a scratch folder, byte literals, and a reader
// of string tables written here, independent of the code under test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/file.h"
#include "tests/support/test_process.h"

namespace gs::test {

inline Bytes B(std::initializer_list<int> bytes) {
  Bytes out;
  for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
  return out;
}

inline Bytes B(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline Bytes Int32(int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  return B({static_cast<int>(u & 0xFF), static_cast<int>(u >> 8 & 0xFF), static_cast<int>(u >> 16 & 0xFF),
            static_cast<int>(u >> 24)});
}

inline int32_t Int32At(const Bytes& b, size_t at) {
  return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                              static_cast<uint32_t>(b[at + 3]) << 24);
}

// A string table with the given strings laid out in entry order.
inline Bytes StringTableOf(const std::vector<Bytes>& strings, int32_t firstWord = 0x11223344) {
  const auto count = static_cast<int32_t>(strings.size());
  Bytes t = Cat({Int32(firstWord), Int32(count), Int32(0x55667788), Int32(0x0A0B0C0D)});
  const auto append = [&t](const Bytes& part) { t.insert(t.end(), part.begin(), part.end()); };
  for (int32_t i = 0; i < count; ++i) append(Int32(1000 + i));
  int32_t at = 16 + 8 * count;
  for (const Bytes& s : strings) {
    append(Int32(at));
    at += static_cast<int32_t>(s.size()) + 1;
  }
  for (const Bytes& s : strings) {
    append(s);
    t.push_back(0x00);
  }
  return t;
}

// The stored strings of a string table's entries, read without the codec.
inline std::vector<Bytes> StoredStrings(const Bytes& table) {
  const int32_t count = Int32At(table, 4);
  std::vector<Bytes> strings;
  for (int32_t i = 0; i < count; ++i) {
    size_t at = static_cast<size_t>(Int32At(table, 16 + 4 * static_cast<size_t>(count + i)));
    Bytes s;
    while (at < table.size() && table[at] != 0) s.push_back(table[at++]);
    strings.push_back(s);
  }
  return strings;
}

// A field that tries the edges of the mappings: lead bytes of both kinds and
// directions (at the end too), their second bytes, control bytes and line
// ends, mixed with plain text; sometimes empty. No zero byte.
inline Bytes AwkwardField(std::mt19937& rng) {
  static const uint8_t kBytes[] = {0xC2, 0xC3, 0xC6, 0xC7, 0xD0, 0xD1, 0xA8, 0xB8, 0x80, 0x81,
                                   0x91, 0xBF, 0x0A, 0x0D, 0x09, 0x01, 'a',  ' ',  '@',  0xFF};
  const unsigned length = rng() % 4 == 0 ? 0 : rng() % 120;
  Bytes field(length);
  for (uint8_t& b : field) {
    b = rng() % 3 == 0 ? kBytes[rng() % sizeof kBytes] : static_cast<uint8_t>(1 + rng() % 255);
  }
  if (length > 0 && rng() % 4 == 0) field.back() = kBytes[rng() % 6];  // a lead byte at the end
  return field;
}

// An edited field as a word processor saves it, UTF-8 throughout, that tries
// the edges of the mappings: Cyrillic letters that go both ways and others
// that do not, Latin letters in their stored Cyrillic form, longer
// characters, control bytes; sometimes empty. No zero byte and no 0x0A.
inline Bytes AwkwardEditField(std::mt19937& rng) {
  static const std::string_view kPieces[] = {"\xD0\x90",
                                             "\xD1\x8F",
                                             "\xD0\x81",
                                             "\xD1\x91",
                                             "\xD0\x80",
                                             "\xD1\x92",
                                             "\xD0\xBF",
                                             "\xC2\xA8",
                                             "\xC3\x80",
                                             "\xC3\xBF",
                                             "\xC7\x80",
                                             "\xC6\xB8",
                                             "\xE2\x80\x94",
                                             "\xF0\x9F\x8F\x92",
                                             "\t",
                                             "\x01",
                                             "\r",
                                             "a",
                                             " ",
                                             "@"};
  const unsigned pieces = rng() % 4 == 0 ? 0 : rng() % 60;
  Bytes field;
  for (unsigned i = 0; i < pieces; ++i) {
    const std::string_view piece = kPieces[rng() % std::size(kPieces)];
    field.insert(field.end(), piece.begin(), piece.end());
  }
  return field;
}

inline Bytes Masked(Bytes b) {
  for (uint8_t& c : b) c = (c >= 1 && c <= 0x1F) ? '@' : c;
  return b;
}

inline Bytes WithByteOrderMark(const Bytes& text) {
  return Cat({B({0xEF, 0xBB, 0xBF}), text});
}

// Expects fn to raise error number; returns the description.
template <typename Fn>
std::string ErrorOf(int32_t number, Fn fn) {
  try {
    fn();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), number) << e.Description();
    EXPECT_EQ(e.Source(), "Glossmith");
    return e.Description();
  }
  ADD_FAILURE() << "no error " << number << " raised";
  return {};
}

// A scratch folder per test, removed afterwards.
class ScratchFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("gs-formats-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    openBefore_ = OpenHandleCount();
  }
  void TearDown() override {
    EXPECT_EQ(OpenHandleCount(), openBefore_) << "a file was left open";
    std::filesystem::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const Bytes& data) const { WriteWholeFile(Path(name), data); }
  Bytes Read(const std::string& name) const { return ReadWholeFile(Path(name)); }
  bool Exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }
  // Names in the folder, so that tests can see that no temporary file stayed.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path dir_;
  int openBefore_ = 0;
};

}  // namespace gs::test

namespace gs::test {

// An e-mail data file read without the code under test: each record with its
// strings looked up.
struct PlainEmailRecord {
  std::vector<int32_t> values;
  Bytes tag;
  Bytes heading;
  std::vector<Bytes> strings;
  bool operator==(const PlainEmailRecord&) const = default;
};

inline Bytes ZeroTerminatedAt(const Bytes& file, size_t& at) {
  Bytes s;
  while (at < file.size() && file[at] != 0) s.push_back(file[at++]);
  ++at;
  return s;
}

inline std::vector<PlainEmailRecord> PlainEmailRecords(const Bytes& file) {
  const int32_t count = Int32At(file, 0);
  const int32_t area = Int32At(file, 4);
  std::vector<PlainEmailRecord> records;
  size_t at = 8;
  for (int32_t r = 0; r < count; ++r) {
    PlainEmailRecord record;
    for (int i = 0; i < 5; ++i, at += 4) record.values.push_back(Int32At(file, at));
    record.tag = ZeroTerminatedAt(file, at);
    record.heading = ZeroTerminatedAt(file, at);
    for (int32_t k = 0; k < record.values[2]; ++k, at += 4) {
      size_t s = static_cast<size_t>(area + Int32At(file, at));
      record.strings.push_back(ZeroTerminatedAt(file, s));
    }
    records.push_back(record);
  }
  return records;
}

}  // namespace gs::test
