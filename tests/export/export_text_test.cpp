#include "export/export_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls/memory_list_view.h"
#include "platform/run_time_error.h"

namespace {

using platform::MemoryListView;

std::vector<std::string> PiecesOf(const platform::ListView& list) {
  std::vector<std::string> pieces;
  exporter::WriteExportText(list, [&](std::string_view piece) { pieces.emplace_back(piece); });
  return pieces;
}

std::string Joined(const std::vector<std::string>& pieces) {
  std::string text;
  for (const std::string& piece : pieces) text += piece;
  return text;
}

// The text of an empty list and of columns alone, and the lines of small lists, are held at the
// clipboard (paste_data_test.cpp); here, a long text made in pieces.
TEST(ExportText, ATabOrLineBreakInAValueIsABlankSoRowsAndColumnsStay) {
  struct Case {
    const char* name;
    std::string first;
    std::string second;
    std::string line;  // the row in the text
  };
  const Case cases[] = {
      {"plain", "00001", "a b", "00001\ta b"},
      {"fake row", "00002\t2081/01/01\r\n00003", "x", "00002 2081/01/01  00003\tx"},
      {"lone CR and LF", "a\rb", "c\nd", "a b\tc d"},
      {"tab at the ends", "\t", "\tz\t", " \t z "},
      {"other control bytes kept", std::string("a\0b\x01\x0B\x0C", 6),
       "\x1b :", std::string("a\0b\x01\x0B\x0C\t\x1b :", 10)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryListView list;
    list.AddColumnHeader("a\tb", 1, platform::ColumnKind::kText);
    list.AddColumnHeader("c", 1, platform::ColumnKind::kText);
    // Enough rows around the case for several pieces, so it is met inside one.
    for (int i = 0; i < 12000; ++i) {
      const std::size_t item = list.AddItem();
      list.SetItemText(item, i == 9000 ? c.first : "row" + std::to_string(i));
      list.AddSubItem(item, i == 9000 ? c.second : "v");
    }
    const std::vector<std::string> pieces = PiecesOf(list);
    ASSERT_GT(pieces.size(), 1u);
    const std::string text = Joined(pieces);
    EXPECT_EQ(text, exporter::BuildExportText(list));
    EXPECT_EQ(text.substr(0, 7), "a b\tc\r\n");
    EXPECT_NE(text.find("\r\nrow8999\tv\r\n" + c.line + "\r\nrow9001\tv\r\n"), std::string::npos);
    std::size_t line_ends = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2)) {
      ++line_ends;
    }
    EXPECT_EQ(line_ends, 12000u);
  }
}

// Claims more columns than the text may hold without storing them.
class TooWideList : public MemoryListView {
 public:
  std::size_t ColumnHeaderCount() const override { return 32768; }
  std::string ColumnHeaderText(std::size_t) const override { return "c"; }
};

TEST(ExportTextInPieces, ACountTooLargeFailsBeforeAnyPiece) {
  TooWideList list;
  list.AddItem();
  std::vector<std::string> pieces;
  try {
    exporter::WriteExportText(list, [&](std::string_view piece) { pieces.emplace_back(piece); });
    ADD_FAILURE() << "no error";
  } catch (const platform::RunTimeError& error) {
    EXPECT_EQ(error.number(), platform::error::kOverflow);
  }
  EXPECT_TRUE(pieces.empty());
}

}  // namespace
