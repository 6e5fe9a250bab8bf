// A sample game registered in the test's own settings, and the main window
// on it, on the platform's view, with a word processor of the test's choice;
// the error report's message is kept instead of shown.
#pragma once

#include "registry/reg_values.h"
#include "tests/window/view_driver.h"
#include "tests/workflow/workflow_test_support.h"
#include "window/kt_form.h"

namespace gs::test {

class TestForm : public KTform {
 public:
  TestForm(KTformView& view, KTmain state) : KTform(view, std::move(state)) {}
  void ShowErrorMessage(const std::string& message, const std::string&, int32_t) override {
    shown.push_back(message);
  }
  // The error report's unload of the window.
  void Unload() override {
    ++unloads;
    KTform::Unload();
  }
  std::vector<std::string> shown;
  int unloads = 0;
};

inline KTmain StateWith(WordAppFactory factory) {
  KTmain m;
  m.CreateWordApp = std::move(factory);
  return m;
}

// The form on the platform's view, and a user at it.
class FormOnView {
 public:
  explicit FormOnView(WordAppFactory factory)
      : user_(NewView()), form_(user_->View(), StateWith(std::move(factory))) {}
  TestForm* operator->() { return &form_; }
  TestForm& operator*() { return form_; }
  ViewDriver& User() { return *user_; }
  KTformView& View() { return user_->View(); }

 private:
  std::unique_ptr<ViewDriver> user_;
  TestForm form_;
};

// Stores the settings the program starts from.
inline void StoreSettings(const std::string& installDir, int32_t type, int32_t language, int32_t backup) {
  SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir", installDir);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", type);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "LanguageId", language);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "MakeBackup", backup);
}

}  // namespace gs::test
