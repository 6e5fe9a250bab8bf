// Holds an archive's lock as ImpBig.exe takes it, for the lock tests:
//
//   hold_archive_lock ARCHIVE shared|exclusive READY RELEASE [ENTRY SOURCE]
//
// Takes the lock, creates the file READY, waits until the file RELEASE
// exists and ends. Given ENTRY and SOURCE, it first puts SOURCE into the
// archive as ENTRY while it still holds the lock: as a new entry, that
// renames a new archive over the one locked.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "common/error.h"
#include "common/file.h"
#include "common/fs.h"
#include "archive/archive_lock.h"
#include "archive/bigf.h"

int main(int argc, char** argv) {
  if (argc != 5 && argc != 7) {
    std::fputs("usage: hold_archive_lock ARCHIVE shared|exclusive READY RELEASE [ENTRY SOURCE]\n", stderr);
    return 2;
  }
  using namespace std::chrono_literals;
  try {
    const std::string archive = argv[1];
    const auto mode =
        std::string(argv[2]) == "shared" ? gs::ArchiveLock::Mode::Shared : gs::ArchiveLock::Mode::Exclusive;
    const gs::ArchiveLock lock(archive, mode, 60s);
    gs::WriteWholeFile(argv[3], {});
    const auto giveUp = std::chrono::steady_clock::now() + 120s;
    while (!gs::FileExists(argv[4]) && std::chrono::steady_clock::now() < giveUp) {
      std::this_thread::sleep_for(5ms);
    }
    if (argc == 7) gs::bigf::Insert(archive, argv[5], argv[6]);
    return 0;
  } catch (const gs::Error& e) {
    std::fprintf(stderr, "hold_archive_lock: error %d: %s\n", static_cast<int>(e.Number()),
                 e.Description().c_str());
    return 1;
  }
}
