// The store on Windows works in the registry's 32-bit view, where the
// game's 32-bit installer put its key, also in a 64-bit build.
#include "registry/bas_registry.h"
// After the layer's header, whose names <windows.h> defines as macros.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/registry/scratch_hive.h"

namespace gs {
namespace {

class RegistryViewTest : public testing::RegistryTest {
 protected:
  std::string Key(const std::string& sub) const { return hive_.Root() + "\\" + sub; }

  // Writes a text value straight through advapi32, in the given view.
  static void InstallText(REGSAM view, const std::string& key, const char* name, const std::string& text) {
    ::HKEY h = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                nullptr, &h, nullptr),
              0);
    ASSERT_EQ(::RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<::DWORD>(text.size() + 1)),
              0);
    ::RegCloseKey(h);
  }

  static bool KeyExistsIn(REGSAM view, const std::string& key) {
    ::HKEY h = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, &h) != 0) return false;
    ::RegCloseKey(h);
    return true;
  }

  void TearDown() override {
    // The other view's copy, which the scratch hive does not know of.
    ::HKEY tests = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &tests) == 0) {
      ::RegDeleteTreeA(tests, hive_.Root().substr(sizeof "Software").c_str());
      ::RegCloseKey(tests);
    }
  }
};

TEST_F(RegistryViewTest, TheGamesKeyIsReadFromTheThirtyTwoBitView) {
  InstallText(KEY_WOW64_32KEY, Key("NHL06"), "Install Dir", "C:\\Games\\NHL06\\");
  EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, Key("NHL06"), "Install Dir"), "C:\\Games\\NHL06\\");
}

TEST_F(RegistryViewTest, SettingsAreWrittenIntoTheThirtyTwoBitView) {
  SetRegDWord(HKEY_LOCAL_MACHINE, Key("Kt06"), "TypeId", 2);
  EXPECT_TRUE(KeyExistsIn(KEY_WOW64_32KEY, Key("Kt06")));
  if (sizeof(void*) == 8) {
    // A 64-bit build keeps nothing in its own view.
    EXPECT_FALSE(KeyExistsIn(KEY_WOW64_64KEY, Key("Kt06")));
    InstallText(KEY_WOW64_64KEY, Key("NHL06"), "Install Dir", "C:\\Elsewhere\\");
    ExpectError([&] { GetRegString(HKEY_LOCAL_MACHINE, Key("NHL06"), "Install Dir"); },
                static_cast<int32_t>(0x80041771u), "GetRegString", "RegOpenKeyEx failed!");
  }
}

}  // namespace
}  // namespace gs
