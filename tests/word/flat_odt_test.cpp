#include "word/writer/flat_odt.h"

#include <gtest/gtest.h>

#include <random>

#include "common/error.h"
#include "word/word_app.h"

namespace gs::writer {
namespace {

// The texts of the document's paragraphs, in order, read back under ODF's
// white-space rules. A literal blank is accepted only where those rules keep
// it unchanged (a single blank after a visible character, not at the end);
// anything else fails.
std::vector<std::string> ParagraphTexts(const std::string& fodt) {
  std::vector<std::string> texts;
  size_t at = 0;
  while ((at = fodt.find("<text:p", at)) != std::string::npos) {
    if (fodt.compare(at, 9, "<text:p/>") == 0) {
      texts.emplace_back();
      at += 9;
      continue;
    }
    const size_t open = fodt.find('>', at) + 1;
    const size_t close = fodt.find("</text:p>", open);
    const std::string body = fodt.substr(open, close - open);
    std::string text;
    for (size_t i = 0; i < body.size();) {
      if (body[i] == '<') {
        const size_t end = body.find("/>", i);
        const std::string tag = body.substr(i, end + 2 - i);
        if (tag == "<text:s/>") {
          text += ' ';
        } else if (tag.starts_with("<text:s text:c=\"")) {
          text += std::string(std::stoul(tag.substr(16)), ' ');
        } else if (tag == "<text:tab/>") {
          text += '\t';
        } else if (tag == "<text:line-break/>") {
          text += '\n';
        } else {
          ADD_FAILURE() << "unexpected " << tag;
        }
        i = end + 2;
      } else if (body[i] == '&') {
        const size_t end = body.find(';', i);
        const std::string entity = body.substr(i, end + 1 - i);
        text += entity == "&amp;" ? "&" : entity == "&lt;" ? "<" : entity == "&gt;" ? ">" : "?";
        i = end + 1;
      } else {
        const char c = body[i];
        if (c == ' ') {
          const bool afterVisible = i > 0 && body[i - 1] != ' ' && body[i - 1] != '>';
          const bool beforeVisible = i + 1 < body.size() && body[i + 1] != ' ';
          EXPECT_TRUE(afterVisible && beforeVisible) << "ambiguous blank in: " << body;
        }
        EXPECT_TRUE(c != '\t' && c != '\n' && c != '\r') << "literal white space in: " << body;
        text += c;
        ++i;
      }
    }
    texts.push_back(text);
    at = close;
  }
  return texts;
}

TEST(FlatOdtTest, KeepsEveryCharacterOfParagraphsAndCells) {
  const std::vector<std::string> samples = {"",       " ",        "  ",       "a b",   "a  b",
                                            " lead",  "trail ",   "  both  ", "\tt\t", "a\nb",
                                            "<&>\"'", "Привет @", "x \t y",   "\n ",   " \n"};
  std::vector<std::vector<std::string>> rows;
  for (size_t i = 0; i + 1 < samples.size(); i += 2) rows.push_back({samples[i], samples[i + 1]});
  const TextDocument d({std::string("  paragraph  "), Table{rows}});
  std::vector<std::string> expected = {"  paragraph  "};
  for (const auto& row : rows) expected.insert(expected.end(), row.begin(), row.end());
  expected.push_back("");  // the final paragraph
  EXPECT_EQ(ParagraphTexts(FlatOdt(d)), expected);
}

TEST(FlatOdtTest, RandomTextsSurviveTheWhiteSpaceRules) {
  std::mt19937 random(7);
  const std::vector<std::string> alphabet = {" ", " ", "a", "ж", "\t", "\n", "&", "<", "@"};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 12);
    for (int k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
    const TextDocument d({text});
    EXPECT_EQ(ParagraphTexts(FlatOdt(d)).at(0), text);
  }
}

TEST(FlatOdtTest, DeclaresTheTableColumnsAndKeepsCellsStrings) {
  const TextDocument d({Table{{{"00123", "1.5"}, {"x"}}}});
  const std::string fodt = FlatOdt(d);
  EXPECT_NE(fodt.find("table:number-columns-repeated=\"2\""), std::string::npos);
  EXPECT_NE(fodt.find("<table:table-cell office:value-type=\"string\"><text:p>00123</text:p>"),
            std::string::npos);
  EXPECT_EQ(fodt.find("office:value-type=\"float\""), std::string::npos);
}

TEST(FlatOdtTest, RefusesCharactersWriterWouldDropNamingWhere) {
  const auto errorOf = [](const TextDocument& d) -> std::string {
    try {
      FlatOdt(d);
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), wderr::CommandFailed);
      return e.Description();
    }
    return "accepted";
  };
  EXPECT_NE(errorOf(TextDocument({Table{{{"ok", "ok"}, {"ok", std::string("a\0b", 3)}}}}))
                .find("table 1 row 2 column 2"),
            std::string::npos);
  EXPECT_NE(errorOf(TextDocument({std::string("x"), std::string("\x1F")}))
                .find("paragraph 2 holds the character U+001F"),
            std::string::npos);
  EXPECT_NE(errorOf(TextDocument({std::string("\xEF\xBF\xBE")})).find("U+FFFE"), std::string::npos);
  EXPECT_NE(errorOf(TextDocument({std::string("\xC3")})).find("not UTF-8"), std::string::npos);
}

}  // namespace
}  // namespace gs::writer
