// RefPack decompression against data written by hand from the format's
// description, against damage, and against the tests' own compressor.
#include "archive/refpack.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "tests/support/bigf_layout.h"
#include "tests/support/refpack_pack.h"

namespace gs::test {
namespace {

using Data = std::vector<uint8_t>;

Data Text(const std::string& s) {
  return Data(s.begin(), s.end());
}

// Header, then commands with their literal bytes.
Data Stream(Data header, const std::string& commands) {
  header.insert(header.end(), commands.begin(), commands.end());
  return header;
}

TEST(RefPack, EachCommandAndHeaderDecodesAsDescribed) {
  struct Case {
    const char* what;
    Data data;
    std::string expected;
  };
  const Data small = {0x10, 0xFB, 0, 0, 5};
  std::string ab302;
  for (int i = 0; i < 151; ++i) ab302 += "ab";
  const Case cases[] = {
      {"four literals, then one with the stop",
       Stream(small,
              "\xE0"
              "abcd"
              "\xFD"
              "e"),
       "abcde"},
      {"compressed-size field",
       Stream({0x11, 0xFB, 0xAA, 0xBB, 0xCC, 0, 0, 5},
              "\xE0"
              "abcd"
              "\xFD"
              "e"),
       "abcde"},
      {"4-byte size",
       Stream({0x90, 0xFB, 0, 0, 0, 5},
              "\xE0"
              "abcd"
              "\xFD"
              "e"),
       "abcde"},
      {"4-byte sizes and compressed size",
       Stream({0x91, 0xFB, 1, 2, 3, 4, 0, 0, 0, 5},
              "\xE0"
              "abcd"
              "\xFD"
              "e"),
       "abcde"},
      // 0F 02: 3 literals, a run of 6 from 3 back.
      {"2-byte command, overlapping run",
       Stream({0x10, 0xFB, 0, 0, 9}, std::string("\x0F\x02"
                                                 "abc\xFC")),
       "abcabcabc"},
      // 80 80 05: 2 literals, a run of 4 from 6 back.
      {"3-byte command",
       Stream({0x10, 0xFB, 0, 0, 10},
              "\xE0"
              "xyzw"
              "\x80\x80\x05"
              "pq"
              "\xFC"),
       "xyzwpqxyzw"},
      // C6 00 01 27: 2 literals, a run of 300 from 2 back.
      {"4-byte command",
       Stream({0x10, 0xFB, 0, 1, 0x2E}, std::string("\xC6\x00\x01\x27"
                                                    "ab\xFC",
                                                    7)),
       ab302},
      {"nothing", Stream({0x10, 0xFB, 0, 0, 0}, "\xFC"), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(refpack::IsCompressed(c.data));
    EXPECT_EQ(refpack::Decompress(c.data, "t"), Text(c.expected));
  }
}

TEST(RefPack, DamagedDataIsRefusedWith7777) {
  struct Case {
    const char* what;
    Data data;
  };
  const Case cases[] = {
      {"header cut short", {0x10, 0xFB, 0}},
      {"size beyond what the commands can make", Stream({0x10, 0xFB, 0xFF, 0xFF, 0xFF}, "\xFC")},
      {"no stop command", Stream({0x10, 0xFB, 0, 0, 4},
                                 "\xE0"
                                 "abcd")},
      {"run from before the first byte", Stream({0x10, 0xFB, 0, 0, 3}, std::string("\x00\x05\xFC", 3))},
      {"literals past the end", Stream({0x10, 0xFB, 0, 0, 8},
                                       "\xE4"
                                       "abc")},
      {"command cut short", Stream({0x10, 0xFB, 0, 0, 5}, std::string("\xC0\x00", 2))},
      {"more than declared", Stream({0x10, 0xFB, 0, 0, 2},
                                    "\xE0"
                                    "abcd"
                                    "\xFC")},
      {"less than declared", Stream({0x10, 0xFB, 0, 0, 9},
                                    "\xE0"
                                    "abcd"
                                    "\xFC")},
      {"run past the declared size", Stream({0x10, 0xFB, 0, 0, 6}, std::string("\x0F\x02"
                                                                               "abc\xFC"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      refpack::Decompress(c.data, "The entry \"t\"");
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), rt::UnknownDataFormat);
      EXPECT_EQ(e.Description().rfind("The entry \"t\" is compressed", 0), 0u) << e.Description();
    }
  }
  for (const Data& plain : {Data{0x30, 0xFB, 0, 0, 0}, Data{0x50, 0xFB}, Data{0x10, 0xFA}, Data{0x10}}) {
    EXPECT_FALSE(refpack::IsCompressed(plain));
  }
}

TEST(RefPack, CompressedDataComesBackWhole) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "Entry " + std::to_string(i % 251) + " of the front end; ";
  const Data inputs[] = {{}, {'x'}, Data(70000, 0), Pattern(100000, 4), Text(text)};
  for (const Data& input : inputs) {
    for (const RefPackHeader header : {RefPackHeader{}, RefPackHeader{true, true}}) {
      EXPECT_EQ(refpack::Decompress(RefPackCompress(input, header), "t"), input) << input.size() << " bytes";
    }
  }
}

}  // namespace
}  // namespace gs::test
