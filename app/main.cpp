#include <QApplication>

#include "app/main_window.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kolvex"));
  QApplication::setWindowIcon(app::KolvexWindow::Icon());
  const std::unique_ptr<app::KolvexWindow> window = app::KolvexWindow::Open();
  if (!window) return 1;
  return QApplication::exec();
}
