// The hive's text format on its own: what it reads, what it writes.
#include "registry/reg_file.h"

#include <gtest/gtest.h>

#include <string>

#include "common/error.h"

namespace gs {
namespace {

RegFile Parse(const std::string& text) {
  return RegFile::Parse(text, "test.reg");
}

Bytes B(std::initializer_list<int> bytes) {
  Bytes out;
  for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
  return out;
}

RegValue Get(const RegFile& file, const std::string& key, const std::string& name) {
  const RegValue* v = file.FindValue(key, name);
  EXPECT_NE(v, nullptr) << key << " / " << name;
  return v != nullptr ? *v : RegValue{};
}

TEST(RegFileTest, ReadsEveryValueForm) {
  const RegFile file = Parse(
      "REGEDIT4\n"
      "[HKEY_LOCAL_MACHINE\\Software\\K]\n"
      "\"Text\"=\"a\\\\b\\\"c\"\n"
      "\"Odd \\\"name\\\\\"=\"x\"\n"
      "@=\"default\"\n"
      "\"@\"=\"at\"\n"
      "\"Num\"=dword:DEADbeef\n"
      "\"Short\"=dword:7\n"
      "\"Bin\"=hex:00,ff\n"
      "\"Empty\"=hex:\n"
      "\"Q\"=hex(b):01,00,00,00,00,00,00,00\n"
      "\"Big type\"=hex(ffff0000):01\n"
      "\"Wrapped\"=hex(7):61,\\\n"
      "    62,  \\\n"
      "  00\n"
      "\t\"Spaced\"\t=\t\"s\"\t\n");
  const std::string k = "Software\\K";
  EXPECT_EQ(Get(file, k, "Text"), (RegValue{REG_SZ, B({'a', '\\', 'b', '"', 'c', 0})}));
  EXPECT_EQ(Get(file, k, "Odd \"name\\"), (RegValue{REG_SZ, B({'x', 0})}));
  EXPECT_EQ(Get(file, k, ""), (RegValue{REG_SZ, B({'d', 'e', 'f', 'a', 'u', 'l', 't', 0})}));
  EXPECT_EQ(Get(file, k, "@"), (RegValue{REG_SZ, B({'a', 't', 0})}));
  EXPECT_EQ(Get(file, k, "Num"), (RegValue{REG_DWORD, B({0xef, 0xbe, 0xad, 0xde})}));
  EXPECT_EQ(Get(file, k, "Short"), (RegValue{REG_DWORD, B({7, 0, 0, 0})}));
  EXPECT_EQ(Get(file, k, "Bin"), (RegValue{REG_BINARY, B({0, 0xff})}));
  EXPECT_EQ(Get(file, k, "Empty"), (RegValue{REG_BINARY, {}}));
  EXPECT_EQ(Get(file, k, "Q"), (RegValue{REG_QWORD, B({1, 0, 0, 0, 0, 0, 0, 0})}));
  EXPECT_EQ(Get(file, k, "Big type"), (RegValue{0xffff0000u, B({1})}));
  EXPECT_EQ(Get(file, k, "Wrapped"), (RegValue{REG_MULTI_SZ, B({'a', 'b', 0})}));
  EXPECT_EQ(Get(file, k, "Spaced"), (RegValue{REG_SZ, B({'s', 0})}));
  EXPECT_EQ(file.FindValue(k, "Absent"), nullptr);
  EXPECT_EQ(file.FindValue("Software\\Other", "Text"), nullptr);
}

TEST(RegFileTest, KeysExistWithTheKeysAboveThemAndMatchInAnyCase) {
  RegFile file = Parse("[HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\NHL06]\n\"A\"=dword:1\n");
  EXPECT_TRUE(file.KeyExists(""));
  EXPECT_TRUE(file.KeyExists("software"));
  EXPECT_TRUE(file.KeyExists("SOFTWARE\\de rorovo\\nhl06"));
  EXPECT_FALSE(file.KeyExists("Software\\DE ROROVO\\NHL0"));
  EXPECT_NE(file.FindValue("SOFTWARE\\DE ROROVO\\nhl06", "a"), nullptr);

  EXPECT_FALSE(file.CreateKey("software\\de rorovo"));
  EXPECT_TRUE(file.CreateKey("SOFTWARE\\DE ROROVO\\Kt06\\Sub"));
  EXPECT_TRUE(file.KeyExists("software\\de rorovo\\kt06"));
  // A value set in another case replaces the value and keeps its name.
  EXPECT_TRUE(file.SetValue("software\\de rorovo\\nhl06", "a", RegValue{REG_DWORD, B({2, 0, 0, 0})}));
  EXPECT_FALSE(file.SetValue("Software\\DE ROROVO\\NHL06", "A", RegValue{REG_DWORD, B({2, 0, 0, 0})}));
  EXPECT_EQ(file.Serialize(),
            "[HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\NHL06]\n"
            "\"A\"=dword:00000002\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\Kt06\\Sub]\n");
}

TEST(RegFileTest, KeepsAHandWrittenFileByteForByte) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n"
      "; settings for the editor\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\K]   \r\n"
      "  ; indented comment\r\n"
      "\"A\" = dword:1\r\n"
      "\"B\"=hex:01,\\\r\n"
      "      02\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\K]\r\n"
      "\"C\"=\"again\"\r\n";
  EXPECT_EQ(Parse(text).Serialize(), text);
  EXPECT_EQ(Parse("\xEF\xBB\xBF[HKLM]\n\"x\"=\"y\"").Serialize(), "\xEF\xBB\xBF[HKLM]\n\"x\"=\"y\"\n");
  EXPECT_EQ(Parse("").Serialize(), "");
}

TEST(RegFileTest, LaterSectionsOfTheSameKeyAddToItAndWin) {
  RegFile file = Parse(
      "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=dword:1\n\"B\"=dword:1\n\n"
      "[HKEY_LOCAL_MACHINE\\k]\n\"a\"=dword:2\n\n");
  EXPECT_EQ(Get(file, "K", "A").data, B({2, 0, 0, 0}));
  EXPECT_EQ(Get(file, "K", "B").data, B({1, 0, 0, 0}));
  EXPECT_TRUE(file.SetValue("K", "C", RegValue{REG_DWORD, B({3, 0, 0, 0})}));
  EXPECT_TRUE(file.SetValue("K", "A", RegValue{REG_DWORD, B({4, 0, 0, 0})}));
  EXPECT_EQ(file.Serialize(),
            "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=dword:1\n\"B\"=dword:1\n\n"
            "[HKEY_LOCAL_MACHINE\\k]\n\"a\"=dword:00000004\n\"C\"=dword:00000003\n\n");
}

TEST(RegFileTest, WritesWhatTheTextFormCannotHoldAsHex) {
  RegFile file;
  ASSERT_TRUE(file.CreateKey("K"));
  file.SetValue("K", "Plain", RegValue{REG_SZ, B({'a', 0})});
  file.SetValue("K", "No NUL", RegValue{REG_SZ, B({'a', 'b'})});
  file.SetValue("K", "Inner NUL", RegValue{REG_SZ, B({'a', 0, 'b', 0})});
  file.SetValue("K", "Newline", RegValue{REG_SZ, B({'a', '\n', 0})});
  file.SetValue("K", "Nothing", RegValue{REG_SZ, {}});
  file.SetValue("K", "Three", RegValue{REG_DWORD, B({1, 2, 3})});
  file.SetValue("K", "None", RegValue{REG_NONE, {}});
  EXPECT_EQ(file.Serialize(),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\K]\n"
            "\"Plain\"=\"a\"\n"
            "\"No NUL\"=hex(1):61,62\n"
            "\"Inner NUL\"=hex(1):61,00,62,00\n"
            "\"Newline\"=hex(1):61,0a,00\n"
            "\"Nothing\"=hex(1):\n"
            "\"Three\"=hex(4):01,02,03\n"
            "\"None\"=hex(0):\n");
  // And reads all of it back as it was.
  const RegFile again = Parse(file.Serialize());
  EXPECT_EQ(Get(again, "K", "No NUL"), (RegValue{REG_SZ, B({'a', 'b'})}));
  EXPECT_EQ(Get(again, "K", "Newline"), (RegValue{REG_SZ, B({'a', '\n', 0})}));
  EXPECT_EQ(Get(again, "K", "Nothing"), (RegValue{REG_SZ, {}}));
  EXPECT_EQ(Get(again, "K", "Three"), (RegValue{REG_DWORD, B({1, 2, 3})}));
}

TEST(RegFileTest, LongHexWrapsAsRegeditDoes) {
  RegFile file;
  file.CreateKey("K");
  RegValue blob{REG_BINARY, {}};
  for (int i = 0; i < 300; ++i) blob.data.push_back(static_cast<uint8_t>(i));
  file.SetValue("K", "Blob", blob);
  const std::string text = file.Serialize();
  size_t lines = 0;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LE(end - start, 80u);
    ++lines;
  }
  EXPECT_GT(lines, 10u);
  EXPECT_EQ(Get(Parse(text), "K", "Blob"), blob);
}

TEST(RegFileTest, DamageIsReportedWithFileAndLine) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"[HKEY_LOCAL_MACHINE\\K]\n\"A\"=dword:123456789\n", "line 2: a dword needs 1 to 8 hex digits"},
      {"[HKEY_LOCAL_MACHINE\\K]\n\"A\"=dword:\n", "line 2: a dword needs"},
      {"[HKEY_LOCAL_MACHINE\\K]\n\"A\"=hex(z):00\n", "line 2: expected hex: or hex(type):"},
      {"[HKEY_LOCAL_MACHINE\\K]\n\"A\"=hex:100\n", "line 2: '100' is not a hex byte"},
      {"[HKEY_LOCAL_MACHINE\\K]\n\"A\"=hex:01,,02\n", "line 2: '' is not a hex byte"},
      {"[HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"x\" trailing\n", "line 2: unexpected characters after the text"},
      {"[HKEY_LOCAL_MACHINE\\K]\n\"A=\"x\"\n", "line 2: expected '='"},
      {"[HKEY_LOCAL_MACHINE\\K]\n\"A\"\n", "line 2: expected '='"},
      {"[HKEY_LOCAL_MACHINE\\K]\n\"A\"=str:x\n", "line 2: unknown value data 'str:x'"},
      {"\n\n[HKEY_USERS\\K]\n", "line 3: only keys below HKEY_LOCAL_MACHINE"},
      {"[HKEY_LOCAL_MACHINE\\K]\n\n\"A\"=hex:01,\\\n", "line 3: the hex data continues past the end"},
  };
  for (const auto& c : cases) {
    try {
      Parse(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), rt::UnknownDataFormat);
      EXPECT_EQ(e.Description().rfind("The settings file 'test.reg' is damaged at ", 0), 0u)
          << e.Description();
      EXPECT_NE(e.Description().find(c.message), std::string::npos) << e.Description();
    }
  }
}

}  // namespace
}  // namespace gs
