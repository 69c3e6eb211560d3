// The Qt window driven as the window contract (tests/contract/window_contract.h) drives every
// system's window, offscreen, and the contract's fixture over it for the tests only this window
// has.
#pragma once

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
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
#include "tests/contract/window_contract.h"

namespace gui_test {

class QtWindowDriver : public contract::WindowDriver {
 public:
  static constexpr int kMostPixels = QWIDGETSIZE_MAX;

  explicit QtWindowDriver(app::WindowServices services)
      : window_(app::QtMainWindow::Open(std::move(services))) {
    if (!window_) return;
    window_->activateWindow();
    // On an X server the window gets the keyboard a moment after it is shown; until then a box
    // given the focus gets no focus event, and typed keys would meet a box its handlers have not
    // prepared.
    opened_ =
        QTest::qWaitForWindowExposed(window_.get()) && QTest::qWaitForWindowActive(window_.get());
  }

  bool Opened() const override { return opened_; }
  int MostPixels() const override { return kMostPixels; }
  app::QtMainWindow& Widget() { return *window_; }
  platform::Form& Window() override { return *window_; }
  app::MainForm& Form() override { return window_->form(); }
  platform::ListView& List() override { return window_->list(); }
  template <typename Widget>
  Widget* Find(const char* name) {
    return window_->findChild<Widget*>(QString::fromUtf8(name));
  }

  std::string Focused() override {
    QWidget* focus = QApplication::focusWidget();
    return focus == nullptr ? "" : focus->objectName().toStdString();
  }
  void Enter(const char* name) override {
    Find<QWidget>(name)->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
  }
  void PressTab() override { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
  void PressDelete() override { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete); }
  void Type(std::string_view keys) override {
    QTest::keyClicks(QApplication::focusWidget(),
                     QString::fromUtf8(keys.data(), static_cast<qsizetype>(keys.size())));
  }
  void Click(const char* name, int x, int to_x = -1) override {
    auto* control = Find<QWidget>(name);
    const int y = control->height() / 2;
    QTest::mousePress(control, Qt::LeftButton, {}, {x, y});
    if (to_x >= 0) {
      for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(control, {x + (to_x - x) * step / 4, y});
    }
    QTest::mouseRelease(control, Qt::LeftButton, {}, {to_x >= 0 ? to_x : x, y});
  }
  // The leftmost x of the box where a click puts the caret before character `position`.
  int Before(const char* name, int position) override {
    auto* box = Find<QLineEdit>(name);
    for (int x = 0; x < box->width(); ++x) {
      if (box->cursorPositionAt({x, box->height() / 2}) == position) return x;
    }
    ADD_FAILURE() << "no point before character " << position;
    return 0;
  }
  void ActivateOtherWindow() override {
    other_ = std::make_unique<QWidget>();
    other_->show();
    other_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(other_.get()));
  }
  void ActivateWindow() override {
    window_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    other_.reset();
  }
  void ClickBrowse() override { QTest::mouseClick(Find<QPushButton>("CmdBrowse"), Qt::LeftButton); }
  void ChooseExport() override { Find<QAction>("MnuExcel")->trigger(); }
  std::vector<std::string> MenuBar() override {
    std::vector<std::string> titles;
    for (const QAction* menu : window_->menuBar()->actions()) {
      titles.push_back(menu->text().toStdString());
    }
    return titles;
  }
  std::vector<std::string> DataMenu() override {
    std::vector<std::string> items;
    for (const QAction* item : Find<QMenu>("MnuData")->actions()) {
      items.push_back(
          (item->text() + QLatin1Char('\t') + item->shortcut().toString(QKeySequence::PortableText))
              .toStdString());
    }
    return items;
  }
  void ChooseDataItem(const std::string& shown) override {
    const std::vector<std::string> items = DataMenu();
    const auto found = std::find(items.begin(), items.end(), shown);
    ASSERT_NE(found, items.end()) << shown;
    Find<QMenu>("MnuData")->actions().at(found - items.begin())->trigger();
  }
  void PressCtrl(char letter) override {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(Qt::Key_A + (letter - 'A')),
                    Qt::ControlModifier);
  }
  void PressF5() override { QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5); }
  void PressEnter() override { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }
  std::string StatusLine() override { return Find<QLabel>("StatusLine")->text().toStdString(); }
  std::string Title() override { return window_->windowTitle().toStdString(); }
  std::string Caption(const char* name) override {
    return Find<QWidget>(name)->property("text").toString().toStdString();
  }
  std::string ToolTip(const char* name) override {
    return Find<QWidget>(name)->toolTip().toStdString();
  }
  std::pair<int, int> Inner() override {
    const QWidget* inner = Find<QWidget>("ListView1")->parentWidget();
    return {inner->width(), inner->height()};
  }
  void SetInner(int width, int height) override {
    const auto [inner_width, inner_height] = Inner();
    window_->resize(window_->width() + width - inner_width,
                    window_->height() + height - inner_height);
    QApplication::processEvents();
  }
  void Minimise() override {
    window_->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
  }
  void Restore() override {
    window_->setWindowState(Qt::WindowNoState);
    QApplication::processEvents();
  }
  double TwipsPerPixel() override { return platform::qt::TwipsPerPixel(*window_); }
  std::array<int, 4> Pixels(const char* name) override {
    const QRect place = Find<QWidget>(name)->geometry();
    return {place.x(), place.y(), place.width(), place.height()};
  }

 private:
  std::unique_ptr<app::QtMainWindow> window_;
  std::unique_ptr<QWidget> other_;  // another program's window
  bool opened_ = false;
};

// Opens the Qt window as the program does.
std::unique_ptr<contract::WindowDriver> OpenQtWindow(app::WindowServices services);

// The window contract's fixture, its fakes and today's date, over the Qt window.
class WindowTest : public contract::WindowFixture {
 protected:
  using contract::WindowFixture::WindowFixture;

  std::unique_ptr<contract::WindowDriver> OpenWindow(app::WindowServices services) override {
    return OpenQtWindow(std::move(services));
  }
  QtWindowDriver& Driver() { return static_cast<QtWindowDriver&>(*window_); }
  template <typename Widget>
  Widget* Find(const char* name) {
    return Driver().Find<Widget>(name);
  }
  app::QtMainWindow& Window() { return Driver().Widget(); }
};

}  // namespace gui_test
