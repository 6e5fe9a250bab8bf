// KTform: the program's only window. Its start-up finds the game and restores
// the last choices; its three buttons run the editing cycle of KTmain, and its
// states keep the cycle in order. What the handlers do lives here, apart from
// any toolkit; a view (window/qt, window/win32) holds the controls and calls
// the handlers on the user's events.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "window/kt_form_view.h"
#include "workflow/ktmain.h"

namespace gs {

class KTform : public MainWindow {
 public:
  // The form over its view; nothing is read yet. The state of KTmain comes
  // with the form, so a test can give its own word processor.
  explicit KTform(KTformView& view, KTmain state = KTmain());
  ~KTform() override;
  KTform(const KTform&) = delete;
  KTform& operator=(const KTform&) = delete;

  // Start-up. Returns false when it failed: the error report has then been
  // shown and the window unloaded before it was ever shown.
  bool Form_Load();

  // Handlers, named after their control and event. The three buttons run
  // under an error trap of their own; the others under their caller's.
  void Combo1_Click();
  void Combo2_Click();
  void Check2_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void RefreshWordFileOption();
  void Form_Unload();

  // A user's pick in a list or change of the backup option: the handler
  // under an error trap, so that a refused settings write ends in the report
  // as every other failure does.
  void UserChange(void (KTform::*handler)());

  // The window is being closed, by the user or by the error report: runs
  // Form_Unload, once. The close always goes ahead.
  void Closing();

  KTmain& State() { return m_; }
  KTformView& View() { return view_; }

  // MainWindow
  std::string TypeText() const override;
  std::string LanguageText() const override;
  bool Check1Enabled() const override;
  bool Check1Checked() const override;
  int32_t Check2Value() const override;
  void ShowErrorMessage(const std::string& message, const std::string& helpFile,
                        int32_t helpContext) override;
  void Unload() override;

 private:
  // Runs a handler's work under its error trap: a failure ends in the report.
  template <typename Work>
  void Trap(Work&& work);
  // Runs a step of the cycle under the busy cursor, then updates the window
  // for its end; a failure of either ends in the report.
  template <typename Step, typename Then>
  void RunStep(Step&& step, Then&& then);
  // The status list holds the system's lines, each followed by the quality
  // lines (KTmain::QualityLines) of the step that wrote it. Line n of the
  // system's lines replaced, or added when there are exactly n of them; the
  // quality lines are not counted.
  void SetStatusLine(int n, const std::string& text);
  void AddStatusLine(const std::string& text) { SetStatusLine(static_cast<int>(statusRows_.size()), text); }
  // The last step's quality lines, after the last of the system's lines.
  void AddQualityLines();
  void ClearStatus();

  KTformView& view_;
  KTmain m_;
  bool unloaded_ = false;
  std::vector<int> statusRows_;  // the row of List1 that shows each of the system's lines
};

// The version text of the label over the logo: "Ver: " major "." minor revision.
std::string VersionText(int major, int minor, int revision);

}  // namespace gs
