#include "window/qt/kt_form_widget.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QPixmap>
#include <QScreen>

#include "window/form_design.h"
#include "window/kt_form.h"
#include "window/qt/error_box.h"

// The window's pictures live in a resource compiled into this library.
static void InitWindowResources() {
  Q_INIT_RESOURCE(window);
}

namespace gs {

namespace {

// Names a control and places it as the form's design gives it: position in
// its container and design-time caption.
template <typename Widget>
Widget* Place(Widget* widget, std::string_view name, const Twips& tw) {
  const ControlDesign& design = DesignOf(name);
  widget->setObjectName(Q(name));
  widget->setGeometry(tw(design.left), tw(design.top), tw(design.width), tw(design.height));
  if constexpr (requires { widget->setTitle(QString()); }) {
    widget->setTitle(Q(design.caption));
  } else if constexpr (requires { widget->setText(QString()); }) {
    widget->setText(Q(design.caption));
  }
  return widget;
}

}  // namespace

KTformWidget::KTformWidget() {
  InitWindowResources();
  setObjectName("KTform");
  setWindowTitle(Q(kFormCaption));
  setWindowIcon(QIcon(QStringLiteral(":/glossmith/icon32.png")));
  LayOut();
  connect(combo1_, &QComboBox::activated, this, [this] { RunUserChange(&KTform::Combo1_Click); });
  connect(combo2_, &QComboBox::activated, this, [this] { RunUserChange(&KTform::Combo2_Click); });
  connect(check2_, &QCheckBox::clicked, this, [this] { RunUserChange(&KTform::Check2_Click); });
  connect(command1_, &QPushButton::clicked, this, [this] { Run(&KTform::Command1_Click); });
  connect(command2_, &QPushButton::clicked, this, [this] { Run(&KTform::Command2_Click); });
  connect(command3_, &QPushButton::clicked, this, [this] { Run(&KTform::Command3_Click); });
}

KTformWidget::~KTformWidget() = default;

void KTformWidget::LayOut() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const Twips tw(screen != nullptr ? screen->logicalDotsPerInchX() : 96.0);
  setFixedSize(tw(kFormWidth), tw(kFormHeight));
  // The layout was made for the classic 8-point dialog font; larger default
  // fonts would not fit the captions into their controls.
  QFont dialogFont = font();
  dialogFont.setPointSizeF(8);
  setFont(dialogFont);

  auto* image1 = Place(new QLabel(this), "Image1", tw);
  image1->setPixmap(QPixmap(QStringLiteral(":/glossmith/logo.jpg")));
  image1->setScaledContents(true);

  // The version label lies over the logo, with the logo showing through.
  label1_ = Place(new CaptionLabel(this), "Label1", tw);
  label1_->setAttribute(Qt::WA_TranslucentBackground);
  label1_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
  label1_->raise();

  auto* frame1 = Place(new QGroupBox(this), "Frame1", tw);
  check1_ = Place(new StateCheckBox(frame1, false), "Check1", tw);
  check2_ = Place(new StateCheckBox(frame1, true), "Check2", tw);

  auto* frame2 = Place(new QGroupBox(this), "Frame2", tw);
  Place(new QLabel(frame2), "Label2", tw);
  combo1_ = Place(new LockableComboBox(frame2), "Combo1", tw);
  Place(new QLabel(frame2), "Label3", tw);
  combo2_ = Place(new LockableComboBox(frame2), "Combo2", tw);
  list1_ = Place(new StatusList(frame2), "List1", tw);
  // The status list in the colours of tooltips, its text in the active title
  // bar's colour. Desktops without system colours of their own: Qt's palette
  // stands in, the title bar taking the highlight colour, which most themes
  // share with it.
  QPalette colours = list1_->palette();
  colours.setColor(QPalette::Base, QApplication::palette().color(QPalette::Active, QPalette::ToolTipBase));
  colours.setColor(QPalette::Text, QApplication::palette().color(QPalette::Active, QPalette::Highlight));
  list1_->setPalette(colours);
  command1_ = Place(new CommandButton(frame2), "Command1", tw);
  command2_ = Place(new CommandButton(frame2), "Command2", tw);
  command3_ = Place(new CommandButton(frame2), "Command3", tw);

  // The keyboard focus order of the controls that take the focus.
  QWidget* previous = nullptr;
  for (const ControlDesign* design : TabOrder()) {
    QWidget* next = findChild<QWidget*>(Q(design->name));
    if (previous != nullptr) QWidget::setTabOrder(previous, next);
    previous = next;
  }
}

void KTformWidget::Run(void (KTform::*handler)()) {
  if (form_ != nullptr) (form_->*handler)();
}

void KTformWidget::RunUserChange(void (KTform::*handler)()) {
  if (form_ != nullptr) form_->UserChange(handler);
}

void KTformWidget::SetBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void KTformWidget::ShowErrorBox(const std::string& message, const std::string& helpFile,
                                int32_t helpContext) {
  ErrorBox box(isVisible() ? this : nullptr, Q(message), Q(helpFile), helpContext);
  box.exec();
}

void KTformWidget::closeEvent(QCloseEvent* event) {
  if (form_ != nullptr) form_->Closing();
  event->accept();
}

}  // namespace gs
