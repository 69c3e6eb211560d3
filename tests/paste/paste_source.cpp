// The export of the window, run for a real paste: loads the records of a range of days from a
// table into a list, as the window does, adds one row of texts that spreadsheets misread, and
// runs the "Export to Excel" command on it with the Qt clipboard, the spreadsheet program left
// out. Then writes the cells a paste must give to a JSON file, prints "ready", and serves the
// clipboard until it is ended (on X11 the clipboard lives in the program that filled it). With
// "members", it hands over the member summary of the loaded records instead, as the export hands
// a table.
//
//   paste_source TABLE FROM TO EXPECTED.json [members]
#include <QApplication>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "data/load_data.h"
#include "export/file_formats.h"
#include "export/paste_data.h"
#include "export/period_summary.h"
#include "platform/controls/memory_list_view.h"
#include "platform/message_box.h"
#include "platform/qt/clipboard.h"
#include "tests/fakes/fake_automation.h"

namespace {

// Rows of texts that a spreadsheet reading plain text turns into formulas, numbers or dates, or
// that the clipboard formats must escape. The number columns hold an empty value, and numbers
// that are not in their shortest form or have more digits than a spreadsheet keeps: those stay
// texts.
const std::vector<std::vector<std::string>> kTrickyRows = {
    {"=1+1", "@x", "-5", "", "a;b\"c", "नेपाल दूध", "  two  blanks ", "x\ny", "12.50"},
    {"+1", "2081/01/05", "M", "12345678901234567", "-0.5", "0", "7", "1e3", ".5"},
    // A member code that would be a whole row in plain text, a NUL that would end a cell, and
    // ESC sequences that SYLK would read as its own.
    {"00002\t2081/01/01\tM\t999\n00003", std::string("a\0b", 3), "c\x1b :d\x1b", "", "", "", "", "",
     ""},
};

// The cell a typed form gives for `text`: a control character other than the tab and the line
// break, which no typed form holds, is U+FFFD.
std::string TypedCell(std::string_view text) {
  std::string cell;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t' && c != '\n') {
      cell += "\uFFFD";
    } else {
      cell += c;
    }
  }
  return cell;
}

class SilentMessageBox : public platform::MessageBox {
 public:
  void Show(const std::string& prompt, platform::MessageIcon icon) override {
    if (icon == platform::MessageIcon::kCritical) std::fprintf(stderr, "%s\n", prompt.c_str());
  }
};

std::string Json(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// Every row as [[text, is_number], ...]: what the list hands the spreadsheet, cell by cell.
void WriteExpected(const platform::ListView& list, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  auto cell = [&](std::size_t column, const std::string& text, bool header) {
    const bool number = !header && column < list.ColumnHeaderCount() &&
                        exporter::CellNumber(list.ColumnHeaderKind(column), text).has_value();
    out << (column > 0 ? "," : "") << "[" << Json(TypedCell(text)) << ","
        << (number ? "true" : "false") << "]";
  };
  out << "[\n[";
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    cell(column, list.ColumnHeaderText(column), true);
  }
  out << "]";
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    out << ",\n[";
    cell(0, list.ItemText(item), false);
    for (std::size_t sub = 0; sub < list.SubItemCount(item); ++sub) {
      cell(sub + 1, list.SubItemText(item, sub), false);
    }
    out << "]";
  }
  out << "\n]\n";
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  const bool members = argc == 6 && std::string_view(argv[5]) == "members";
  if (argc != 5 && !members) {
    std::fprintf(stderr, "usage: paste_source TABLE FROM TO EXPECTED.json [members]\n");
    return 2;
  }
  platform::MemoryListView list;
  try {
    data::LoadData(list, argv[1], argv[2], argv[3]);
  } catch (const platform::RunTimeError& error) {
    std::fprintf(stderr, "%s\n", error.Prompt().c_str());
    return 1;
  }
  platform::qt::QtClipboard clipboard;
  fakes::FakeObjectFactory objects;
  SilentMessageBox message_box;
  if (members) {
    const platform::MemoryListView summary =
        exporter::BuildSummary(exporter::Summary::kMembers, list);
    exporter::TableToExcel([&] { return summary; }, clipboard, objects, message_box);
    WriteExpected(summary, argv[4]);
  } else {
    for (const std::vector<std::string>& row : kTrickyRows) {
      const std::size_t item = list.AddItem();
      list.SetItemText(item, row[0]);
      for (std::size_t i = 1; i < row.size(); ++i) list.AddSubItem(item, row[i]);
    }
    exporter::MnuExcel_Click(list, clipboard, objects, message_box);
    WriteExpected(list, argv[4]);
  }
  if (!objects.spreadsheet().visible()) return 1;  // the command failed and said why

  std::printf("ready\n");
  std::fflush(stdout);
  return QApplication::exec();
}
