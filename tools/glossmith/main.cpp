// glossmith: the command-line companion of Kt06, for batch work and scripts.
#include <cstdio>
#include <iterator>
#include <string>

#include "common/error.h"
#include "tools/glossmith/commands.h"

namespace gs::cli {

namespace {

const Command kCommands[] = {
    {"help", "", "show this help", nullptr},
    {"export", "--type Front|Game|E-Mail --table WORK --template ENGLISH --text OUT [--language LANGUAGE]",
     "write the text file of a work table beside its English template", RunExport},
    {"import", "--type Front|Game|E-Mail --table WORK --template ENGLISH --text IN [--language LANGUAGE]",
     "rebuild a work table from its edited text file", RunImport},
    {"export-po",
     "--type Front|Game|E-Mail --language LANGUAGE --po FILE (--game GAME_DIR | --table WORK --template "
     "ENGLISH)",
     "write a table and its English twin as a PO file for translation tools, from the game (as Extract "
     "does) or from the tables",
     RunExportPo},
    {"import-po",
     "--type Front|Game|E-Mail --language LANGUAGE --po FILE (--game GAME_DIR [--backup|--no-backup] | "
     "--table WORK --template ENGLISH)",
     "put a translated PO file back into the game (as \"Save changes\" does) or into the table", RunImportPo},
    {"decode", "--type Front|Game|E-Mail FILE [--language LANGUAGE]",
     "stored-form text to edit form, on standard output", RunDecode},
    {"encode", "--type Front|Game|E-Mail FILE [--language LANGUAGE]",
     "edit-form text to stored form, on standard output", RunEncode},
    {"sample-tables", "DIR [--entries N] [--records N] [--seed N]",
     "write sample tables of every type and language into DIR", RunSampleTables},
    {"sample-game", "DIR [--entries N] [--records N] [--seed N] [--force] [--install]",
     "write a sample game installation into DIR (a new or empty folder, or a sample game); with --install, "
     "register it as glossmith install does",
     RunSampleGame},
    {"install", "[GAME_DIR | --wine-prefix PREFIX]",
     "install Kt06 into the game in GAME_DIR: its folder KT, \"Install Dir\" and the first settings, where "
     "missing; without GAME_DIR, into the game that its installer registered in the Wine prefix PREFIX "
     "(or $WINEPREFIX, then ~/.wine)",
     RunInstall},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: glossmith COMMAND [ARGS]\n\ncommands:\n");
  for (const auto& c : kCommands) {
    std::fprintf(out, "  %s %s\n      %s\n", c.name, c.usage, c.summary);
  }
  std::fprintf(
      out,
      "\nOnly the tables of the French files, which hold Russian, keep their letters in a form of "
      "their own;\nevery other table passes as it is stored. A table named as the game names it "
      "(FrontFrench.bin)\ntells its language; --language names it for any other file (French(Russian) "
      "or French,\nGerman, ...).\n");
}

}  // namespace

std::string TakeOption(Args& args, const std::string& name) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == name) {
      if (i + 1 >= args.size()) throw UsageError{name + " needs a value"};
      std::string value = args[i + 1];
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                 args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      return value;
    }
  }
  return {};
}

bool TakeFlag(Args& args, const std::string& name) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == name) {
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
  }
  return false;
}

void ExpectNoMore(const Args& args) {
  if (!args.empty()) throw UsageError{"unexpected argument: " + args.front()};
}

int Main(int argc, char** argv) {
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "help" ||
      std::string(argv[1]) == "-h") {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string name = argv[1];
  for (const auto& c : kCommands) {
    if (name != c.name || c.run == nullptr) continue;
    Args args(argv + 2, argv + argc);
    if (TakeFlag(args, "--help")) {
      std::printf("usage: glossmith %s %s\n  %s\n", c.name, c.usage, c.summary);
      return 0;
    }
    try {
      return c.run(args);
    } catch (const UsageError& e) {
      std::fprintf(stderr, "glossmith %s: %s\nusage: glossmith %s %s\n", c.name, e.message.c_str(), c.name,
                   c.usage);
      return 2;
    } catch (const Error& e) {
      std::fprintf(stderr, "glossmith %s: error %d: %s\n", c.name, static_cast<int>(e.Number()),
                   e.Description().c_str());
      return 1;
    }
  }
  std::fprintf(stderr, "glossmith: unknown command '%s'\n\n", name.c_str());
  PrintUsage(stderr);
  return 2;
}

}  // namespace gs::cli

int main(int argc, char** argv) {
  return gs::cli::Main(argc, argv);
}
