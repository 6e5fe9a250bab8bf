// Kt06: starting the program loads its only window; there is no command line.
#include <QApplication>

#include "window/form_design.h"
#include "window/kt_form.h"
#include "window/qt/kt_form_widget.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The application's name is the window's class (WM_CLASS) as well.
  QApplication::setApplicationName(gs::Q(gs::kFormClass));
  QApplication::setOrganizationName(QStringLiteral("Glossmith"));
  gs::KTformWidget view;
  gs::KTform form(view);
  if (!form.Form_Load()) return 0;
  view.Show();
  return QApplication::exec();
}
