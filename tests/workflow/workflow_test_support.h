// A sample game, a private settings hive and a window for the tests of the
// editing cycle.
#pragma once

#include <string>

#include "catalog/catalog.h"
#include "registry/bas_registry.h"
#include "tests/support/test_process.h"
#include "tools/sample/sample_game.h"
#include "workflow/ktmain.h"

namespace gs::test {

// What the steps read from the window, set by the test; what the report
// shows is kept.
class TestWindow : public MainWindow {
 public:
  std::string type = "Front";
  std::string language = "French(Russian)";
  bool check1Enabled = false;
  bool check1Checked = false;
  int32_t check2 = 0;
  std::vector<std::string> shown;
  int unloads = 0;

  std::string TypeText() const override { return type; }
  std::string LanguageText() const override { return language; }
  bool Check1Enabled() const override { return check1Enabled; }
  bool Check1Checked() const override { return check1Checked; }
  int32_t Check2Value() const override { return check2; }
  void ShowErrorMessage(const std::string& message, const std::string&, int32_t) override {
    shown.push_back(message);
  }
  void Unload() override { ++unloads; }
};

// A sample game in a folder whose name holds a blank, registered in a hive of
// its own.
class SampleInstallation {
 public:
  explicit SampleInstallation(const std::string& tag, int entries = 200, int records = 40)
      : scratch_(tag), settings_(scratch_ / "config"), game_(scratch_ / NativePath("the game\\")) {
    SampleGameOptions options;
    options.Sizes.Entries = entries;
    options.Sizes.Records = records;
    WriteSampleGame(game_, options);
    SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 0);
  }
  // The installation folder, with its trailing separator.
  const std::string& Game() const { return game_; }
  std::string operator/(const std::string& name) const { return game_ + NativePath(name); }

 private:
  ScratchDir scratch_;
  ScratchSettings settings_;
  std::string game_;
};

}  // namespace gs::test
