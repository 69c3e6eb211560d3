#include "export/export_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/list_view.h"
#include "platform/run_time_error.h"

namespace {

using platform::MemoryListView;

std::vector<std::string> Pieces(const platform::ListView& list) {
  std::vector<std::string> pieces;
  exporter::WriteExportText(list, [&](std::string_view piece) { pieces.emplace_back(piece); });
  return pieces;
}

std::string Joined(const std::vector<std::string>& pieces) {
  std::string text;
  for (const std::string& piece : pieces) text += piece;
  return text;
}

TEST(ExportTextInPieces, JoinsToTheExportTextOfSmallAndLargeLists) {
  MemoryListView list;
  EXPECT_EQ(Joined(Pieces(list)), "\r\n");
  list.AddColumnHeader("a", 1, platform::ColumnKind::kText);
  list.AddColumnHeader("b", 1, platform::ColumnKind::kText);
  EXPECT_EQ(Joined(Pieces(list)), exporter::BuildExportText(list));
  for (int i = 0; i < 20000; ++i) {
    const std::size_t item = list.AddItem();
    list.SetItemText(item, std::to_string(i));
    list.AddSubItem(item, i % 3 == 0 ? std::string() : "sub " + std::to_string(i));
  }
  const std::vector<std::string> pieces = Pieces(list);
  EXPECT_GT(pieces.size(), 2u);
  EXPECT_EQ(Joined(pieces), exporter::BuildExportText(list));
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
