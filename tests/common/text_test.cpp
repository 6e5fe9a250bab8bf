#include "common/text.h"

#include <gtest/gtest.h>

namespace gs {
namespace {

// Only ASCII letters fold; every other byte orders by its unsigned value, so
// that archive names sort as the game's tools sort them.
TEST(TextTest, AsciiLetterCaseAsideAndNothingElse) {
  EXPECT_TRUE(SameIgnoringAsciiCase("FrontFrench.BIN", "frontfrench.bin"));
  EXPECT_FALSE(SameIgnoringAsciiCase("\xC3\x84", "\xC3\xA4"));  // Ä and ä stay apart
  EXPECT_FALSE(SameIgnoringAsciiCase("ab", "abc"));
  EXPECT_TRUE(LessIgnoringAsciiCase("apple", "BANANA"));
  EXPECT_TRUE(LessIgnoringAsciiCase("z", "\xC3\xA4"));  // a byte past 0x7F after every ASCII letter
  EXPECT_FALSE(LessIgnoringAsciiCase("ABC", "abc"));
  EXPECT_EQ(LowerAscii("KT\\Efiles\\\xD0\x90.DOC"), "kt\\efiles\\\xD0\x90.doc");
  EXPECT_EQ(Quoted("C:\\the game\\"), "\"C:\\the game\\\"");
}

}  // namespace
}  // namespace gs
