// What every window system's date box does, as one typed test suite: the text under the mask
// "####/##/##" with the prompt "_", the selection properties, and the keys a user presses. Each
// system instantiates it with a driver over its own box:
//
//   struct Driver {
//     platform::TextBox& Box();         // a masked box "####/##/##" with the prompt "_"
//     void Press(contract::Key key);    // one key, as the keyboard sends it
//     void Type(std::string_view keys); // each character as a key press
//     void Paste(const std::string& text);  // through the system clipboard and the paste key
//     std::string ClipboardText();
//   };
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/run_time_error.h"
#include "platform/text_box.h"

namespace contract {

enum class Key { kBackspace, kDelete, kLeft, kRight, kHome, kEnd, kCut };

inline int ErrorNumber(const std::function<void()>& action) {
  try {
    action();
  } catch (const platform::RunTimeError& error) {
    return error.number();
  }
  return 0;
}

// Selects as the date check does: the start first, then the length.
inline void Select(platform::TextBox& box, int start, int length) {
  box.SetSelStart(start);
  box.SetSelLength(length);
}

// Presses `keys` on the driver's box: characters are typed, and "{Backspace}", "{Delete}",
// "{Left}", "{Right}", "{Home}", "{End}", "{Cut}" and "{Paste:text}" are those keys.
template <typename Driver>
void Press(Driver& driver, std::string_view keys) {
  while (!keys.empty()) {
    if (keys.front() != '{') {
      const std::size_t end = keys.find('{');
      driver.Type(keys.substr(0, end));
      keys.remove_prefix(end == std::string_view::npos ? keys.size() : end);
      continue;
    }
    const std::size_t close = keys.find('}');
    const std::string_view name = keys.substr(1, close - 1);
    keys.remove_prefix(close + 1);
    if (name.substr(0, 6) == "Paste:") {
      driver.Paste(std::string(name.substr(6)));
      continue;
    }
    const struct {
      std::string_view name;
      Key key;
    } named[] = {{"Backspace", Key::kBackspace},
                 {"Delete", Key::kDelete},
                 {"Left", Key::kLeft},
                 {"Right", Key::kRight},
                 {"Home", Key::kHome},
                 {"End", Key::kEnd},
                 {"Cut", Key::kCut}};
    bool found = false;
    for (const auto& [key_name, key] : named) {
      if (key_name != name) continue;
      driver.Press(key);
      found = true;
    }
    if (!found) ADD_FAILURE() << "no key " << name;
  }
}

template <typename Driver>
class MaskedBoxContract : public testing::Test {
 protected:
  Driver driver_;
};

TYPED_TEST_SUITE_P(MaskedBoxContract);

TYPED_TEST_P(MaskedBoxContract, EmptyBoxReadsAllPromptsAndSetTextKeepsThePrompts) {
  platform::TextBox& box = this->driver_.Box();
  EXPECT_EQ(box.Text(), "____/__/__");
  for (const char* text : {"2079/5_/3_", "____/__/__", "0000/00/00", "2___/05/32"}) {
    box.SetText(text);
    EXPECT_EQ(box.Text(), text);
  }
}

TYPED_TEST_P(MaskedBoxContract, TextThatDoesNotFitIsRefusedAndTheBoxKeepsItsText) {
  platform::TextBox& box = this->driver_.Box();
  box.SetText("2079/05/12");
  for (const char* text : {"", "2079-05-12", "79/5/12", "2079/05/12 "}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ErrorNumber([&] { box.SetText(text); }), 380);
    EXPECT_EQ(box.Text(), "2079/05/12");
  }
}

TYPED_TEST_P(MaskedBoxContract, SelTextReplacesTheSelectionAsTheDateCheckWritesIt) {
  platform::TextBox& box = this->driver_.Box();
  box.SetText("2079/5_/3_");
  Select(box, 5, 2);
  EXPECT_EQ(box.SelStart(), 5);
  EXPECT_EQ(box.SelLength(), 2);
  box.SetSelText("05");
  Select(box, 8, 2);
  box.SetSelText("03");
  EXPECT_EQ(box.Text(), "2079/05/03");
  EXPECT_EQ(box.SelLength(), 0);
  Select(box, 5, 2);
  EXPECT_EQ(ErrorNumber([&] { box.SetSelText("123"); }), 380);
  EXPECT_EQ(box.Text(), "2079/05/03");
}

TYPED_TEST_P(MaskedBoxContract, SelectionIsKeptWithinTheTextAndNegativeValuesAreRefused) {
  platform::TextBox& box = this->driver_.Box();
  box.SetText("2079/05/12");
  box.SetSelStart(25);
  EXPECT_EQ(box.SelStart(), 10);
  Select(box, 8, 25);
  EXPECT_EQ(box.SelLength(), 2);
  EXPECT_EQ(ErrorNumber([&] { box.SetSelStart(-1); }), 380);
  EXPECT_EQ(ErrorNumber([&] { box.SetSelLength(-1); }), 380);
}

struct KeysCase {
  int sel_start, sel_length;  // of "2079/05/12" before the keys
  const char* keys;
  const char* text;  // after the keys
  int caret;
};

TYPED_TEST_P(MaskedBoxContract, KeysOverwriteStepOverTheSeparatorsAndLeavePrompts) {
  const KeysCase cases[] = {
      // Typed over the whole text, as after entering the box.
      {0, 10, "20795/3", "2079/5_/3_", 9},
      {0, 10, "2079", "2079/__/__", 5},
      {0, 10, "20790000", "2079/00/00", 10},
      {0, 10, "2079/5", "2079/5_/__", 6},
      {0, 10, "2079x05y12", "2079/05/12", 10},  // letters are not taken
      {0, 10, "x", "____/__/__", 0},
      {0, 10, "{Delete}", "____/__/__", 0},
      {0, 10, "{Backspace}", "____/__/__", 0},
      // At the caret.
      {5, 0, "/", "2079/05/12", 5},  // the separator just passed is not typed again
      {3, 0, "91", "2079/15/12", 6},
      {3, 0, "12", "2071/25/12", 6},
      {10, 0, "1", "2079/05/12", 10},
      {10, 0, "{Backspace}", "2079/05/1_", 9},
      {5, 0, "{Backspace}", "207_/05/12", 3},
      {5, 0, "{Delete}", "2079/_5/12", 5},
      {0, 0, "{Right}{Right}{Right}{Right}", "2079/05/12", 5},
      {5, 0, "{Left}", "2079/05/12", 3},
      {5, 0, "{End}", "2079/05/12", 10},
      {5, 0, "{Home}", "2079/05/12", 0},
      {5, 2, "9", "2079/9_/12", 6},
      {5, 2, "{Cut}", "2079/__/12", 5},
      // Pasted.
      {0, 10, "{Paste:2081/01/07}", "2081/01/07", 10},
      {0, 10, "{Paste:20810107}", "2081/01/07", 10},
      {0, 10, "{Paste:2081-01-07}", "2081/01/07", 10},
      {0, 10, "{Paste: 2081/1/7 }", "2081/1_/7_", 9},
      {5, 0, "{Paste:1}", "2079/15/12", 6},
      {8, 0, "{Paste:123456}", "2079/05/12", 10},
  };
  platform::TextBox& box = this->driver_.Box();
  for (const KeysCase& c : cases) {
    SCOPED_TRACE(std::string(c.keys) + " at " + std::to_string(c.sel_start) + "+" +
                 std::to_string(c.sel_length));
    box.SetText("2079/05/12");
    Select(box, c.sel_start, c.sel_length);
    Press(this->driver_, c.keys);
    EXPECT_EQ(box.Text(), c.text);
    EXPECT_EQ(box.SelStart(), c.caret);
    EXPECT_EQ(box.SelLength(), 0);
  }
}

TYPED_TEST_P(MaskedBoxContract, CutPutsTheSelectedCharactersOnTheClipboard) {
  platform::TextBox& box = this->driver_.Box();
  box.SetText("2079/05/12");
  Select(box, 3, 3);
  this->driver_.Press(Key::kCut);
  EXPECT_EQ(this->driver_.ClipboardText(), "9/0");
  EXPECT_EQ(box.Text(), "207_/_5/12");
}

REGISTER_TYPED_TEST_SUITE_P(MaskedBoxContract, EmptyBoxReadsAllPromptsAndSetTextKeepsThePrompts,
                            TextThatDoesNotFitIsRefusedAndTheBoxKeepsItsText,
                            SelTextReplacesTheSelectionAsTheDateCheckWritesIt,
                            SelectionIsKeptWithinTheTextAndNegativeValuesAreRefused,
                            KeysOverwriteStepOverTheSeparatorsAndLeavePrompts,
                            CutPutsTheSelectedCharactersOnTheClipboard);

}  // namespace contract
