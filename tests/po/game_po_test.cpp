// export-po and import-po on an installed sample game, run as the built
// companion: a translator's round trip through GNU gettext's msgfilter puts
// the changed texts into the game's archives as "Save changes" would, and a
// PO file or a game that does not fit changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "catalog/catalog.h"
#include "catalog/header_refresh.h"
#include "common/fs.h"
#include "po/po_file.h"
#include "tests/po/gettext_tool.h"
#include "tests/support/test_process.h"

namespace gs {
namespace {

class GamePo : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"sample-game", game_, "--entries", "60", "--records", "6", "--install"}).exitCode, 0);
  }

  test::ProgramResult Run(std::vector<std::string> args) const {
    args.insert(args.begin(), ExecutableDir() + "glossmith");
    return test::RunProgram(args);
  }
  std::vector<std::string> Po(const char* command, const char* type, const char* language,
                              const std::string& po) const {
    return {command, "--game", game_, "--type", type, "--language", language, "--po", po};
  }
  std::string At(const char* relative) const { return game_ + NativePath(relative); }
  // The program's folder holds nothing but what the installation put there.
  void ExpectNoWorkFiles() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(At("KT"))) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Efiles", "ImpBig.exe", "template.viv"}));
  }

  test::ScratchDir dir_{"game-po"};
  test::ScratchSettings settings_{dir_ / "config"};  // MakeBackup 1 after the installation
  std::string game_ = dir_ / "Game Dir/";
};

std::vector<std::string> Translations(const std::string& poPath) {
  std::vector<std::string> texts;
  for (const PoMessage& m : ReadPoFile(poPath).Messages) texts.push_back(m.Str.empty() ? m.Id : m.Str);
  return texts;
}

TEST_F(GamePo, ATranslatorsRoundTripReachesTheGame) {
  struct Case {
    const char* type;
    const char* language;
    const char* archive;
    std::vector<std::string> options;
  };
  for (const Case& c : {Case{"Front", "French(Russian)", "fe\\local.viv", {}},
                        Case{"Game", "Finnish", "fe\\local.viv", {"--no-backup"}},
                        Case{"E-Mail", "German", "db\\tuning.viv", {}}}) {
    SCOPED_TRACE(c.type);
    const std::string po = dir_ / "team.po", filtered = dir_ / "filtered.po";
    test::ProgramResult run = Run(Po("export-po", c.type, c.language, po));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectNoWorkFiles();
    ASSERT_EQ(test::RunProgram({test::GettextTool("msgfilter"), "--keep-header", "-i", po, "-o", filtered,
                                "sed", "-e", "s/$/!/"})
                  .exitCode,
              0);

    const std::string archive = At(c.archive);
    std::filesystem::remove(archive + ".bak");
    const Bytes before = test::ReadBytes(archive);
    std::vector<std::string> args = Po("import-po", c.type, c.language, filtered);
    args.insert(args.end(), c.options.begin(), c.options.end());
    run = Run(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectNoWorkFiles();

    ASSERT_EQ(Run(Po("export-po", c.type, c.language, dir_ / "again.po")).exitCode, 0);
    EXPECT_EQ(Translations(dir_ / "again.po"), Translations(filtered));
    EXPECT_NE(Translations(filtered), Translations(po));
    // The backup as the setting (MakeBackup 1) or the option asks.
    if (c.options.empty()) {
      EXPECT_EQ(test::ReadBytes(archive + ".bak"), before);
    } else {
      EXPECT_FALSE(std::filesystem::exists(archive + ".bak"));
    }
    if (c.archive == std::string("fe\\local.viv")) {
      EXPECT_EQ(test::ReadBytes(At("fe\\local.bh")), ReadArchiveHeader(archive));
    }
  }
}

TEST_F(GamePo, WhatDoesNotFitLeavesTheGameAsItWas) {
  const std::string po = dir_ / "team.po";
  ASSERT_EQ(Run(Po("export-po", "Game", "Czech", po)).exitCode, 0);
  std::string text = test::ReadAll(po);
  text.replace(text.find("msgid \"", text.find("msgctxt")) + 7, 0, "changed ");
  test::WriteText(dir_ / "changed.po", text);

  struct Case {
    const char* name;
    std::string poPath;
    std::function<void()> prepare;
    std::string error;
  };
  const Case cases[] = {
      {"changed msgid", dir_ / "changed.po", [] {},
       "error 7777: Unknown data format for file '" + dir_ / "changed.po"},
      {"cycle in progress", po, [&] { test::WriteText(At("KT\\GameCzech.bin"), "x"); },
       "error 58: The work file"},
      {"not installed", po, [&] { std::filesystem::remove(At("KT\\template.viv")); },
       "error 53: Kt06 is not installed in the game"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.prepare();
    const auto before = test::TreeOf(game_);
    const test::ProgramResult run = Run(Po("import-po", "Game", "Czech", c.poPath));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_TRUE(test::TreeOf(game_) == before);
  }
}

}  // namespace
}  // namespace gs
