#include "platform/controls/memory_list_view.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/run_time_error.h"
#include "tests/cli/read_back.h"

namespace {

using platform::MemoryListView;

// Every text of the list, item by item, as the list interface reads them; no header row, since
// these lists have no columns.
std::vector<std::vector<std::string>> Texts(const platform::ListView& list) {
  std::vector<std::vector<std::string>> rows = read_back::ListRows(list);
  rows.erase(rows.begin());
  return rows;
}

TEST(MemoryList, KeepsEveryTextAsWrittenWhateverTheOrderOfWriting) {
  MemoryListView list;
  const std::string long_text(300, 'x');  // a length that takes two bytes
  const std::string with_nul("a\0b\tc", 5);
  list.AddItem();
  list.SetItemText(0, "first");
  list.AddSubItem(0, "");
  list.AddSubItem(0, long_text);
  list.AddItem();
  list.AddSubItem(1, with_nul);
  list.AddSubItem(0, "late");      // to an item that is no longer the last one written
  list.SetItemText(0, "renamed");  // its own text, after its sub-items
  list.SetItemText(1, long_text);
  list.AddItem();
  EXPECT_EQ(Texts(list), (std::vector<std::vector<std::string>>{
                             {"renamed", "", long_text, "late"}, {long_text, with_nul}, {""}}));
  // Read out of order too, and after the list changes under a read.
  EXPECT_EQ(list.SubItemText(0, 2), "late");
  EXPECT_EQ(list.SubItemText(0, 0), "");
  EXPECT_EQ(list.SubItemText(0, 1), long_text);
  list.SetItemText(0, "x");
  EXPECT_EQ(list.SubItemText(0, 2), "late");
  list.SetItemText(0, "renamed");
  const MemoryListView copy = list;
  list.AddSubItem(2, "after the copy");
  EXPECT_EQ(Texts(copy), (std::vector<std::vector<std::string>>{
                             {"renamed", "", long_text, "late"}, {long_text, with_nul}, {""}}));
  EXPECT_EQ(list.items()[2].sub_items, std::vector<std::string>{"after the copy"});
}

// A long list reads back as written: many items, a text of megabytes among them, and the last
// item's own text written again, in lengths short and long, after its sub-items.
TEST(MemoryList, ALongListReadsBackAsWritten) {
  MemoryListView list;
  std::vector<std::vector<std::string>> expected;
  for (int i = 0; i < 20000; ++i) {
    const std::size_t item = list.AddItem();
    const std::string text = std::to_string(i);
    list.SetItemText(item, text);
    std::vector<std::string> row = {text};
    for (int sub = 0; sub < 3; ++sub) {
      row.push_back(i % 4999 == 0 && sub == 1 ? std::string(1 << 21, 'a' + sub)
                                              : text + "." + std::to_string(sub));
      list.AddSubItem(item, row.back());
    }
    expected.push_back(row);
  }
  for (const std::string& text : {std::string("abc"), std::string(200, 'w'), std::string(),
                                  std::string(5000, 'v'), std::string("last")}) {
    SCOPED_TRACE(text.size());
    list.SetItemText(list.ItemCount() - 1, text);
    expected.back().front() = text;
    EXPECT_EQ(Texts(list), expected);
  }
  list.ClearItems();
  EXPECT_EQ(list.ItemCount(), 0u);
  list.AddItem();
  EXPECT_EQ(Texts(list), (std::vector<std::vector<std::string>>{{""}}));
}

// Gives other texts than it stores, as a list built on the memory list may.
class RenamingList : public MemoryListView {
 public:
  std::string ItemText(std::size_t item) const override { return "item" + std::to_string(item); }
  std::size_t SubItemCount(std::size_t) const override { return 2; }
};

TEST(MemoryList, AnItemsTextsInOneCallAreTheTextsReadOneByOne) {
  MemoryListView list;
  const std::string long_text(200, 'y');  // a length that takes two bytes
  list.AddItem();
  list.AddSubItem(0, long_text);
  list.AddSubItem(0, "");
  list.AddItem();
  list.SetItemText(1, "b");
  list.AddItem();
  list.SetItemText(2, std::string("n\0l", 3));
  list.AddSubItem(2, "z");
  list.AddSubItem(0, "late");
  list.AddItem();
  list.SetItemText(3, long_text);
  list.AddSubItem(3, "after a long one");
  std::string out = "kept|";
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    list.AppendItemTexts(item, '|', out);
    out += '\n';
  }
  EXPECT_EQ(out, "kept||" + long_text + "||late\nb\n" + std::string("n\0l|z\n", 6) + long_text +
                     "|after a long one\n");
  EXPECT_THROW(list.AppendItemTexts(4, '|', out), platform::RunTimeError);

  RenamingList renaming;
  renaming.AddItem();
  renaming.AddSubItem(0, "one");
  std::string texts;
  EXPECT_THROW(renaming.AppendItemTexts(0, '|', texts), platform::RunTimeError);  // no second one
  renaming.AddSubItem(0, "two");
  texts.clear();
  renaming.AppendItemTexts(0, '|', texts);
  EXPECT_EQ(texts, "item0|one|two");
}

// The same error as the window's list gives for the same misuse.
TEST(MemoryList, IndexesPastTheItemsSubItemsOrColumnsAreOutOfBounds) {
  MemoryListView list;
  auto number = [](auto misuse) {
    try {
      misuse();
    } catch (const platform::RunTimeError& error) {
      return error.number();
    }
    return 0;
  };
  constexpr std::int32_t kOutOfBounds = platform::error::kIndexOutOfBounds;
  EXPECT_EQ(number([&] { list.ItemText(0); }), kOutOfBounds);
  EXPECT_EQ(number([&] { list.AddSubItem(0, "x"); }), kOutOfBounds);
  EXPECT_EQ(number([&] { list.ColumnHeaderText(0); }), kOutOfBounds);
  EXPECT_EQ(number([&] { list.ColumnHeaderWidth(0); }), kOutOfBounds);
  list.AddItem();
  list.AddSubItem(0, "x");
  EXPECT_EQ(number([&] { list.SubItemText(0, 1); }), kOutOfBounds);
  EXPECT_EQ(number([&] { list.SetItemText(1, "x"); }), kOutOfBounds);
  EXPECT_EQ(number([&] { list.SubItemCount(1); }), kOutOfBounds);
  EXPECT_EQ(list.SubItemText(0, 0), "x");
}

}  // namespace

// A snapshot shares the list's texts; whatever is done to the list afterwards, in each of the
// ways the list writes, the snapshot reads as the list did when it was taken.
struct ChangeAfterSnapshot {
  const char* name;
  void (*change)(MemoryListView& list);
};

TEST(MemoryList, ASnapshotKeepsWhatTheListHeldWhateverTheListDoesAfter) {
  const ChangeAfterSnapshot cases[] = {
      {"last item's text rewritten where it lies",
       [](MemoryListView& l) { l.SetItemText(4999, "x"); }},
      {"sub-item after the last text", [](MemoryListView& l) { l.AddSubItem(4999, "more"); }},
      {"long sub-item after the last text",
       [](MemoryListView& l) { l.AddSubItem(4999, std::string(300, 'y')); }},
      {"first item changed", [](MemoryListView& l) { l.SetItemText(0, "first changed"); }},
      {"new items", [](MemoryListView& l) { l.SetItemText(l.AddItem(), "new"); }},
      {"reloaded",
       [](MemoryListView& l) {
         l.ClearItems();
         for (int i = 0; i < 5000; ++i) l.SetItemText(l.AddItem(), "reloaded");
       }},
  };
  for (const ChangeAfterSnapshot& test : cases) {
    SCOPED_TRACE(test.name);
    MemoryListView list;
    list.AddColumnHeader("Mem_Code", 100, platform::ColumnKind::kText);
    for (int i = 0; i < 5000; ++i) {  // more than one block and one chunk of entries
      const std::size_t item = list.AddItem();
      list.SetItemText(item, std::to_string(i));
      list.AddSubItem(item, "2081/01/01");
    }
    const std::vector<std::vector<std::string>> before = read_back::ListRows(list);
    const std::shared_ptr<const platform::ListView> snapshot = list.Snapshot();
    test.change(list);
    EXPECT_EQ(read_back::ListRows(*snapshot), before);
    EXPECT_NE(read_back::ListRows(list), before);
  }
}
