#include <QApplication>

#include "app/qt/qt_main_window.h"
#include "app/window_design.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(app::design::kTitle));
  QApplication::setWindowIcon(app::QtMainWindow::Icon());
  const std::unique_ptr<app::QtMainWindow> window = app::QtMainWindow::Open();
  if (!window) return 1;
  return QApplication::exec();
}
