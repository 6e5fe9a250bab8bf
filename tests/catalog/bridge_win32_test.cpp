// What ShellWait does with Windows programs: CreateProcessA with the
// program named on its own, its window hidden, and the whole exit code.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/shell_wait.h"
#include "tests/catalog/fake_installation.h"

namespace gs::test {
namespace {

TEST(ShellWaitWindows, TheWholeThirtyTwoBitExitCodeComesBack) {
  FakeInstallation game;
  game.ReplaceToolWithDouble("exit 3221225477");  // 0xC0000005, as a crashed program ends
  EXPECT_EQ(RunAndWait(game.paths.ToolPath, game.paths.ToolPath, 0), static_cast<int32_t>(0xC0000005u));
  game.ReplaceToolWithDouble("exit 300");
  EXPECT_EQ(RunAndWait(game.paths.ToolPath, game.paths.ToolPath, 0), 300);
}

TEST(ShellWaitWindows, TheToolRunsWithTheWindowStyleAsked) {
  FakeInstallation game;
  const std::string out = game / "startup.txt";
  game.ReplaceToolWithDouble("startup " + out);
  RunAndWait(game.paths.ToolPath, game.paths.ToolPath, 0);
  EXPECT_EQ(ReadAll(out), "flags 1 show 0");  // STARTF_USESHOWWINDOW, SW_HIDE
  RunAndWait(game.paths.ToolPath, game.paths.ToolPath, 3);
  EXPECT_EQ(ReadAll(out), "flags 1 show 3");
}

TEST(ShellWaitWindows, AnUnquotedPathWithABlankStartsTheNamedProgramOnly) {
  // "...\Game Dir\KT\ImpBig.exe" unquoted: a search by the command line
  // alone would try "...\Game.exe" first.
  FakeInstallation game;
  const std::string ranTool = game.Outside() + "ran-tool";
  const std::string ranOther = game.Outside() + "ran-other";
  game.ReplaceToolWithDouble("touch " + ranTool);
  std::filesystem::copy_file(game.paths.ToolPath, game.Outside() + "Game.exe");
  WriteText(game.Outside() + kToolDoubleScript, "touch " + ranOther + "\n");

  const std::string line = game.paths.ToolPath + " /r " + game.paths.InstallDir + "fe\\local.viv";
  ASSERT_NE(line.find("Game Dir"), std::string::npos);
  EXPECT_EQ(RunAndWait(game.paths.ToolPath, line, 0), 0);
  EXPECT_TRUE(std::filesystem::exists(ranTool));
  EXPECT_FALSE(std::filesystem::exists(ranOther));
}

}  // namespace
}  // namespace gs::test
