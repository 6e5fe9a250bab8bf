// A game installation in a scratch folder whose name holds a blank, with
// the program's folder "KT" holding a copy of the real archive tool.
#pragma once

#include <filesystem>

#include "catalog/catalog.h"
#include "common/fs.h"
#include "tests/catalog/tool_double.h"
#include "tests/support/test_process.h"

namespace gs::test {

class FakeInstallation {
 public:
  FakeInstallation() {
    for (const char* sub : {"KT", "fe", "db", "preload"}) std::filesystem::create_directories(install_ + sub);
    SetProgramFolder(paths, install_);
    std::filesystem::copy_file(ImpBigPath(), paths.ToolPath);
  }

  // Puts the tool double in the tool's place, doing what the script says.
  void ReplaceToolWithDouble(const std::string& script) {
    std::filesystem::copy_file(ExecutableDir() + GS_TOOL_DOUBLE, paths.ToolPath,
                               std::filesystem::copy_options::overwrite_existing);
    WriteText(paths.WorkDir + kToolDoubleScript, script + "\n");
  }

  std::string operator/(const std::string& relative) const { return install_ + NativePath(relative); }
  // The scratch folder that holds the installation folder "Game Dir".
  const std::string& Outside() const { return dir_.Path(); }

 private:
  ScratchDir dir_{"install"};
  const std::string install_ = dir_ / NativePath("Game Dir\\");

 public:
  CatalogPaths paths;
};

}  // namespace gs::test
