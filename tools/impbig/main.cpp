// ImpBig.exe: the archive tool that Kt06 runs to take entries out of the
// game's BIGF archives and to put them back.
//
//   ImpBig.exe /e ARCHIVE ENTRY DEST        extract ENTRY into the file DEST
//   ImpBig.exe /i ARCHIVE ENTRY SOURCE /c   put SOURCE into ARCHIVE as ENTRY
//   ImpBig.exe /r ARCHIVE                   finish ARCHIVE after inserts
//
// Exit status: 0 on success, 1 on failure (message on stderr naming the
// archive), 2 for wrong arguments (usage on stderr).
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/fs.h"
#include "tools/impbig/bigf.h"

namespace gs::impbig {

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "usage:\n"
    "  ImpBig.exe /e ARCHIVE ENTRY DEST        extract ENTRY from ARCHIVE into the file DEST\n"
    "  ImpBig.exe /i ARCHIVE ENTRY SOURCE /c   put the file SOURCE into ARCHIVE as ENTRY,\n"
    "                                          replacing an entry of that name or adding one\n"
    "  ImpBig.exe /r ARCHIVE                   finish ARCHIVE after inserts: total size set,\n"
    "                                          unused space removed when that is worth it\n"
    "Entry names match without regard to letter case. Put paths holding blanks\n"
    "between double quotes. The switch /c is accepted for compatibility; entries\n"
    "are always stored uncompressed.\n";

bool IsSwitch(const std::string& arg, char letter) {
  return arg.size() == 2 && (arg[0] == '/' || arg[0] == '-') && (arg[1] | 0x20) == letter;
}

int Usage(std::FILE* out, int status) {
  std::fputs(kUsageText, out);
  return status;
}

int Fail(const std::string& archive, const std::string& description) {
  // Every message names the archive, whatever else it names.
  if (description.find(archive) == std::string::npos) {
    std::fprintf(stderr, "ImpBig: \"%s\": %s\n", archive.c_str(), description.c_str());
  } else {
    std::fprintf(stderr, "ImpBig: %s\n", description.c_str());
  }
  return kFailed;
}

// The destination exists afterwards only if the entry was extracted: a file
// left from before is removed when the extraction fails.
void RemoveStaleDestination(const std::string& archive, const std::string& destination) {
  if (!FileExists(destination) || SameFile(archive, destination)) return;
  try {
    DeleteFile(destination);
  } catch (const Error& e) {
    std::fprintf(stderr, "ImpBig: %s\n", e.Description().c_str());
  }
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return Usage(stderr, kUsage);
  const std::string& command = args[0];
  if (command == "/?" || IsSwitch(command, 'h') || command == "--help") return Usage(stdout, 0);
  const bool extract = IsSwitch(command, 'e') && args.size() == 4;
  const bool insert =
      IsSwitch(command, 'i') && (args.size() == 4 || (args.size() == 5 && IsSwitch(args[4], 'c')));
  const bool finish = IsSwitch(command, 'r') && args.size() == 2;
  if (!extract && !insert && !finish) return Usage(stderr, kUsage);

  const std::string& archive = args[1];
  try {
    if (extract) {
      try {
        bigf::Extract(archive, args[2], args[3]);
      } catch (...) {
        RemoveStaleDestination(archive, args[3]);
        throw;
      }
    } else if (insert) {
      bigf::Insert(archive, args[2], args[3]);
    } else {
      bigf::Finish(archive);
    }
    return 0;
  } catch (const Error& e) {
    return Fail(archive, e.Description());
  } catch (const std::exception& e) {
    return Fail(archive, e.what());
  }
}

}  // namespace

}  // namespace gs::impbig

int main(int argc, char** argv) {
  return gs::impbig::Run(std::vector<std::string>(argv + 1, argv + argc));
}
