// The Kolvex Bills contract over the Qt window, shown offscreen (and on an X display of its own by
// bills_gui_test_on_x11), and a screenshot of it after the start's load as
// build/kolvex-bills.png.
#include "tests/contract/bills_contract.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <memory>

#include "app/bills/qt/qt_bills_window.h"
#include "export/slips_pdf.h"

namespace {

class QtBillsDriver : public contract::BillsDriver {
 public:
  explicit QtBillsDriver(bills::BillsWindowServices services)
      : window_(bills::QtBillsWindow::Open(std::move(services))) {
    if (window_) QCoreApplication::processEvents();
  }

  bool Opened() const override { return window_ != nullptr; }
  platform::Form& Window() override { return *window_; }
  platform::ListView& Bills() override { return window_->list(); }
  std::string StatusLine() override {
    return window_->findChild<QLabel*>(QStringLiteral("StatusLine"))->text().toStdString();
  }
  std::vector<std::string> Items(const char* name) override {
    std::vector<std::string> items;
    QComboBox* box = Box(name);
    for (int i = 0; i < box->count(); ++i) items.push_back(box->itemText(i).toStdString());
    return items;
  }
  std::string Chosen(const char* name) override { return Box(name)->currentText().toStdString(); }
  // As the user's choice in the open list: the index changes and the box says it was chosen.
  void Choose(const char* name, const std::string& item) override {
    QComboBox* box = Box(name);
    const int index = box->findText(QString::fromStdString(item));
    box->setCurrentIndex(index);
    emit box->activated(index);
  }
  void Click(const char* name) override {
    QTest::mouseClick(window_->findChild<QPushButton*>(QString::fromUtf8(name)), Qt::LeftButton);
  }
  // Waits until the inner area has the size, or the window system has refused it a while.
  void SetInner(int width, int height) override {
    const QWidget* inner = window_->centralWidget();
    const QSize wanted(width, height);
    for (int tries = 0; tries < 3 && inner->size() != wanted; ++tries) {
      window_->resize(width + window_->width() - inner->width(),
                      height + window_->height() - inner->height());
      if (QTest::qWaitFor([&] { return inner->size() == wanted; }, 300)) return;
    }
  }
  bills::QtBillsWindow& Shown() { return *window_; }

 private:
  QComboBox* Box(const char* name) {
    return window_->findChild<QComboBox*>(QString::fromUtf8(name));
  }
  std::unique_ptr<bills::QtBillsWindow> window_;
};

}  // namespace

namespace contract {
namespace {

std::unique_ptr<BillsDriver> OpenQtBills(bills::BillsWindowServices services) {
  return std::make_unique<QtBillsDriver>(std::move(services));
}

INSTANTIATE_TEST_SUITE_P(Qt, BillsContract, testing::Values(&OpenQtBills));

class QtBills : public BillsFixture {
 protected:
  std::unique_ptr<BillsDriver> OpenWindow(bills::BillsWindowServices services) override {
    return OpenQtBills(std::move(services));
  }
  QtBillsDriver& Driver() { return static_cast<QtBillsDriver&>(*window_); }
};

}  // namespace

TEST_F(QtBills, ScreenshotsOfTheWindowAndOfASlipPage) {
  window_->SetInner(1100, 520);
  window_->Choose("CboCommission", "Commission taken");
  ASSERT_EQ(Messages(), "");
  EXPECT_TRUE(Driver().Shown().grab().save(QStringLiteral(KOLVEX_BINARY_DIR "/kolvex-bills.png")));
  // And the first page of the slips, as pdftoppm draws it.
  if (!exporter::kSlipsBuilt) return;
  save_dialog_.Answer(KOLVEX_BINARY_DIR "/kolvex-bills-slips.pdf");
  window_->Click("CmdSlips");
  ASSERT_EQ(Messages(), "");
  EXPECT_EQ(std::system("pdftoppm -png -r 80 -f 1 -l 1 -singlefile " KOLVEX_BINARY_DIR
                        "/kolvex-bills-slips.pdf " KOLVEX_BINARY_DIR "/kolvex-bills-slip"),
            0);
}

// Alt with a label's or a button's letter: the focus to the control after the label, or the
// button pressed.
TEST_F(QtBills, AltWithTheUnderlinedLetterReachesEveryControl) {
  bills::QtBillsWindow& shown = Driver().Shown();
  shown.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&shown));
  const std::pair<Qt::Key, const char*> focus_keys[] = {
      {Qt::Key_P, "CboYear"}, {Qt::Key_M, "CboCommission"}, {Qt::Key_T, "TxtTable"}};
  for (const auto& focus_key : focus_keys) {
    const QString name = QString::fromUtf8(focus_key.second);
    QTest::keyClick(&shown, focus_key.first, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] {
      return QApplication::focusWidget() != nullptr &&
             QApplication::focusWidget()->objectName() == name;
    })) << focus_key.second;
  }
  // The button is pressed as a click shows it, a moment later.
  QTest::keyClick(&shown, Qt::Key_W, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !save_dialog_.filter().empty(); }));
  EXPECT_EQ(save_dialog_.filter(), "Excel Workbook|*.xlsx");
  EXPECT_EQ(Messages(), "");
}
}  // namespace contract
