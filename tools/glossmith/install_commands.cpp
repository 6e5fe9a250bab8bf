// The command that installs Kt06 into a game: install.
#include <cstdio>

#include "registry/registry_api.h"
#include "tools/glossmith/commands.h"
#include "tools/install/installation.h"

namespace gs::cli {

namespace {

const char* OutcomeWord(InstallNote::Outcome outcome) {
  switch (outcome) {
    case InstallNote::Outcome::Written: return "written";
    case InstallNote::Outcome::Kept: return "kept";
    case InstallNote::Outcome::Warning: break;
  }
  return "warning";
}

}  // namespace

int InstallAndTell(const std::string& gameDir) {
  std::printf("Installing Kt06 in the game in %s\nRegistry: %s\n", InstallDirOf(gameDir).c_str(),
              RegistryLocation().c_str());
  std::fflush(stdout);
  const InstallResult result = InstallKt06(gameDir, {}, [](const InstallNote& note) {
    std::printf("  %-8s %s: %s\n", OutcomeWord(note.Result), note.Name.c_str(), note.What.c_str());
    std::fflush(stdout);
  });
  if (result.Changed) {
    std::printf("Kt06 is installed: it finds the game in %s.\n", result.FoundDir.c_str());
  } else {
    std::printf("Nothing to do: Kt06 was already installed, and finds the game in %s.\n",
                result.FoundDir.c_str());
  }
  return 0;
}

int RunInstall(const Args& given) {
  Args args = given;
  if (args.size() != 1 || args.front().empty()) {
    throw UsageError{args.size() > 1 ? "unexpected argument: " + args[1] : "GAME_DIR is needed"};
  }
  return InstallAndTell(args.front());
}

}  // namespace gs::cli
