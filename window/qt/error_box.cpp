#include "window/qt/error_box.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "window/form_design.h"
#include "window/qt/controls.h"

namespace gs {

ErrorBox::ErrorBox(QWidget* parent, const QString& message, const QString& helpFile, int helpContext)
    : QDialog(parent), helpFile_(helpFile), helpContext_(helpContext) {
  setObjectName("ErrorBox");
  setModal(true);
  setWindowTitle(Q(kApplicationTitle));
  auto* layout = new QVBoxLayout(this);
  // The message breaks its line at the carriage return between source and description.
  QString shown = message;
  shown.replace(QChar('\r'), QChar('\n'));
  auto* text = new QLabel(shown, this);
  text->setObjectName("Message");
  text->setTextFormat(Qt::PlainText);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(text);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName("OK");
  buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole)->setObjectName("Help");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::helpRequested, this, &ErrorBox::ShowHelp);
  ok->setDefault(true);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ErrorBox::ShowHelp() {
  // Without a help file there is no topic to show.
  if (helpFile_.isEmpty()) return;
  QUrl url = QUrl::fromLocalFile(QFileInfo(helpFile_).absoluteFilePath());
  if (helpContext_ != 0) url.setFragment(QString::number(helpContext_));
  QDesktopServices::openUrl(url);
}

}  // namespace gs
