#include "word/writer/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/error.h"
#include "tests/support/test_folder.h"
#include "word/word_app.h"

namespace gs::writer {
namespace {

using Lines = std::vector<std::string>;
const std::string kNul(1, '\0');

TEST(TextFileTest, SplitsLinesAsWordReadsThem) {
  EXPECT_EQ(TextParagraphs("a\r\nb\r\n", "f"), (Lines{"a", "b"}));
  EXPECT_EQ(TextParagraphs("a\rb\nc", "f"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(TextParagraphs("a\r\n\r\n", "f"), (Lines{"a", ""}));
  EXPECT_EQ(TextParagraphs("", "f"), Lines{});
  EXPECT_EQ(TextParagraphs("\xEF\xBB\xBFx", "f"), (Lines{"x"}));
  // NUL and every other byte of a line are kept.
  EXPECT_EQ(TextParagraphs("ж" + kNul + "e\t@\r\n", "f"), (Lines{"ж" + kNul + "e\t@"}));
}

TEST(TextFileTest, RefusesBytesThatAreNotUtf8NamingTheLine) {
  for (const std::string bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\xFF"}) {
    try {
      TextParagraphs("fine\r\nalso fine\r\nthen " + bad + "\r\n", "t.txt");
      FAIL() << "accepted " << bad;
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), wderr::CommandFailed);
      EXPECT_NE(e.Description().find("t.txt"), std::string::npos);
      EXPECT_NE(e.Description().find("line 3"), std::string::npos) << e.Description();
    }
  }
}

TEST(TextFileTest, WritesAByteOrderMarkAndCrLfPerLine) {
  EXPECT_EQ(TextFileBytes({"a" + kNul + "b", ""}, true),
            "\xEF\xBB\xBF"
            "a" +
                kNul + "b\r\n\r\n");
  EXPECT_EQ(TextFileBytes({}, false), "");
  // What a converter writes comes back byte for byte.
  const std::string file = "Строка" + kNul + "Line\r\n" + kNul + "\r\n";
  EXPECT_EQ(TextFileBytes(TextParagraphs(file, "f"), false), file);
}

class TextFileFolderTest : public gs::testing::FolderTest {};

TEST_F(TextFileFolderTest, ReadsAndReplacesFiles) {
  const std::string path = Path("t.txt");
  try {
    ReadTextDocument(path);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), wderr::FileNotFound);
  }
  Write(path, "old content that is longer");
  WriteTextDocument(path, {"new"});
  EXPECT_EQ(Read(path), "\xEF\xBB\xBFnew\r\n");
  const TextDocument d = ReadTextDocument(path);
  EXPECT_EQ(d.Lines(), (Lines{"new"}));
  EXPECT_FALSE(d.Modified());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);  // no temporary left
}

}  // namespace
}  // namespace gs::writer
