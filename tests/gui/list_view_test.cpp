// The list on its item view, the export command that reads it, and a picture of the window after
// a load of the sample table.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/qt/qt_list_view.h"
#include "tests/gui/window_fixture.h"

namespace gui_test {
namespace {

class ListOnAView : public testing::Test {
 protected:
  QTreeView view_;
  platform::qt::QtListView list_{view_};
};

TEST_F(ListOnAView, ReadsBackHeadersItemsAndSubItemsInOrder) {
  list_.AddColumnHeader("Mem_Code", 1400, platform::ColumnKind::kText);
  list_.AddColumnHeader("ne_date", 2000, platform::ColumnKind::kText);
  for (const char* member : {"0002", "0001", ""}) {
    const std::size_t item = list_.AddItem();
    list_.SetItemText(item, member);
    list_.AddSubItem(item, "2081/01/01");
    list_.AddSubItem(item, "beyond the columns ");
  }
  ASSERT_EQ(list_.ColumnHeaderCount(), 2u);
  EXPECT_EQ(list_.ColumnHeaderText(1), "ne_date");
  EXPECT_EQ(list_.ColumnHeaderWidth(1), 2000);
  EXPECT_EQ(view_.columnWidth(0), 1400 / 15 + 0);  // 93.3 pixels at 96 dpi
  ASSERT_EQ(list_.ItemCount(), 3u);
  EXPECT_EQ(list_.ItemText(0), "0002");
  EXPECT_EQ(list_.ItemText(2), "");
  EXPECT_EQ(list_.SubItemCount(2), 2u);
  EXPECT_EQ(list_.SubItemText(2, 1), "beyond the columns ");
  // The view shows what the list holds.
  EXPECT_EQ(view_.model()->rowCount(), 3);
  EXPECT_EQ(view_.model()->index(1, 1).data().toString(), QStringLiteral("2081/01/01"));
  EXPECT_EQ(view_.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Mem_Code"));
}

TEST_F(ListOnAView, ClearingEmptiesTheViewToo) {
  list_.AddColumnHeader("Mem_Code", 1400, platform::ColumnKind::kText);
  list_.SetItemText(list_.AddItem(), "0001");
  list_.ClearColumnHeaders();
  list_.ClearItems();
  EXPECT_EQ(list_.ColumnHeaderCount(), 0u);
  EXPECT_EQ(list_.ItemCount(), 0u);
  EXPECT_EQ(view_.model()->rowCount(), 0);
  EXPECT_EQ(view_.model()->columnCount(), 0);
}

using ExportMenu = WindowTest;

TEST_F(ExportMenu, PutsTheListOnTheClipboardAndOpensTheSpreadsheet) {
  window_->list().AddColumnHeader("Mem_Code", 1400, platform::ColumnKind::kText);
  window_->list().AddColumnHeader("ne_date", 1400, platform::ColumnKind::kText);
  const std::size_t item = window_->list().AddItem();
  window_->list().SetItemText(item, "0001");
  window_->list().AddSubItem(item, "2079/05/12");
  Find<QAction>("MnuExcel")->trigger();
  EXPECT_EQ(clipboard_.text(), "Mem_Code\tne_date\r\n0001\t2079/05/12");
  EXPECT_EQ(message_box_.shown(),
            std::vector<std::string>{"64 Press [CTRL+V] key to paste the data."});
  EXPECT_TRUE(objects_.spreadsheet().visible());
  EXPECT_EQ(window_->list().ItemCount(), 1u);
}

TEST_F(ExportMenu, FailureIsReportedOnce) {
  objects_.FailAt("CreateObject",
                  platform::RunTimeError(platform::error::kCannotCreateObject, "none was found."));
  Find<QAction>("MnuExcel")->trigger();
  EXPECT_EQ(message_box_.shown(),
            std::vector<std::string>{
                "16 429: The spreadsheet program cannot be started: none was found."});
  EXPECT_EQ(clipboard_.text(), "\r\n");
}

class SampleTable : public WindowTest {
 protected:
  // The sample holds BS 2081/01/01 to 2081/03/31; AD 2024-04-13 is BS 2081/01/01.
  SampleTable() : WindowTest({2024, 4, 13}) {}

  // Opens a window on the real provider into `window` and loads the sample's days from
  // 2081/01/01 to `to` with a click on "Browse Database". Skips the test without the sample.
  void LoadSample(const std::string& to, std::unique_ptr<app::KolvexWindow>& window) {
    const std::string sample = std::string(KOLVEX_SOURCE_DIR) + "/samples/TRAN.dbf";
    if (!std::filesystem::exists(sample)) GTEST_SKIP() << "no sample table";
    app::WindowServices services = Services();
    services.provider = nullptr;
    window = app::KolvexWindow::Open(services);
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
  std::unique_ptr<app::KolvexWindow> window;
  LoadSample("2081/01/02", window);
  if (IsSkipped() || HasFatalFailure()) return;
  EXPECT_EQ(window->list().ColumnHeaderCount(), 9u);
  ASSERT_GT(window->list().ItemCount(), 0u);
  EXPECT_EQ(window->list().SubItemText(0, 0), "2081/01/01");

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

TEST_F(SampleTable, NumberColumnsAndTheirHeadersAreRightAlignedTextColumnsLeft) {
  std::unique_ptr<app::KolvexWindow> window;
  LoadSample("2081/01/01", window);
  if (IsSkipped() || HasFatalFailure()) return;
  auto* view = window->findChild<QTreeView*>(QStringLiteral("ListView1"));
  ASSERT_NE(view, nullptr);

  // What the window shows: the ink of each column's first cell and of its header lies at the
  // side the column is aligned to.
  const QImage cells = view->viewport()->grab().toImage();
  const QImage headers = view->header()->grab().toImage();
  const std::vector<std::string> names = {"mem_code", "ne_date", "coll_time", "volume_lt", "fat",
                                          "snf",      "ts_comm", "rate",      "amount"};
  for (int column = 0; column < 9; ++column) {
    const bool number = column >= 3;
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
      if (number) {
        EXPECT_LT(right_gap, left_gap);
      } else {
        EXPECT_LT(left_gap, right_gap);
      }
    }
  }
}

}  // namespace
}  // namespace gui_test
