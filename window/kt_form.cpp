#include "window/kt_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <new>

#include "catalog/catalog.h"
#include "common/fs.h"
#include "registry/bas_registry.h"
#include "window/error_box.h"
#include "window/palette.h"
#include "window/twips.h"

// The window's pictures live in a resource compiled into this library.
static void InitWindowResources() {
  Q_INIT_RESOURCE(window);
}

namespace gs {

namespace {

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string S(const QString& s) {
  return s.toUtf8().toStdString();
}

constexpr char kStartLine[] = "Choose type and language. Press button 'Extract'.";

// A registry number as a 16-bit signed list index: outside that range it
// overflows, as the classic runtime's narrowing does.
int Narrow16(int32_t value) {
  if (value < -32768 || value > 32767) RaiseRuntime(rt::Overflow);
  return value;
}

// Shows the busy cursor while a step runs; the window answers nothing else meanwhile.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

QString VersionText(int major, int minor, int revision) {
  return QStringLiteral("Ver: %1.%2%3").arg(major).arg(minor).arg(revision);
}

KTform::KTform(KTmain state) : m_(std::move(state)) {
  InitWindowResources();
  setObjectName("KTform");
  setWindowTitle(QStringLiteral("KT06 - Glossmith for EA NHL06"));
  setWindowIcon(QIcon(QStringLiteral(":/glossmith/icon32.png")));
  LayOut();
  connect(Combo1, &QComboBox::activated, this, [this] { Trap([this] { Combo1_Click(); }); });
  connect(Combo2, &QComboBox::activated, this, [this] { Trap([this] { Combo2_Click(); }); });
  connect(Check2, &QCheckBox::clicked, this, [this] { Trap([this] { Check2_Click(); }); });
  connect(Command1, &QPushButton::clicked, this, &KTform::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &KTform::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &KTform::Command3_Click);
}

KTform::~KTform() = default;

void KTform::LayOut() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const Twips tw(screen != nullptr ? screen->logicalDotsPerInchX() : 96.0);
  setFixedSize(tw(9120), tw(5385));
  // The layout was made for the classic 8-point dialog font; larger default
  // fonts would not fit the captions into their controls.
  QFont dialogFont = font();
  dialogFont.setPointSizeF(8);
  setFont(dialogFont);

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setPixmap(QPixmap(QStringLiteral(":/glossmith/logo.jpg")));
  Image1->setGeometry(tw.Rect(120, 120, 3300, 5040));
  Image1->setScaledContents(true);

  // The version label lies over the logo, with the logo showing through.
  Label1 = new QLabel(QStringLiteral("Ver"), this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(tw.Rect(165, 180, 1335, 255));
  Label1->setAttribute(Qt::WA_TranslucentBackground);
  Label1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
  Label1->raise();

  Frame1 = new QGroupBox(QStringLiteral("Options:"), this);
  Frame1->setObjectName("Frame1");
  Frame1->setGeometry(tw.Rect(3600, 120, 5415, 975));
  Check1 = new QCheckBox(Frame1);
  Check1->setObjectName("Check1");
  Check1->setGeometry(tw.Rect(135, 255, 4575, 315));
  Check2 = new StateCheckBox(Frame1);
  Check2->setObjectName("Check2");
  Check2->setText(QStringLiteral("Save old files (make backup)"));
  Check2->setGeometry(tw.Rect(135, 570, 4575, 315));

  Frame2 = new QGroupBox(QStringLiteral("Processing:"), this);
  Frame2->setObjectName("Frame2");
  Frame2->setGeometry(tw.Rect(3585, 1215, 5415, 3945));
  Label2 = new QLabel(QStringLiteral("File type"), Frame2);
  Label2->setObjectName("Label2");
  Label2->setGeometry(tw.Rect(180, 405, 825, 285));
  Combo1 = new LockableComboBox(Frame2);
  Combo1->setObjectName("Combo1");
  Combo1->setGeometry(tw.Rect(975, 360, 4320, 315));
  Label3 = new QLabel(QStringLiteral("Language"), Frame2);
  Label3->setObjectName("Label3");
  Label3->setGeometry(tw.Rect(165, 870, 825, 285));
  Combo2 = new LockableComboBox(Frame2);
  Combo2->setObjectName("Combo2");
  Combo2->setGeometry(tw.Rect(975, 840, 4320, 315));
  List1 = new StatusList(Frame2);
  List1->setObjectName("List1");
  List1->setGeometry(tw.Rect(105, 1395, 5175, 1200));
  QPalette colours = List1->palette();
  colours.setColor(QPalette::Base, StatusBackgroundColour());
  colours.setColor(QPalette::Text, StatusTextColour());
  List1->setPalette(colours);
  Command1 = new QPushButton(QStringLiteral("Extract"), Frame2);
  Command1->setObjectName("Command1");
  Command1->setGeometry(tw.Rect(240, 3240, 1455, 495));
  Command2 = new QPushButton(QStringLiteral("Edit in MS Word"), Frame2);
  Command2->setObjectName("Command2");
  Command2->setGeometry(tw.Rect(1980, 3240, 1455, 495));
  Command3 = new QPushButton(QStringLiteral("Save changes"), Frame2);
  Command3->setObjectName("Command3");
  Command3->setGeometry(tw.Rect(3720, 3240, 1455, 495));

  // The keyboard focus order of the controls that take the focus.
  const QList<QWidget*> order = {Check1, Combo1, Command1, Command2, Command3, List1, Combo2, Check2};
  for (qsizetype i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

template <typename Work>
void KTform::Trap(Work&& work) {
  try {
    work();
  } catch (const Error& e) {
    ReportError(m_, *this, e);
  } catch (const std::bad_alloc&) {
    ReportError(m_, *this, RuntimeError(rt::OutOfMemory));
  } catch (const std::exception& e) {
    ReportError(m_, *this, RuntimeError(rt::InternalError, e.what()));
  }
}

void KTform::SelectStoredIndex(QComboBox* combo, const char* valueName) {
  const int index = Narrow16(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, valueName));
  if (index < -1 || index >= combo->count()) RaiseRuntime(rt::InvalidPropertyValue);
  combo->setCurrentIndex(index);
  if (index == -1) combo->setEditText(QString());
}

bool KTform::Form_Load() {
  Trap([this] {
    m_.InstallDir = GetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir");
    if (m_.InstallDir.empty()) Raise(rt::FileNotFound, "Missing registry key 'Install Dir'");
    SetProgramFolder(m_, m_.InstallDir);
    if (!HasOrdinaryFile(m_.WorkDir)) Raise(rt::FileNotFound, "The Program KT06 is installed wrong.");

    for (const auto type : kFileTypes) Combo1->addItem(Q(std::string(type)));
    for (const auto language : kLanguages) Combo2->addItem(Q(std::string(language)));
    Label1->setText(
        VersionText(GLOSSMITH_VERSION_MAJOR, GLOSSMITH_VERSION_MINOR, GLOSSMITH_VERSION_REVISION));
    Command1->setEnabled(false);
    Command2->setEnabled(false);
    Command3->setEnabled(false);

    SelectStoredIndex(Combo1, "TypeId");
    SelectStoredIndex(Combo2, "LanguageId");
    Check2->SetValue(Narrow16(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "MakeBackup")));
    List1->AddLine(QString::fromLatin1(kStartLine));
    Combo1_Click();
    Combo2_Click();
  });
  return !unloaded_;
}

void KTform::Combo1_Click() {
  Command1->setEnabled(true);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", Combo1->currentIndex());
  RefreshWordFileOption();
}

void KTform::Combo2_Click() {
  Command1->setEnabled(true);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "LanguageId", Combo2->currentIndex());
  RefreshWordFileOption();
}

void KTform::Check2_Click() {
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "MakeBackup", Check2->Value());
}

void KTform::RefreshWordFileOption() {
  const std::string name = CurrentFileName(*this);
  m_.DocumentPath = DocumentPathOf(m_, name);
  Check1->setText(Q("Open existing word file " + name + ".doc"));
  const bool exists = FileExists(m_.DocumentPath);
  Check1->setEnabled(exists);
  Check1->setChecked(exists);
}

template <typename Step, typename Then>
void KTform::RunStep(Step&& step, Then&& then) {
  Trap([&] {
    {
      BusyCursor busy;
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
            Combo1->SetLocked(true);
            Combo2->SetLocked(true);
            Command1->setEnabled(false);
            Command2->setEnabled(true);
            Check1->setEnabled(false);
            List1->clear();
            List1->SetLine(0, Q(" ...The file " + CurrentFileName(*this) + " is open now!"));
            List1->AddLine(QStringLiteral("Press button 'Edit in MS Word'. Edit the file and save it."));
          });
}

void KTform::Command2_Click() {
  RunStep([this] { EditInWord(m_, *this); },
          [this] {
            Command2->setEnabled(false);
            Command3->setEnabled(true);
            List1->SetLine(1, QStringLiteral(" ...You have saved the file?"));
            List1->AddLine(QStringLiteral("Press button 'Save changes'."));
          });
}

void KTform::Command3_Click() {
  RunStep([this] { SaveChanges(m_, *this); },
          [this] {
            Combo1->SetLocked(false);
            Combo2->SetLocked(false);
            Command3->setEnabled(false);
            List1->SetLine(2, QStringLiteral(" ...The file closed!"));
            List1->AddLine(QString::fromLatin1(kStartLine));
            Combo1_Click();
          });
}

void KTform::Form_Unload() {
  // The work files of an unfinished cycle go; the kept document, the backups
  // and a running word processor stay. A file that cannot be deleted does
  // not stop the window from closing.
  DeleteWorkFiles(m_);
}

void KTform::closeEvent(QCloseEvent* event) {
  if (!unloaded_) {
    unloaded_ = true;
    Form_Unload();
  }
  event->accept();
}

std::string KTform::TypeText() const {
  return S(Combo1->currentText());
}
std::string KTform::LanguageText() const {
  return S(Combo2->currentText());
}
bool KTform::Check1Enabled() const {
  return Check1->isEnabled();
}
bool KTform::Check1Checked() const {
  return Check1->isChecked();
}
int32_t KTform::Check2Value() const {
  return Check2->Value();
}

void KTform::ShowErrorMessage(const std::string& message, const std::string& helpFile, int32_t helpContext) {
  ErrorBox box(isVisible() ? this : nullptr, Q(message), Q(helpFile), helpContext);
  box.exec();
}

void KTform::Unload() {
  if (unloaded_) return;
  if (isVisible()) {
    close();
  } else {
    unloaded_ = true;
    Form_Unload();
  }
}

}  // namespace gs
