// Windows side of the test helpers: CreateProcessA with the output going to
// files, scratch folders below the temporary folder, the program's settings
// set aside.
#include "registry/bas_registry.h"
// After the registry's header, whose names <windows.h> defines as macros
// (and whose DWORD, in namespace gs, is not the system's: hence ::DWORD).
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "catalog/command_line.h"
#include "tests/support/test_folder.h"
#include "tests/support/test_process.h"

namespace gs::test {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != nullptr && h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

// A file the child inherits as one of its standard handles.
HANDLE OpenInherited(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE h =
      ::CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  return h;
}

// Tests name programs as on POSIX; CreateProcessA wants the ".exe" that
// the system would add when searching.
std::string ProgramFile(const std::string& path) {
  return std::filesystem::path(path).has_extension() ? path : path + ".exe";
}

// Starts the program with its standard handles on the given files; returns
// the handle of its process.
HANDLE Start(const std::vector<std::string>& argv, const std::string& out, const std::string& err) {
  // One start at a time: a child inherits every inheritable handle, also
  // those another thread opened for its own child.
  static std::mutex starting;
  const std::lock_guard lock(starting);
  std::string line;
  for (const std::string& a : argv) line += (line.empty() ? "" : " ") + CommandLineArgument(a);
  const Handle in(OpenInherited("NUL", false));
  const Handle outFile(OpenInherited(out, true));
  const Handle errFile(OpenInherited(err, true));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.Get();
  startup.hStdOutput = outFile.Get();
  startup.hStdError = errFile.Get();
  PROCESS_INFORMATION process{};
  // Wine under load now and then fails a start with ERROR_INTERNAL_ERROR;
  // the next try starts the program.
  for (int attempt = 1;; ++attempt) {
    if (::CreateProcessA(ProgramFile(argv[0]).c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         nullptr, &startup, &process)) {
      break;
    }
    const ::DWORD error = ::GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == 5) {
      throw std::runtime_error("cannot start " + argv[0] + ", error " + std::to_string(error));
    }
    ::Sleep(100);
  }
  ::CloseHandle(process.hThread);
  return process.hProcess;
}

int ExitCodeOf(const Handle& process) {
  ::WaitForSingleObject(process.Get(), INFINITE);
  ::DWORD code = 0;
  ::GetExitCodeProcess(process.Get(), &code);
  return static_cast<int>(code);
}

// The exit code that TerminateProcess gives a killed program.
constexpr UINT kKilled = 0xDEADu;

}  // namespace

int OpenHandleCount() {
  // The open files among the handle values (multiples of 4, from 4 up):
  // counting every handle would count the threads, events and keys that the
  // runtime and Wine open and close as they please, and Wine's
  // GetProcessHandleCount always answers 0.
  int count = 0;
  ::DWORD flags = 0;
  for (uintptr_t value = 4; value < (uintptr_t{1} << 18); value += 4) {
    const auto handle = reinterpret_cast<::HANDLE>(value);
    if (::GetHandleInformation(handle, &flags) && ::GetFileType(handle) == FILE_TYPE_DISK) ++count;
  }
  return count;
}

ProgramResult RunProgram(const std::vector<std::string>& argv) {
  const ScratchDir scratch("run");
  ProgramResult r;
  r.exitCode = ExitCodeOf(Handle(Start(argv, scratch / "out", scratch / "err")));
  r.out = ReadAll(scratch / "out");
  r.err = ReadAll(scratch / "err");
  return r;
}

KilledRun RunAndKillAfter(const std::vector<std::string>& argv, std::chrono::microseconds delay) {
  const auto start = std::chrono::steady_clock::now();
  const Handle process(Start(argv, "NUL", "NUL"));
  std::this_thread::sleep_for(delay);
  ::TerminateProcess(process.Get(), kKilled);
  const int code = ExitCodeOf(process);
  KilledRun r;
  r.micros = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
  r.killed = code == static_cast<int>(kKilled);
  r.exitCode = r.killed ? -1 : code;
  return r;
}

ScratchDir::ScratchDir(const std::string& tag) {
  static std::atomic<unsigned> serial{0};
  const std::filesystem::path temp = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string name =
        "gs-" + tag + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(serial++);
    if (std::filesystem::create_directory(temp / name)) {
      path_ = (temp / name).string() + "\\";
      return;
    }
  }
  throw std::runtime_error("cannot make a scratch folder in " + temp.string());
}

namespace {

// The registry view that the settings store uses.
constexpr ::REGSAM kSettingsView = KEY_WOW64_32KEY;
// The values the program reads and writes, which a test's settings replace.
struct ProgramValue {
  const char* key;
  const char* name;
};
constexpr ProgramValue kProgramValues[] = {{kGameKey, "Install Dir"},
                                           {kSettingsKey, "TypeId"},
                                           {kSettingsKey, "LanguageId"},
                                           {kSettingsKey, "MakeBackup"},
                                           {kSettingsKey, "WordGoToLine"}};

void EndTurn(void* turn) {
  ::ReleaseMutex(turn);
  ::CloseHandle(turn);
}

}  // namespace

ScratchSettings::ScratchSettings(const std::string&) {
  // One turn for all: other test programs wait until this one has put the
  // values back. A turn abandoned by a crashed program is taken as it is.
  turn_ = ::CreateMutexA(nullptr, FALSE, "Local\\Glossmith tests: the program's settings");
  if (turn_ == nullptr) throw std::runtime_error("cannot make the settings mutex");
  ::WaitForSingleObject(turn_, INFINITE);
  for (const ProgramValue& v : kProgramValues) {
    Saved value;
    value.key = v.key;
    value.name = v.name;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, v.key, 0, KEY_ALL_ACCESS | kSettingsView, &key) ==
        ERROR_SUCCESS) {
      ::DWORD type = 0, size = 0;
      if (::RegQueryValueExA(key, v.name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        value.existed = true;
        value.type = type;
        value.data.resize(size);
        ::RegQueryValueExA(key, v.name, nullptr, nullptr, value.data.data(), &size);
        value.data.resize(size);
        ::RegDeleteValueA(key, v.name);
      }
      ::RegCloseKey(key);
    }
    saved_.push_back(std::move(value));
  }
}

ScratchSettings::~ScratchSettings() {
  // A test may have removed the keys themselves.
  for (const Saved& value : saved_) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, value.key.c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS | kSettingsView, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      continue;
    }
    if (value.existed) {
      ::RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.data(),
                       static_cast<::DWORD>(value.data.size()));
    } else {
      ::RegDeleteValueA(key, value.name.c_str());
    }
    ::RegCloseKey(key);
  }
  EndTurn(turn_);
}

void RemoveProgramKeys() {
  for (const char* key : {kGameKey, kSettingsKey})
    ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key, kSettingsView, 0);
}

}  // namespace gs::test

namespace gs::testing {

bool ProcessAlive(int pid) {
  const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<::DWORD>(pid));
  if (process == nullptr) return false;
  ::DWORD code = 0;
  const bool alive = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  ::CloseHandle(process);
  return alive;
}

}  // namespace gs::testing
