// A sample game registered in a private settings hive, and the main window on
// it with a word processor of the test's choice; the error report's message is
// kept instead of shown.
#pragma once

#include <QApplication>

#include "registry/reg_values.h"
#include "tests/workflow/workflow_test_support.h"
#include "window/kt_form.h"

namespace gs::test {

class TestForm : public KTform {
 public:
  explicit TestForm(KTmain state) : KTform(std::move(state)) {}
  void ShowErrorMessage(const std::string& message, const std::string&, int32_t) override {
    shown.push_back(message);
  }
  std::vector<std::string> shown;
};

// Stores the settings the program starts from.
inline void StoreSettings(const std::string& installDir, int32_t type, int32_t language, int32_t backup) {
  SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir", installDir);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", type);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "LanguageId", language);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "MakeBackup", backup);
}

inline KTmain StateWith(WordAppFactory factory) {
  KTmain m;
  m.CreateWordApp = std::move(factory);
  return m;
}

}  // namespace gs::test
