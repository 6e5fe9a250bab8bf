// The error report's message box: the message, OK and Help, no icon, and the
// program's title in the title bar. Help opens the error's help file at its
// topic when there is one, and leaves the box open.
#pragma once

#include <QDialog>
#include <QString>

class QPushButton;

namespace gs {

class ErrorBox : public QDialog {
  Q_OBJECT
 public:
  ErrorBox(QWidget* parent, const QString& message, const QString& helpFile, int helpContext);
  QPushButton* OkButton() const { return ok_; }
  QPushButton* HelpButton() const { return help_; }

 private:
  void ShowHelp();

  QString helpFile_;
  int helpContext_;
  QPushButton* ok_;
  QPushButton* help_;
};

}  // namespace gs
