// A text box for tests that behaves towards its users as the window's masked date box does:
// assigning SelText replaces exactly the selected characters and keeps the rest.
#pragma once

#include <algorithm>
#include <string>
#include <utility>

#include "platform/text_box.h"
#include "tests/fakes/call_log.h"

namespace fakes {

// Records its writes, "SetText <text>", "SetSelStart <n>", "SetSelLength <n>" and
// "SetSelText <text>" (reads are not recorded); FailAt with one of those names makes that write
// throw before it changes anything.
class FakeTextBox : public platform::TextBox, public CallRecorder {
 public:
  // Starts with `text`, by default an empty masked date box.
  explicit FakeTextBox(std::string text = "____/__/__", CallLog* log = nullptr)
      : CallRecorder(log), text_(std::move(text)) {}

  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override {
    Enter("SetText", text);
    text_ = text;
    sel_start_ = 0;
    sel_length_ = 0;
  }

  int SelStart() const override { return sel_start_; }
  int SelLength() const override { return sel_length_; }
  // As in a text control, moving the start drops the selection's length, and both stay within
  // the text.
  void SetSelStart(int start) override {
    Enter("SetSelStart", std::to_string(start));
    sel_start_ = std::clamp(start, 0, Length());
    sel_length_ = 0;
  }
  void SetSelLength(int length) override {
    Enter("SetSelLength", std::to_string(length));
    sel_length_ = std::clamp(length, 0, Length() - sel_start_);
  }
  // Leaves the caret after the new text with nothing selected.
  void SetSelText(const std::string& text) override {
    Enter("SetSelText", text);
    text_.replace(static_cast<std::size_t>(sel_start_), static_cast<std::size_t>(sel_length_),
                  text);
    sel_start_ += static_cast<int>(text.size());
    sel_length_ = 0;
  }

 private:
  int Length() const { return static_cast<int>(text_.size()); }

  std::string text_;
  int sel_start_ = 0;
  int sel_length_ = 0;
};

}  // namespace fakes
