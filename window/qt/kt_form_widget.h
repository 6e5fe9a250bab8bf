// The Qt view of KTform: the controls laid out from the form's design, and
// the user's events handed to the form's handlers.
#pragma once

#include <QGroupBox>
#include <QWidget>

#include "window/qt/controls.h"

namespace gs {

class KTformWidget : public QWidget, public KTformView {
  Q_OBJECT
 public:
  KTformWidget();
  ~KTformWidget() override;

  // KTformView
  Label& Label1() override { return *label1_; }
  CheckBox& Check1() override { return *check1_; }
  CheckBox& Check2() override { return *check2_; }
  ComboBox& Combo1() override { return *combo1_; }
  ComboBox& Combo2() override { return *combo2_; }
  ListBox& List1() override { return *list1_; }
  Control& Command1() override { return *command1_; }
  Control& Command2() override { return *command2_; }
  Control& Command3() override { return *command3_; }
  void Attach(KTform* form) override { form_ = form; }
  void Show() override { show(); }
  void Close() override { close(); }
  void SetBusy(bool busy) override;
  void ShowErrorBox(const std::string& message, const std::string& helpFile, int32_t helpContext) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void LayOut();
  // Runs a handler of the form, when one is attached.
  void Run(void (KTform::*handler)());
  void RunUserChange(void (KTform::*handler)());

  KTform* form_ = nullptr;
  CaptionLabel* label1_;
  StateCheckBox* check1_;
  StateCheckBox* check2_;
  LockableComboBox* combo1_;
  LockableComboBox* combo2_;
  StatusList* list1_;
  CommandButton* command1_;
  CommandButton* command2_;
  CommandButton* command3_;
};

}  // namespace gs
