// The settings store through the registry functions alone, so that the same
// cases run against any registry the platform has.
#include "registry/bas_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error.h"
#include "registry/reg_values.h"
#include "tests/registry/scratch_hive.h"

namespace gs {
namespace {

constexpr int32_t kReadError = -2147215503;  // 0x80041771

class BasRegistryTest : public testing::RegistryTest {
 protected:
  std::string Key(const std::string& sub) const { return hive_.Root() + "\\" + sub; }

  // Stores a value of any type and size, as another program might have.
  void Put(const std::string& key, const std::string& name, DWORD type, const std::vector<BYTE>& data) {
    StoreRegValue("test", HKEY_LOCAL_MACHINE, key, name, type, data);
  }
  void PutText(const std::string& key, const std::string& name, const std::string& text) {
    Put(key, name, REG_SZ, std::vector<BYTE>(text.begin(), text.end()));
  }
};

TEST_F(BasRegistryTest, ErrorNumbersAreTheUserDefinedOnes) {
  EXPECT_EQ(ErrRegRead, static_cast<int32_t>(0x80041771u));
  EXPECT_EQ(ErrRegSetValue, static_cast<int32_t>(0x80041772u));
  EXPECT_EQ(ErrRegCreateKey, static_cast<int32_t>(0x80041773u));
  EXPECT_EQ(reinterpret_cast<intptr_t>(HKEY_LOCAL_MACHINE), static_cast<intptr_t>(int32_t{-2147483646}));
}

TEST_F(BasRegistryTest, MissingKeyFailsToOpen) {
  ExpectError([&] { GetRegDWord(HKEY_LOCAL_MACHINE, Key("Kt06"), "TypeId"); }, kReadError, "GetRegDWord",
              "RegOpenKeyEx failed!");
  ExpectError([&] { GetRegString(HKEY_LOCAL_MACHINE, Key("NHL06"), "Install Dir"); }, kReadError,
              "GetRegString", "RegOpenKeyEx failed!");
}

TEST_F(BasRegistryTest, MissingValueFailsToQuery) {
  SetRegDWord(HKEY_LOCAL_MACHINE, Key("Kt06"), "LanguageId", 1);
  ExpectError([&] { GetRegDWord(HKEY_LOCAL_MACHINE, Key("Kt06"), "TypeId"); }, kReadError, "GetRegDWord",
              "RegQueryValueEx failed!");
  ExpectError([&] { GetRegString(HKEY_LOCAL_MACHINE, Key("Kt06"), "Install Dir"); }, kReadError,
              "GetRegString", "RegQueryValueEx failed!");
}

TEST_F(BasRegistryTest, SetCreatesTheKeyWithItsParentsAndReadsBack) {
  const std::string deep = Key("DE ROROVO\\Kt06");
  SetRegDWord(HKEY_LOCAL_MACHINE, deep, "TypeId", 2);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, deep, "TypeId"), 2);

  ScopedKey parent;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, Key("DE ROROVO").c_str(), 0, KEY_READ, parent.Receive()),
            ERROR_SUCCESS);
  parent.Close();

  SetRegDWord(HKEY_LOCAL_MACHINE, deep, "TypeId", 0);  // an existing value is replaced
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, deep, "TypeId"), 0);
  ExpectNoOpenKey();
}

TEST_F(BasRegistryTest, MinusOneIsStoredAsAllOnesDWord) {
  SetRegDWord(HKEY_LOCAL_MACHINE, Key("Kt06"), "TypeId", -1);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, Key("Kt06"), "TypeId"), -1);

  ScopedKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, Key("Kt06").c_str(), 0, KEY_READ, key.Receive()),
            ERROR_SUCCESS);
  DWORD type = 0, size = 8;
  BYTE data[8] = {};
  ASSERT_EQ(RegQueryValueExA(key.Get(), "TypeId", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(std::vector<BYTE>(data, data + 4), (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 0xFF}));

  SetRegDWord(HKEY_LOCAL_MACHINE, Key("Kt06"), "WordGoToLine", INT32_MIN);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, Key("Kt06"), "WordGoToLine"), INT32_MIN);
}

TEST_F(BasRegistryTest, NumberReadTakesAnyValueOfAtMostFourBytes) {
  const std::string key = Key("Kt06");
  Put(key, "Binary", REG_BINARY, {0x01, 0x02, 0x03, 0x04});
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, key, "Binary"), 0x04030201);
  Put(key, "Short", REG_BINARY, {0x34, 0x12});
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, key, "Short"), 0x1234);
  PutText(key, "Tiny", std::string("7\0", 2));  // "7" with its NUL: two bytes
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, key, "Tiny"), '7');

  SetRegString(HKEY_LOCAL_MACHINE, key, "Text", "1");  // "1" and NUL, two bytes: fits
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, key, "Text"), '1');
  SetRegString(HKEY_LOCAL_MACHINE, key, "Text", "1234");  // five bytes: doesn't fit
  ExpectError([&] { GetRegDWord(HKEY_LOCAL_MACHINE, key, "Text"); }, kReadError, "GetRegDWord",
              "RegQueryValueEx failed!");
  Put(key, "Wide", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0});
  ExpectError([&] { GetRegDWord(HKEY_LOCAL_MACHINE, key, "Wide"); }, kReadError, "GetRegDWord",
              "RegQueryValueEx failed!");
}

TEST_F(BasRegistryTest, TextReadDropsTheLastByte) {
  const std::string key = Key("NHL06");
  SetRegString(HKEY_LOCAL_MACHINE, key, "Install Dir", "C:\\Game\\");
  EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, key, "Install Dir"), "C:\\Game\\");

  PutText(key, "No NUL", "C:\\Game\\");  // stored without its NUL: loses its last real character
  EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, key, "No NUL"), "C:\\Game");

  SetRegString(HKEY_LOCAL_MACHINE, key, "Empty", "");  // the NUL alone, size 1
  EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, key, "Empty"), "");
  Put(key, "No data", REG_SZ, {});
  EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, key, "No data"), "");

  // The type is not looked at: a number reads as its first three bytes.
  SetRegDWord(HKEY_LOCAL_MACHINE, key, "Number", 0x00434241);
  EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, key, "Number"), "ABC");
  ExpectNoOpenKey();
}

TEST_F(BasRegistryTest, TextOfMoreThan254CharactersDoesNotFit) {
  const std::string key = Key("NHL06");
  const std::string longest(254, 'x');
  SetRegString(HKEY_LOCAL_MACHINE, key, "Install Dir", longest);  // 255 bytes with the NUL
  EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, key, "Install Dir"), longest);

  SetRegString(HKEY_LOCAL_MACHINE, key, "Install Dir", longest + "y");
  ExpectError([&] { GetRegString(HKEY_LOCAL_MACHINE, key, "Install Dir"); }, kReadError, "GetRegString",
              "RegQueryValueEx failed!");
}

TEST_F(BasRegistryTest, NamesMatchWithoutRegardToCase) {
  SetRegDWord(HKEY_LOCAL_MACHINE, Key("DE ROROVO\\Kt06"), "TypeId", 1);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, Key("de rorovo\\KT06"), "TYPEID"), 1);
  SetRegDWord(HKEY_LOCAL_MACHINE, Key("De Rorovo\\kt06"), "typeid", 2);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, Key("DE ROROVO\\Kt06"), "TypeId"), 2);
  SetRegString(HKEY_LOCAL_MACHINE, Key("DE ROROVO\\NHL06"), "Install Dir", "D:\\");
  EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, Key("de rorovo\\nhl06"), "install dir"), "D:\\");
}

TEST_F(BasRegistryTest, QueryReportsSizesAsTheRegistryDoes) {
  SetRegString(HKEY_LOCAL_MACHINE, Key("K"), "Text", "abcdef");
  ScopedKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, Key("K").c_str(), 0, KEY_READ, key.Receive()), ERROR_SUCCESS);

  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key.Get(), "Text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 7u);

  BYTE small[4] = {};
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key.Get(), "Text", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 7u);

  BYTE exact[7] = {};
  size = sizeof exact;
  EXPECT_EQ(RegQueryValueExA(key.Get(), "Text", nullptr, nullptr, exact, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(exact), 7), std::string("abcdef\0", 7));

  EXPECT_EQ(RegQueryValueExA(key.Get(), "Absent", nullptr, nullptr, exact, &size), ERROR_FILE_NOT_FOUND);

  HKEY absent = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, Key("Absent").c_str(), 0, KEY_READ, &absent),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(absent, nullptr);
}

TEST_F(BasRegistryTest, CreateReportsWhetherTheKeyIsNew) {
  ScopedKey key;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, Key("A\\B").c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, key.Receive(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD{REG_CREATED_NEW_KEY});
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, Key("a\\b").c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, key.Receive(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});

  // A key opened below an open key.
  ScopedKey child;
  ASSERT_EQ(RegCreateKeyExA(key.Get(), "C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, child.Receive(), nullptr),
            ERROR_SUCCESS);
  const BYTE one[4] = {1, 0, 0, 0};
  ASSERT_EQ(RegSetValueExA(child.Get(), "V", 0, REG_DWORD, one, 4), ERROR_SUCCESS);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, Key("A\\B\\C"), "V"), 1);
}

TEST_F(BasRegistryTest, ValueExistsAndTextStore) {
  EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, Key("NHL06"), "Install Dir"));
  SetRegDWord(HKEY_LOCAL_MACHINE, Key("NHL06"), "Other", 0);
  EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, Key("NHL06"), "Install Dir"));
  SetRegString(HKEY_LOCAL_MACHINE, Key("NHL06"), "Install Dir", "");
  EXPECT_TRUE(RegValueExists(HKEY_LOCAL_MACHINE, Key("NHL06"), "install dir"));
  ExpectNoOpenKey();
}

TEST_F(BasRegistryTest, ClosingAnUnknownHandleFails) {
  ScopedKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, Key("K").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.Receive(), nullptr),
            ERROR_SUCCESS);
  const HKEY raw = key.Get();
  key.Close();
  EXPECT_EQ(RegCloseKey(raw), ERROR_INVALID_HANDLE);
  const BYTE one[4] = {1, 0, 0, 0};
  EXPECT_EQ(RegSetValueExA(raw, "V", 0, REG_DWORD, one, 4), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace gs
