// POSIX side of the test helpers: posix_spawn, waitpid and mkdtemp.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "tests/support/test_folder.h"
#include "tests/support/test_process.h"

extern char** environ;

namespace gs::test {

namespace {

std::vector<char*> ArgvOf(const std::vector<std::string>& argv) {
  std::vector<char*> v;
  for (const auto& a : argv) v.push_back(const_cast<char*>(a.c_str()));
  v.push_back(nullptr);
  return v;
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

int OpenHandleCount() {
  // The listing's own descriptor counts too, the same each time.
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

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

KilledRun RunAndKillAfter(const std::vector<std::string>& argv, std::chrono::microseconds delay) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = Spawn(argv, "/dev/null", "/dev/null");
  std::this_thread::sleep_for(delay);
  ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  KilledRun r;
  r.micros = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
  r.killed = WIFSIGNALED(status);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

ScratchDir::ScratchDir(const std::string& tag) {
  std::string pattern = (std::filesystem::temp_directory_path() / ("gs-" + tag + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

ScratchSettings::ScratchSettings(const std::string& folder) {
  Saved config;
  config.name = "XDG_CONFIG_HOME";
  if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
    config.existed = true;
    config.data.assign(old, old + std::strlen(old));
  }
  saved_.push_back(config);
  std::filesystem::create_directories(folder);
  ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
}

void RemoveProgramKeys() {
  std::filesystem::remove_all(std::getenv("XDG_CONFIG_HOME"));
}

ScratchSettings::~ScratchSettings() {
  const Saved& config = saved_.front();
  if (config.existed) {
    ::setenv("XDG_CONFIG_HOME", std::string(config.data.begin(), config.data.end()).c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace gs::test

namespace gs::testing {

bool ProcessAlive(int pid) {
  return pid > 0 && ::kill(pid, 0) == 0;
}

}  // namespace gs::testing
