// KTform: the program's only window. Its start-up finds the game and restores
// the last choices; its three buttons run the editing cycle of KTmain, and its
// states keep the cycle in order.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "window/controls.h"
#include "workflow/ktmain.h"

class QGroupBox;

namespace gs {

class KTform : public QWidget, public MainWindow {
  Q_OBJECT
 public:
  // The window with its controls laid out; nothing is read yet. The state of
  // KTmain comes with the window, so a test can give its own word processor.
  explicit KTform(KTmain state = KTmain());
  ~KTform() override;

  // Start-up. Returns false when it failed: the error report has then been
  // shown and the window unloaded before it was ever shown.
  bool Form_Load();

  // Handlers, named after their control and event.
  void Combo1_Click();
  void Combo2_Click();
  void Check2_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void RefreshWordFileOption();
  void Form_Unload();

  bool Unloaded() const { return unloaded_; }
  KTmain& State() { return m_; }

  // MainWindow
  std::string TypeText() const override;
  std::string LanguageText() const override;
  bool Check1Enabled() const override;
  bool Check1Checked() const override;
  int32_t Check2Value() const override;
  void ShowErrorMessage(const std::string& message, const std::string& helpFile,
                        int32_t helpContext) override;
  void Unload() override;

  // The controls, by the names the rest of the system uses.
  QLabel* Image1;
  QLabel* Label1;
  QGroupBox* Frame1;
  QCheckBox* Check1;
  StateCheckBox* Check2;
  QGroupBox* Frame2;
  QLabel* Label2;
  LockableComboBox* Combo1;
  QLabel* Label3;
  LockableComboBox* Combo2;
  StatusList* List1;
  QPushButton* Command1;
  QPushButton* Command2;
  QPushButton* Command3;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void LayOut();
  // Runs a handler's work under its error trap: a failure ends in the report.
  template <typename Work>
  void Trap(Work&& work);
  // Runs a step of the cycle under the busy cursor, then updates the window
  // for its end; a failure of either ends in the report.
  template <typename Step, typename Then>
  void RunStep(Step&& step, Then&& then);
  void SelectStoredIndex(QComboBox* combo, const char* valueName);

  KTmain m_;
  bool unloaded_ = false;
};

// The version text of the label over the logo: "Ver: " major "." minor revision.
QString VersionText(int major, int minor, int revision);

}  // namespace gs
