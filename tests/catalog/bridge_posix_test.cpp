// What ShellWait does with POSIX programs: scripts and signals.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/shell_wait.h"
#include "tests/catalog/fake_installation.h"

namespace gs::test {
namespace {

TEST(ShellWaitPosix, AProgramEndedByASignalGives128PlusItsNumber) {
  FakeInstallation game;
  std::filesystem::remove(game.paths.ToolPath);
  WriteText(game.paths.ToolPath, "#!/bin/sh\nkill -9 $$\n");
  std::filesystem::permissions(game.paths.ToolPath, std::filesystem::perms::owner_all);
  EXPECT_EQ(RunAndWait(game.paths.ToolPath, "tool", 0), 128 + 9);
}

}  // namespace
}  // namespace gs::test
