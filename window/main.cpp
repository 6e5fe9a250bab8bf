// Kt06: starting the program loads its only window; there is no command line.
#include <QApplication>

#include "window/kt_form.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kt06"));
  QApplication::setOrganizationName(QStringLiteral("Glossmith"));
  gs::KTform form;
  if (!form.Form_Load()) return 0;
  form.show();
  return QApplication::exec();
}
