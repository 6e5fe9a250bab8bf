// glossmith: the command-line companion of Kt06, for batch work and scripts.
#include <cstdio>
#include <iterator>
#include <string>

#include "common/error.h"
#include "tools/glossmith/commands.h"

namespace gs::cli {

namespace {

constexpr const char* kCheckDetails =
    R"(Each finding is a line: its line in the text file, its kind and what is wrong;
then a summary. Exit status: 0 when nothing is found, 3 when something is,
1 for an error, 2 for a wrong command line.

  placeholders  the printf conversions (%d %i %u %x %X %c %s %f, with n$,
                flags -+#0', width, precision, h, l; and %%) differ from the
                English text's, as multisets; "% s" is plain text
  breaks        the count of @ (line breaks; a control character typed in
                becomes one) differs from the English text's
  characters    a character the table cannot hold: one its stored form turns
                into another; in the French slot (Russian) a Cyrillic letter
                outside А-я, Ё, ё; one that no table read holds; bytes that
                are not UTF-8
  length        longer than F (--max-growth, default 2.0) times the English
                text, in characters, for English texts of 10 or more

The characters known are those of ENGLISH and WORK (a table checked without
--text is judged by its stored form only), the Russian letters in the French
slot, and with --game those of the game's own tables of the type in every
language, WORK's language included as the game holds it now. A table that
the game lacks is named on standard error.)";

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
    {"stats", "--type Front|Game|E-Mail --table WORK --template ENGLISH [--text TEXT]",
     "how many entries of a work table (or of its edited text) differ from English, and their characters",
     RunStats},
    {"check",
     "--type Front|Game|E-Mail --table WORK --template ENGLISH [--text TEXT]"
     " [--game GAME_DIR] [--max-growth F]",
     "find placeholders, breaks, characters and lengths that the game would get wrong", RunCheck,
     kCheckDetails},
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
