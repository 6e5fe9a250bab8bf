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
    {"export", "--type Front|Game|E-Mail --table WORK --template ENGLISH --text OUT",
     "write the text file of a work table beside its English template", RunExport},
    {"import", "--type Front|Game|E-Mail --table WORK --template ENGLISH --text IN",
     "rebuild a work table from its edited text file", RunImport},
    {"decode", "--type Front|Game|E-Mail FILE", "stored-form text to edit form, on standard output",
     RunDecode},
    {"encode", "--type Front|Game|E-Mail FILE", "edit-form text to stored form, on standard output",
     RunEncode},
    {"stats", "--type Front|Game|E-Mail --table WORK --template ENGLISH [--text TEXT]",
     "how many entries of a work table (or of its edited text) differ from English, and their characters",
     RunStats},
    {"check",
     "--type Front|Game|E-Mail --table WORK --template ENGLISH [--text TEXT] [--game GAME_DIR] [--max-growth "
     "F]",
     "find placeholders, breaks, characters and lengths that the game would get wrong", RunCheck,
     "Each finding is a line: its line in the text file, its kind and what is wrong; then a summary.\n"
     "Exit status: 0 when nothing is found, 3 when something is, 1 for an error, 2 for a wrong command "
     "line.\n"
     "  placeholders  the printf conversions (%d %i %u %x %X %c %s %f with n$, flags -+#0', width,\n"
     "                precision, h/l; and %%) differ from English's, as multisets; \"% s\" is plain text\n"
     "  breaks        the count of @ (line breaks; a control character typed becomes one) differs\n"
     "  characters    a character the table cannot hold: one its stored form turns into another; in\n"
     "                the French slot (Russian) a Cyrillic letter outside А-я, Ё, ё; one that no table\n"
     "                read holds; bytes that are not UTF-8\n"
     "  length        longer than F (--max-growth, default 2.0) times English, in characters, for\n"
     "                English texts of 10 characters or more\n"
     "The characters known are those of the template and of WORK (so a table checked without --text\n"
     "is judged only by its stored form), the Russian letters in the French slot, and with --game\n"
     "those of the game's own tables of the type in every language, the one of WORK's language\n"
     "included as the game holds it now. A table the game lacks is named on standard error."},
    {"sample-tables", "DIR [--entries N] [--records N] [--seed N]",
     "write sample tables of every type and language into DIR", RunSampleTables},
    {"sample-game", "DIR [--entries N] [--records N] [--seed N] [--force] [--install]",
     "write a sample game installation into DIR (a new or empty folder, or a sample game); with --install, "
     "register it as glossmith install does",
     RunSampleGame},
    {"install", "GAME_DIR",
     "install Kt06 into the game in GAME_DIR: its folder KT, \"Install Dir\" and the first settings, where "
     "missing",
     RunInstall},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: glossmith COMMAND [ARGS]\n\ncommands:\n");
  for (const auto& c : kCommands) {
    std::fprintf(out, "  %s %s\n      %s\n", c.name, c.usage, c.summary);
  }
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
      if (c.details != nullptr) std::printf("\n%s\n", c.details);
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
