// The subcommands of the command-line companion. Each returns the process
// exit status; errors are raised as gs::Error and reported by main.
#pragma once

#include <string>
#include <vector>

#include "catalog/catalog.h"

namespace gs::cli {

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;    // arguments, shown by --help
  const char* summary;  // one line
  int (*run)(const Args& args);
  const char* details = nullptr;  // more, shown by the command's own --help
};

// Raised for a wrong command line; main prints the message and the usage.
struct UsageError {
  std::string message;
};

// Takes the value of "--name VALUE" out of args; empty when absent.
std::string TakeOption(Args& args, const std::string& name);
// Takes "--name" out of args; true when it was there.
bool TakeFlag(Args& args, const std::string& name);
// Fails with a UsageError when args still holds something.
void ExpectNoMore(const Args& args);
// The value of "--name VALUE", which must be there (format_commands.cpp).
std::string TakeRequired(Args& args, const std::string& name);
// The kind of "--type Front|Game|E-Mail"; type receives the text (format_commands.cpp).
FileKind TakeType(Args& args, std::string& type);

// The localization data formats (format_commands.cpp).
int RunExport(const Args& args);
int RunImport(const Args& args);
int RunDecode(const Args& args);
int RunEncode(const Args& args);
// The progress and the checks of a translation (format_commands.cpp).
int RunStats(const Args& args);
int RunCheck(const Args& args);
// The exit status of a check that found something; errors exit with 1, a
// wrong command line with 2.
inline constexpr int kFindingsStatus = 3;

// PO files for translation tools (po_commands.cpp; a build without GNU
// gettext's libgettextpo has po_commands_unavailable.cpp, which says so).
int RunExportPo(const Args& args);
int RunImportPo(const Args& args);

// Sample files (sample_commands.cpp).
int RunSampleTables(const Args& args);
int RunSampleGame(const Args& args);

// The installation (install_commands.cpp). InstallAndTell installs Kt06 into
// a game and says line by line what it did.
int RunInstall(const Args& args);
int InstallAndTell(const std::string& gameDir);

}  // namespace gs::cli
