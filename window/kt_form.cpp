#include "window/kt_form.h"

#include "catalog/catalog.h"
#include "common/fs.h"
#include "registry/bas_registry.h"

namespace gs {

namespace {

constexpr char kStartLine[] = "Choose type and language. Press button 'Extract'.";

// A registry number as a 16-bit signed value: outside that range it
// overflows, as the classic runtime's narrowing does.
int Narrow16(int32_t value) {
  if (value < -32768 || value > 32767) RaiseRuntime(rt::Overflow);
  return value;
}

// The stored index of a list's selection: -1 for none, otherwise one the
// list has.
void SelectStoredIndex(ComboBox& combo, const char* valueName) {
  const int index = Narrow16(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, valueName));
  if (index < -1 || index >= combo.ItemCount()) RaiseRuntime(rt::InvalidPropertyValue);
  combo.SetListIndex(index);
}

// Shows the busy cursor while a step runs; the window answers nothing else meanwhile.
class BusyCursor {
 public:
  explicit BusyCursor(KTformView& view) : view_(view) { view_.SetBusy(true); }
  ~BusyCursor() { view_.SetBusy(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  KTformView& view_;
};

}  // namespace

std::string VersionText(int major, int minor, int revision) {
  return "Ver: " + std::to_string(major) + "." + std::to_string(minor) + std::to_string(revision);
}

KTform::KTform(KTformView& view, KTmain state) : view_(view), m_(std::move(state)) {
  view_.Attach(this);
}

KTform::~KTform() {
  view_.Attach(nullptr);
}

template <typename Work>
void KTform::Trap(Work&& work) {
  try {
    work();
  } catch (const std::exception&) {
    ReportError(m_, *this, CaughtError());
  }
}

bool KTform::Form_Load() {
  Trap([this] {
    m_.InstallDir = GetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir");
    if (m_.InstallDir.empty()) Raise(rt::FileNotFound, "Missing registry key 'Install Dir'");
    SetProgramFolder(m_, m_.InstallDir);
    if (!HasOrdinaryFile(m_.WorkDir)) Raise(rt::FileNotFound, "The Program KT06 is installed wrong.");

    for (const auto type : kFileTypes) view_.Combo1().AddItem(std::string(type));
    for (const auto language : kLanguages) view_.Combo2().AddItem(std::string(language));
    view_.Label1().SetCaption(
        VersionText(GLOSSMITH_VERSION_MAJOR, GLOSSMITH_VERSION_MINOR, GLOSSMITH_VERSION_REVISION));
    view_.Command1().SetEnabled(false);
    view_.Command2().SetEnabled(false);
    view_.Command3().SetEnabled(false);

    SelectStoredIndex(view_.Combo1(), "TypeId");
    SelectStoredIndex(view_.Combo2(), "LanguageId");
    const int backup = Narrow16(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "MakeBackup"));
    if (backup < 0 || backup > 2) RaiseRuntime(rt::InvalidPropertyValue);
    view_.Check2().SetValue(backup);
    AddStatusLine(kStartLine);
    Combo1_Click();
    Combo2_Click();
  });
  return !unloaded_;
}

void KTform::Combo1_Click() {
  view_.Command1().SetEnabled(true);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", view_.Combo1().ListIndex());
  RefreshWordFileOption();
}

void KTform::Combo2_Click() {
  view_.Command1().SetEnabled(true);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "LanguageId", view_.Combo2().ListIndex());
  RefreshWordFileOption();
}

void KTform::Check2_Click() {
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "MakeBackup", view_.Check2().Value());
}

void KTform::RefreshWordFileOption() {
  const std::string name = CurrentFileName(*this);
  m_.DocumentPath = DocumentPathOf(m_, name);
  CheckBox& check1 = view_.Check1();
  check1.SetCaption("Open existing word file " + name + ".doc");
  const bool exists = FileExists(m_.DocumentPath);
  check1.SetEnabled(exists);
  check1.SetValue(exists ? 1 : 0);
}

void KTform::UserChange(void (KTform::*handler)()) {
  Trap([this, handler] { (this->*handler)(); });
}

void KTform::SetStatusLine(int n, const std::string& text) {
  ListBox& list = view_.List1();
  const int count = static_cast<int>(statusRows_.size());
  if (n < 0 || n > count) RaiseRuntime(rt::InvalidPropertyValue);
  if (n < count) {
    list.SetItem(statusRows_[n], text);
  } else {
    // A new line of the system's comes into view, and the quality lines before it.
    statusRows_.push_back(list.ItemCount());
    list.AddItem(text);
    list.SetTopIndex(statusRows_.back());
  }
}

void KTform::AddQualityLines() {
  for (const std::string& line : m_.QualityLines) view_.List1().AddItem(line);
}

void KTform::ClearStatus() {
  view_.List1().Clear();
  statusRows_.clear();
}

template <typename Step, typename Then>
void KTform::RunStep(Step&& step, Then&& then) {
  Trap([&] {
    {
      BusyCursor busy(view_);
      step();
    }
    then();
  });
}

void KTform::Command1_Click() {
  m_.WorkTablePath.clear();
  m_.TextFilePath.clear();
  m_.TemplateCopyPath.clear();
  RunStep([this] { Extract(m_, *this); },
          [this] {
            view_.Combo1().SetLocked(true);
            view_.Combo2().SetLocked(true);
            // The next button first, so that the keyboard focus moves on to it.
            view_.Command2().SetEnabled(true);
            view_.Command1().SetEnabled(false);
            view_.Check1().SetEnabled(false);
            ClearStatus();
            SetStatusLine(0, " ...The file " + CurrentFileName(*this) + " is open now!");
            AddQualityLines();
            AddStatusLine("Press button 'Edit in MS Word'. Edit the file and save it.");
          });
}

void KTform::Command2_Click() {
  RunStep([this] { EditInWord(m_, *this); },
          [this] {
            view_.Command3().SetEnabled(true);
            view_.Command2().SetEnabled(false);
            SetStatusLine(1, " ...You have saved the file?");
            AddStatusLine("Press button 'Save changes'.");
          });
}

void KTform::Command3_Click() {
  RunStep([this] { SaveChanges(m_, *this); },
          [this] {
            view_.Combo1().SetLocked(false);
            view_.Combo2().SetLocked(false);
            view_.Command3().SetEnabled(false);
            SetStatusLine(2, " ...The file closed!");
            AddQualityLines();
            AddStatusLine(kStartLine);
            Combo1_Click();
          });
}

void KTform::Form_Unload() {
  // The work files of an unfinished cycle go; the kept document, the backups
  // and a running word processor stay. A file that cannot be deleted does
  // not stop the window from closing.
  DeleteWorkFiles(m_);
}

void KTform::Closing() {
  if (unloaded_) return;
  unloaded_ = true;
  Form_Unload();
}

void KTform::Unload() {
  Closing();
  view_.Close();
}

std::string KTform::TypeText() const {
  return view_.Combo1().Text();
}
std::string KTform::LanguageText() const {
  return view_.Combo2().Text();
}
bool KTform::Check1Enabled() const {
  return view_.Check1().Enabled();
}
bool KTform::Check1Checked() const {
  return view_.Check1().Value() == 1;
}
int32_t KTform::Check2Value() const {
  return view_.Check2().Value();
}

void KTform::ShowErrorMessage(const std::string& message, const std::string& helpFile, int32_t helpContext) {
  view_.ShowErrorBox(message, helpFile, helpContext);
}

}  // namespace gs
