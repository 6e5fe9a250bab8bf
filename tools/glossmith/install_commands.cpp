// The command that installs Kt06 into a game: install.
#include <cstdio>

#include "registry/registry_api.h"
#include "tools/glossmith/commands.h"
#include "tools/install/installation.h"
#include "tools/install/wine_prefix.h"

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
  const std::string prefix = TakeOption(args, "--wine-prefix");
  if (args.size() > 1 || (!prefix.empty() && !args.empty())) {
    throw UsageError{"unexpected argument: " + args.back()};
  }
  if (!args.empty()) {
    if (args.front().empty()) throw UsageError{"GAME_DIR is needed"};
    return InstallAndTell(args.front());
  }
  // No folder: the game where its installer registered it in a Wine prefix.
  const std::vector<std::string> prefixes = prefix.empty() ? DefaultWinePrefixes() : Args{prefix};
  if (prefixes.empty()) throw UsageError{"GAME_DIR is needed"};
  const WineGame game = FindGameInWinePrefixes(prefixes);
  std::printf("Found the game in a Wine prefix: %s.\n", game.Origin.c_str());
  return InstallAndTell(game.GameDir);
}

}  // namespace gs::cli
