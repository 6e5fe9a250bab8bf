// The commands over the localization data formats: export, import, decode
// and encode.
#include <cstdio>
#include <filesystem>

#include "catalog/catalog.h"
#include "common/error.h"
#include "formats/email_data.h"
#include "formats/string_table.h"
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

Conversion TakeConversion(const Args& given) {
  Args args = given;
  std::string type;
  Conversion c;
  c.kind = TakeType(args, type);
  c.files.WorkTablePath = TakeRequired(args, "--table");
  c.files.TemplateCopyPath = TakeRequired(args, "--template");
  c.files.TextFilePath = TakeRequired(args, "--text");
  const std::string language = TakeOption(args, "--language");
  ExpectNoMore(args);
  c.currentFileName = CurrentFileNameFor(type, c.kind, c.files.WorkTablePath, language);
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

int RunDecode(const Args& args) {
  return Transcode(args, true);
}

int RunEncode(const Args& args) {
  return Transcode(args, false);
}

}  // namespace gs::cli
