// The adapters on Qt against the contracts every window system's adapters keep: the masked and
// plain boxes, the list, the clipboard, the dialogs and the pointer.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QTreeView>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/clipboard.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/list_view.h"
#include "platform/qt/text_box.h"
#include "platform/qt/twips.h"
#include "tests/contract/clipboard_contract.h"
#include "tests/contract/dialogs_contract.h"
#include "tests/contract/list_view_contract.h"
#include "tests/contract/masked_box_contract.h"
#include "tests/contract/plain_box_contract.h"
#include "tests/gui/when_shown.h"
#include "tests/support/temp_dir.h"

namespace gui_test {
namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }

struct QtBoxDriver {
  platform::TextBox& Box() { return masked; }
  platform::TextBox& PlainBox() { return plain; }
  void Type(std::string_view keys) {
    QTest::keyClicks(&masked_edit, QString::fromUtf8(keys.data(), static_cast<int>(keys.size())));
  }
  void Paste(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
    QTest::keyClick(&masked_edit, Qt::Key_V, Qt::ControlModifier);
  }
  void Press(contract::Key key) {
    switch (key) {
      case contract::Key::kBackspace:
        return QTest::keyClick(&masked_edit, Qt::Key_Backspace);
      case contract::Key::kDelete:
        return QTest::keyClick(&masked_edit, Qt::Key_Delete);
      case contract::Key::kLeft:
        return QTest::keyClick(&masked_edit, Qt::Key_Left);
      case contract::Key::kRight:
        return QTest::keyClick(&masked_edit, Qt::Key_Right);
      case contract::Key::kHome:
        return QTest::keyClick(&masked_edit, Qt::Key_Home);
      case contract::Key::kEnd:
        return QTest::keyClick(&masked_edit, Qt::Key_End);
      case contract::Key::kCut:
        return QTest::keyClick(&masked_edit, Qt::Key_X, Qt::ControlModifier);
    }
  }
  std::string ClipboardText() { return Utf8(QGuiApplication::clipboard()->text()); }

  QLineEdit masked_edit;
  platform::qt::QtMaskedBox masked{masked_edit, platform::InputMask("####/##/##", '_')};
  QLineEdit plain_edit;
  platform::qt::QtTextBox plain{plain_edit};
};

struct QtListDriver {
  platform::ListView& List() { return list; }
  int ShownRows() { return view.model()->rowCount(); }
  int ShownColumns() { return view.model()->columnCount(); }
  std::string ShownText(int row, int column) {
    return Utf8(view.model()->index(row, column).data().toString());
  }
  std::string ShownHeader(int column) {
    return Utf8(view.model()->headerData(column, Qt::Horizontal).toString());
  }
  int ShownColumnWidth(int column) { return view.columnWidth(column); }
  bool ShownRightAligned(int column) {
    const auto cell = view.model()->index(0, column).data(Qt::TextAlignmentRole).toInt();
    const auto header = view.model()->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole);
    return (cell & Qt::AlignRight) != 0 && (header.toInt() & Qt::AlignRight) != 0;
  }
  double TwipsPerPixel() { return platform::qt::TwipsPerPixel(view); }

  QTreeView view;
  platform::qt::QtListView list{view};
};

struct QtClipboardDriver {
  static constexpr std::string_view kNul{"\0", 1};
  platform::Clipboard& Clipboard() { return clipboard; }
  std::string Text() { return Utf8(QGuiApplication::clipboard()->text()); }
  std::optional<std::string> Data(const std::string& name) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QString format = QString::fromStdString(name);
    if (data == nullptr || !data->hasFormat(format)) return std::nullopt;
    const QByteArray bytes = data->data(format);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }
  static std::string Name(const platform::ClipboardFlavour& flavour) { return flavour.mime_type; }
  static std::string OtherName(const platform::ClipboardFlavour& flavour) {
    return flavour.windows_format;
  }

  platform::qt::QtClipboard clipboard;
};

class QtOpenDialogView : public contract::OpenDialogView {
 public:
  explicit QtOpenDialogView(QFileDialog& dialog) : dialog_(dialog) {}
  std::vector<std::string> Filters() override {
    std::vector<std::string> filters;
    for (const QString& filter : dialog_.nameFilters()) filters.push_back(Utf8(filter));
    return filters;
  }
  std::string Folder() override { return Utf8(dialog_.directory().absolutePath()); }
  void Choose(const std::string& name) override {
    ChoosePath(Utf8(dialog_.directory().absoluteFilePath(QString::fromStdString(name))));
  }
  void ChoosePath(const std::string& path) override {
    // Typed into the file name box as the user would: selectFile() leaves the box alone while
    // it has the focus, which it may or may not have by now.
    auto* name = dialog_.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(path));
    static_cast<QDialog&>(dialog_).accept();  // as the Open button does
  }
  void Cancel() override { dialog_.reject(); }

 private:
  QFileDialog& dialog_;
};

class QtMessageBoxView : public contract::MessageBoxView {
 public:
  explicit QtMessageBoxView(QMessageBox& box) : box_(box) {}
  std::string Title() override { return Utf8(box_.windowTitle()); }
  std::string Text() override { return Utf8(box_.text()); }
  platform::MessageIcon Icon() override {
    return box_.icon() == QMessageBox::Critical ? platform::MessageIcon::kCritical
                                                : platform::MessageIcon::kInformation;
  }
  int Buttons() override { return static_cast<int>(box_.buttons().size()); }
  void PressOk() override { box_.button(QMessageBox::Ok)->click(); }

 private:
  QMessageBox& box_;
};

struct QtDialogsDriver {
  std::unique_ptr<platform::FileDialog> MakeFileDialog() {
    return std::make_unique<platform::qt::QtFileDialog>(nullptr);
  }
  std::unique_ptr<platform::MessageBox> MakeMessageBox() {
    return std::make_unique<platform::qt::QtMessageBox>(nullptr);
  }
  std::unique_ptr<platform::MousePointer> MakePointer() {
    return std::make_unique<platform::qt::QtMousePointer>();
  }
  void WhenOpenDialogShows(std::function<void(contract::OpenDialogView&)> answer) {
    WhenDialogShows<QFileDialog>([answer](QFileDialog& dialog) {
      QtOpenDialogView view(dialog);
      answer(view);
    });
  }
  void WhenMessageBoxShows(std::function<void(contract::MessageBoxView&)> answer) {
    WhenDialogShows<QMessageBox>([answer](QMessageBox& box) {
      QtMessageBoxView view(box);
      answer(view);
    });
  }
  static std::vector<std::string> Shown(const std::vector<platform::FileType>& types) {
    return {platform::qt::QtNameFilters(types)};
  }
  bool ShowsHourglass() {
    return QApplication::overrideCursor() != nullptr &&
           QApplication::overrideCursor()->shape() == Qt::WaitCursor;
  }
  bool ShowsDefaultPointer() { return QApplication::overrideCursor() == nullptr; }
};

TEST(QtDialogFilter, FileTypesInQtNotation) {
  EXPECT_EQ(platform::qt::QtNameFilters(platform::ParseFilter("DBF File|*.dbf")),
            "DBF File (*.dbf)");
  EXPECT_EQ(
      platform::qt::QtNameFilters(platform::ParseFilter("Tables|*.dbf;*.DBF|All files|*.*|Lonely")),
      "Tables (*.dbf *.DBF);;All files (*.*);;Lonely (*)");
}

// The program keeps nothing between runs: the Open dialog's history, folder and view are not
// saved for the next run. Run in a process of its own, as ctest runs it, so no earlier dialog of
// the process has read the settings' folders from the environment.
TEST(QtFileDialog, ShowingOneLeavesNoFileInTheUsersFolders) {
  const test_support::TempDir home;
  const test_support::TempDir cache;  // the font cache's, which is the system's
  const std::string config = (home.path() / ".config").string();
  const std::string before_home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  setenv("HOME", home.path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
  {
    platform::qt::QtFileDialog dialog(nullptr);
    dialog.SetFilter("DBF File|*.dbf");
    WhenDialogShows<QFileDialog>([](QFileDialog& shown) { shown.reject(); });
    dialog.ShowOpen();
  }
  setenv("HOME", before_home.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_CACHE_HOME");
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(home.path())) {
    left.push_back(entry.path().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{});
}

TEST(QtMaskNotation, DigitsAndPromptInQtNotation) {
  EXPECT_EQ(platform::qt::QtInputMask(platform::InputMask("####/##/##", '_')), "9999/99/99;_");
}

}  // namespace
}  // namespace gui_test

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, MaskedBoxContract, gui_test::QtBoxDriver);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, PlainBoxContract, gui_test::QtBoxDriver);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ListViewContract, gui_test::QtListDriver);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ClipboardContract, gui_test::QtClipboardDriver);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, DialogsContract, gui_test::QtDialogsDriver);
}  // namespace contract
