// The "Export to Excel" command through fakes: the exact clipboard text, the order of the steps,
// and what each failure leaves behind.
#include "export/paste_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <new>
#include <string>
#include <vector>

#include "export/clipboard_flavours.h"
#include "platform/controls/memory_list_view.h"
#include "platform/run_time_error.h"
#include "tests/fakes/call_log.h"
#include "tests/fakes/fake_automation.h"
#include "tests/fakes/fake_clipboard.h"
#include "tests/support/whole_forms.h"

namespace {

using fakes::CallLog;
using fakes::FakeClipboard;
using fakes::FakeObjectFactory;
using platform::MemoryListView;
using platform::RunTimeError;

constexpr char kInstruction[] = "MessageBox 64 Press [CTRL+V] key to paste the data.";
constexpr char kLeftBefore[] = "left by another program";

// Records "MessageBox <icon> <prompt>"; FailAt("MessageBox") makes every box fail.
class FakeMessageBox : public platform::MessageBox, public fakes::CallRecorder {
 public:
  explicit FakeMessageBox(CallLog* log) : CallRecorder(log) {}
  void Show(const std::string& prompt, platform::MessageIcon icon) override {
    Enter("MessageBox", std::to_string(static_cast<int>(icon)) + " " + prompt);
  }
};

struct ListContent {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;  // each row: item text, then its sub-items
};

MemoryListView MakeList(const ListContent& content) {
  MemoryListView list;
  for (const std::string& column : content.columns)
    list.AddColumnHeader(column, 1000, platform::ColumnKind::kText);
  for (const std::vector<std::string>& row : content.rows) {
    std::size_t item = list.AddItem();
    list.SetItemText(item, row.front());
    for (std::size_t field = 1; field < row.size(); ++field) list.AddSubItem(item, row[field]);
  }
  return list;
}

const ListContent kThreeRecords = {
    {"Mem_Code", "ne_date", "Coll_Time", "Volume_lt", "fat", "snf", "ts_comm", "rate", "Amount"},
    {{"00123", "2079/05/12", "M", "4.5", "4.2", "8.1", "0", "55.3", "248.85"},
     {"00124", "2079/05/12", "E", "10", "3.9", "8.0", "0.5", "52", "520"},
     {"7", "2079/05/13", "M", "1.25", "5", "9", "", "60", "75"}}};

const std::string kThreeRecordsText =
    "Mem_Code\tne_date\tColl_Time\tVolume_lt\tfat\tsnf\tts_comm\trate\tAmount\r\n"
    "00123\t2079/05/12\tM\t4.5\t4.2\t8.1\t0\t55.3\t248.85\r\n"
    "00124\t2079/05/12\tE\t10\t3.9\t8.0\t0.5\t52\t520\r\n"
    "7\t2079/05/13\tM\t1.25\t5\t9\t\t60\t75";

// The fakes of one run of the command, sharing one log.
struct Export {
  CallLog log;
  FakeClipboard clipboard{&log};
  FakeObjectFactory objects{&log};
  FakeMessageBox message_box{&log};

  void Run(const platform::ListView& list) {
    exporter::MnuExcel_Click(list, clipboard, objects, message_box);
  }
};

struct TextCase {
  const char* name;
  ListContent list;
  std::string expected;
};

TEST(ClipboardText, IsTheListAsTabSeparatedLines) {
  const TextCase cases[] = {
      {"export before any load", {}, "\r\n"},
      {"columns without rows",
       {{"Mem_Code", "ne_date", "Amount"}, {}},
       "Mem_Code\tne_date\tAmount\r\n"},
      {"one row", {{"A", "B"}, {{"1", "2"}}}, "A\tB\r\n1\t2"},
      {"three rows", kThreeRecords, kThreeRecordsText},
      {"row ending in an empty field", {{"A", "B", "C"}, {{"1", "2", ""}}}, "A\tB\tC\r\n1\t2\t"},
      {"fields copied as they are",
       {{" Mem Code ", "\"q\""}, {{" 00123 ", "a,b \"c\""}, {"", "नेपाल"}}},
       " Mem Code \t\"q\"\r\n 00123 \ta,b \"c\"\r\n\tनेपाल"},
      {"item without sub-items", {{"A", "B"}, {{"1"}}}, "A\tB\r\n1"},
  };
  for (const TextCase& test : cases) {
    SCOPED_TRACE(test.name);
    Export run;
    run.Run(MakeList(test.list));
    EXPECT_EQ(run.clipboard.text(), test.expected);
    EXPECT_EQ(run.log.calls().back(), "Visible True");
  }
}

// Nothing is made when the list goes on the clipboard; what a later paste gets is the list as
// it was at the export, however the list has changed since, made from it whole (the same bytes
// as the forms made at once).
TEST(ClipboardText, IsMadeOnlyWhenAskedAndFromTheListAsItWasAtTheExport) {
  MemoryListView list = MakeList(kThreeRecords);
  const std::vector<platform::ClipboardFlavour> at_once = support::BuildClipboardFlavours(list);
  Export run;
  run.Run(list);
  EXPECT_EQ(run.clipboard.made(), 0);
  list.ClearItems();
  list.ClearColumnHeaders();
  list.AddColumnHeader("Reloaded", 1000, platform::ColumnKind::kText);
  list.SetItemText(list.AddItem(), "1");
  EXPECT_EQ(run.clipboard.text(), kThreeRecordsText);
  const std::vector<platform::ClipboardFlavour> later = run.clipboard.flavours();
  ASSERT_EQ(later.size(), at_once.size());
  for (std::size_t i = 0; i < later.size(); ++i) EXPECT_EQ(later[i].data, at_once[i].data);
}

TEST(ExportOrder, ClipboardThenCreateAddMessageAndVisibleLast) {
  Export run;
  run.Run(MakeList(kThreeRecords));
  const std::vector<std::string> expected = {
      "Clear",     "SetText",     "CreateObject excel.application",
      "Workbooks", "Add",         kInstruction,
      "Workbooks", "Application", "Visible True"};
  EXPECT_EQ(run.log.calls(), expected);
  // The typed flavours go on in the same change as the text.
  ASSERT_EQ(run.clipboard.flavours().size(), 3u);
  EXPECT_EQ(run.clipboard.flavours()[0].mime_type, exporter::kSylkMimeType);
  EXPECT_EQ(run.clipboard.flavours()[1].mime_type, exporter::kGnumericMimeType);
  EXPECT_TRUE(run.objects.spreadsheet().visible());
  EXPECT_EQ(run.objects.OutsideReferences(), 0) << "the application is released";
}

// On Windows Excel gets "HTML Format", and Calc SYLK under Windows' own format, no HTML.
TEST(ExportOrder, TheWindowsFormsAreThoseOfTheProgramStarted) {
  for (const bool calc : {false, true}) {
    SCOPED_TRACE(calc ? "Calc" : "Excel");
    Export run;
    run.objects.set_starts_calc(calc);
    run.Run(MakeList(kThreeRecords));
    std::vector<std::string> formats;
    for (const auto& flavour : run.clipboard.flavours()) formats.push_back(flavour.windows_format);
    const std::vector<std::string> expected =
        calc ? std::vector<std::string>{platform::kWindowsSylkFormat, "", ""}
             : std::vector<std::string>{"", "", exporter::kHtmlWindowsFormat};
    EXPECT_EQ(formats, expected);
  }
}

TEST(ExportOrder, ListIsOnlyRead) {
  MemoryListView list = MakeList(kThreeRecords);
  const MemoryListView before = list;
  Export run;
  run.Run(list);
  ASSERT_EQ(list.columns().size(), before.columns().size());
  for (std::size_t i = 0; i < list.columns().size(); ++i) {
    EXPECT_EQ(list.columns()[i].text, before.columns()[i].text);
    EXPECT_EQ(list.columns()[i].width_twips, before.columns()[i].width_twips);
  }
  ASSERT_EQ(list.items().size(), before.items().size());
  for (std::size_t i = 0; i < list.items().size(); ++i) {
    EXPECT_EQ(list.items()[i].text, before.items()[i].text);
    EXPECT_EQ(list.items()[i].sub_items, before.items()[i].sub_items);
  }
}

struct FailureCase {
  const char* fail_at;
  RunTimeError error;
  std::vector<std::string> calls;  // the command's calls, the error's message box last
  std::string clipboard;
};

TEST(ExportFailure, EndsInOneCriticalMessageAndKeepsWhatWasDone) {
  const std::string full = kThreeRecordsText;
  const FailureCase cases[] = {
      {"Clear",
       {platform::error::kPermissionDenied, "the clipboard is busy."},
       {"Clear", "MessageBox 16 70: Permission denied: the clipboard is busy."},
       kLeftBefore},
      {"SetText",
       {platform::error::kOutOfMemory, ""},
       {"Clear", "SetText", "MessageBox 16 7: Out of memory"},
       ""},
      {"CreateObject",
       {platform::error::kCannotCreateObject, "none was found."},
       {"Clear", "SetText", "CreateObject excel.application",
        "MessageBox 16 429: The spreadsheet program cannot be started: none was found."},
       full},
      {"Workbooks",
       {platform::error::kObjectDoesNotSupport, ""},
       {"Clear", "SetText", "CreateObject excel.application", "Workbooks",
        "MessageBox 16 438: Object doesn't support this property or method"},
       full},
      {"Add",
       {platform::error::kInvalidArgument, "no workbook was added."},
       {"Clear", "SetText", "CreateObject excel.application", "Workbooks", "Add",
        "MessageBox 16 5: Invalid procedure call or argument: no workbook was added."},
       full},
      {"Visible",
       {platform::error::kCannotCreateObject, "'/usr/bin/localc' did not start."},
       {"Clear", "SetText", "CreateObject excel.application", "Workbooks", "Add", kInstruction,
        "Workbooks", "Application", "Visible True",
        "MessageBox 16 429: The spreadsheet program cannot be started: '/usr/bin/localc' did "
        "not start."},
       full},
  };
  for (const FailureCase& test : cases) {
    SCOPED_TRACE(test.fail_at);
    Export run;
    run.clipboard.FailAt(test.fail_at, test.error);
    run.objects.FailAt(test.fail_at, test.error);
    run.objects.spreadsheet().FailAt(test.fail_at, test.error);
    EXPECT_NO_THROW(run.Run(MakeList(kThreeRecords)));
    EXPECT_EQ(run.log.calls(), test.calls);
    EXPECT_EQ(run.clipboard.text(), test.clipboard);
    EXPECT_EQ(run.objects.OutsideReferences(), 0) << "a created application is released";
    EXPECT_FALSE(run.objects.spreadsheet().visible());
  }
}

TEST(ExportFailure, ApplicationThatReturnsNoObjectIsReported) {
  Export run;
  run.objects.spreadsheet().ReturnNothingFrom("Workbooks");
  run.Run(MakeList(kThreeRecords));
  EXPECT_EQ(run.log.calls().back(),
            "MessageBox 16 91: Object variable or With block variable not set");
  EXPECT_EQ(run.clipboard.text(), kThreeRecordsText);
}

TEST(ExportFailure, FailingMessageBoxDoesNotEscape) {
  Export run;
  run.message_box.FailAt("MessageBox", RunTimeError(platform::error::kInvalidArgument));
  EXPECT_NO_THROW(run.Run(MakeList(kThreeRecords)));
  ASSERT_GE(run.log.calls().size(), 2u);
  EXPECT_EQ(run.log.calls().end()[-2], kInstruction);
  EXPECT_EQ(run.log.calls().back(), "MessageBox 16 5: Invalid procedure call or argument");
}

// A list whose reading fails part-way, in the ways a list view can.
class WideListView : public MemoryListView {
 public:
  explicit WideListView(std::size_t columns) : columns_(columns) {}
  std::size_t ColumnHeaderCount() const override { return columns_; }
  std::string ColumnHeaderText(std::size_t) const override { return "c"; }
  platform::ColumnKind ColumnHeaderKind(std::size_t) const override {
    return platform::ColumnKind::kText;
  }

 private:
  std::size_t columns_;
};

class LyingListView : public MemoryListView {
 public:
  std::size_t SubItemCount(std::size_t) const override { return 3; }
};

class ExhaustedListView : public MemoryListView {
 public:
  std::string ItemText(std::size_t) const override { throw std::bad_alloc(); }
};

struct ReadFailureCase {
  const char* name;
  const platform::ListView* list;
  std::string message;
};

TEST(ExportFailure, WhileReadingTheListLeavesTheClipboardUntouched) {
  WideListView too_wide(32768);
  LyingListView lying;
  lying.AddItem();
  lying.AddSubItem(0, "only one");
  ExhaustedListView exhausted;
  exhausted.AddItem();
  const ReadFailureCase cases[] = {
      {"32,768 columns", &too_wide, "MessageBox 16 6: Overflow"},
      {"sub-item that is not there", &lying, "MessageBox 16 35600: Index out of bounds"},
      {"memory runs out", &exhausted, "MessageBox 16 7: Out of memory"},
  };
  for (const ReadFailureCase& test : cases) {
    SCOPED_TRACE(test.name);
    Export run;
    EXPECT_NO_THROW(run.Run(*test.list));
    EXPECT_EQ(run.log.calls(), std::vector<std::string>{test.message});
    EXPECT_EQ(run.clipboard.text(), kLeftBefore);
  }
}

TEST(ClipboardText, HoldsTheLargestColumnCount) {
  Export run;
  run.Run(WideListView(32767));
  const std::string& text = run.clipboard.text();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 32766);
  EXPECT_EQ(text.size(), 32767u * 2 - 1 + 2);
  EXPECT_EQ(run.log.calls().back(), "Visible True");
}

}  // namespace
