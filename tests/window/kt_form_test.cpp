// The main window on a sample game, on the platform's view: the layout,
// start-up, the states and status lines of the cycle, the settings it writes,
// and closing it.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/fs.h"
#include "tests/support/recording_word_app.h"
#include "tests/window/window_test_support.h"

namespace gs {
namespace {

using test::FormOnView;
using test::ReadBytes;
namespace fs = std::filesystem;

std::vector<std::string> Lines(ListBox& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.ItemCount(); ++i) lines.push_back(list.Item(i));
  return lines;
}

class KTformTest : public ::testing::Test {
 protected:
  KTformTest() : game_("gs-form") { test::StoreSettings(game_.Game(), 0, 1, 1); }

  static int32_t Setting(const char* name) { return GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, name); }
  // The states of the three buttons, the lists' locks and Check1.
  static std::string States(KTformView& v) {
    auto b = [](bool on) { return on ? '1' : '0'; };
    return {b(v.Command1().Enabled()),
            b(v.Command2().Enabled()),
            b(v.Command3().Enabled()),
            ' ',
            b(v.Combo1().Locked()),
            b(v.Combo2().Locked()),
            ' ',
            b(v.Check1().Enabled()),
            b(v.Check1().Value() == 1)};
  }

  test::SampleInstallation game_;
  testing::WordScript word_;
};

TEST_F(KTformTest, TheWindowAndItsControls) {
  FormOnView f(word_.Factory());
  test::ViewDriver& user = f.User();
  EXPECT_EQ(user.Caption(), "KT06 - Glossmith for EA NHL06");
  EXPECT_TRUE(user.HasIcon());
  EXPECT_FALSE(user.Resizable());
  // 15 twips a pixel at 96 dots per inch; the logo at its own size.
  const double scale = user.DotsPerInch() / 96.0;
  const test::Box client = user.ClientArea();
  EXPECT_NEAR(client.width, 608 * scale, 1);
  EXPECT_NEAR(client.height, 359 * scale, 1);
  EXPECT_NEAR(user.Geometry("Image1").width, 220 * scale, 1);
  EXPECT_NEAR(user.Geometry("Image1").height, 336 * scale, 1);

  // Each control lies inside its frame (or the window), clear of the others
  // there but for the labels' ends, which reach 2 pixels under the lists
  // beside them; the version label lies over the logo.
  const std::vector<std::pair<std::string, std::string>> controls = {
      {"Image1", ""},         {"Label1", "Image1"},  {"Frame1", ""},       {"Check1", "Frame1"},
      {"Check2", "Frame1"},   {"Frame2", ""},        {"Label2", "Frame2"}, {"Combo1", "Frame2"},
      {"Label3", "Frame2"},   {"Combo2", "Frame2"},  {"List1", "Frame2"},  {"Command1", "Frame2"},
      {"Command2", "Frame2"}, {"Command3", "Frame2"}};
  for (const auto& [name, container] : controls) {
    const test::Box box = user.Geometry(name);
    EXPECT_GT(box.width * box.height, 0) << name;
    EXPECT_TRUE((container.empty() ? client : user.Geometry(container)).Contains(box)) << name;
    for (const auto& [other, otherContainer] : controls) {
      if (other == name || otherContainer != container) continue;
      EXPECT_LE(box.Overlap(user.Geometry(other)), 2 * scale + 1) << name << " and " << other;
    }
  }
  EXPECT_TRUE(user.Editable("Combo1"));
  EXPECT_TRUE(user.Editable("Combo2"));
  // The keyboard focus goes round in the order of the tab indexes.
  const std::vector<std::string> order = {"Check1",   "Combo1", "Command1", "Command2",
                                          "Command3", "List1",  "Combo2",   "Check2"};
  std::vector<std::string> round = order;
  round.push_back("Check1");
  EXPECT_EQ(user.FocusOrder("Check1", round.size()), round);
}

TEST_F(KTformTest, StartUpRestoresTheStoredChoices) {
  test::StoreSettings(game_.Game(), 1, 2, 1);
  FormOnView f(word_.Factory());
  KTformView& v = f.View();
  ASSERT_TRUE(f->Form_Load()) << (f->shown.empty() ? "" : f->shown[0]);
  EXPECT_EQ(v.Label1().Caption(), "Ver: 2.11");
  EXPECT_EQ(v.Combo1().ItemCount(), 3);
  EXPECT_EQ(v.Combo2().Item(1), "French(Russian)");
  EXPECT_EQ(v.Combo1().Text(), "Game");
  EXPECT_EQ(v.Combo2().Text(), "German");
  EXPECT_EQ(v.Check2().Value(), 1);
  EXPECT_EQ(States(v), "100 00 00");
  EXPECT_EQ(v.Check1().Caption(), "Open existing word file GameGerman.bin.doc");
  EXPECT_EQ(Lines(v.List1()), std::vector<std::string>{"Choose type and language. Press button 'Extract'."});
  EXPECT_EQ(f->State().WorkDir, game_ / "KT\\");
  EXPECT_EQ(f->State().DocumentPath, game_ / "KT\\Efiles\\GameGerman.bin.doc");
}

TEST_F(KTformTest, NoChoiceAndAGreyedBackupOption) {
  test::StoreSettings(game_.Game(), -1, -1, 2);
  FormOnView f(word_.Factory());
  KTformView& v = f.View();
  ASSERT_TRUE(f->Form_Load());
  EXPECT_EQ(v.Combo1().ListIndex(), -1);
  EXPECT_EQ(v.Combo1().Text(), "");
  EXPECT_EQ(v.Combo2().ListIndex(), -1);
  EXPECT_EQ(v.Check2().Value(), 2);
  EXPECT_TRUE(v.Command1().Enabled());
  EXPECT_EQ(Setting("TypeId"), -1);
  EXPECT_EQ(v.Check1().Caption(), "Open existing word file .doc");
  // A click on the greyed box checks it.
  f.User().Click("Check2");
  EXPECT_EQ(v.Check2().Value(), 1);
  EXPECT_EQ(Setting("MakeBackup"), 1);
  f.User().Click("Check2");
  EXPECT_EQ(Setting("MakeBackup"), 0);
}

struct StartUpFailure {
  const char* what;
  std::function<void(const std::string& game)> arrange;
  const char* message;
};

TEST_F(KTformTest, EveryStartUpErrorEndsInTheReport) {
  const std::vector<StartUpFailure> failures = {
      {"no game key", [](const std::string&) { test::RemoveProgramKeys(); },
       "Error # -2147215503 was generated by  GetRegString\rRegOpenKeyEx failed!"},
      {"no Install Dir",
       [](const std::string&) {
         test::RemoveProgramKeys();
         SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Version", "1.0");
       },
       "Error # -2147215503 was generated by  GetRegString\rRegQueryValueEx failed!"},
      {"empty Install Dir",
       [](const std::string&) { SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir", ""); },
       "Error #  53 was generated by  Glossmith\rMissing registry key 'Install Dir'"},
      {"no trailing separator",
       [](const std::string& game) {
         SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir", game.substr(0, game.size() - 1));
       },
       "Error #  53 was generated by  Glossmith\rThe Program KT06 is installed wrong."},
      {"only folders in KT",
       [](const std::string& game) {
         for (const char* f : {"ImpBig.exe", "template.viv"}) fs::remove(game + NativePath("KT\\") + f);
       },
       "Error #  53 was generated by  Glossmith\rThe Program KT06 is installed wrong."},
      {"no settings key",
       [](const std::string& game) {
         test::RemoveProgramKeys();
         SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir", game);
       },
       "Error # -2147215503 was generated by  GetRegDWord\rRegOpenKeyEx failed!"},
      {"no MakeBackup",
       [](const std::string& game) {
         test::RemoveProgramKeys();
         SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir", game);
         SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 0);
         SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "LanguageId", 0);
       },
       "Error # -2147215503 was generated by  GetRegDWord\rRegQueryValueEx failed!"},
      {"TypeId beyond 16 bits",
       [](const std::string&) { SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 40000); },
       "Error #  6 was generated by  Glossmith\rOverflow"},
      {"TypeId past the list",
       [](const std::string&) { SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 3); },
       "Error #  380 was generated by  Glossmith\rInvalid property value"},
      {"LanguageId below -1",
       [](const std::string&) { SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "LanguageId", -2); },
       "Error #  380 was generated by  Glossmith\rInvalid property value"},
      {"MakeBackup 3",
       [](const std::string&) { SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "MakeBackup", 3); },
       "Error #  380 was generated by  Glossmith\rInvalid property value"},
  };
  for (const auto& failure : failures) {
    test::StoreSettings(game_.Game(), 0, 1, 1);
    failure.arrange(game_.Game());
    FormOnView f(word_.Factory());
    EXPECT_FALSE(f->Form_Load()) << failure.what;
    EXPECT_EQ(f->unloads, 1) << failure.what;
    EXPECT_FALSE(f.User().Shown()) << failure.what;
    EXPECT_EQ(f->shown, std::vector<std::string>{failure.message}) << failure.what;
    if (!FileExists(game_ / "KT\\ImpBig.exe")) {
      fs::copy_file(test::ImpBigPath(), game_ / "KT\\ImpBig.exe");
    }
  }
}

TEST_F(KTformTest, TheCycleMovesTheWindowThroughItsStates) {
  FormOnView f(word_.Factory());
  KTformView& v = f.View();
  test::ViewDriver& user = f.User();
  ASSERT_TRUE(f->Form_Load());
  v.Show();
  EXPECT_TRUE(user.OpenList("Combo1"));
  user.Click("Command1");
  ASSERT_TRUE(f->shown.empty()) << f->shown[0];
  EXPECT_EQ(States(v), "010 11 00");
  // The table's progress follows the system's line it belongs to.
  const std::string extracted = "translated 189 of 200 entries (94.5 %)";
  EXPECT_EQ(Lines(v.List1()),
            (std::vector<std::string>{" ...The file FrontFrench.bin is open now!", extracted,
                                      "Press button 'Edit in MS Word'. Edit the file and save it."}));
  // Locked lists take no change: the list does not open, neither the arrow
  // keys nor typing change the choice.
  EXPECT_FALSE(user.OpenList("Combo1"));
  user.PressDown("Combo1");
  user.Type("Combo2", "Polish");
  EXPECT_EQ(v.Combo1().ListIndex(), 0);
  EXPECT_EQ(v.Combo2().Text(), "French(Russian)");
  EXPECT_EQ(Setting("TypeId"), 0);

  user.Click("Command2");
  ASSERT_TRUE(f->shown.empty()) << f->shown[0];
  EXPECT_EQ(States(v), "001 11 00");
  // Line 1 of the system's lines is set, not the row after the first.
  EXPECT_EQ(Lines(v.List1()),
            (std::vector<std::string>{" ...The file FrontFrench.bin is open now!", extracted,
                                      " ...You have saved the file?", "Press button 'Save changes'."}));
  EXPECT_TRUE(word_.Visible(1));

  // The user types a placeholder that the English text does not have, and
  // fills line 58, empty in English and French.
  testing::EditKeptDocument(f->State().DocumentPath, 4, 0, "Время: %d");
  testing::EditKeptDocument(f->State().DocumentPath, 57, 0, "Пусто");
  user.Click("Command3");
  ASSERT_TRUE(f->shown.empty()) << f->shown[0];
  // Idle again; the kept document now exists, so Check1 offers it.
  EXPECT_EQ(States(v), "100 00 11");
  EXPECT_EQ(v.Check1().Caption(), "Open existing word file FrontFrench.bin.doc");
  // The saved text's progress and the checks follow the line of the save.
  EXPECT_EQ(
      Lines(v.List1()),
      (std::vector<std::string>{" ...The file FrontFrench.bin is open now!", extracted,
                                " ...You have saved the file?", " ...The file closed!",
                                "translated 190 of 200 entries (95.0 %)", "Checks: 1 placeholders, 3 length",
                                "Listed in " + NativePath("KT\\Efiles\\FrontFrench.bin.checks.txt"),
                                "Choose type and language. Press button 'Extract'."}));
  EXPECT_TRUE(FileExists(game_ / "KT\\Efiles\\FrontFrench.bin.checks.txt"));
  // The list has scrolled to show the lines of the save.
  for (int line = 3; line < 8; ++line) EXPECT_TRUE(user.LineInView(line)) << line;
  EXPECT_FALSE(FileExists(game_ / "KT\\FrontFrench.bin"));
  EXPECT_TRUE(FileExists(game_ / "fe\\local.viv.bak"));
  // The arrow key picks the next type, as a pick from the list does.
  user.PressDown("Combo1");
  EXPECT_EQ(v.Combo1().Text(), "Game");
  EXPECT_EQ(Setting("TypeId"), 1);
}

TEST_F(KTformTest, SaveChangesShowsTheChecksOfEveryType) {
  struct Case {
    int32_t type, language;
    const char* file;
    const char* progress;
  };
  for (const Case& c : {Case{1, 2, "GameGerman.bin", "translated 193 of 200 entries (96.5 %)"},
                        Case{2, 1, "emaildataFrench.dta", "translated 140 of 140 entries (100.0 %)"}}) {
    test::StoreSettings(game_.Game(), c.type, c.language, 0);
    // A clean text leaves no list of findings, not even an earlier one.
    const std::string list = game_ / (std::string("KT\\Efiles\\") + c.file + ".checks.txt");
    test::WriteText(list, "an earlier save's list");
    testing::WordScript word;
    FormOnView f(word.Factory());
    ASSERT_TRUE(f->Form_Load());
    f.View().Show();
    for (const char* button : {"Command1", "Command2", "Command3"}) f.User().Click(button);
    ASSERT_TRUE(f->shown.empty()) << f->shown[0];
    EXPECT_EQ(Lines(f.View().List1()),
              (std::vector<std::string>{" ...The file " + std::string(c.file) + " is open now!", c.progress,
                                        " ...You have saved the file?", " ...The file closed!", c.progress,
                                        "Checks: nothing found",
                                        "Choose type and language. Press button 'Extract'."}))
        << c.file;
    EXPECT_FALSE(FileExists(list)) << c.file;
  }
}

TEST_F(KTformTest, PickingAChoiceStoresItAndSetsUpTheDocumentOption) {
  fs::create_directories(game_ / "KT\\Efiles");
  test::WriteText(game_ / "KT\\Efiles\\GameFrench.bin.doc", "kept");
  FormOnView f(word_.Factory());
  KTformView& v = f.View();
  ASSERT_TRUE(f->Form_Load());
  EXPECT_EQ(States(v), "100 00 00");
  f.User().Pick("Combo1", 1);
  EXPECT_EQ(Setting("TypeId"), 1);
  EXPECT_EQ(States(v), "100 00 11");
  EXPECT_EQ(v.Check1().Caption(), "Open existing word file GameFrench.bin.doc");
  // The user clears the offered document.
  f.User().Click("Check1");
  EXPECT_EQ(States(v), "100 00 10");
  f.User().Pick("Combo2", 5);
  EXPECT_EQ(Setting("LanguageId"), 5);
  EXPECT_EQ(States(v), "100 00 00");
}

TEST_F(KTformTest, TypedTextChangesTheFileNameButStoresNothing) {
  FormOnView f(word_.Factory());
  ASSERT_TRUE(f->Form_Load());
  f.User().Type("Combo2", "Polish");
  EXPECT_EQ(CurrentFileName(*f), "FrontPolish.bin");
  EXPECT_EQ(Setting("LanguageId"), 1);
  EXPECT_EQ(f.View().Check1().Caption(), "Open existing word file FrontFrench.bin.doc");
  // Extract then fails on the missing table and ends the program.
  f.User().Click("Command1");
  ASSERT_EQ(f->shown.size(), 1u);
  EXPECT_EQ(f->shown[0],
            "Error #  53 was generated by  Glossmith\rThe file FrontPolish.bin does not found in " +
                (game_ / "fe\\local.viv"));
  EXPECT_EQ(f->unloads, 1);
}

TEST_F(KTformTest, ClosingTheWindowDeletesTheWorkFilesOfAnOpenCycle) {
  const auto archive = ReadBytes(game_ / "fe\\local.viv");
  for (int clicks = 1; clicks <= 2; ++clicks) {
    testing::WordScript word;
    FormOnView f(word.Factory());
    ASSERT_TRUE(f->Form_Load());
    f.View().Show();
    f.User().Click("Command1");
    if (clicks == 2) f.User().Click("Command2");
    EXPECT_TRUE(FileExists(game_ / "KT\\FrontFrench.bin"));
    EXPECT_TRUE(f.User().CloseByUser());
    EXPECT_FALSE(f.User().Shown());
    EXPECT_FALSE(FileExists(game_ / "KT\\FrontFrench.bin"));
    EXPECT_FALSE(FileExists(game_ / "KT\\frontEnglish.bin.eng"));
    EXPECT_FALSE(FileExists(game_ / "KT\\FrontFrench.bin.txt"));
    EXPECT_EQ(ReadBytes(game_ / "fe\\local.viv"), archive);
    // The word processor the user works in stays.
    if (clicks == 2) {
      EXPECT_FALSE(word.Quit(1));
    }
  }
  // Idle: nothing to delete, the window closes all the same.
  FormOnView f(word_.Factory());
  ASSERT_TRUE(f->Form_Load());
  f.View().Show();
  EXPECT_TRUE(f.User().CloseByUser());
  EXPECT_FALSE(f.User().Shown());
}

TEST_F(KTformTest, AFailingStepReportsAndUnloadsWithTheChoicesLocked) {
  word_.Fail("create", Error(429, "ActiveX component can't create object: soffice"));
  FormOnView f(word_.Factory());
  ASSERT_TRUE(f->Form_Load());
  f.View().Show();
  f.User().Click("Command1");
  f.User().Click("Command2");
  ASSERT_EQ(f->shown.size(), 1u);
  EXPECT_EQ(f->shown[0],
            "Error #  429 was generated by  Glossmith\rActiveX component can't create object: soffice");
  EXPECT_EQ(f->unloads, 1);
  EXPECT_FALSE(f.User().Shown());
  EXPECT_TRUE(f.View().Combo1().Locked());
  EXPECT_FALSE(FileExists(game_ / "KT\\FrontFrench.bin.txt"));
}

TEST_F(KTformTest, ScreenshotsOfTheIdleWindowAfterExtractAndAfterSave) {
  FormOnView f(word_.Factory());
  ASSERT_TRUE(f->Form_Load());
  f.View().Show();
  fs::create_directories(GLOSSMITH_SCREENSHOTS);
  const std::string prefix = std::string(GLOSSMITH_SCREENSHOTS) + "/" + f.User().ScreenshotName();
  const test::Screenshot idle = f.User().Capture();
  ASSERT_TRUE(test::WritePng(prefix + "idle.png", idle));
  f.User().Click("Command1");
  const test::Screenshot extracted = f.User().Capture();
  ASSERT_TRUE(test::WritePng(prefix + "after-extract.png", extracted));
  const double scale = f.User().DotsPerInch() / 96.0;
  EXPECT_NEAR(idle.width, 608 * scale, 1);
  EXPECT_NEAR(idle.height, 359 * scale, 1);
  EXPECT_NE(idle, extracted);
  f.User().Click("Command2");
  f.User().Click("Command3");
  ASSERT_TRUE(test::WritePng(prefix + "after-save.png", f.User().Capture()));
}

}  // namespace
}  // namespace gs
