// The export's clipboard adapter against Qt's own clipboard, offscreen.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>
#include <QStringLiteral>

#include "platform/qt/qt_clipboard.h"

namespace {

TEST(QtClipboard, TextGoesOnAsPlainTextDecodedFromUtf8) {
  platform::QtClipboard clipboard;
  const std::string text = "Mem_Code\tne_date\r\n00123\t2079/05/12\tनेपाल\t";
  clipboard.SetText(text);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->hasText());
  EXPECT_EQ(data->text().toStdString(), text);
  EXPECT_EQ(data->text().size(), 41) << "the Nepali word is five characters, not its bytes";
}

TEST(QtClipboard, ClearLeavesNoText) {
  platform::QtClipboard clipboard;
  clipboard.SetText("left over");
  clipboard.Clear();
  EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
}

TEST(QtClipboard, BytesThatAreNotUtf8DoNotStopTheText) {
  platform::QtClipboard clipboard;
  std::string bytes = "a?b?c";
  bytes[1] = '\xff';  // never valid in UTF-8
  bytes[3] = '\0';
  clipboard.SetText(bytes);
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QStringLiteral(u"a\uFFFDb") + QChar(u'\0') + QStringLiteral(u"c"));
}

}  // namespace
