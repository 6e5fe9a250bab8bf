// ImpBig.exe: the archive tool that Kt06 runs to take entries out of the
// game's BIGF archives and to put them back.
//
//   ImpBig.exe /e ARCHIVE ENTRY DEST        extract ENTRY into the file DEST
//   ImpBig.exe /i ARCHIVE ENTRY SOURCE /c   put SOURCE into ARCHIVE as ENTRY
//   ImpBig.exe /r ARCHIVE                   finish ARCHIVE after inserts
//
// Exit status: 0 on success, 1 on failure (one line on stderr with the
// error's number, naming the archive), 2 for wrong arguments (usage on
// stderr).
#include <chrono>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/file.h"
#include "common/fs.h"
#include "archive/archive_lock.h"
#include "archive/bigf.h"

namespace gs::impbig {

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

// How long a run waits for another one on the same archive, Kt06's window
// frozen meanwhile: long enough for a rewrite of a large archive.
constexpr std::chrono::seconds kPatience{30};

constexpr const char* kUsageText =
    "usage:\n"
    "  ImpBig.exe /e ARCHIVE ENTRY DEST        extract ENTRY from ARCHIVE into the file DEST\n"
    "                                          (a compressed entry decompressed)\n"
    "  ImpBig.exe /i ARCHIVE ENTRY SOURCE /c   put the file SOURCE into ARCHIVE as ENTRY,\n"
    "                                          replacing an entry of that name or adding one\n"
    "  ImpBig.exe /r ARCHIVE                   finish ARCHIVE after inserts: total size set,\n"
    "                                          unused space removed when that is worth it\n"
    "Entry names match without regard to letter case; of two alike, the first\n"
    "is the entry. Put paths holding blanks between double quotes. Entries are\n"
    "always stored uncompressed; the switch /c is accepted for compatibility.\n"
    "A changed archive keeps its own conventions (magic, byte order of its size\n"
    "field, header length, the bytes between index and data, alignment).\n"
    "One run at a time changes an archive: /i and /r wait up to 30 seconds for\n"
    "other runs on it to end, /e for runs that change it; then they fail with\n"
    "error 70.\n"
    "Exit status 0 on success; 1 on failure, with \"ImpBig: error N: ...\" on\n"
    "stderr, N the error's number (53 file not found, 61 disk full, 70 archive\n"
    "in use, 75 path/file access error, 7777 damaged archive or entry, ...);\n"
    "2 for wrong arguments.\n";

bool IsSwitch(const std::string& arg, char letter) {
  return arg.size() == 2 && (arg[0] == '/' || arg[0] == '-') && (arg[1] | 0x20) == letter;
}

int Usage(std::FILE* out, int status) {
  std::fputs(kUsageText, out);
  return status;
}

int Fail(const std::string& archive, int32_t number, const std::string& description) {
  // Every message names the archive, whatever else it names.
  if (description.find(archive) == std::string::npos) {
    std::fprintf(stderr, "ImpBig: error %d: \"%s\": %s\n", static_cast<int>(number), archive.c_str(),
                 description.c_str());
  } else {
    std::fprintf(stderr, "ImpBig: error %d: %s\n", static_cast<int>(number), description.c_str());
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
    std::fprintf(stderr, "ImpBig: error %d: %s\n", static_cast<int>(e.Number()), e.Description().c_str());
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
        const ArchiveLock lock(archive, ArchiveLock::Mode::Shared, kPatience);
        bigf::Extract(archive, args[2], args[3]);
      } catch (...) {
        RemoveStaleDestination(archive, args[3]);
        throw;
      }
    } else {
      const ArchiveLock lock(archive, ArchiveLock::Mode::Exclusive, kPatience);
      // Killed runs may have left a new version half written beside it.
      RemoveLeftoverTemporaries(archive);
      if (insert) {
        bigf::Insert(archive, args[2], args[3]);
      } else {
        bigf::Finish(archive);
      }
    }
    return 0;
  } catch (const Error& e) {
    return Fail(archive, e.Number(), e.Description());
  } catch (const std::bad_alloc&) {
    return Fail(archive, rt::OutOfMemory, std::string(RuntimeDescription(rt::OutOfMemory)));
  } catch (const std::exception& e) {
    return Fail(archive, rt::InternalError, e.what());
  }
}

}  // namespace

}  // namespace gs::impbig

int main(int argc, char** argv) {
  return gs::impbig::Run(std::vector<std::string>(argv + 1, argv + argc));
}
