// A game installation in a scratch folder whose name holds a blank, with
// the program's folder "KT" holding the real archive tool.
#pragma once

#include <unistd.h>

#include <filesystem>

#include "catalog/catalog.h"
#include "tests/support/test_process.h"

namespace gs::test {

class FakeInstallation {
 public:
  FakeInstallation() {
    for (const char* sub : {"KT", "fe", "db", "preload"}) std::filesystem::create_directories(install_ + sub);
    SetProgramFolder(paths, install_);
    std::filesystem::create_symlink(ImpBigPath(), paths.ToolPath);
  }

  // Puts a script in the tool's place.
  void ReplaceToolWithScript(const std::string& body) {
    std::filesystem::remove(paths.ToolPath);
    WriteText(paths.ToolPath, "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(paths.ToolPath, std::filesystem::perms::owner_all);
  }

  std::string operator/(const std::string& relative) const { return install_ + NativePath(relative); }

 private:
  ScratchDir dir_{"install"};
  const std::string install_ = dir_ / "Game Dir/";

 public:
  CatalogPaths paths;
};

}  // namespace gs::test
