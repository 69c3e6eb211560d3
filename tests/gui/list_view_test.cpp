// The list on its item view, the export command that reads it, and a picture of the window after
// a load of the sample table.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/gui/window_fixture.h"

namespace gui_test {
namespace {

class SampleTable : public WindowTest {
 protected:
  // The sample holds BS 2081/01/01 to 2081/03/31; AD 2024-04-13 is BS 2081/01/01.
  SampleTable() : WindowTest({2024, 4, 13}) {}

  // Opens a window on the real provider into `window` and loads the sample's days from
  // 2081/01/01 to `to` with a click on "Browse Database". Skips the test without the sample.
  void LoadSample(const std::string& to, std::unique_ptr<app::QtMainWindow>& window) {
    const std::string sample = std::string(KOLVEX_SOURCE_DIR) + "/samples/TRAN.dbf";
    if (!std::filesystem::exists(sample)) GTEST_SKIP() << "no sample table";
    app::WindowServices services = Services();
    services.provider = nullptr;
    window = app::QtMainWindow::Open(services);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->Controls("TxtTo").Text().SetText(to);
    dialog_.Answer(sample);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("CmdBrowse")), Qt::LeftButton);
    ASSERT_TRUE(message_box_.shown().empty()) << message_box_.shown()[0];
    QApplication::processEvents();
  }
};

TEST_F(SampleTable, ScreenshotAfterALoadIsSavedInTheBuildFolder) {
  std::unique_ptr<app::QtMainWindow> window;
  LoadSample("2081/01/02", window);
  if (IsSkipped() || HasFatalFailure()) return;
  EXPECT_EQ(window->list().ColumnHeaderCount(), 9u);
  ASSERT_GT(window->list().ItemCount(), 0u);
  EXPECT_EQ(window->list().SubItemText(0, 0), "2081/01/01");
  // The status line names the table read, with the range loaded.
  const std::string status =
      window->findChild<QLabel*>(QStringLiteral("StatusLine"))->text().toStdString();
  const std::string table = std::string(KOLVEX_SOURCE_DIR) + "/samples/TRAN.dbf \u2014 ";
  const std::string range = " records, 2081/01/01 to 2081/01/02";
  EXPECT_EQ(status.rfind(table, 0), 0u) << status;
  EXPECT_EQ(status.size() - std::min(status.size(), range.size()), status.rfind(range)) << status;

  const QString path = QString::fromUtf8(KOLVEX_BINARY_DIR "/kolvex-window.png");
  ASSERT_TRUE(window->grab().save(path)) << path.toStdString();
  EXPECT_GT(QFileInfo(path).size(), 0);
}

// The first and last x within `rect` of `image` where a pixel is dark: the span of the text.
std::pair<int, int> InkSpan(const QImage& image, const QRect& rect) {
  int first = rect.right() + 1;
  int last = rect.left() - 1;
  for (int x = rect.left(); x <= rect.right(); ++x) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
      if (qGray(image.pixel(x, y)) < 128) {
        first = std::min(first, x);
        last = std::max(last, x);
        break;
      }
    }
  }
  return {first, last};
}

TEST_F(SampleTable, EveryColumnAndItsHeaderIsLeftAligned) {
  std::unique_ptr<app::QtMainWindow> window;
  LoadSample("2081/01/01", window);
  if (IsSkipped() || HasFatalFailure()) return;
  auto* view = window->findChild<QTreeView*>(QStringLiteral("ListView1"));
  ASSERT_NE(view, nullptr);

  // What the window shows: the ink of each column's first cell and of its header lies at the
  // left, numbers included.
  const QImage cells = view->viewport()->grab().toImage();
  const QImage headers = view->header()->grab().toImage();
  const std::vector<std::string> names = {"mem_code", "ne_date", "coll_time", "volume_lt", "fat",
                                          "snf",      "ts_comm", "rate",      "amount"};
  for (int column = 0; column < 9; ++column) {
    SCOPED_TRACE(names[static_cast<std::size_t>(column)]);
    EXPECT_EQ(window->list().ColumnHeaderText(static_cast<std::size_t>(column)),
              names[static_cast<std::size_t>(column)])
        << "the header text stays the field name";
    const QRect cell = view->visualRect(view->model()->index(0, column));
    const QRect header(view->header()->sectionViewportPosition(column), 0,
                       view->header()->sectionSize(column), view->header()->height());
    for (const auto& [image, rect] : {std::pair{cells, cell}, std::pair{headers, header}}) {
      const auto [first, last] = InkSpan(image, rect.adjusted(1, 1, -2, -2));
      ASSERT_LE(first, last) << "no text drawn";
      const int left_gap = first - rect.left();
      const int right_gap = rect.right() - last;
      EXPECT_LT(left_gap, right_gap);
    }
  }
}

}  // namespace
}  // namespace gui_test
