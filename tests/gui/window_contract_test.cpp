// The Qt window against the contract every system's window keeps (tests/contract/
// window_contract.h), offscreen.
#include "tests/contract/window_contract.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/qt/qt_main_window.h"
#include "platform/qt/twips.h"

namespace gui_test {
namespace {

class QtWindowDriver {
 public:
  static constexpr int kMostPixels = QWIDGETSIZE_MAX;

  explicit QtWindowDriver(app::WindowServices services)
      : window_(app::QtMainWindow::Open(std::move(services))) {
    if (!window_) return;
    window_->activateWindow();
    // On an X server the window gets the keyboard a moment after it is shown.
    opened_ =
        QTest::qWaitForWindowExposed(window_.get()) && QTest::qWaitForWindowActive(window_.get());
  }

  bool Opened() const { return opened_; }
  platform::Form& Window() { return *window_; }
  app::MainForm& Form() { return window_->form(); }
  platform::ListView& List() { return window_->list(); }
  std::string Focused() {
    QWidget* focus = QApplication::focusWidget();
    return focus == nullptr ? "" : focus->objectName().toStdString();
  }
  void Enter(const char* name) {
    Find<QWidget>(name)->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
  }
  void PressTab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
  void PressDelete() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete); }
  void Type(std::string_view keys) {
    QTest::keyClicks(QApplication::focusWidget(),
                     QString::fromUtf8(keys.data(), static_cast<qsizetype>(keys.size())));
  }
  void ClickBrowse() { QTest::mouseClick(Find<QPushButton>("CmdBrowse"), Qt::LeftButton); }
  void ChooseExport() { Find<QAction>("MnuExcel")->trigger(); }
  std::vector<std::string> DataMenu() {
    std::vector<std::string> items;
    for (const QAction* item : Find<QMenu>("MnuData")->actions()) {
      items.push_back(
          (item->text() + QLatin1Char('\t') + item->shortcut().toString(QKeySequence::PortableText))
              .toStdString());
    }
    return items;
  }
  void ChooseDataItem(const std::string& shown) {
    const std::vector<std::string> items = DataMenu();
    const auto found = std::find(items.begin(), items.end(), shown);
    ASSERT_NE(found, items.end()) << shown;
    Find<QMenu>("MnuData")->actions().at(found - items.begin())->trigger();
  }
  void PressCtrl(char letter) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(Qt::Key_A + (letter - 'A')),
                    Qt::ControlModifier);
  }
  void ChooseReload() { ChooseDataItem("Reload\tF5"); }
  void PressF5() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5); }
  void PressEnter() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }
  std::string StatusLine() { return Find<QLabel>("StatusLine")->text().toStdString(); }
  std::pair<int, int> Inner() {
    const QWidget* inner = Find<QWidget>("ListView1")->parentWidget();
    return {inner->width(), inner->height()};
  }
  void SetInner(int width, int height) {
    const auto [inner_width, inner_height] = Inner();
    window_->resize(window_->width() + width - inner_width,
                    window_->height() + height - inner_height);
    QApplication::processEvents();
  }
  void Minimise() {
    window_->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
  }
  void Restore() {
    window_->setWindowState(Qt::WindowNoState);
    QApplication::processEvents();
  }
  double TwipsPerPixel() { return platform::qt::TwipsPerPixel(*window_); }
  std::array<int, 4> Pixels(const char* name) {
    const QRect place = Find<QWidget>(name)->geometry();
    return {place.x(), place.y(), place.width(), place.height()};
  }

 private:
  template <typename Widget>
  Widget* Find(const char* name) {
    return window_->findChild<Widget*>(QString::fromUtf8(name));
  }

  std::unique_ptr<app::QtMainWindow> window_;
  bool opened_ = false;
};

}  // namespace
}  // namespace gui_test

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowContract, gui_test::QtWindowDriver);
}  // namespace contract
