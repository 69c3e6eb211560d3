// The list on its item view, the export command that reads it, and a picture of the window after
// a load of the sample table.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <filesystem>

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
  list_.AddColumnHeader("Mem_Code", 1400);
  list_.AddColumnHeader("ne_date", 2000);
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
  list_.AddColumnHeader("Mem_Code", 1400);
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
  window_->list().AddColumnHeader("Mem_Code", 1400);
  window_->list().AddColumnHeader("ne_date", 1400);
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
                  platform::RunTimeError(429, "ActiveX component can't create object"));
  Find<QAction>("MnuExcel")->trigger();
  EXPECT_EQ(message_box_.shown(),
            std::vector<std::string>{"16 429: ActiveX component can't create object"});
  EXPECT_EQ(clipboard_.text(), "\r\n");
}

class SampleTable : public WindowTest {
 protected:
  // The sample holds BS 2081/01/01 to 2081/03/31; AD 2024-04-13 is BS 2081/01/01.
  SampleTable() : WindowTest({2024, 4, 13}) {}
};

TEST_F(SampleTable, ScreenshotAfterALoadIsSavedInTheBuildFolder) {
  const std::string sample = std::string(KOLVEX_SOURCE_DIR) + "/samples/TRAN.dbf";
  if (!std::filesystem::exists(sample)) GTEST_SKIP() << "no sample table";
  app::WindowServices services = Services();
  services.provider = nullptr;
  auto window = app::KolvexWindow::Open(services);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  window->Controls("TxtTo").Text().SetText("2081/01/02");
  dialog_.Answer(sample);
  QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("CmdBrowse")), Qt::LeftButton);
  ASSERT_TRUE(message_box_.shown().empty()) << message_box_.shown()[0];
  EXPECT_EQ(window->list().ColumnHeaderCount(), 9u);
  ASSERT_GT(window->list().ItemCount(), 0u);
  EXPECT_EQ(window->list().SubItemText(0, 0), "2081/01/01");
  QApplication::processEvents();

  const QString path = QString::fromUtf8(KOLVEX_BINARY_DIR "/kolvex-window.png");
  ASSERT_TRUE(window->grab().save(path)) << path.toStdString();
  EXPECT_GT(QFileInfo(path).size(), 0);
}

}  // namespace
}  // namespace gui_test
