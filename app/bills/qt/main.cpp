#include <QApplication>

#include "app/bills/bills_design.h"
#include "app/bills/qt/qt_bills_window.h"
#include "app/qt/qt_main_window.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(bills::design::kTitle));
  QApplication::setWindowIcon(app::QtMainWindow::Icon());
  const std::unique_ptr<bills::QtBillsWindow> window = bills::QtBillsWindow::Open();
  if (!window) return 1;
  return QApplication::exec();
}
