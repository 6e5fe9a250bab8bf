// Kt06.exe as a user starts it on Windows (under Wine on the virtual display
// of the test run): start-up on an installed sample game, "Extract", then
// "Edit in MS Word", which ends in error 429 through the error report where
// Word is not installed; the program then ends and the work files are gone.
// Screenshots of the window idle and after "Extract", and of the error box,
// go to the screenshots folder.
#include <gtest/gtest.h>

#include "tests/window/window_test_support.h"
// After the registry's header (through the support), whose names <windows.h>
// defines as macros.
#include <windows.h>

#include <filesystem>

#include "common/fs.h"
#include "tests/support/test_folder.h"
#include "tests/window/capture_win32.h"
#include "window/win32/controls.h"

namespace gs {
namespace {

// A program started as from the desktop, ended when the test leaves early.
class Started {
 public:
  explicit Started(const std::string& path) {
    std::string line = "\"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (::CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &process_)) {
      ::CloseHandle(process_.hThread);
    }
  }
  ~Started() {
    if (process_.hProcess == nullptr) return;
    if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_.hProcess, 1);
    ::CloseHandle(process_.hProcess);
  }
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;

  ::DWORD Id() const { return process_.dwProcessId; }
  // The exit code once the program ended within the time; -1 otherwise.
  long long ExitCode(::DWORD milliseconds) const {
    ::DWORD code = 0;
    if (process_.hProcess == nullptr ||
        ::WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process_.hProcess, &code)) {
      return -1;
    }
    return code;
  }

 private:
  PROCESS_INFORMATION process_{};
};

HWND ChildWithText(HWND window, const std::string& className, const std::string& text) {
  for (HWND child : test::ChildWindows(window, className)) {
    if (WindowText(child) == text) return child;
  }
  return nullptr;
}

// A top-level window of the program, once it shows one.
HWND AwaitWindow(const Started& program, const std::string& className) {
  HWND found = nullptr;
  testing::Eventually(
      [&] {
        const std::vector<HWND> windows = test::TopLevelWindows(program.Id(), className);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      30);
  return found;
}

std::string VersionValue(const std::string& file, const char* name) {
  ::DWORD ignored = 0;
  std::vector<char> info(::GetFileVersionInfoSizeA(file.c_str(), &ignored));
  if (info.empty() ||
      !::GetFileVersionInfoA(file.c_str(), 0, static_cast<::DWORD>(info.size()), info.data())) {
    return {};
  }
  char* value = nullptr;
  UINT length = 0;
  const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
  if (!::VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) return {};
  return std::string(value, length > 0 ? length - 1 : 0);
}

TEST(Kt06Program, CarriesItsVersion) {
  const std::string program = ExecutableDir() + "Kt06.exe";
  EXPECT_EQ(VersionValue(program, "ProductName"), "Glossmith");
  EXPECT_EQ(VersionValue(program, "FileVersion"), "2.1.0.1");
}

TEST(Kt06Program, ExtractsAndReportsTheWordItCannotStart) {
  test::SampleInstallation game("gs-kt06");
  test::StoreSettings(game.Game(), 0, 1, 1);
  Started kt06(ExecutableDir() + "Kt06.exe");
  const HWND window = AwaitWindow(kt06, "Kt06");
  ASSERT_NE(window, nullptr) << "Kt06.exe shows no window (is there a display?)";
  EXPECT_EQ(WindowText(window), "KT06 - Glossmith for EA NHL06");
  const HWND extract = ChildWithText(window, "Button", "Extract");
  const HWND edit = ChildWithText(window, "Button", "Edit in MS Word");
  const HWND save = ChildWithText(window, "Button", "Save changes");
  ASSERT_TRUE(extract != nullptr && edit != nullptr && save != nullptr);
  EXPECT_NE(ChildWithText(window, "Static", "Ver: 2.11"), nullptr);
  EXPECT_TRUE(::IsWindowEnabled(extract));
  EXPECT_FALSE(::IsWindowEnabled(edit));

  std::filesystem::create_directories(GLOSSMITH_SCREENSHOTS);
  const std::string shots = std::string(GLOSSMITH_SCREENSHOTS) + "\\kt06-wine-";
  EXPECT_TRUE(test::WritePng(shots + "idle.png", test::CaptureClientArea(window)));

  DWORD_PTR ignored = 0;
  ASSERT_NE(::SendMessageTimeoutA(extract, BM_CLICK, 0, 0, SMTO_NORMAL, 60000, &ignored), 0);
  EXPECT_FALSE(::IsWindowEnabled(extract));
  EXPECT_TRUE(::IsWindowEnabled(edit));
  EXPECT_TRUE(FileExists(game / "KT\\FrontFrench.bin"));
  EXPECT_TRUE(FileExists(game / "KT\\frontEnglish.bin.eng"));
  EXPECT_TRUE(test::WritePng(shots + "after-extract.png", test::CaptureClientArea(window)));

  // The step runs while the test waits for the error box.
  ::PostMessageA(edit, BM_CLICK, 0, 0);
  const HWND box = AwaitWindow(kt06, "#32770");
  ASSERT_NE(box, nullptr) << "no error box";
  EXPECT_EQ(WindowText(box), "KT06");
  std::string message;
  for (HWND label : test::ChildWindows(box, "Static")) {
    if (!WindowText(label).empty()) message = WindowText(label);
  }
  EXPECT_EQ(
      message.rfind("Error #  429 was generated by  Glossmith\r\nActiveX component can't create object", 0),
      0u)
      << message;
  EXPECT_NE(message.find("0x80040154"), std::string::npos) << message;
  EXPECT_TRUE(test::WritePng(shots + "error-box.png", test::CaptureClientArea(box)));
  ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);

  EXPECT_EQ(kt06.ExitCode(30000), 0);
  for (const char* file : {"KT\\FrontFrench.bin", "KT\\frontEnglish.bin.eng", "KT\\FrontFrench.bin.txt"}) {
    EXPECT_FALSE(FileExists(game / file)) << file;
  }
}

}  // namespace
}  // namespace gs
