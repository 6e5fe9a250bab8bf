// Running programs and keeping files in a scratch folder, for tests.
#pragma once

#include <sys/types.h>

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

// Runs a program with the given arguments (argv[0] is the program's path)
// and collects its exit code and output.
ProgramResult RunProgram(const std::vector<std::string>& argv);

// Starts a program with its output discarded; returns its process id.
pid_t StartProgram(const std::vector<std::string>& argv);

// The archive tool built beside the test binaries.
std::string ImpBigPath();

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

std::vector<uint8_t> ReadBytes(const std::string& path);
// Every file below a folder by relative path, with its bytes; folders map to
// "<>". Empty when the folder does not exist.
std::map<std::string, std::vector<uint8_t>> TreeOf(const std::string& folder);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);

}  // namespace gs::test
