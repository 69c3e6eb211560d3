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
  clipboard.SetText(text, {});
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->hasText());
  EXPECT_EQ(data->text().toStdString(), text);
  EXPECT_EQ(data->text().size(), 41) << "the Nepali word is five characters, not its bytes";
}

TEST(QtClipboard, FlavoursGoOnBesideTheTextUnderTheirMimeTypesOnly) {
  platform::QtClipboard clipboard;
  const std::string sylk = "ID;PCALCOOO32\r\nC;X1;Y1;K\"\xe0\xa4\xa8\"\r\nE\r\n";
  clipboard.SetText("a\tb",
                    {{"application/x-openoffice-sylk;windows_formatname=\"Sylk\"", "", sylk},
                     {"", "HTML Format", "Version:0.9"}});
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->text(), QStringLiteral("a\tb"));
  const QByteArray bytes =
      data->data(QStringLiteral("application/x-openoffice-sylk;windows_formatname=\"Sylk\""));
  EXPECT_EQ(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())), sylk)
      << "handed on byte for byte";
  EXPECT_FALSE(data->hasHtml()) << "a flavour named for Windows alone stays off";
  for (const QString& format : data->formats()) {
    EXPECT_FALSE(format.contains(QStringLiteral("HTML"))) << format.toStdString();
  }
}

TEST(QtClipboard, ClearLeavesNoText) {
  platform::QtClipboard clipboard;
  clipboard.SetText("left over", {{"application/x-gnumeric", "", "<x/>"}});
  clipboard.Clear();
  EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  EXPECT_TRUE(data == nullptr || !data->hasFormat(QStringLiteral("application/x-gnumeric")));
}

TEST(QtClipboard, BytesThatAreNotUtf8DoNotStopTheText) {
  platform::QtClipboard clipboard;
  std::string bytes = "a?b?c";
  bytes[1] = '\xff';  // never valid in UTF-8
  bytes[3] = '\0';
  clipboard.SetText(bytes, {});
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QStringLiteral(u"a\uFFFDb") + QChar(u'\0') + QStringLiteral(u"c"));
}

}  // namespace
