// The error report's message box: the message, OK and Help, no icon, and the
// program's title in the title bar. Help opens the error's help file at its
// topic when there is one, and leaves the box open.
#pragma once

#include <QDialog>
#include <QString>

namespace gs {

class ErrorBox : public QDialog {
  Q_OBJECT
 public:
  // The message is the label "Message"; the buttons are "OK" and "Help".
  ErrorBox(QWidget* parent, const QString& message, const QString& helpFile, int helpContext);

 private:
  void ShowHelp();

  QString helpFile_;
  int helpContext_;
};

}  // namespace gs
