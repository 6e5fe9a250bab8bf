#include "tests/support/test_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "common/fs.h"

extern char** environ;

namespace gs::test {

namespace {

std::vector<char*> ArgvOf(const std::vector<std::string>& argv) {
  std::vector<char*> v;
  for (const auto& a : argv) v.push_back(const_cast<char*>(a.c_str()));
  v.push_back(nullptr);
  return v;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::string s(static_cast<size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(s.data(), static_cast<std::streamsize>(s.size()));
  return s;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& out, const std::string& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  std::vector<char*> args = ArgvOf(argv);
  const int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
  return pid;
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv) {
  const ScratchDir scratch("run");
  const pid_t pid = Spawn(argv, scratch / "out", scratch / "err");
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  ProgramResult r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ReadAll(scratch / "out");
  r.err = ReadAll(scratch / "err");
  return r;
}

pid_t StartProgram(const std::vector<std::string>& argv) {
  return Spawn(argv, "/dev/null", "/dev/null");
}

std::string ImpBigPath() {
  return ExecutableDir() + "ImpBig.exe";
}

ScratchDir::ScratchDir(const std::string& tag) {
  std::string pattern = (std::filesystem::temp_directory_path() / ("gs-" + tag + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::map<std::string, std::vector<uint8_t>> TreeOf(const std::string& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::vector<uint8_t>> tree;
  if (!fs::exists(folder)) return tree;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(item.path(), folder).string();
    tree[name] = item.is_directory() ? std::vector<uint8_t>{'<', '>'} : ReadBytes(item.path().string());
  }
  return tree;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  const std::string s = ReadAll(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace gs::test
