// Running programs and keeping files in a scratch folder, for tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace gs::test {

struct ProgramResult {
  int exitCode = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs a program with the given arguments and collects its exit code and
// output. argv[0] is the program's path, with or without ".exe" on Windows,
// where the exit code is the full 32-bit value that GetExitCodeProcess gives.
ProgramResult RunProgram(const std::vector<std::string>& argv);

struct KilledRun {
  bool killed = false;  // the program was still running and was killed
  int exitCode = -1;    // when it ended by itself
  double micros = 0;    // from the start until it was gone
};

// Starts a program with its output discarded and kills it after the delay
// (SIGKILL on POSIX, TerminateProcess on Windows) unless it has ended by then.
KilledRun RunAndKillAfter(const std::vector<std::string>& argv, std::chrono::microseconds delay);

// The handles this process holds open now: file descriptors on POSIX, file
// handles on Windows. A file left open by a failure shows as one more.
int OpenHandleCount();

// The archive tool built beside the test binaries.
std::string ImpBigPath();

// The whole content of a file; empty when it cannot be read.
std::string ReadAll(const std::string& path);

// A fresh folder, removed with everything in it when the object goes.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& tag);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The folder with a trailing separator.
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// The program's settings of the test's own while the object lives. On POSIX
// the registry becomes an empty hive file in folder (through XDG_CONFIG_HOME).
// On Windows the registry is the system's (under Wine the build's own
// prefix): the values of the program's settings key and the game's
// "Install Dir" are set aside and put back afterwards, and test programs
// running at the same time take turns.
class ScratchSettings {
 public:
  explicit ScratchSettings(const std::string& folder);
  ~ScratchSettings();
  ScratchSettings(const ScratchSettings&) = delete;
  ScratchSettings& operator=(const ScratchSettings&) = delete;

 private:
  struct Saved {
    std::string key;
    std::string name;
    bool existed = false;
    uint32_t type = 0;
    std::vector<uint8_t> data;
  };
  std::vector<Saved> saved_;
  void* turn_ = nullptr;  // Windows: the mutex held while the settings are the test's
};

// Removes the game's key and the program's settings key, as on a machine
// where neither was ever written. Only while a ScratchSettings lives.
void RemoveProgramKeys();

std::vector<uint8_t> ReadBytes(const std::string& path);
// Every file below a folder by relative path, with its bytes; folders map to
// "<>". Empty when the folder does not exist.
std::map<std::string, std::vector<uint8_t>> TreeOf(const std::string& folder);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);

}  // namespace gs::test
