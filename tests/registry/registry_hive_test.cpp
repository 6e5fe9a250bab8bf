// The POSIX hive: its file, its access rules, and writers in several processes.
#include "registry/registry_hive.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/error.h"
#include "common/file.h"
#include "common/fs.h"
#include "registry/bas_registry.h"
#include "registry/reg_file.h"
#include "registry/reg_values.h"
#include "tests/registry/scratch_hive.h"
#include "tests/support/child_posix.h"

namespace gs {
namespace {

namespace fs = std::filesystem;

class HiveTest : public testing::RegistryTest {
 protected:
  static std::string Text(const std::string& path) {
    const Bytes b = ReadWholeFile(path);
    return std::string(b.begin(), b.end());
  }
  std::string HiveText() const { return Text(path_); }
  void WriteHive(const std::string& text) const {
    fs::create_directories(fs::path(path_).parent_path());
    WriteWholeFile(path_, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  }

  // reg_hammer run with args, killed if a failed check leaves it running.
  class Hammer {
   public:
    explicit Hammer(const std::vector<std::string>& args) {
      const std::string tool = ExecutableDir() + "reg_hammer";
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(tool.c_str()));
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      pid_ = ::fork();
      if (pid_ == 0) {
        ::execv(tool.c_str(), argv.data());
        ::_exit(127);
      }
    }
    ~Hammer() {
      if (pid_ > 0) Kill();
    }
    Hammer(const Hammer&) = delete;
    Hammer& operator=(const Hammer&) = delete;

    // Waits for the end; true when it ended with status 0.
    bool Succeeded() {
      int status = 0;
      ::waitpid(pid_, &status, 0);
      pid_ = -1;
      return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    void Kill() {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }

   private:
    pid_t pid_ = -1;
  };

  const std::string path_ = HivePath();
};

TEST_F(HiveTest, LivesWhereXdgConfigHomeSays) {
  EXPECT_EQ(path_, hive_.Folder() + "/Glossmith/registry.reg");
  EXPECT_EQ(RegistryLocation(), path_);
}

TEST_F(HiveTest, MissingFileIsAnEmptyHiveCreatedOnFirstWrite) {
  ExpectError([] { GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId"); }, ErrRegRead, "GetRegDWord",
              "RegOpenKeyEx failed!");
  ScopedKey root;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_ALL_ACCESS, root.Receive()), ERROR_SUCCESS);
  root.Close();
  EXPECT_FALSE(fs::exists(path_));  // reading makes nothing

  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 0);
  EXPECT_TRUE(fs::exists(path_));
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId"), 0);
}

TEST_F(HiveTest, WritesTheRegistryExportSyntax) {
  SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir", "C:\\Game\\ \"1\"");
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 0);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "LanguageId", 1);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "MakeBackup", -1);
  StoreRegValue("test", HKEY_LOCAL_MACHINE, kSettingsKey, "Blob", REG_BINARY, std::vector<BYTE>{0xDE, 0xAD});
  StoreRegValue("test", HKEY_LOCAL_MACHINE, kSettingsKey, "Bare", REG_SZ, std::vector<BYTE>{'a', 'b', 'c'});
  StoreRegValue("test", HKEY_LOCAL_MACHINE, kSettingsKey, "Multi", REG_MULTI_SZ,
                std::vector<BYTE>{'a', 0, 0});
  StoreRegValue("test", HKEY_LOCAL_MACHINE, kSettingsKey, "", REG_SZ, std::vector<BYTE>{'d', 0});
  SetRegDWord(HKEY_LOCAL_MACHINE, "software\\de rorovo\\kt06", "typeid", 2);  // replaces TypeId

  // The settings key keeps the spelling of the keys above it that existed.
  EXPECT_EQ(HiveText(),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\DE ROROVO\\NHL06]\n"
            "\"Install Dir\"=\"C:\\\\Game\\\\ \\\"1\\\"\"\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\DE ROROVO\\Kt06]\n"
            "\"TypeId\"=dword:00000002\n"
            "\"LanguageId\"=dword:00000001\n"
            "\"MakeBackup\"=dword:ffffffff\n"
            "\"Blob\"=hex:de,ad\n"
            "\"Bare\"=hex(1):61,62,63\n"
            "\"Multi\"=hex(7):61,00,00\n"
            "@=\"d\"\n");
}

TEST_F(HiveTest, HandWrittenFileIsReadAndKeptAsWritten) {
  const std::string original =
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; the game, as its installer left it\r\n"
      "[HKLM\\SOFTWARE\\DE ROROVO\\NHL06]\r\n"
      "\"Install Dir\" = \"/games/nhl06/\"\r\n"
      "\"Path\"=\"C:\\Windows\"\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\Kt06]\r\n"
      "\"TypeId\"=dword:00000001\r\n"
      "\"LanguageId\"=DWORD:5\r\n"
      "; keep backups\r\n"
      "\"MakeBackup\"=dword:00000001\r\n"
      "\"Blob\"=hex:01,02,\\\r\n"
      "  03,04\r\n"
      "\"Expand\"=hex(2):25,00\r\n"
      "\r\n";
  WriteHive(original);

  EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir"), "/games/nhl06/");
  EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Path"), "C:\\Windows");  // an unknown escape stays
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId"), 1);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "LanguageId"), 5);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "Blob"), 0x04030201);
  EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, kSettingsKey, "Expand"), "%");

  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 1);  // unchanged: the file is not even rewritten
  EXPECT_EQ(HiveText(), original);

  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 2);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "WordGoToLine", 300);
  SetRegDWord(HKEY_LOCAL_MACHINE, "Software\\Other", "X", 3);
  // Only the changed line differs; the new value follows the key's last
  // value, the new key comes last.
  std::string expected = original;
  expected.replace(expected.find("dword:00000001"), 14, "dword:00000002");
  expected.insert(expected.rfind("\r\n\r\n") + 2, "\"WordGoToLine\"=dword:0000012c\r\n");
  expected += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"X\"=dword:00000003\r\n";
  EXPECT_EQ(HiveText(), expected);
}

TEST_F(HiveTest, ReadsRegeditsUtf16Export) {
  const std::string utf8 =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\DE ROROVO\\NHL06]\r\n"
      "\"Install Dir\"=\"C:\\\\Spiele\\\\NHL\xC3\xB6\\\\\"\r\n\r\n";
  std::string utf16 = "\xFF\xFE";
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\xC3') {  // the one non-ASCII letter, U+00F6
      utf16 += "\xF6";
      utf16 += '\0';
      ++i;
    } else {
      utf16 += utf8[i];
      utf16 += '\0';
    }
  }
  WriteHive(utf16);
  EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir"), "C:\\Spiele\\NHL\xC3\xB6\\");
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 0);  // written back as UTF-8
  EXPECT_EQ(HiveText().substr(0, utf8.size()), utf8);
}

TEST_F(HiveTest, DamagedHiveIsReportedWithFileAndLineAndLeftAlone) {
  const struct {
    const char* text;
    int line;
  } cases[] = {
      {"Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\Kt06]\n"
       "\"TypeId\"=dword:0000000g\n",
       4},
      {"Windows Registry Editor Version 5.00\n\"TypeId\"=dword:00000001\n", 2},
      {"[HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\Kt06\n", 1},
      {"[HKEY_CURRENT_USER\\Software]\n", 1},
      {"[HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\Kt06]\n\"Install Dir\"=\"C:\\Game\\\"\n", 2},
      {"[HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\Kt06]\n\"TypeId\"=hex:01,02,\\\n", 2},
      {"[HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\Kt06]\n\"TypeId\"=hex:1,zz\n", 2},
      {"[HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\Kt06]\n\n\nTypeId=1\n", 4},
      {"[HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\Kt06]\n\"TypeId\"=-\n", 2},
      {"[-HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\Kt06]\n", 1},
      {"[HKEY_LOCAL_MACHINE\\Software\\\\Kt06]\n", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    WriteHive(c.text);
    const std::string where = "'" + path_ + "' is damaged at line " + std::to_string(c.line) + ":";
    for (int attempt = 0; attempt < 2; ++attempt) {
      try {
        if (attempt == 0) {
          GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId");
        } else {
          SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 1);
        }
        ADD_FAILURE() << "no error";
      } catch (const Error& e) {
        EXPECT_EQ(e.Number(), rt::UnknownDataFormat);
        EXPECT_NE(e.Description().find(where), std::string::npos) << e.Description();
      }
    }
    EXPECT_EQ(HiveText(), c.text);
    ExpectNoOpenKey();
  }
}

TEST_F(HiveTest, UnwritableHiveRefusesFullAccessEvenForReading) {
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 1);
  SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir", "/g/");
  const std::string before = HiveText();
  ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);

  ExpectError([] { GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId"); }, ErrRegRead, "GetRegDWord",
              "RegOpenKeyEx failed!");
  ExpectError([] { GetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir"); }, ErrRegRead, "GetRegString",
              "RegOpenKeyEx failed!");
  ExpectError([] { SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 2); }, ErrRegCreateKey,
              "SetRegDWord", "RegCreateKeyEx failed!");
  ExpectError([] { SetRegDWord(HKEY_LOCAL_MACHINE, "Software\\New", "TypeId", 2); }, ErrRegCreateKey,
              "SetRegDWord", "RegCreateKeyEx failed!");
  EXPECT_EQ(HiveText(), before);

  // Reading access alone is granted; a handle without the right to set values can't set them.
  ScopedKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, key.Receive()), ERROR_SUCCESS);
  const BYTE one[4] = {1, 0, 0, 0};
  EXPECT_EQ(RegSetValueExA(key.Get(), "TypeId", 0, REG_DWORD, one, 4), ERROR_ACCESS_DENIED);
  key.Close();
  EXPECT_TRUE(RegValueExists(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId"));

  ASSERT_EQ(::chmod(path_.c_str(), 0644), 0);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId"), 1);
}

TEST_F(HiveTest, UnwritableFolderRefusesANewHive) {
  const std::string folder = hive_.Folder() + "/Glossmith";
  fs::create_directories(folder);
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  ExpectError([] { SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 0); }, ErrRegCreateKey,
              "SetRegDWord", "RegCreateKeyEx failed!");
  EXPECT_FALSE(fs::exists(path_));

  // With no Glossmith folder yet, the folder above it counts.
  ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
  fs::remove(folder);
  ASSERT_EQ(::chmod(hive_.Folder().c_str(), 0555), 0);
  ExpectError([] { SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 0); }, ErrRegCreateKey,
              "SetRegDWord", "RegCreateKeyEx failed!");
  EXPECT_FALSE(fs::exists(folder));
}

TEST_F(HiveTest, AnotherUsersHiveCanBeReadButNotOpenedWithFullAccess) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 1);
  ASSERT_EQ(::chmod(hive_.Folder().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(path_.c_str(), 0644), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    // As "nobody": the file and its folder are root's.
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(10);
    ScopedKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
      ::_exit(11);
    key.Close();
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, key.Receive()) !=
        ERROR_ACCESS_DENIED) {
      ::_exit(12);
    }
    try {
      GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId");
      ::_exit(13);
    } catch (const Error& e) {
      ::_exit(e.Description() == "RegOpenKeyEx failed!" ? 0 : 14);
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(HiveTest, AHiveBehindASymbolicLinkIsChangedThroughIt) {
  const std::string real = (fs::path(path_).parent_path() / "settings.reg").string();
  fs::create_directories(fs::path(path_).parent_path());
  WriteWholeFile(real, Bytes{});
  fs::create_symlink("settings.reg", path_);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 3);
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_NE(Text(real).find("\"TypeId\"=dword:00000003"), std::string::npos) << Text(real);
}

TEST_F(HiveTest, AFullDiskIsReportedAsSuchAndTheHiveKept) {
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 1);
  const std::string before = HiveText();
  const int number = test::ErrorInChild(
      [] { SetRegString(HKEY_LOCAL_MACHINE, kSettingsKey, "Long", std::string(100000, 'x')); },
      before.size() + 100);
  EXPECT_EQ(number, 61);
  EXPECT_EQ(HiveText(), before);
}

TEST_F(HiveTest, ValuesTheFileCannotHoldAreRefused) {
  ExpectError([] { SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "Type\nId", 1); }, ErrRegSetValue,
              "SetRegDWord", "RegSetValueEx failed!");
  ExpectError([] { SetRegDWord(HKEY_LOCAL_MACHINE, "Software\\\\Kt06", "TypeId", 1); }, ErrRegCreateKey,
              "SetRegDWord", "RegCreateKeyEx failed!");
  ExpectError([] { SetRegDWord(HKEY_LOCAL_MACHINE, "Soft\tware", "TypeId", 1); }, ErrRegCreateKey,
              "SetRegDWord", "RegCreateKeyEx failed!");
  EXPECT_TRUE(RegValueExists(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId") == false);
}

TEST_F(HiveTest, ReadsWhatOthersWroteAndNoticesADeletedKey) {
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 1);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId"), 1);

  // Replaced by someone else, at once, with a file of the same size.
  std::string text = HiveText();
  text.replace(text.find("dword:00000001"), 14, "dword:00000002");
  WriteHive(text);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId"), 2);

  // A second registry object stands for another process.
  HiveRegistry other;
  HKEY key = nullptr;
  ASSERT_EQ(other.OpenKey(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const BYTE three[4] = {3, 0, 0, 0};
  ASSERT_EQ(other.SetValue(key, "TypeId", 0, REG_DWORD, three, 4), ERROR_SUCCESS);
  EXPECT_EQ(other.CloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId"), 3);

  // A key removed by someone else while a handle is open on it.
  ScopedKey open;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, open.Receive()),
            ERROR_SUCCESS);
  WriteHive("Windows Registry Editor Version 5.00\n");
  DWORD size = 4;
  BYTE data[4];
  EXPECT_EQ(RegQueryValueExA(open.Get(), "TypeId", nullptr, nullptr, data, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegSetValueExA(open.Get(), "TypeId", 0, REG_DWORD, three, 4), ERROR_KEY_DELETED);
}

TEST_F(HiveTest, TwoProcessesWritingAtOnceLoseNoValue) {
  const std::string key = "Software\\Glossmith Tests\\Busy";
  Hammer a({key, "A", "1000"});
  Hammer b({key, "B", "1000"});
  ASSERT_TRUE(a.Succeeded());
  ASSERT_TRUE(b.Succeeded());
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, key, "A" + std::to_string(i)), i);
    ASSERT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, key, "B" + std::to_string(i)), i);
  }
}

TEST_F(HiveTest, KillDuringAWriteLeavesAWholeHive) {
  // A large value makes every write of the file take a while.
  const std::string key = "Software\\Glossmith Tests\\Kill";
  std::vector<BYTE> blob(1 << 19);
  std::mt19937 random(42);
  for (auto& b : blob) b = static_cast<BYTE>(random());
  StoreRegValue("test", HKEY_LOCAL_MACHINE, key, "Blob", REG_BINARY, blob);

  auto identity = [&] {
    struct stat st {};
    ::stat(path_.c_str(), &st);
    return std::make_pair(st.st_ino, st.st_mtim.tv_nsec);
  };
  for (int round = 0; round < 6; ++round) {
    // Once the writer has replaced the file, it is amid its writes: kill it
    // a little later, at a random point of some write.
    const auto before = identity();
    Hammer writer({key, "Counter", "forever"});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (identity() == before && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_NE(identity(), before) << "the writer wrote nothing";
    // Readers meanwhile see whole files only.
    const auto killAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(20 + random() % 100);
    do {
      const RegFile file = RegFile::Parse(HiveText(), path_);  // raises if half-written
      const RegValue* stored = file.FindValue(key, "Blob");
      ASSERT_NE(stored, nullptr);
      EXPECT_EQ(stored->data, blob);
    } while (std::chrono::steady_clock::now() < killAt);
    writer.Kill();

    const RegFile file = RegFile::Parse(HiveText(), path_);
    const RegValue* stored = file.FindValue(key, "Blob");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->data, blob);
    EXPECT_NE(file.FindValue(key, "Counter"), nullptr);
  }

  // The next write clears away the temporary files of killed writers.
  SetRegDWord(HKEY_LOCAL_MACHINE, key, "Counter", -1);
  for (const auto& entry : fs::directory_iterator(fs::path(path_).parent_path())) {
    EXPECT_TRUE(entry.path().filename() == "registry.reg" || entry.path().filename() == "registry.reg.lock")
        << entry.path();
  }
}

}  // namespace
}  // namespace gs
