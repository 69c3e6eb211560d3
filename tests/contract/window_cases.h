// What the window of either window system must do, as tables of cases that both systems' window
// tests run: the first layout, the tab order, the date boxes' typing, and the records the fake
// provider answers a day's query with.
#pragma once

#include <string>
#include <vector>

#include "platform/db/value.h"

namespace window_cases {

// A control's place in twips after the first layout, at the start size.
struct ControlPlace {
  const char* name;
  float left, top, width, height;
};

inline constexpr ControlPlace kFirstLayout[] = {
    {"ListView1", 120, 720, 13765, 3710}, {"TxtFile", 1320, 240, 5655, 375},
    {"Label1", 120, 240, 1215, 240},      {"CmdBrowse", 12200, 240, 1695, 375},
    {"TxtFrom", 7200, 240, 1935, 375},    {"TxtTo", 9240, 240, 1935, 375},
};

// An inner area, in pixels at 96 dpi, smaller than the layout needs, and what the layout makes of
// it after the start size: an inner height below 850 twips gives the list no height, so the list
// keeps its old height, and no message is shown.
struct SmallInner {
  int width, height;
  float button_left, list_width, list_height;
};

inline constexpr SmallInner kSmallInners[] = {
    {400, 40, 4175, 5740, 3710},  // 600 twips high
    {400, 56, 4175, 5740, 3710},  // 840
    {400, 57, 4175, 5740, 5},     // 855: five twips of list
    {600, 100, 7175, 8740, 650},  // 1500
};

// Where Tab takes the focus, from the list where it starts, and round again.
inline constexpr const char* kTabOrder[] = {"TxtFile", "CmdBrowse", "TxtFrom", "TxtTo",
                                            "ListView1"};

// Keys typed into a date box whose whole text is selected, as after entering it.
struct TypingCase {
  const char* keys;     // empty: the Delete key
  const char* typed;    // the box's text after the keys
  const char* checked;  // after leaving the box
};

inline constexpr TypingCase kTyping[] = {
    {"20795/3", "2079/5_/3_", "2079/05/03"},    {"2079", "2079/__/__", "2079/01/01"},
    {"20790000", "2079/00/00", "2079/01/01"},   {"20791305", "2079/13/05", "2079/12/05"},
    {"20791232", "2079/12/32", "2079/12/30"},   {"2079/5", "2079/5_/__", "2079/05/01"},
    {"2079x05y12", "2079/05/12", "2079/05/12"},  // letters are not taken
    {"14991230", "1499/12/30", "0000/00/00"},   {"", "____/__/__", "0000/00/00"},
};

// The Data menu's summaries, as the menu shows them, each with the letter of its key (with Ctrl)
// and what it puts on the clipboard after a load of two records on 2079/05/12 and one on
// 2079/05/13, each of Record's numbers.
struct SummaryCommand {
  const char* shown;
  char key;
  const char* clipboard;
};

inline constexpr SummaryCommand kSummaryCommands[] = {
    {"Member Summary to Excel\tCtrl+M", 'M',
     "mem_code\tdays\trecords\tvolume_lt M\tvolume_lt\tfat\tsnf\trate\tamount\tcommission\t"
     "untested\trepeats\r\n"
     "0001\t2\t2\t9\t9\t6.10\t8.50\t60.00\t540.00\t0.00\t0\t0\r\n"
     "0002\t1\t1\t4.5\t4.5\t6.10\t8.50\t60.00\t270.00\t0.00\t0\t0\r\n"
     "Total\t2\t3\t13.5\t13.5\t6.10\t8.50\t60.00\t810.00\t0.00\t0\t0"},
    {"Day Summary to Excel\tCtrl+D", 'D',
     "ne_date\tcoll_time\tmembers\trecords\tvolume_lt\tfat\tsnf\tcommission\tamount\trate\t"
     "untested\r\n"
     "2079/05/12\tM\t2\t2\t9\t6.10\t8.50\t0.00\t540.00\t60.00\t0\r\n"
     "2079/05/13\tM\t1\t1\t4.5\t6.10\t8.50\t0.00\t270.00\t60.00\t0\r\n"
     "Total\t\t2\t3\t13.5\t6.10\t8.50\t0.00\t810.00\t60.00\t0"},
};

// One record as a query of its day returns it, its date as the table stores it ("dd/mm/yyyy").
inline std::vector<platform::db::Value> Record(const std::string& member, const std::string& date) {
  using Kind = platform::db::Value::Kind;
  return {
      platform::db::Value::Of(Kind::kText, member),  platform::db::Value::Of(Kind::kText, date),
      platform::db::Value::Of(Kind::kText, "M"),     platform::db::Value::Of(Kind::kNumber, "4.5"),
      platform::db::Value::Of(Kind::kNumber, "6.1"), platform::db::Value::Of(Kind::kNumber, "8.5"),
      platform::db::Value::Of(Kind::kNumber, "0"),   platform::db::Value::Of(Kind::kNumber, "60"),
      platform::db::Value::Of(Kind::kNumber, "270")};
}

}  // namespace window_cases
