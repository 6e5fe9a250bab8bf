// Tables as PO files, checked with GNU gettext's own tools: what we write is
// accepted by msgfmt --check, and what msgfilter or msgmerge changed comes
// back into the table; a PO file that does not match the table is refused.
#include "po/table_po.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "common/error.h"
#include "common/fs.h"
#include "tests/po/gettext_tool.h"
#include "tests/support/test_process.h"
#include "tools/sample/sample_tables.h"

namespace gs {
namespace {

constexpr SampleSizes kSizes{.Entries = 150, .Records = 12, .Seed = 31};

void RunTool(std::vector<std::string> argv) {
  argv[0] = test::GettextTool(argv[0]);
  const test::ProgramResult run = test::RunProgram(argv);
  EXPECT_EQ(run.exitCode, 0) << argv[0] << ": " << run.err;
  EXPECT_EQ(run.err, "") << argv[0];  // no warning either
}

struct Kind {
  const char* type;
  std::string name;       // the language's table
  std::string template_;  // its English twin
  const char* language;
};

const Kind kKinds[] = {
    {"Front", "FrontFrench.bin", "frontEnglish.bin", "French(Russian)"},
    {"Game", "GameGerman.bin", "gameEnglish.bin", "German"},
    {"E-Mail", "emaildataCzech.dta", "emaildata.dta", "Czech"},
};

class TablePo : public ::testing::Test {
 protected:
  void SetUp() override { WriteSampleTables(dir_.Path(), kSizes); }

  Bytes Table(const std::string& name) const { return ReadWholeFile(dir_ / name); }
  TablePair Pair(const Kind& k, const Bytes& work, const Bytes& english) const {
    return {k.name, work, english};
  }
  PoCatalog Export(const Kind& k, const Bytes& work) const {
    const Bytes english = Table(k.template_);
    size_t empty = 0;
    return TableToPo(Pair(k, work, english), k.language, KtLibrary::Shared(), empty);
  }
  Bytes Import(const Kind& k, const Bytes& work, const std::string& poPath) const {
    const Bytes english = Table(k.template_);
    return TableFromPo(Pair(k, work, english), k.language, ReadPoFile(poPath), poPath, KtLibrary::Shared());
  }

  test::ScratchDir dir_{"table-po"};
};

// The language's text of each message as a table gives it.
std::vector<std::string> Translations(const PoCatalog& po) {
  std::vector<std::string> texts;
  for (const PoMessage& m : po.Messages) texts.push_back(m.Str.empty() ? m.Id : m.Str);
  return texts;
}

TEST_F(TablePo, WhatMsgfilterChangesComesBackIntoTheTable) {
  for (const Kind& k : kKinds) {
    SCOPED_TRACE(k.type);
    const Bytes work = Table(k.name);
    const PoCatalog before = Export(k, work);
    const std::string po = dir_ / "out.po";
    WritePoFile(po, before);
    RunTool({"msgfmt", "--check", "-o", "/dev/null", po});

    // Sorted by msgid, the messages come back in another order.
    RunTool({"msgfilter", "--keep-header", "--sort-output", "-i", po, "-o", dir_ / "filtered.po", "sed", "-e",
             "s/e/E/g"});
    const PoCatalog after = Export(k, Import(k, work, dir_ / "filtered.po"));

    std::vector<std::string> expected = Translations(before);
    for (size_t i = 0; i < expected.size(); ++i) {
      // msgfilter leaves untranslated messages untranslated.
      if (!before.Messages[i].Str.empty()) std::replace(expected[i].begin(), expected[i].end(), 'e', 'E');
    }
    EXPECT_EQ(Translations(after), expected);
    for (size_t i = 0; i < after.Messages.size(); ++i) {
      EXPECT_EQ(after.Messages[i].Context, before.Messages[i].Context);
      EXPECT_EQ(after.Messages[i].Id, before.Messages[i].Id);
    }
  }
}

TEST_F(TablePo, MsgmergeCarriesTranslationsIntoAnUntranslatedTable) {
  for (const Kind& k : kKinds) {
    SCOPED_TRACE(k.type);
    // The team's translations, merged into a fresh export of a table that
    // still holds the English texts.
    WritePoFile(dir_ / "team.po", Export(k, Table(k.name)));
    const Bytes untranslated = Table(k.template_);
    WritePoFile(dir_ / "fresh.po", Export(k, untranslated));
    RunTool({"msgmerge", "--quiet", "--no-fuzzy-matching", "-o", dir_ / "merged.po", dir_ / "team.po",
             dir_ / "fresh.po"});
    EXPECT_EQ(Translations(Export(k, Import(k, untranslated, dir_ / "merged.po"))),
              Translations(Export(k, Table(k.name))));
  }
}

TEST_F(TablePo, EmptyOrFuzzyTranslationsGiveTheEnglishText) {
  const Kind& k = kKinds[0];
  PoCatalog po = Export(k, Table(k.name));
  ASSERT_FALSE(po.Messages[1].Str.empty());
  ASSERT_FALSE(po.Messages[2].Str.empty());
  po.Messages[1].Str.clear();
  po.Messages[2].Fuzzy = true;
  WritePoFile(dir_ / "in.po", po);
  const PoCatalog after = Export(k, Import(k, Table(k.name), dir_ / "in.po"));
  EXPECT_EQ(after.Messages[1].Str, "");
  EXPECT_EQ(after.Messages[2].Str, "");
  EXPECT_EQ(Translations(after)[3], Translations(po)[3]);
}

// Each case changes a written PO file in one place.
struct Fault {
  const char* name;
  std::function<void(std::string& po)> change;
  std::string refusal;  // part of the error's description
};

void ReplaceFirst(std::string& text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
}

TEST_F(TablePo, APoFileThatDoesNotMatchTheTableIsRefused) {
  const Kind& k = kKinds[1];
  const PoCatalog po = Export(k, Table(k.name));
  const PoMessage& third = po.Messages[2];
  const std::string block = "msgctxt \"" + third.Context + "\"\nmsgid \"" + third.Id + "\"";
  const std::string message = "the message \"" + third.Context + "\" ";
  const Fault faults[] = {
      {"unknown msgctxt",
       [&](std::string& s) { ReplaceFirst(s, block, "msgctxt \"elsewhere\"\nmsgid \"" + third.Id + "\""); },
       "the message \"elsewhere\" belongs to no line of GameGerman.bin"},
      {"twice",
       [&](std::string& s) { s += "\nmsgctxt \"" + third.Context + "\"\nmsgid \"x\"\nmsgstr \"\"\n"; },
       message + "appears twice"},
      {"changed msgid",
       [&](std::string& s) { ReplaceFirst(s, block, block.substr(0, block.size() - 1) + "!\""); },
       message + "has another msgid than the English text \"" + third.Id + "\""},
      {"plural",
       [&](std::string& s) {
         ReplaceFirst(s, block + "\nmsgstr", block + "\nmsgid_plural \"p\"\nmsgstr[0] \"a\"\nmsgstr[1]");
       },
       message + "has a plural form"},
      {"syntax",
       [&](std::string& s) {
         ReplaceFirst(s, block, "msgctxt \"" + third.Context + "\nmsgid \"" + third.Id + "\"");
       },
       "line "},
      {"language", [](std::string& s) { ReplaceFirst(s, "Language: de", "Language: sv_SE"); },
       "it is for the language \"sv_SE\", not for German (de)"},
      {"charset", [](std::string& s) { ReplaceFirst(s, "charset=UTF-8", "charset=ISO-8859-1"); },
       "its charset is ISO-8859-1; UTF-8 is needed"},
      {"not UTF-8",
       [&](std::string& s) { ReplaceFirst(s, block + "\nmsgstr \"", block + "\nmsgstr \"\xC3\x28"); },
       message + "holds bytes that are not UTF-8"},
  };
  WritePoFile(dir_ / "good.po", po);
  const std::string good = test::ReadAll(dir_ / "good.po");
  for (const Fault& f : faults) {
    SCOPED_TRACE(f.name);
    std::string changed = good;
    f.change(changed);
    test::WriteText(dir_ / "bad.po", changed);
    try {
      Import(k, Table(k.name), dir_ / "bad.po");
      ADD_FAILURE() << "not refused";
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), rt::UnknownDataFormat);
      EXPECT_NE(e.Description().find("'" + dir_ / "bad.po" + "'"), std::string::npos) << e.Description();
      EXPECT_NE(e.Description().find(f.refusal), std::string::npos) << e.Description();
    }
  }
}

TEST_F(TablePo, AMissingMessageIsNamed) {
  const Kind& k = kKinds[2];
  PoCatalog po = Export(k, Table(k.name));
  const std::string gone = po.Messages[5].Context;
  po.Messages.erase(po.Messages.begin() + 5);
  WritePoFile(dir_ / "short.po", po);
  try {
    Import(k, Table(k.name), dir_ / "short.po");
    ADD_FAILURE() << "not refused";
  } catch (const Error& e) {
    EXPECT_NE(e.Description().find("the message \"" + gone + "\" is missing"), std::string::npos)
        << e.Description();
  }
}

// A PO file of one message, "A" translated as str.
PoCatalog OneMessage(std::string str) {
  PoCatalog po;
  po.Header = "Content-Type: text/plain; charset=UTF-8\n";
  po.Messages.push_back({.Context = "entry 1",
                         .Id = "A",
                         .Str = std::move(str),
                         .Fuzzy = false,
                         .Plural = false,
                         .Reference = "",
                         .ReferenceLine = 0});
  return po;
}

TEST(PoFile, TextsThatAreNotUtf8AreNeverWritten) {
  test::ScratchDir dir("po-file");
  const PoCatalog po = OneMessage("\xFF");
  EXPECT_THROW(WritePoFile(dir / "x.po", po), Error);
  EXPECT_FALSE(std::filesystem::exists(dir / "x.po"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));  // no temporary file left either
}

TEST(PoFile, ALinkStaysALinkAndALongNameLeavesNoTemporaryFile) {
  test::ScratchDir dir("po-file");
  PoCatalog po = OneMessage("\xD0\x90");
  // 251 bytes: a temporary name made by appending to it would be too long.
  const std::string target = dir / (std::string(248, 'x') + ".po");
  WritePoFile(target, po);
  std::filesystem::create_symlink(target, dir / "link.po");
  po.Messages[0].Str = "B";
  WritePoFile(dir / "link.po", po);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.po"));
  EXPECT_EQ(ReadPoFile(target).Messages.at(0).Str, "B");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

}  // namespace
}  // namespace gs
