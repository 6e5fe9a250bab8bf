// The commands over the localization data formats: export, import, decode
// and encode; stats and check of a translation.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "catalog/catalog.h"
#include "common/error.h"
#include "formats/email_data.h"
#include "formats/string_table.h"
#include "quality/checks.h"
#include "quality/progress.h"
#include "tools/glossmith/commands.h"
#include "tools/glossmith/standard_output.h"

namespace gs::cli {

std::string TakeRequired(Args& args, const std::string& name) {
  std::string value = TakeOption(args, name);
  if (value.empty()) throw UsageError{name + " is needed"};
  return value;
}

FileKind TakeType(Args& args, std::string& type) {
  type = TakeRequired(args, "--type");
  for (size_t i = 0; i < kFileTypes.size(); ++i) {
    if (type == kFileTypes[i]) return static_cast<FileKind>(i);
  }
  throw UsageError{"unknown type '" + type + "' (Front, Game or E-Mail)"};
}

namespace {

// The current file name of a file handled as the given type, which decides
// how its letters are stored: the name of the type's table of --language when
// one is given (FrontFrench.bin for French(Russian) or French), otherwise the
// file's own name when its prefix selects that type (GameFrench.bin),
// otherwise the name behind the type (Game:strings.bin), which is no table of
// the French slot.
std::string CurrentFileNameFor(const std::string& type, FileKind kind, const std::string& path,
                               const std::string& language) {
  if (!language.empty()) return CurrentFileName(type, language);
  const std::string name = std::filesystem::path(path).filename().string();
  return KindOf(name) == kind ? name : type + ":" + name;
}

// The three files of an export or import, from the command line.
struct Conversion {
  FileKind kind;
  std::string currentFileName;
  ConversionFiles files;
};

// The type, the table and its template, and the text when --text is given.
Conversion TakeTables(Args& args, std::string& type) {
  Conversion c;
  c.kind = TakeType(args, type);
  c.files.WorkTablePath = TakeRequired(args, "--table");
  c.files.TemplateCopyPath = TakeRequired(args, "--template");
  c.files.TextFilePath = TakeOption(args, "--text");
  const std::string language = TakeOption(args, "--language");
  c.currentFileName = CurrentFileNameFor(type, c.kind, c.files.WorkTablePath, language);
  return c;
}

Conversion TakeConversion(const Args& given) {
  Args args = given;
  std::string type;
  Conversion c = TakeTables(args, type);
  if (c.files.TextFilePath.empty()) throw UsageError{"--text is needed"};
  ExpectNoMore(args);
  return c;
}

// decode and encode: the type's mapping over one whole file, to standard output.
int Transcode(const Args& given, bool decode) {
  Args args = given;
  std::string type;
  const FileKind kind = TakeType(args, type);
  const std::string language = TakeOption(args, "--language");
  if (args.size() != 1) throw UsageError{args.empty() ? "FILE is needed" : "unexpected argument: " + args[1]};
  const std::string path = args.front();
  Bytes data = ReadWholeFile(path);
  const FieldCodec codec(CurrentFileNameFor(type, kind, path, language), KtLibrary::Shared());
  if (decode) {
    codec.Decode(data);
  } else {
    codec.Encode(data);
  }
  UseBinaryStandardOutput();
  if (std::fwrite(data.data(), 1, data.size(), stdout) != data.size() || std::fflush(stdout) != 0) {
    RaiseRuntime(rt::DeviceIoError, "standard output");
  }
  return 0;
}

// --max-growth: a factor of at least 1.
double TakeGrowth(Args& args, double fallback) {
  const std::string text = TakeOption(args, "--max-growth");
  if (text.empty()) return fallback;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < 1) {
    throw UsageError{"--max-growth needs a number of at least 1, such as 2.5"};
  }
  return value;
}

}  // namespace

int RunExport(const Args& args) {
  const Conversion c = TakeConversion(args);
  FormatState state;
  if (c.kind == FileKind::Email) {
    EmailExport(state, c.files, c.currentFileName, KtLibrary::Shared());
  } else {
    StringTableExport(state, c.files, c.currentFileName, KtLibrary::Shared());
  }
  std::printf("wrote %s\n", c.files.TextFilePath.c_str());
  return 0;
}

int RunImport(const Args& args) {
  const Conversion c = TakeConversion(args);
  FormatState state;
  if (c.kind == FileKind::Email) {
    ReadEmailState(state, c.files, c.currentFileName, KtLibrary::Shared());
    EmailImport(state, c.files, c.currentFileName, KtLibrary::Shared());
  } else {
    ReadStringTableState(state, c.files, c.currentFileName);
    StringTableImport(state, c.files, c.currentFileName, KtLibrary::Shared());
  }
  std::printf("wrote %s\n", c.files.WorkTablePath.c_str());
  return 0;
}

int RunStats(const Args& given) {
  Args args = given;
  std::string type;
  const Conversion c = TakeTables(args, type);
  ExpectNoMore(args);
  const Progress progress = ProgressOf(c.files, c.currentFileName, KtLibrary::Shared());
  std::printf("%s\n%s\n", EntriesLine(progress).c_str(), CharactersLine(progress).c_str());
  return 0;
}

int RunCheck(const Args& given) {
  Args args = given;
  std::string type;
  const Conversion c = TakeTables(args, type);
  const std::string gameDir = TakeOption(args, "--game");
  CheckOptions options;
  options.MaxGrowth = TakeGrowth(args, options.MaxGrowth);
  ExpectNoMore(args);
  Repertoire repertoire;
  repertoire.AddTables(c.files, c.currentFileName, KtLibrary::Shared());
  if (!gameDir.empty()) {
    const std::string archive = (std::filesystem::path(gameDir) / GameArchiveOf(c.kind)).string();
    for (const std::string& name : repertoire.AddGameTables(archive, c.kind, KtLibrary::Shared())) {
      std::fprintf(stderr, "glossmith check: %s holds no %s; its characters are not known\n", archive.c_str(),
                   name.c_str());
    }
  }
  const CheckReport report =
      CheckEntries(c.files, c.currentFileName, repertoire, options, KtLibrary::Shared());
  for (const Finding& finding : report.Findings) std::printf("%s\n", FindingLine(finding).c_str());
  std::printf("%s\n", Summary(report).c_str());
  return report.Findings.empty() ? 0 : kFindingsStatus;
}

int RunDecode(const Args& args) {
  return Transcode(args, true);
}

int RunEncode(const Args& args) {
  return Transcode(args, false);
}

}  // namespace gs::cli
