// The masked text of the date boxes without a window: its fit, the date check's replacement, and
// the editing keys, which run the date boxes' own table of keys against the model that the
// Windows box types with.
#include "platform/controls/input_mask.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/form.h"
#include "platform/run_time_error.h"
#include "tests/contract/masked_box_contract.h"

namespace {

using platform::InputMask;
using platform::MaskedEdit;

struct ReplaceCase {
  const char* text;
  int start, length;
  const char* insert;
  const char* expected;  // null: refused with 380
};

TEST(InputMaskReplace, PlacesTheTextIntoExactlyTheSelectedPositions) {
  const InputMask mask("####/##/##", '_');
  const ReplaceCase cases[] = {
      {"2079/5_/3_", 5, 2, "05", "2079/05/3_"},
      {"2079/05/3_", 8, 2, "03", "2079/05/03"},
      {"____/__/__", 5, 2, "00", "____/00/__"},
      {"2079/05/12", 0, 10, "2080/01/01", "2080/01/01"},
      {"2079/05/12", 3, 3, "0/1", "2070/15/12"},
      {"2079/05/12", 3, 3, "01", "2070/15/12"},  // the literal is passed over
      {"2079/05/12", 5, 2, "1", "2079/1_/12"},   // the rest of the selection is cleared
      {"2079/05/12", 5, 2, "", "2079/__/12"},
      {"2079/05/12", 5, 0, "", "2079/05/12"},
      {"2079/05/12", 5, 2, "123", nullptr},  // longer than the selection
      {"2079/05/12", 5, 2, "a1", nullptr},
      {"2079/05/12", 4, 1, "1", nullptr},  // a literal cannot be typed over
      {"2079/05/12", 8, 3, "1", nullptr},  // past the end
      {"2079/05", 0, 0, "", nullptr},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " [" + std::to_string(c.start) + "," +
                 std::to_string(c.length) + ") <- " + c.insert);
    if (c.expected == nullptr) {
      EXPECT_EQ(contract::ErrorNumber([&] { mask.Replace(c.text, c.start, c.length, c.insert); }),
                380);
    } else {
      EXPECT_EQ(mask.Replace(c.text, c.start, c.length, c.insert), c.expected);
    }
  }
}

TEST(InputMaskText, EmptyAndFits) {
  const InputMask mask("####/##/##", '_');
  EXPECT_EQ(mask.Empty(), "____/__/__");
  for (const char* text : {"____/__/__", "2079/05/12", "0000/00/00", "2___/5_/__"}) {
    EXPECT_TRUE(mask.Fits(text)) << text;
  }
  for (const char* text :
       {"", "2079-05-12", "2079/05/1", "2079/05/123", "2079/O5/12", "    /  /  "}) {
    EXPECT_FALSE(mask.Fits(text)) << text;
  }
}

TEST(InputMaskKeys, CaretRestsOnlyInFrontOfDigitPositions) {
  const InputMask mask("####/##/##", '_');
  EXPECT_EQ(mask.CaretStop(3, 4), 5);
  EXPECT_EQ(mask.CaretStop(5, 4), 3);
  EXPECT_EQ(mask.CaretStop(9, 10), 10);
  EXPECT_EQ(mask.CaretStop(0, 99), 10);
  EXPECT_EQ(mask.CaretStop(5, -3), 0);
  EXPECT_EQ(mask.CaretStop(4, 4), 4);
}

TEST(InputMaskKeys, TextThatDoesNotFitIsStartedOverRatherThanWrittenPast) {
  const InputMask mask("####/##/##", '_');
  const MaskedEdit edit = mask.Insert({"20", 0, 99}, "2081");
  EXPECT_EQ(edit.text, "2081/__/__");
  EXPECT_EQ(edit.caret, 5);
}

// A box with no window at all: the model's text and selection, and a clipboard of its own.
class ModelBox : public platform::TextBox {
 public:
  std::string Text() const override { return edit_.text; }
  void SetText(const std::string& text) override {
    if (!mask_.Fits(text)) throw platform::RunTimeError(platform::error::kInvalidPropertyValue);
    edit_ = {text, 0, 0};
  }
  int SelStart() const override { return edit_.SelStart(); }
  int SelLength() const override { return edit_.SelEnd() - edit_.SelStart(); }
  void SetSelStart(int start) override {
    if (start < 0) throw platform::RunTimeError(platform::error::kInvalidPropertyValue);
    edit_.anchor = edit_.caret = std::min(start, 10);
  }
  void SetSelLength(int length) override {
    if (length < 0) throw platform::RunTimeError(platform::error::kInvalidPropertyValue);
    edit_.anchor = SelStart();
    edit_.caret = std::min(edit_.anchor + length, 10);
  }
  void SetSelText(const std::string& text) override {
    const int end = SelStart() + SelLength();
    edit_.text = mask_.Replace(edit_.text, SelStart(), SelLength(), text);
    edit_.anchor = edit_.caret = end;
  }

  const InputMask mask_{"####/##/##", '_'};
  MaskedEdit edit_{mask_.Empty(), 0, 0};
};

struct ModelDriver {
  platform::TextBox& Box() { return box; }
  void Type(std::string_view keys) {
    for (const char key : keys) box.edit_ = box.mask_.Insert(box.edit_, std::string(1, key));
  }
  void Paste(const std::string& text) { box.edit_ = box.mask_.Insert(box.edit_, text); }
  void Press(contract::Key key) {
    MaskedEdit& edit = box.edit_;
    switch (key) {
      case contract::Key::kBackspace:
        edit = box.mask_.Backspace(edit);
        break;
      case contract::Key::kDelete:
        edit = box.mask_.Delete(edit);
        break;
      case contract::Key::kLeft:
      case contract::Key::kRight:
      case contract::Key::kHome:
      case contract::Key::kEnd: {
        const int to = key == contract::Key::kLeft    ? edit.caret - 1
                       : key == contract::Key::kRight ? edit.caret + 1
                       : key == contract::Key::kHome  ? 0
                                                      : 10;
        edit.anchor = edit.caret = box.mask_.CaretStop(edit.caret, to);
        break;
      }
      case contract::Key::kCut:
        clipboard = edit.text.substr(static_cast<std::size_t>(edit.SelStart()),
                                     static_cast<std::size_t>(edit.SelEnd() - edit.SelStart()));
        edit = box.mask_.Delete(edit);
        break;
    }
  }
  std::string ClipboardText() { return clipboard; }

  ModelBox box;
  std::string clipboard;
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Model, MaskedBoxContract, ModelDriver);
}  // namespace contract
